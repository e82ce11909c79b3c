// music_synth DIR [SEED]: writes the benchmark's music with known drum hits into DIR. Each piece is a drum
// pattern at its own tempo (timing jitter, velocity changes, snare rolls) over pads, a legato bass and
// soft plucks, saved in one of the formats users deliver, beside NAME.labels.tsv with the true hit
// times ("kick|snare|hat<TAB>seconds"). Two kinds of kick: one with a noise click and a drive, and a
// clean sine whose pitch sweeps down over about 40 ms and dies within about 120 ms, struck at 0.55 to
// 0.9 of the loudest over a louder bass whose notes change on the kicks. A SEED other than 0 (the
// benchmark's) draws other kits, velocities, jitter and mixes: music the detection was not tuned on.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double pi = std::numbers::pi;

struct piece {
    const char* name;
    int format;
    int rate;
    int channels;
    double bpm;
    int style; // 0 straight, 1 four on the floor, 2 breakbeat, 3 half time, 4 shuffle
    std::uint32_t seed;
    bool swept; // the clean swept kick, its bass changing notes on the kicks, the mix drawn from the seed
};

const piece pieces[] = {
    {"straight_96.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 96, 0, 11, false},
    {"house_124.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 124, 1, 22, false},
    {"breaks_140.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 140, 2, 33, false},
    {"halftime_85.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 2, 85, 3, 44, false},
    {"shuffle_110.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 110, 4, 55, false},
    {"mono_118.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 118, 0, 66, false},
    {"swept_straight_102.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 102, 0, 77, true},
    {"swept_house_126.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 126, 1, 88, true},
    {"swept_breaks_132.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 132, 2, 99, true},
    {"swept_shuffle_112_mono.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1, 112, 4, 111, true},
    {"swept_halftime_90.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 2, 90, 3, 122, true},
};

constexpr double piece_seconds = 32.0;

struct bus {
    int rate;
    std::vector<double> l, r;
    bus(int rate_, double seconds) : rate(rate_), l(static_cast<std::size_t>(seconds * rate_)), r(l.size()) {}
    void add(long i, double a, double b) {
        if (i < 0 || i >= static_cast<long>(l.size())) return;
        l[static_cast<std::size_t>(i)] += a;
        r[static_cast<std::size_t>(i)] += b;
    }
    long at(double t) const { return std::lround(t * rate); }
};

// Two-pole state-variable filter, cutoff clamped below Nyquist.
struct svf {
    double s1 = 0, s2 = 0;
    struct out { double low, band, high; };
    out run(double in, double cutoff, double q, int rate) {
        const double g = std::tan(pi * std::min(cutoff, 0.45 * rate) / rate);
        const double k = 1.0 / q;
        const double a1 = 1.0 / (1.0 + g * (g + k)), a2 = g * a1, a3 = g * a2;
        const double v3 = in - s2, v1 = a1 * s1 + a2 * v3, v2 = s2 + a2 * s1 + a3 * v3;
        s1 = 2 * v1 - s1;
        s2 = 2 * v2 - s2;
        return {v2, v1, in - k * v1 - v2};
    }
};

double saw(double phase) { return 2.0 * phase - 1.0; }

struct kit {
    double kick_base, kick_sweep, kick_sweep_time, kick_decay, kick_click;
    double snare_tone, snare_noise_hz, snare_decay;
    double hat_cut, hat_decay;
};

kit make_kit(std::mt19937& g) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    return {44 + 16 * u(g), 90 + 110 * u(g), 0.02 + 0.025 * u(g), 0.12 + 0.2 * u(g), 0.2 + 0.4 * u(g),
            160 + 70 * u(g), 1500 + 1800 * u(g), 0.07 + 0.08 * u(g), 7000 + 2500 * u(g), 0.012 + 0.025 * u(g)};
}

void kick(bus& b, const kit& k, double t, double gain, std::mt19937& g) {
    std::uniform_real_distribution<double> n(-1.0, 1.0);
    const long start = b.at(t), len = b.at(std::min(0.8, 3.0 * k.kick_decay));
    for (long i = 0; i < len; ++i) {
        const double s = static_cast<double>(i) / b.rate;
        const double ph = 2 * pi * (k.kick_base * s + k.kick_sweep * k.kick_sweep_time * (1 - std::exp(-s / k.kick_sweep_time)));
        const double env = std::min(1.0, s / 0.0007) * std::exp(-s / k.kick_decay) * std::min(1.0, (len - i) / (0.02 * b.rate));
        const double v = gain * std::tanh(1.4 * std::sin(ph) * env + k.kick_click * n(g) * std::exp(-s / 0.002));
        b.add(start + i, v, v);
    }
}

// A clean kick: a sine falling from `from` to `to` Hz over `sweep` seconds, dying over `decay` seconds.
struct swept_kit {
    double from, to, sweep, decay, drive;
};

swept_kit make_swept_kit(std::mt19937& g) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    return {110 + 90 * u(g), 42 + 18 * u(g), 0.032 + 0.016 * u(g), 0.1 + 0.04 * u(g), 1.0 + 0.6 * u(g)};
}

void swept_kick(bus& b, const swept_kit& k, double t, double gain) {
    const long start = b.at(t), len = b.at(k.decay);
    double phase = 0;
    for (long i = 0; i < len; ++i) {
        const double s = static_cast<double>(i) / b.rate;
        const double x = std::max(0.0, 1.0 - s / k.sweep);
        phase += 2 * pi * (k.to + (k.from - k.to) * x * x) / b.rate;
        const double fall = 1.0 - s / k.decay;
        const double env = std::min(1.0, s / 0.001) * fall * fall;
        const double v = gain * std::tanh(k.drive * std::sin(phase) * env) / std::tanh(k.drive);
        b.add(start + i, v, v);
    }
}

void snare(bus& b, const kit& k, double t, double gain, std::mt19937& g) {
    std::uniform_real_distribution<double> n(-1.0, 1.0);
    svf fl, fr;
    const long start = b.at(t), len = b.at(0.3);
    for (long i = 0; i < len; ++i) {
        const double s = static_cast<double>(i) / b.rate;
        const double att = std::min(1.0, s / 0.0004) * std::min(1.0, (len - i) / (0.02 * b.rate));
        const double body = 0.6 * std::sin(2 * pi * k.snare_tone * s) * std::exp(-s / 0.045);
        const double c = n(g);
        const double nl = fl.run(0.7 * c + 0.3 * n(g), k.snare_noise_hz, 0.6, b.rate).band;
        const double nr = fr.run(0.7 * c + 0.3 * n(g), k.snare_noise_hz, 0.6, b.rate).band;
        const double d = std::exp(-s / k.snare_decay);
        b.add(start + i, gain * att * (body + 1.5 * nl * d), gain * att * (body + 1.5 * nr * d));
    }
}

void hat(bus& b, const kit& k, double t, double gain, double decay, double pan, std::mt19937& g) {
    std::uniform_real_distribution<double> n(-1.0, 1.0);
    svf f1, f2;
    const long start = b.at(t), len = b.at(std::min(0.5, 6 * decay));
    for (long i = 0; i < len; ++i) {
        const double s = static_cast<double>(i) / b.rate;
        const double x = f2.run(f1.run(n(g), k.hat_cut, 0.7, b.rate).high, k.hat_cut, 0.7, b.rate).high;
        const double v = gain * x * std::min(1.0, s / 0.0003) * std::exp(-s / decay) * std::min(1.0, (len - i) / (0.01 * b.rate));
        b.add(start + i, v * (1 - pan), v * (1 + pan));
    }
}

double midi(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Slow detuned saws: a chord per bar, fading in and out over each other.
void pad(bus& b, double t, double length, const int* notes, double gain) {
    const long start = b.at(t), len = b.at(length + 1.2);
    for (int v = 0; v < 3; ++v) {
        for (int d = 0; d < 2; ++d) {
            svf f;
            double ph = 0.3 * v + 0.5 * d;
            const double step = midi(notes[v]) * (1 + (d ? 0.004 : -0.004)) / b.rate;
            const double pan = d ? 0.5 : -0.5;
            for (long i = 0; i < len; ++i) {
                const double s = static_cast<double>(i) / b.rate;
                const double env = std::min(1.0, s / 0.8) * std::clamp((length + 1.2 - s) / 1.2, 0.0, 1.0);
                const double x = gain * env * f.run(saw(ph), 900 + 300 * std::sin(0.7 * (t + s)), 0.7, b.rate).low;
                ph += step;
                if (ph >= 1) ph -= 1;
                b.add(start + i, x * (1 - pan), x * (1 + pan));
            }
        }
    }
}

// One continuous bass voice gliding between notes (no gap, no new attack), the filter opening a little at
// each note.
void legato_bass(bus& b, const std::vector<std::pair<double, double>>& notes, double end, double gain) {
    svf f;
    double ph = 0, freq = notes.front().second;
    std::size_t k = 0;
    double since = 0;
    for (long i = b.at(notes.front().first); i < b.at(end); ++i) {
        const double t = static_cast<double>(i) / b.rate;
        while (k + 1 < notes.size() && t >= notes[k + 1].first) {
            ++k;
            since = t;
        }
        freq += (notes[k].second - freq) * (1.0 - std::exp(-1.0 / (0.02 * b.rate)));
        const double cutoff = 300 + 500 * std::exp(-(t - since) / 0.15);
        const double x = f.run(saw(ph), cutoff, 1.2, b.rate).low + 0.5 * std::sin(2 * pi * ph);
        ph += freq / b.rate;
        if (ph >= 1) ph -= 1;
        const double v = gain * std::tanh(x) * std::min(1.0, (t - notes.front().first) / 0.3);
        b.add(i, v, v);
    }
}

void pluck(bus& b, double t, double freq, double gain, double pan) {
    const long start = b.at(t), len = b.at(0.5);
    for (long i = 0; i < len; ++i) {
        const double s = static_cast<double>(i) / b.rate;
        const double w = 2 * pi * freq * s;
        const double v = gain * (std::sin(w) + 0.3 * std::sin(2 * w) * std::exp(-s / 0.04)) * std::min(1.0, s / 0.003) *
                         std::exp(-s / 0.12) * std::min(1.0, (len - i) / (0.03 * b.rate));
        b.add(start + i, v * (1 - pan), v * (1 + pan));
    }
}

struct hits {
    std::vector<double> kick, snare, hat;
};

void write(const std::filesystem::path& dir, const piece& p, std::uint32_t seed) {
    std::mt19937 g(p.seed + 1000 * seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const kit k = make_kit(g);
    // The swept pieces draw their kick and mix from a generator of their own, leaving the others' as they were.
    std::mt19937 swept_g(p.seed * 7919 + seed);
    std::uniform_real_distribution<double> v(0.0, 1.0);
    const swept_kit sk = make_swept_kit(swept_g);
    struct { double pad, bass, pluck, snare, hat; } mix{0.05, 0.16, 0.06, 1.0, 1.0};
    if (p.swept) mix = {0.035 + 0.035 * v(swept_g), 0.16 + 0.14 * v(swept_g), 0.045 + 0.045 * v(swept_g),
                        0.85 + 0.3 * v(swept_g), 0.8 + 0.45 * v(swept_g)};
    bus b(p.rate, piece_seconds + 1.0);
    hits h;
    const double beat = 60.0 / p.bpm, six = beat / 4;
    const double jitter = 0.008;
    const auto jit = [&] { return (2 * u(g) - 1) * jitter; };
    const double first = 1.0;
    const int bars = static_cast<int>((piece_seconds - first - 1.0) / (4 * beat));
    static const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};
    static const int roots[4] = {33, 29, 36, 31};
    std::vector<std::pair<double, double>> bass_notes;

    for (int bar = 0; bar < bars; ++bar) {
        const double t0 = first + bar * 4 * beat;
        const int c = bar % 4;
        pad(b, t0, 4 * beat, chords[c], mix.pad);
        const bool fill = bar % 4 == 3;
        // Sixteenths of the bar holding a kick, a snare; hats on their own grid.
        std::vector<int> kicks, snares;
        switch (p.style) {
        case 1: kicks = {0, 4, 8, 12}; snares = {4, 12}; break;
        case 2: kicks = {0, 6, 10}; snares = {4, 12}; break;
        case 3: kicks = {0, 3, 10}; snares = {8}; break;
        case 4: kicks = {0, 7, 8}; snares = {4, 12}; break;
        default: kicks = {0, 8, 11}; snares = {4, 12}; break;
        }
        for (const int s : kicks) {
            const double t = t0 + s * six + jit();
            if (p.swept) {
                swept_kick(b, sk, t, 0.55 + 0.35 * v(swept_g));
                // The bass changes note with the kick, through a step of the chord's root, fifth or octave.
                bass_notes.emplace_back(t, midi(roots[c] + (s == 0 ? 0 : (s % 3 == 0 ? 7 : 12))));
            } else {
                const double vel = (s % 8 == 0 ? 0.85 : 0.6) + 0.15 * u(g);
                kick(b, k, t, vel, g);
            }
            h.kick.push_back(t);
        }
        for (const int s : snares) {
            if (fill && s == 12) continue;
            const double t = t0 + s * six + jit();
            snare(b, k, t, mix.snare * (0.55 + 0.2 * u(g)), g);
            h.snare.push_back(t);
        }
        if (fill) { // a roll over the last beat, getting louder; thirty-seconds when they are 60 ms apart or more
            const double step = six / 2 >= 0.06 ? six / 2 : six;
            int n = 0;
            for (double t = t0 + 12 * six; t < t0 + 16 * six - 0.01; t += step, ++n) {
                const double at = t + 0.4 * jit();
                snare(b, k, at, mix.snare * (0.3 + 0.06 * n), g);
                h.snare.push_back(at);
            }
        }
        // Hats: eighths (off-beats only in the four-on-the-floor), sixteenths in the breakbeat and half time.
        const int hat_step = (p.style == 2 || p.style == 3) ? 1 : 2;
        for (int s = 0; s < 16; s += hat_step) {
            if (p.style == 1 && s % 4 != 2) continue;
            const double swing = p.style == 4 && s % 4 == 2 ? six / 3 : 0.0;
            const double t = t0 + s * six + swing + jit();
            const bool open = p.style == 1 && s == 14;
            hat(b, k, t, mix.hat * (s % 4 == 2 ? 0.22 : 0.13) * (0.8 + 0.4 * u(g)), open ? 0.09 : k.hat_decay, s % 4 ? 0.3 : -0.3, g);
            h.hat.push_back(t);
        }
        // Bass: a note per eighth, some changing on the off-beats, legato (the swept pieces' on the kicks,
        // and on some off-beats between).
        for (int s = 0; s < 16; s += 2) {
            if (p.swept) {
                if (s % 4 == 2 && v(swept_g) < 0.5 && std::find(kicks.begin(), kicks.end(), s) == kicks.end())
                    bass_notes.emplace_back(t0 + s * six, midi(roots[c] + 3));
                continue;
            }
            const double off = s % 4 == 2 && u(g) < 0.5 ? six : 0.0;
            const int step = (s / 2) % 3 == 2 ? 7 : ((s / 2) % 4 == 3 ? 12 : 0);
            bass_notes.emplace_back(t0 + s * six + off, midi(roots[c] + step));
        }
        // Soft plucks on sixteenths, off the beat, leaving some out.
        for (int s = 1; s < 16; s += 2) {
            if (u(g) < 0.3) continue;
            pluck(b, t0 + s * six + 0.5 * jit(), midi(chords[c][s % 3] + 12 * (1 + s % 2)), mix.pluck, s % 4 == 1 ? 0.5 : -0.5);
        }
    }
    std::stable_sort(bass_notes.begin(), bass_notes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    legato_bass(b, bass_notes, first + bars * 4 * beat, mix.bass);

    double peak = 1e-9;
    for (std::size_t i = 0; i < b.l.size(); ++i) peak = std::max({peak, std::abs(b.l[i]), std::abs(b.r[i])});
    const double scale = 0.89 / peak;
    std::vector<float> out;
    out.reserve(b.l.size() * static_cast<std::size_t>(p.channels));
    for (std::size_t i = 0; i < b.l.size(); ++i) {
        if (p.channels == 1) {
            out.push_back(static_cast<float>(0.5 * (b.l[i] + b.r[i]) * scale));
        } else {
            out.push_back(static_cast<float>(b.l[i] * scale));
            out.push_back(static_cast<float>(b.r[i] * scale));
        }
    }
    SF_INFO info{};
    info.samplerate = p.rate;
    info.channels = p.channels;
    info.format = p.format;
    const std::string path = (dir / p.name).string();
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) {
        std::fprintf(stderr, "music_synth: %s: %s\n", path.c_str(), sf_strerror(nullptr));
        std::exit(1);
    }
    sf_writef_float(f, out.data(), static_cast<sf_count_t>(b.l.size()));
    sf_close(f);

    std::ofstream labels(dir / (std::string(p.name) + ".labels.tsv"));
    char line[64];
    for (const auto& [name, times] : {std::pair{"kick", &h.kick}, {"snare", &h.snare}, {"hat", &h.hat}}) {
        std::vector<double> sorted = *times;
        std::sort(sorted.begin(), sorted.end());
        for (const double t : sorted) {
            std::snprintf(line, sizeof line, "%s\t%.4f\n", name, t);
            labels << line;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: music_synth DIR [SEED]\n");
        return 2;
    }
    const auto seed = argc == 3 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 0u;
    std::filesystem::create_directories(argv[1]);
    for (const piece& p : pieces) write(argv[1], p, seed);
    return 0;
}
