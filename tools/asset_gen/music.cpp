#include "music.hpp"

#include "synth.hpp"
#include "wav.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace asset_gen {

namespace {

// A minor: Am, F, C, G. Roots in the bass octave, pad voicings around middle C (MIDI numbers).
struct chord {
    int root;
    std::array<int, 3> voicing;
};
constexpr std::array<chord, 4> progression{{
    {33, {57, 60, 64}},
    {29, {53, 57, 60}},
    {36, {55, 60, 64}},
    {31, {55, 59, 62}},
}};

constexpr double longest_beat = 1.2; // a longer gap between drum hits is a break
constexpr double arp_start = 37.0;   // the sixteenth-note plucks join here
constexpr int events_per_chord = 8;
constexpr double bass_gap = 0.03;

std::vector<double> merged(std::vector<double> a, const std::vector<double>& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    a.erase(std::unique(a.begin(), a.end(), [](double x, double y) { return y - x < 0.001; }), a.end());
    return a;
}

void pad_chord(stereo_bus& bus, double t, double length, const chord& c, double gain) {
    for (const int note : c.voicing) pad(bus, t, length, midi_frequency(note), gain);
}

// Calm opening: a pad changing chord at each kick, soft hits with echoes, a bass note from each hit to
// just before the next, slow plucks in between and a riser into the groove.
void opening(stereo_bus& dry, stereo_bus& send, const std::vector<double>& kicks, const std::vector<double>& snares) {
    std::vector<double> changes;
    for (const double k : kicks) {
        if (k < groove_start) changes.push_back(k);
    }
    changes.push_back(groove_start);
    const auto chord_index = [&](double t) {
        return static_cast<std::size_t>(std::upper_bound(changes.begin(), changes.end(), t) - changes.begin()) - 1;
    };
    for (std::size_t i = 0; i + 1 < changes.size(); ++i) {
        pad_chord(dry, changes[i], changes[i + 1] - changes[i], progression[i % progression.size()], 0.05);
    }
    std::vector<double> hits;
    for (const double e : merged(kicks, snares)) {
        if (e < groove_start) hits.push_back(e);
    }
    hits.push_back(groove_start);
    for (std::size_t i = 0; i + 1 < hits.size(); ++i) {
        const chord& c = progression[chord_index(hits[i]) % progression.size()];
        if (hits[i] >= 8.0) bass(dry, hits[i], hits[i + 1] - hits[i] - bass_gap, midi_frequency(c.root), 0.15, 0.25);
        int k = 0;
        for (double t = hits[i] + 0.77; t < hits[i + 1] - 0.3; t += 0.77, ++k) {
            pluck(send, t, midi_frequency(c.voicing[static_cast<std::size_t>(k) % 3] + 12), 0.05, k % 2 ? 0.5 : -0.5);
        }
    }
    for (const double k : kicks) {
        if (k < groove_start) kick(dry, k, 0.7, 0.25);
    }
    for (std::size_t i = 0; i < snares.size(); ++i) {
        if (snares[i] >= groove_start) continue;
        snare(dry, snares[i], 0.45, 1000 + i);
        snare(send, snares[i], 0.25, 2000 + i);
    }
    riser(dry, 23.6, groove_start - 0.25, groove_start - 0.05, 0.25, 77);
}

// The driving section: drums on the event times, bass in eighths between them, hats on the off-beats,
// plucks in sixteenths later on, and calmer breaks where the drums pause.
void groove(stereo_bus& dry, stereo_bus& send, const std::vector<double>& kicks, const std::vector<double>& snares) {
    std::vector<double> events;
    for (const double e : merged(kicks, snares)) {
        if (e >= groove_start && e < fade_end) events.push_back(e);
    }
    for (const double k : kicks) {
        if (k >= groove_start && k < fade_end) kick(dry, k, 1.0, 0.11);
    }
    for (std::size_t i = 0; i < snares.size(); ++i) {
        if (snares[i] >= groove_start && snares[i] < fade_end) snare(dry, snares[i], 0.75, 3000 + i);
    }
    const auto next_of = [&](std::size_t i) { return i + 1 < events.size() ? events[i + 1] : fade_end; };
    const auto chord_at = [](std::size_t index) -> const chord& { return progression[index % progression.size()]; };

    // The chord changes every few hits; a break takes the next two chords.
    std::vector<std::size_t> chord_of(events.size());
    std::size_t index = 0;
    int count = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        chord_of[i] = index;
        if (next_of(i) - events[i] > longest_beat) {
            index += 3;
            count = 0;
        } else if (++count == events_per_chord) {
            ++index;
            count = 0;
        }
    }

