#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace music {

// What a detected track follows: a drum, every onset over the full band, or onsets in a band of
// frequencies (low_hz to high_hz).
enum class instrument { kick, snare, hat, onsets, band };

struct detect_spec {
    instrument what = instrument::onsets;
    double low_hz = 0.0;      // band only
    double high_hz = 0.0;     // band only
    double sensitivity = 0.5; // 0 to 1: higher finds softer hits
    double min_gap = 0.05;    // seconds between two events of the track
    double length = 0.03;     // seconds each event lasts
    double value = 1.0;       // each event's value

    bool operator==(const detect_spec&) const = default;
};

struct event {
    double start;
    double end;
    double value;
};

// A spec or buffer the detection cannot take; what() says which value and why.
struct detect_error : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

// The sample rates the detection takes; music may play at lower rates than it can analyse.
inline constexpr int min_rate = 4000;
inline constexpr int max_rate = 768000;

// Throws detect_error unless every field is finite and in range: sensitivity 0 to 1, min_gap 0 to 10 s,
// length above 0 up to 60 s, |value| up to 1e6, and for a band 0 <= low_hz < high_hz <= 100 kHz.
void validate(const detect_spec& spec);

// The events of one track found in interleaved samples, sorted by start. A pure function: the same
// samples and spec give the same events.
std::vector<event> detect_events(const float* interleaved, std::size_t frames, int channels, int rate,
                                 const detect_spec& spec);

// Several tracks of the same samples at once (the analysis is shared); each as detect_events finds it.
// Throws detect_error for a spec out of range, 0 or more than 64 channels, or a rate outside min_rate to
// max_rate (what() then says the rate: "a sample rate of 2000 Hz, below the 4000 Hz ...").
std::vector<std::vector<event>> detect_tracks(const float* interleaved, std::size_t frames, int channels, int rate,
                                              const std::vector<detect_spec>& specs);

// "kick", "snare", "hat", "onsets" or "LO-HI" (Hz) into the instrument and band of `spec`; false otherwise.
bool parse_instrument(const std::string& text, detect_spec& spec);

} // namespace music
