// The band energies every detection starts from: a sine at a bin centre puts exactly the Hann window's
// share of its power into its bin and its two neighbours, whatever its phase, frame after frame.

#include "music/band_energy.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

TEST(BandEnergy, ASineAtABinCentreFillsItsBinAndNeighboursWhateverItsPhase) {
    constexpr int rate = 44100;
    constexpr int window = 512; // the short window at this rate
    constexpr double bin_hz = static_cast<double>(rate) / window;
    constexpr double amplitude = 0.5;
    std::vector<float> mono(rate / 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * 20.0 * bin_hz * static_cast<double>(i) / rate + 0.3));
    const auto at = [&](double bin) { return bin * bin_hz; };
    const std::vector<music::band> bands{{at(20) - 1, at(20) + 1, 1}, {at(21) - 1, at(21) + 1, 1}, {at(19) - 1, at(19) + 1, 1},
                                         {at(23) - 1, at(40) + 1, 1}};
    const music::band_energies e = music::measure_bands(mono, rate, bands);
    ASSERT_EQ(e.short_window, window);
    ASSERT_EQ(e.hop, window / 4);
    // A periodic Hann window of N samples gives the bin |X| = A N / 4, each neighbour A N / 8, the rest 0.
    const double centre = std::pow(amplitude * window / 4, 2), side = std::pow(amplitude * window / 8, 2);
    for (std::size_t n = 3; n < e.frames(); ++n) { // from the first frame whose window lies within the sine
        SCOPED_TRACE(n);
        EXPECT_NEAR(e.energy[0][n], centre, 1e-4 * centre);
        EXPECT_NEAR(e.energy[1][n], side, 1e-4 * centre);
        EXPECT_NEAR(e.energy[2][n], side, 1e-4 * centre);
        EXPECT_LT(e.energy[3][n], 1e-6 * centre);
    }
}

} // namespace
