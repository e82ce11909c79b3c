#include "music/band_energy.hpp"

#include "music/aubio_owners.hpp"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace music {

namespace {

// One window length's transform with the bins of each band it serves. Only the magnitudes are needed, so
// the complex spectrum is taken as it is (no phases computed).
struct analyser {
    fft_ptr fft;
    fvec_ptr window;   // Hann
    fvec_ptr frame;    // the windowed last samples
    fvec_ptr spectrum; // aubio's compact complex layout
    std::vector<double> power; // per bin
    std::vector<std::pair<std::size_t, std::size_t>> bins; // per band: [first, last)

    // Power spectrum of the `size` samples ending at `end` (zeros before the signal's start).
    void run(const std::vector<float>& mono, std::size_t end) {
        const std::size_t size = window->length;
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t back = size - i;
            frame->data[i] = back <= end ? mono[end - back] * window->data[i] : 0.0f;
        }
        aubio_fft_do_complex(fft.get(), frame.get(), spectrum.get());
        const float* c = spectrum->data;
        power[0] = double(c[0]) * c[0];
        for (std::size_t k = 1; k < size / 2; ++k) power[k] = double(c[k]) * c[k] + double(c[size - k]) * c[size - k];
        power[size / 2] = double(c[size / 2]) * c[size / 2];
    }
};

analyser make_analyser(unsigned window, int rate, const std::vector<band>& bands, int scale) {
    analyser a{fft_ptr(new_aubio_fft(window)), fvec_ptr(new_aubio_window(const_cast<char*>("hanningz"), window)),
               fvec_ptr(new_fvec(window)), fvec_ptr(new_fvec(window)), std::vector<double>(window / 2 + 1), {}};
    if (!a.fft || !a.window || !a.frame || !a.spectrum) throw std::bad_alloc();
    const double bin_hz = static_cast<double>(rate) / window;
    const std::size_t count = window / 2 + 1;
    for (const band& b : bands) {
        if (b.window_scale != scale) {
            a.bins.emplace_back(0, 0);
            continue;
        }
        const auto first = static_cast<std::size_t>(std::clamp(std::ceil(b.low_hz / bin_hz), 0.0, double(count)));
        const auto last = static_cast<std::size_t>(std::clamp(std::floor(b.high_hz / bin_hz) + 1.0, 0.0, double(count)));
        a.bins.emplace_back(first, std::min(count, std::max(first + 1, last)));
    }
    return a;
}

} // namespace

std::vector<float> mix_to_mono(const float* interleaved, std::size_t frames, int channels) {
    std::vector<float> mono(frames);
    const auto c = static_cast<std::size_t>(channels);
    const float scale = 1.0f / static_cast<float>(channels);
    for (std::size_t i = 0; i < frames; ++i) {
        float sum = 0.0f;
        for (std::size_t k = 0; k < c; ++k) sum += interleaved[i * c + k];
        mono[i] = sum * scale;
    }
    return mono;
}

band_energies measure_bands(const std::vector<float>& mono, int rate, const std::vector<band>& bands) {
    // Powers of two near 12 ms and 46 ms at this rate.
    unsigned short_window = 64;
    while (short_window * 2 <= static_cast<unsigned>(rate) / 80) short_window *= 2;
    const unsigned hop = short_window / 4;
    std::vector<analyser> analysers;
    for (const int scale : {1, 2, 4}) {
        analysers.push_back(make_analyser(short_window * static_cast<unsigned>(scale), rate, bands, scale));
    }

    band_energies out;
    out.rate = rate;
    out.hop = static_cast<int>(hop);
    out.short_window = static_cast<int>(short_window);
    const std::size_t frames = mono.size() / hop;
    out.energy.assign(bands.size(), std::vector<double>(frames, 0.0));
    out.flux.resize(bands.size());
    for (std::size_t b = 0; b < bands.size(); ++b) {
        if (bands[b].texture && bands[b].window_scale == 1) out.flux[b].assign(frames, 0.0);
    }
    out.flux_peak = out.flux;
    out.energy_peak = out.flux;
    // The short window's bin energies of the last flux_lag + 1 frames, oldest first.
    const std::size_t short_bins = short_window / 2 + 1;
    std::vector<std::vector<double>> history(band_energies::flux_lag + 1, std::vector<double>(short_bins, 0.0));
    for (std::size_t n = 0; n < frames; ++n) {
        for (analyser& a : analysers) {
            a.run(mono, (n + 1) * hop);
            for (std::size_t b = 0; b < bands.size(); ++b) {
                double sum = 0.0;
                for (std::size_t k = a.bins[b].first; k < a.bins[b].second; ++k) sum += a.power[k];
                if (a.bins[b].second > 0) out.energy[b][n] = sum;
            }
        }
        std::rotate(history.begin(), history.begin() + 1, history.end());
        std::vector<double>& now = history.back();
        std::copy_n(analysers.front().power.begin(), short_bins, now.begin());
        const std::vector<double>& then = history.front();
        for (std::size_t b = 0; b < bands.size(); ++b) {
            if (out.flux[b].empty()) continue;
            double sum = 0.0, peak = 0.0, top = 0.0;
            for (std::size_t k = analysers.front().bins[b].first; k < analysers.front().bins[b].second; ++k) {
                const double rise = std::max(0.0, now[k] - then[k]);
                sum += rise;
                peak = std::max(peak, rise);
                top = std::max(top, now[k]);
            }
            out.energy_peak[b][n] = top;
            out.flux[b][n] = sum;
            out.flux_peak[b][n] = peak;
        }
    }
    return out;
}

} // namespace music
