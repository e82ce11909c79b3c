#include "synth.hpp"

#include "rng.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace asset_gen {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double dt = 1.0 / sample_rate;

// Topology-preserving state-variable filter (stable under fast cutoff changes).
class svf {
public:
    struct outputs {
        double low, band, high;
    };
    outputs run(double in, double cutoff, double q) {
        const double g = std::tan(pi * std::min(cutoff, 0.45 * sample_rate) / sample_rate);
        const double k = 1.0 / q;
        const double a1 = 1.0 / (1.0 + g * (g + k));
        const double a2 = g * a1;
        const double a3 = g * a2;
        const double v3 = in - s2;
        const double v1 = a1 * s1 + a2 * v3;
        const double v2 = s2 + a2 * s1 + a3 * v3;
        s1 = 2.0 * v1 - s1;
        s2 = 2.0 * v2 - s2;
        return {v2, v1, in - k * v1 - v2};
    }

private:
    double s1 = 0.0;
    double s2 = 0.0;
};

// Band-limited sawtooth (polyBLEP), phase in [0, 1).
double saw(double phase, double step) {
    double correction = 0.0;
    if (phase < step) {
        const double x = phase / step;
        correction = x + x - x * x - 1.0;
    } else if (phase > 1.0 - step) {
        const double x = (phase - 1.0) / step;
        correction = x * x + x + x + 1.0;
    }
    return 2.0 * phase - 1.0 - correction;
}

// Linear attack, flat, linear release ending at `length`.
double gate(double t, double attack, double length, double release) {
    if (t < 0.0 || t >= length) return 0.0;
    return std::min({1.0, t / attack, (length - t) / release});
}

double white(rng& r) { return 2.0 * r.uniform() - 1.0; }

} // namespace

stereo_bus::stereo_bus(double seconds)
    : left(static_cast<std::size_t>(seconds * sample_rate), 0.0), right(left.size(), 0.0) {}

void stereo_bus::add(long frame, double l, double r) {
    if (frame < 0 || frame >= frames()) return;
    left[static_cast<std::size_t>(frame)] += l;
    right[static_cast<std::size_t>(frame)] += r;
}

long frame_at(double t) { return std::lround(t * sample_rate); }

