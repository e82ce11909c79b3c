#include "music/detect_events.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr double pi = std::numbers::pi;

// Twelve seconds of stereo at 118 BPM: kicks, snares (a roll in the last bar) and off-beat hats with
// jittered times and changing velocities, over a slow pad chord, a bass gliding between notes and soft
// plucks on the sixteenths between.
struct mix {
    std::vector<float> samples;
    std::vector<double> kicks, snares, hats;
};

mix make_mix() {
    constexpr double seconds = 12.0;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<double> mono(frames, 0.0);
    std::mt19937 g(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const auto add = [&](double t, double length, auto&& voice) {
        const auto start = static_cast<std::size_t>(std::lround(t * rate));
        for (std::size_t i = 0; i < static_cast<std::size_t>(length * rate) && start + i < frames; ++i) {
            mono[start + i] += voice(static_cast<double>(i) / rate);
        }
    };
    mix m;
    const double six = 60.0 / 118.0 / 4.0;
    for (int s = 0; s < 16 * 5; ++s) {
        const double t = 0.5 + s * six + 0.006 * (2 * u(g) - 1);
        const int step = s % 16;
        const bool roll = s >= 64 + 12;
        if (step == 0 || step == 10) {
            const double gain = 0.6 + 0.3 * u(g);
            add(t, 0.5, [=](double x) {
                const double phase = 2 * pi * (50 * x + 120 * 0.03 * (1 - std::exp(-x / 0.03)));
                return gain * std::tanh(1.5 * std::sin(phase) * std::exp(-x / 0.18) * std::min(1.0, x / 0.0007));
            });
            m.kicks.push_back(t);
        }
        if (step == 4 || (step == 12 && !roll) || roll) {
            const double gain = roll ? 0.3 + 0.08 * (s - 76) : 0.55 + 0.2 * u(g);
            std::mt19937 noise(static_cast<std::uint32_t>(s));
            add(t, 0.25, [=, n = std::normal_distribution<double>(0.0, 0.5)](double x) mutable {
                const double body = 0.6 * std::sin(2 * pi * 190 * x) * std::exp(-x / 0.04);
                return gain * std::min(1.0, x / 0.0005) * (body + n(noise) * std::exp(-x / 0.09));
            });
            m.snares.push_back(t);
        }
        if (step % 4 == 2) {
            std::mt19937 noise(static_cast<std::uint32_t>(1000 + s));
            double previous = 0.0;
            add(t, 0.1, [=, n = std::normal_distribution<double>(0.0, 0.5)](double x) mutable {
                const double white = n(noise);
                const double high = white - previous; // a first difference leaves the high frequencies
                previous = white;
                return (0.15 + 0.1 * u(g)) * high * std::exp(-x / 0.02);
            });
            m.hats.push_back(t);
        }
        if (step % 2 == 1 && u(g) < 0.7) {
            const double f = 440.0 * std::pow(2.0, (step % 5) / 12.0);
            add(t, 0.4, [=](double x) { return 0.05 * std::sin(2 * pi * f * x) * std::exp(-x / 0.12) * std::min(1.0, x / 0.003); });
        }
    }
    double phase = 0.0, f = 55.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double target = 55.0 * (static_cast<int>(t / (4 * six)) % 2 ? 1.5 : 1.0);
        f += (target - f) * 0.001;
        phase += f / rate;
        const double pad = std::sin(2 * pi * 220 * t) + std::sin(2 * pi * 277 * t) + std::sin(2 * pi * 330 * t);
        mono[i] += 0.12 * std::sin(2 * pi * phase) + 0.02 * pad * std::min(1.0, t / 2.0);
    }
    for (const double v : mono) {
        m.samples.push_back(static_cast<float>(0.4 * v));
        m.samples.push_back(static_cast<float>(0.4 * v));
    }
    return m;
}

