#pragma once

#include <cstdint>
#include <vector>

namespace asset_gen {

constexpr int sample_rate = 44100;

// Stereo mix bus in floating point; instruments add into it at sample positions.
struct stereo_bus {
    explicit stereo_bus(double seconds);
    void add(long frame, double left, double right);
    long frames() const { return static_cast<long>(left.size()); }

    std::vector<double> left;
    std::vector<double> right;
};

// The frame at which time t (seconds) starts; hits are placed exactly there.
long frame_at(double t);

double midi_frequency(int note);

// Instruments. Every note starts with a short attack and ends with a short release (no clicks); the
// drums start within a millisecond of their time so that their onsets are sharp.
// decay: time constant of the body in seconds.
void kick(stereo_bus& bus, double t, double gain, double decay);
void snare(stereo_bus& bus, double t, double gain, std::uint64_t seed);
void hat(stereo_bus& bus, double t, double gain, double pan, std::uint64_t seed);
// Resonant low-passed saw plus a sub sine, the filter opening at each note start by `accent`.
void bass(stereo_bus& bus, double t, double length, double frequency, double gain, double accent);
// Three detuned saws through a soft low-pass, slow attack and release (the tail runs past `length`).
void pad(stereo_bus& bus, double t, double length, double frequency, double gain);
void pluck(stereo_bus& bus, double t, double frequency, double gain, double pan);
// Band-passed noise sweeping upwards from t to peak, then dying away by end.
void riser(stereo_bus& bus, double t, double peak, double end, double gain, std::uint64_t seed);

// Ping-pong echo of `send` added into `out`.
void echo(const stereo_bus& send, stereo_bus& out, double delay, double feedback, double level);

} // namespace asset_gen