    double pad_from = events.front();
    for (std::size_t i = 0; i < events.size(); ++i) {
        const double t = events[i];
        const double next = next_of(i);
        const double gap = next - t;
        const chord& c = chord_at(chord_of[i]);
        const bool is_break = gap > longest_beat;
        const bool chord_ends = is_break || i + 1 == events.size() || chord_of[i + 1] != chord_of[i];
        if (chord_ends) {
            pad_chord(dry, pad_from, (is_break ? t + 0.4 : next) - pad_from, c, 0.035);
            pad_from = next;
        }
        if (!is_break) {
            const double mid = t + 0.5 * gap;
            // Staccato eighths: each note stops short so the next hit lands on a clear gap.
            bass(dry, t, mid - t - bass_gap, midi_frequency(c.root), 0.3, 1.0);
            bass(dry, mid, next - mid - bass_gap, midi_frequency(c.root + (i % 2 ? 7 : 12)), 0.26, 0.6);
            hat(dry, mid, 0.16, i % 2 ? 0.3 : -0.3, 5000 + i);
            if (t >= arp_start) {
                for (std::size_t q = 0; q < 4; ++q) {
                    const int note = c.voicing[(i * 4 + q) % 3] + 12 * static_cast<int>(1 + q % 2);
                    pluck(send, t + static_cast<double>(q) * 0.25 * gap, midi_frequency(note), 0.045, q % 2 ? 0.6 : -0.6);
                }
            }
            continue;
        }
        // A break: the pad carries two chords, the bass holds long notes, a riser leads back in.
        bass(dry, t, 0.35, midi_frequency(c.root), 0.3, 1.0);
        const double half = 0.5 * gap;
        for (int h = 0; h < 2; ++h) {
            const chord& b = chord_at(chord_of[i] + 1 + static_cast<std::size_t>(h));
            const double from = t + h * half;
            pad_chord(dry, from, half, b, 0.06);
            bass(dry, from + 0.4, half - 0.45, midi_frequency(b.root), 0.2, 0.15);
            int k = 0;
            for (double p = from + 0.385; p < from + half - 0.2; p += 0.385, ++k) {
                pluck(send, p, midi_frequency(b.voicing[static_cast<std::size_t>(k) % 3] + 12), 0.04, k % 2 ? 0.5 : -0.5);
            }
        }
        if (next < fade_end) riser(dry, next - 2.5, next - 0.25, next - 0.05, 0.3, 900 + i);
    }
}

} // namespace

void write_music(const std::filesystem::path& file, const std::vector<double>& kicks, const std::vector<double>& snares) {
    stereo_bus dry(music_length);
    stereo_bus send(music_length);
    opening(dry, send, kicks, snares);
    groove(dry, send, kicks, snares);
    echo(send, dry, 0.29, 0.4, 0.8);
    // The sends also sound directly.
    for (long i = 0; i < dry.frames(); ++i) dry.add(i, send.left[static_cast<std::size_t>(i)], send.right[static_cast<std::size_t>(i)]);

    double peak = 0.0;
    for (long i = 0; i < dry.frames(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        peak = std::max({peak, std::abs(dry.left[k]), std::abs(dry.right[k])});
    }
    const double scale = std::pow(10.0, -1.0 / 20.0) * 32767.0 / peak; // peak at -1 dBFS
    std::vector<std::int16_t> pcm;
    pcm.reserve(static_cast<std::size_t>(dry.frames()) * 2);
    for (long i = 0; i < dry.frames(); ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double fade = std::clamp((fade_end - t) / (fade_end - fade_start), 0.0, 1.0);
        const auto k = static_cast<std::size_t>(i);
        pcm.push_back(static_cast<std::int16_t>(std::lround(dry.left[k] * scale * fade)));
        pcm.push_back(static_cast<std::int16_t>(std::lround(dry.right[k] * scale * fade)));
    }
    write_wav(file, pcm, sample_rate);
}

} // namespace asset_gen