// Hits within 25 ms of a true one, each true hit matched once.
double f1(const std::vector<double>& truth, const std::vector<music::event>& found) {
    std::vector<bool> used(truth.size(), false);
    double matched = 0;
    for (const music::event& e : found) {
        for (std::size_t i = 0; i < truth.size(); ++i) {
            if (!used[i] && std::abs(truth[i] - e.start) <= 0.025) {
                used[i] = true;
                ++matched;
                break;
            }
        }
    }
    return found.empty() ? 0.0 : 2.0 * matched / static_cast<double>(truth.size() + found.size());
}

TEST(DetectEvents, FindsEachDrumOverPadsBassAndPlucksTheSameEveryTime) {
    const mix m = make_mix();
    const std::size_t frames = m.samples.size() / 2;
    // The hats here share their band with a snare of white noise, far louder there than they are and as
    // bright below the top octave.
    const std::tuple<const char*, const std::vector<double>*, double> drums[] = {
        {"kick", &m.kicks, 0.95}, {"snare", &m.snares, 0.95}, {"hat", &m.hats, 0.95}};
    for (const auto& [name, truth, floor] : drums) {
        music::detect_spec spec;
        ASSERT_TRUE(music::parse_instrument(name, spec));
        spec.length = 0.1;
        spec.value = 3.0;
        const auto found = music::detect_events(m.samples.data(), frames, 2, rate, spec);
        EXPECT_GE(f1(*truth, found), floor) << name << ": " << found.size() << " found, " << truth->size() << " true";
        for (const music::event& e : found) {
            EXPECT_NEAR(e.end - e.start, 0.1, 1e-9);
            EXPECT_EQ(e.value, 3.0);
        }
        const auto again = music::detect_events(m.samples.data(), frames, 2, rate, spec);
        ASSERT_EQ(found.size(), again.size()) << name;
        for (std::size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i].start, again[i].start) << name;
    }
}

music::detect_spec spec_of(const char* what, double sensitivity = 0.5, double min_gap = 0.05) {
    music::detect_spec spec;
    EXPECT_TRUE(music::parse_instrument(what, spec)) << what;
    spec.sensitivity = sensitivity;
    spec.min_gap = min_gap;
    return spec;
}

// How many hits a track finds in the mix at sensitivity 0, 0.5 and 1: the softer rolls, plucks and bass
// notes come in as it rises. (Every kick and hat of the mix is found at any sensitivity.)
TEST(DetectEvents, AHigherSensitivityFindsMoreOfTheMix) {
    const mix m = make_mix();
    const std::size_t frames = m.samples.size() / 2;
    const std::tuple<const char*, std::size_t, std::size_t, std::size_t> counts[] = {
        {"snare", 11, 13, 13}, {"onsets", 57, 63, 63}, {"100-400", 11, 21, 23}, {"2000-8000", 12, 14, 32}};
    for (const auto& [what, at_0, at_half, at_1] : counts) {
        std::vector<std::size_t> found;
        for (const double sensitivity : {0.0, 0.5, 1.0})
            found.push_back(music::detect_events(m.samples.data(), frames, 2, rate, spec_of(what, sensitivity)).size());
        EXPECT_EQ(found, (std::vector<std::size_t>{at_0, at_half, at_1})) << what;
    }
}

// A roll of equal noise bursts 60 ms apart: every burst is a hit, and min_gap keeps only those far enough
// from the last one kept.
TEST(DetectEvents, MinGapThinsARoll) {
    constexpr double step = 0.06;
    std::vector<float> roll(static_cast<std::size_t>(2.0 * rate), 0.0f);
    std::mt19937 g(3);
    std::normal_distribution<double> noise(0.0, 0.3);
    for (int k = 0; k < 16; ++k) {
        const auto start = static_cast<std::size_t>((0.5 + step * k) * rate);
        for (std::size_t i = 0; i < static_cast<std::size_t>(0.05 * rate); ++i)
            roll[start + i] += static_cast<float>(noise(g) * std::exp(-static_cast<double>(i) / (0.01 * rate)));
    }
    const std::tuple<const char*, double, std::size_t> cases[] = {
        {"onsets", 0.0, 16}, {"onsets", 0.1, 8}, {"onsets", 0.2, 4}, {"2000-8000", 0.0, 16}, {"2000-8000", 0.1, 8},
        {"2000-8000", 0.2, 4}, {"snare", 0.0, 16}, {"snare", 0.1, 8}};
    for (const auto& [what, gap, count] : cases) {
        const auto found = music::detect_events(roll.data(), roll.size(), 1, rate, spec_of(what, 0.5, gap));
        EXPECT_EQ(found.size(), count) << what << " " << gap;
        for (std::size_t i = 1; i < found.size(); ++i) EXPECT_GE(found[i].start - found[i - 1].start, gap) << what;
        for (const music::event& e : found) {
            const double k = std::round((e.start - 0.5) / step);
            EXPECT_NEAR(e.start, 0.5 + step * k, 0.012) << what << ": not on a burst";
        }
    }
}

