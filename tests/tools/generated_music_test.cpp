#include "generated_assets.hpp"

#include "sound/sound_state.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int rate = 44100;

// Decodes the music through SDL's own loader, as the player does.
class GeneratedMusic : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto file = (tools_test::generated_assets() / "dat_bass.wav").string();
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV_RW(SDL_RWFromFile(file.c_str(), "rb"), 1, &spec, &buffer, &length), nullptr)
            << SDL_GetError();
        samples.assign(reinterpret_cast<const std::int16_t*>(buffer),
                       reinterpret_cast<const std::int16_t*>(buffer) + length / 2);
        SDL_FreeWAV(buffer);
    }

    // Mean square of both channels over frames [from, to).
    static double energy(long from, long to) {
        double sum = 0.0;
        for (long f = std::max(from, 0L); f < to; ++f) {
            const double l = samples[2 * f];
            const double r = samples[2 * f + 1];
            sum += l * l + r * r;
        }
        return sum / static_cast<double>(2 * (to - from));
    }

    static long frame(double t) { return std::lround(t * rate); }

    static inline SDL_AudioSpec spec{};
    static inline std::vector<std::int16_t> samples;
};

TEST_F(GeneratedMusic, IsEightySecondsOfSixteenBitStereoAt44100) {
    EXPECT_EQ(spec.freq, rate);
    EXPECT_EQ(spec.format, AUDIO_S16LSB);
    EXPECT_EQ(spec.channels, 2);
    EXPECT_EQ(samples.size(), static_cast<std::size_t>(80 * rate * 2));
}

TEST_F(GeneratedMusic, PeakStaysBelowFullScaleAndTheFadeEndsInSilence) {
    int peak = 0;
    for (const std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32767);
    EXPECT_GT(peak, 16384); // normalised, not timid
    const auto silent_from = samples.begin() + 2 * frame(75.3);
    EXPECT_TRUE(std::all_of(silent_from, samples.end(), [](std::int16_t s) { return s == 0; }));
    // Calm opening, louder main section, fading at the end.
    const double opening = energy(frame(5.0), frame(26.0));
    const double main = energy(frame(27.0), frame(46.0));
    const double fading = energy(frame(74.0), frame(75.0));
    EXPECT_LT(opening, 0.5 * main);
    EXPECT_LT(fading, 0.1 * main);
}

// Every start of the kick and snare tracks before 75 s must be heard there: the short-time energy,
// in 1 ms frames, first jumps above twice the loudest frame of the preceding 30 ms within 5 ms of it.
TEST_F(GeneratedMusic, DrumOnsetsFallOnTheEventTrackStarts) {
    const sound_state score;
    constexpr long ms = rate / 1000;
    for (const int track : {2, 3}) {
        for (const double start : score.starts[track]) {
            if (start >= 75.0) continue;
            SCOPED_TRACE("track " + std::to_string(track) + " at " + std::to_string(start));
            const long at = frame(start);
            double before = 1.0; // the silence before the first sample still counts as a floor
            for (long f = at - 30 * ms; f < at - 8 * ms; f += ms / 2) before = std::max(before, energy(f, f + ms));
            long onset = -1;
            for (long f = at - 30 * ms; f < at + 20 * ms && onset < 0; f += ms / 4) {
                if (energy(f, f + ms) > 2.0 * before) onset = f + ms;
            }
            ASSERT_GE(onset, 0) << "no onset";
            EXPECT_LE(std::abs(onset - at), 5 * ms) << "onset " << (onset - at) / static_cast<double>(ms) << " ms off";
        }
    }
}

} // namespace
