#pragma once
// The music as a Shadertoy shader reads it, computed from the decoded samples at a time rather than taken
// from the sound card, so that every run and every still sees the same bytes. The rules are the Web Audio
// AnalyserNode's with a 2048-point transform: a Blackman window over the 2048 samples ending at t,
// magnitudes divided by 2048, smoothed over time (0.8 of the last step's value plus 0.2 of this one's),
// in decibels mapped linearly from -100..-30 dB to 0..255; and the waveform as 128 x (sample + 1).

#include "music/aubio_owners.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace music {

class music_spectrum {
public:
    static constexpr std::size_t fft_size = 2048;
    static constexpr std::size_t bins = 512;             // the lowest bins, row 0
    static constexpr std::size_t waveform_samples = 512; // the last samples, row 1
    static constexpr std::size_t byte_count = bins + waveform_samples;
    static constexpr double smoothing = 0.8;
    static constexpr double min_decibels = -100.0;
    static constexpr double max_decibels = -30.0;

    using rows = std::array<std::uint8_t, byte_count>;

    // The samples are interleaved frames of `channels`, mixed to mono. Throws std::invalid_argument for
    // 1 to 8 channels not given, a rate outside 1000 to 384000 or a sample count that is no whole number
    // of frames.
    music_spectrum(std::span<const float> interleaved, int channels, int rate);

    // Rows 0 and 1 at t seconds (bytes 0-511 the spectrum, 512-1023 the waveform). The spectrum is
    // smoothed with the one of the previous step, so a player steps once per frame; samples before 0 and
    // past the end are silence, and so is every sample at a t that is not finite.
    const rows& step(double t);
    // Forgets the previous steps, as at the piece's start.
    void reset();

    const rows& last() const noexcept { return bytes; }
    int rate() const noexcept { return sample_rate; }

private:
    // The sample at index i of the music; 0 outside it and for a sample that is not finite.
    float sample(std::int64_t i) const;

    std::vector<float> mono;
    int sample_rate;
    fft_ptr fft;
    fvec_ptr frame;
    fvec_ptr spectrum;
    std::array<float, fft_size> window{};
    std::array<double, bins> smoothed{};
    rows bytes{};
};

} // namespace music
