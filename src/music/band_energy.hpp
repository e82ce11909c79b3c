#pragma once

#include <cstddef>
#include <vector>

namespace music {

// A frequency band whose energy is followed frame by frame, measured with the short window (good timing),
// twice or four times as long (resolves the low frequencies).
struct band {
    double low_hz;
    double high_hz;
    int window_scale; // 1, 2 or 4
    bool texture = false; // also measure how tonal the band is (short window only)
};

// Energy per band and frame of a mono signal. Frames advance by `hop` samples; frame n's windows end at
// sample (n + 1) * hop.
struct band_energies {
    int rate = 0;
    int hop = 0;
    int short_window = 0;
    std::vector<std::vector<double>> energy; // per band, per frame
    // Bands with `texture` only (empty for the others): the summed rise of the bins' energies over the last `flux_lag` frames, and
    // the largest single bin's rise. A tone starting puts its rise into a few bins, noise spreads it.
    std::vector<std::vector<double>> flux;
    std::vector<std::vector<double>> flux_peak;
    // Bands with `texture` only: the largest single bin's energy (a tone's share of the band).
    std::vector<std::vector<double>> energy_peak;
    static constexpr std::size_t flux_lag = 3;

    std::size_t frames() const { return energy.empty() ? 0 : energy.front().size(); }
    double seconds(double frame) const { return frame * hop / rate; }
    // Time at which frame n's short window ends.
    double end_time(std::size_t n) const { return static_cast<double>(n + 1) * hop / rate; }
};

// The windows and hop scale with the rate: about 12, 23 and 46 ms windows, 2.9 ms hop.
band_energies measure_bands(const std::vector<float>& mono, int rate, const std::vector<band>& bands);

// The channels' mean.
std::vector<float> mix_to_mono(const float* interleaved, std::size_t frames, int channels);

} // namespace music