// A band track finds the same events alone and beside drum tracks and other bands (each band analysed as
// its own).
TEST(DetectEvents, ABandTrackFindsTheSameEventsAloneAndBesideOthers) {
    const mix m = make_mix();
    const std::size_t frames = m.samples.size() / 2;
    const music::detect_spec low = spec_of("100-400"), high = spec_of("2000-8000");
    const auto alone_low = music::detect_events(m.samples.data(), frames, 2, rate, low);
    const auto alone_high = music::detect_events(m.samples.data(), frames, 2, rate, high);
    ASSERT_FALSE(alone_low.empty());
    ASSERT_FALSE(alone_high.empty());
    const auto starts = [](const std::vector<music::event>& events) {
        std::vector<double> out;
        for (const music::event& e : events) out.push_back(e.start);
        return out;
    };
    for (const std::vector<music::detect_spec>& specs :
         {std::vector{spec_of("kick"), low}, std::vector{low, spec_of("kick"), high}, std::vector{spec_of("hat"), high, spec_of("snare"), low}}) {
        const auto tracks = music::detect_tracks(m.samples.data(), frames, 2, rate, specs);
        for (std::size_t i = 0; i < specs.size(); ++i) {
            if (specs[i] == low || specs[i] == high) {
                EXPECT_EQ(starts(tracks[i]), starts(specs[i] == low ? alone_low : alone_high)) << "track " << i << " of " << specs.size();
            }
        }
    }
}

TEST(DetectEvents, RefusesSpecsOutOfRange) {
    const std::vector<float> silence(4410, 0.0f);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    music::detect_spec band;
    ASSERT_TRUE(music::parse_instrument("200-2000", band));
    EXPECT_EQ(band.what, music::instrument::band);
    EXPECT_EQ(band.low_hz, 200.0);
    EXPECT_EQ(band.high_hz, 2000.0);
    EXPECT_TRUE(music::detect_events(silence.data(), silence.size(), 1, rate, band).empty());
    for (const char* bad : {"", "bass", "2000-200", "-200", "200-", "1e3-2e3", "0x10-20", "5-200000"}) {
        music::detect_spec spec;
        EXPECT_FALSE(music::parse_instrument(bad, spec)) << bad;
    }
    const auto refused = [&](auto change) {
        music::detect_spec spec;
        change(spec);
        EXPECT_THROW(music::detect_events(silence.data(), silence.size(), 1, rate, spec), music::detect_error);
    };
    refused([&](music::detect_spec& s) { s.sensitivity = nan; });
    refused([](music::detect_spec& s) { s.sensitivity = 1.5; });
    refused([](music::detect_spec& s) { s.min_gap = -0.1; });
    refused([](music::detect_spec& s) { s.length = 0.0; });
    refused([](music::detect_spec& s) { s.value = std::numeric_limits<double>::infinity(); });
    refused([](music::detect_spec& s) { s = {music::instrument::band, 300.0, 100.0}; });
    EXPECT_THROW(music::detect_events(silence.data(), silence.size(), 0, rate, {}), music::detect_error);
    EXPECT_THROW(music::detect_events(silence.data(), silence.size(), 1, 100, {}), music::detect_error);
}

} // namespace