double midi_frequency(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

void kick(stereo_bus& bus, double t, double gain, double decay) {
    const double length = std::min(0.9, 0.1 + 2.5 * decay);
    constexpr double base = 46.0, sweep = 130.0, sweep_time = 0.03;
    rng noise(0x6b69636bu + static_cast<std::uint64_t>(frame_at(t)));
    double previous = 0.0;
    const long start = frame_at(t);
    for (long i = 0; i < static_cast<long>(length * sample_rate); ++i) {
        const double s = i * dt;
        const double phase = 2.0 * pi * (base * s + sweep * sweep_time * (1.0 - std::exp(-s / sweep_time)));
        const double body = std::cos(phase) * std::exp(-s / decay) * gate(s, 0.0005, length, 0.03);
        const double n = white(noise);
        const double click = (n - previous) * 0.5 * std::exp(-s / 0.003) * gate(s, 0.0002, length, 0.03);
        previous = n;
        const double v = gain * std::tanh(1.3 * body + 0.4 * click);
        bus.add(start + i, v, v);
    }
}

void snare(stereo_bus& bus, double t, double gain, std::uint64_t seed) {
    constexpr double length = 0.35;
    rng common(seed * 3 + 1);
    rng left(seed * 3 + 2);
    rng right(seed * 3 + 3);
    svf fl;
    svf fr;
    const long start = frame_at(t);
    for (long i = 0; i < static_cast<long>(length * sample_rate); ++i) {
        const double s = i * dt;
        const double env = gate(s, 0.0003, length, 0.03);
        const double tone = (0.55 * std::cos(2 * pi * 185.0 * s) * std::exp(-s / 0.05) +
                             0.25 * std::cos(2 * pi * 330.0 * s) * std::exp(-s / 0.03));
        const double c = white(common);
        const double nl = fl.run(0.7 * c + 0.3 * white(left), 2600.0, 0.7).band;
        const double nr = fr.run(0.7 * c + 0.3 * white(right), 2600.0, 0.7).band;
        const double decay = std::exp(-s / 0.1);
        const double crack = 0.6 * c * std::exp(-s / 0.004); // the stick's first hit
        bus.add(start + i, gain * env * (tone + crack + 1.6 * nl * decay), gain * env * (tone + crack + 1.6 * nr * decay));
    }
}

void hat(stereo_bus& bus, double t, double gain, double pan, std::uint64_t seed) {
    constexpr double length = 0.08;
    rng noise(seed);
    svf filter;
    const long start = frame_at(t);
    for (long i = 0; i < static_cast<long>(length * sample_rate); ++i) {
        const double s = i * dt;
        const double v = gain * filter.run(white(noise), 8000.0, 0.8).high * std::exp(-s / 0.018) *
                         gate(s, 0.0003, length, 0.02);
        bus.add(start + i, v * (1.0 - pan), v * (1.0 + pan));
    }
}

void bass(stereo_bus& bus, double t, double length, double frequency, double gain, double accent) {
    svf filter;
    double phase = 0.0;
    const double step = frequency * dt;
    const long start = frame_at(t);
    for (long i = 0; i < static_cast<long>(length * sample_rate); ++i) {
        const double s = i * dt;
        const double cutoff = 160.0 + accent * 1900.0 * std::exp(-s / 0.09);
        const double filtered = filter.run(saw(phase, step), cutoff, 2.2).low;
        const double sub = std::sin(2 * pi * phase);
        phase += step;
        if (phase >= 1.0) phase -= 1.0;
        const double v = gain * gate(s, 0.003, length, 0.015) * std::tanh(1.5 * filtered + 0.7 * sub);
        bus.add(start + i, v, v);
    }
}

void pad(stereo_bus& bus, double t, double length, double frequency, double gain) {
    constexpr double attack = 1.2, release = 1.5;
    const double total = length + release;
    constexpr double detune[3] = {-0.006, 0.0, 0.0065};
    constexpr double pan[3] = {-0.7, 0.0, 0.7};
    const long start = frame_at(t);
    for (int voice = 0; voice < 3; ++voice) {
        double phase = 0.17 * voice;
        const double step = frequency * (1.0 + detune[voice]) * dt;
        svf filter;
        for (long i = 0; i < static_cast<long>(total * sample_rate); ++i) {
            const double s = i * dt;
            const double env = s < length ? std::min(1.0, s / attack) : std::min(1.0, length / attack) * (total - s) / release;
            const double cutoff = 700.0 + 400.0 * std::sin(2 * pi * 0.11 * (t + s) + voice);
            const double v = gain * env * filter.run(saw(phase, step), cutoff, 0.8).low;
            phase += step;
            if (phase >= 1.0) phase -= 1.0;
            bus.add(start + i, v * (1.0 - pan[voice]), v * (1.0 + pan[voice]));
        }
    }
}

void pluck(stereo_bus& bus, double t, double frequency, double gain, double pan) {
    constexpr double length = 0.6;
    const long start = frame_at(t);
    for (long i = 0; i < static_cast<long>(length * sample_rate); ++i) {
        const double s = i * dt;
        const double w = 2 * pi * frequency * s;
        const double tone = std::sin(w) + 0.35 * std::sin(2 * w) * std::exp(-s / 0.05) + 0.15 * std::sin(3 * w) * std::exp(-s / 0.03);
        const double v = gain * tone * std::exp(-s / 0.16) * gate(s, 0.002, length, 0.05);
        bus.add(start + i, v * (1.0 - pan), v * (1.0 + pan));
    }
}

void riser(stereo_bus& bus, double t, double peak, double end, double gain, std::uint64_t seed) {
    rng noise(seed);
    svf fl;
    svf fr;
    const long start = frame_at(t);
    const long frames = frame_at(end) - start;
    for (long i = 0; i < frames; ++i) {
        const double now = t + i * dt;
        const double rise = std::clamp((now - t) / (peak - t), 0.0, 1.0);
        const double fall = std::clamp((end - now) / (end - peak), 0.0, 1.0);
        const double env = now < peak ? rise * rise : fall * fall;
        const double cutoff = 300.0 * std::pow(20.0, rise);
        const double l = fl.run(white(noise), cutoff, 3.0).band;
        const double r = fr.run(white(noise), cutoff * 1.03, 3.0).band;
        bus.add(start + i, gain * env * l, gain * env * r);
    }
}

void echo(const stereo_bus& send, stereo_bus& out, double delay, double feedback, double level) {
    const auto d = static_cast<std::size_t>(delay * sample_rate);
    std::vector<double> line_l(d, 0.0);
    std::vector<double> line_r(d, 0.0);
    std::size_t head = 0;
    for (long i = 0; i < send.frames(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double wet_l = line_l[head];
        const double wet_r = line_r[head];
        // Ping-pong: each repeat crosses to the other side.
        line_l[head] = send.right[k] + feedback * wet_r;
        line_r[head] = send.left[k] + feedback * wet_l;
        head = (head + 1) % d;
        out.add(i, level * wet_l, level * wet_r);
    }
}

} // namespace asset_gen
