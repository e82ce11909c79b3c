#include "music/music_spectrum.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

using music::music_spectrum;

constexpr int rate = 44100;

// Two seconds of a sine in both channels of stereo frames.
std::vector<float> stereo_sine(double hz, double amplitude) {
    std::vector<float> samples(2 * 2 * rate);
    for (std::size_t i = 0; i < samples.size() / 2; ++i) {
        const auto v = static_cast<float>(
            amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate));
        samples[2 * i] = samples[2 * i + 1] = v;
    }
    return samples;
}

std::vector<int> spectrum_row(const music_spectrum::rows& rows) {
    return {rows.begin(), rows.begin() + music_spectrum::bins};
}

TEST(MusicSpectrum, ToneLandsInItsBinWithWebAudiosLevel) {
    // Peak bin (f x 2048 / 44100 rounded) and its byte after one step from rest: a half-scale sine through
    // the Blackman window, divided by 2048, a fifth of it after smoothing, -100..-30 dB onto 0..255.
    struct tone {
        double hz;
        int bin;
        int level;
    };
    for (const tone t : {tone{50, 2, 240}, tone{440, 20, 239}, tone{1000, 46, 238}, tone{2500, 116, 241},
                         tone{5000, 232, 241}, tone{10000, 464, 239}, tone{11000, 511, 241}}) {
        music_spectrum spectrum(stereo_sine(t.hz, 0.5), 2, rate);
        const std::vector<int> row = spectrum_row(spectrum.step(1.0));
        const auto peak = std::max_element(row.begin(), row.end());
        EXPECT_EQ(peak - row.begin(), t.bin) << t.hz << " Hz";
        EXPECT_EQ(*peak, t.level) << t.hz << " Hz";
    }
}

TEST(MusicSpectrum, SmoothingAndDecibelsOfAToneOnABin) {
    // 1378.125 Hz is bin 64 exactly: the window's three cosines put 0.21, 0.125 and 0.02 of the amplitude
    // into bins 64, 63/65 and 62/66 and nothing anywhere else. Smoothed from rest: 0.2 of that after one
    // step, 0.2 + 0.8 x 0.2 after two.
    music_spectrum spectrum(stereo_sine(64.0 * rate / 2048.0, 0.25), 2, rate);
    std::vector<int> first(music_spectrum::bins, 0);
    std::vector<int> second(music_spectrum::bins, 0);
    const int lobe[5] = {145, 203, 220, 203, 145};
    const int lobe_twice[5] = {164, 222, 238, 222, 164};
    for (std::size_t i = 0; i < 5; ++i) {
        first[62 + i] = lobe[i];
        second[62 + i] = lobe_twice[i];
    }
    EXPECT_EQ(spectrum_row(spectrum.step(1.0)), first);
    EXPECT_EQ(spectrum_row(spectrum.step(1.0 + 1.0 / 60.0)), second);
    spectrum.reset();
    EXPECT_EQ(spectrum_row(spectrum.step(1.5)), first) << "reset forgets the smoothing";
}

TEST(MusicSpectrum, WindowsEndAtTheTimeWithSilenceOutsideTheMusic) {
    // Channels mixed to their mean: 0.5 and -0.25 read 0.125, the byte 128 x 1.125 = 144.
    constexpr int r = 32768; // t x r is exact for the times below
    std::vector<float> samples(2 * 4000);
    for (std::size_t i = 0; i < samples.size(); i += 2) {
        samples[i] = 0.5f;
        samples[i + 1] = -0.25f;
    }
    music_spectrum spectrum(samples, 2, r);
    const auto wave = [](const music_spectrum::rows& rows, std::size_t i) {
        return int(rows[music_spectrum::bins + i]);
    };
    struct expectation {
        double t;
        std::size_t first_sound; // index in the row of the first sample inside the music
        std::size_t last_sound;  // one past the last
    };
    for (const expectation e :
         {expectation{256.0 / r, 256, 512}, expectation{700.0 / r, 0, 512}, expectation{4100.0 / r, 0, 412},
          expectation{-1.0, 0, 0}, expectation{INFINITY, 0, 0}, expectation{NAN, 0, 0}}) {
        const music_spectrum::rows& rows = spectrum.step(e.t);
        for (std::size_t i = 0; i < music_spectrum::waveform_samples; ++i) {
            const bool sound = i >= e.first_sound && i < e.last_sound;
            ASSERT_EQ(wave(rows, i), sound ? 144 : 128) << "t = " << e.t << ", sample " << i;
        }
    }
    spectrum.reset();
    EXPECT_EQ(spectrum_row(spectrum.step(0.0)), std::vector<int>(music_spectrum::bins, 0)) << "silence";
    // Halfway into the music the transform's window holds its second half: bin 0 is 0.125 times that half's
    // sum (430.58) over 2048, a fifth of it after one step: -45.59 dB.
    spectrum.reset();
    EXPECT_EQ(spectrum.step(1024.0 / r)[0], 198);
}

TEST(MusicSpectrum, RefusesWhatItCannotRead) {
    const std::vector<float> three(3, 0.0f);
    EXPECT_THROW(music_spectrum(three, 2, rate), std::invalid_argument);
    EXPECT_THROW(music_spectrum(three, 0, rate), std::invalid_argument);
    EXPECT_THROW(music_spectrum(three, 9, rate), std::invalid_argument);
    EXPECT_THROW(music_spectrum(three, 1, 999), std::invalid_argument);
    EXPECT_THROW(music_spectrum(three, 1, 384001), std::invalid_argument);
    EXPECT_NO_THROW(music_spectrum(three, 3, 1000));
}

} // namespace
