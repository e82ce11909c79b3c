#include "music/music_spectrum.hpp"

#include "music/band_energy.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <stdexcept>
#include <string>

namespace music {

music_spectrum::music_spectrum(std::span<const float> interleaved, int channels, int rate)
    : sample_rate(rate)
    , fft(new_aubio_fft(fft_size))
    , frame(new_fvec(fft_size))
    , spectrum(new_fvec(fft_size)) {
    if (channels < 1 || channels > 8) {
        throw std::invalid_argument("music_spectrum: " + std::to_string(channels) +
                                    " channels (1 to 8 are possible)");
    }
    if (rate < 1000 || rate > 384000) {
        throw std::invalid_argument("music_spectrum: a rate of " + std::to_string(rate) +
                                    " Hz (1000 to 384000 are possible)");
    }
    if (interleaved.size() % static_cast<std::size_t>(channels) != 0) {
        throw std::invalid_argument("music_spectrum: " + std::to_string(interleaved.size()) +
                                    " samples are no whole " + "number of " + std::to_string(channels) +
                                    "-channel frames");
    }
    if (!fft || !frame || !spectrum) throw std::bad_alloc();
    mono = mix_to_mono(interleaved.data(), interleaved.size() / static_cast<std::size_t>(channels), channels);
    // Blackman with alpha 0.16 over the whole transform length.
    for (std::size_t i = 0; i < fft_size; ++i) {
        const double x = 2.0 * std::numbers::pi * static_cast<double>(i) / fft_size;
        window[i] = static_cast<float>(0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x));
    }
    reset();
}

void music_spectrum::reset() {
    smoothed.fill(0.0);
    bytes.fill(0);
    std::fill(bytes.begin() + bins, bytes.end(), std::uint8_t{128});
}

float music_spectrum::sample(std::int64_t i) const {
    if (i < 0 || i >= static_cast<std::int64_t>(mono.size())) return 0.0f;
    const float v = mono[static_cast<std::size_t>(i)];
    return std::isfinite(v) ? v : 0.0f;
}

const music_spectrum::rows& music_spectrum::step(double t) {
    // Far outside any music (2^50 samples is centuries) when t is not finite or huge.
    constexpr double far = 1125899906842624.0;
    const double position = std::isfinite(t) ? std::clamp(std::floor(t * sample_rate), -far, far) : -far;
    const auto end = static_cast<std::int64_t>(position);

    const auto n = static_cast<std::int64_t>(fft_size);
    for (std::int64_t i = 0; i < n; ++i) {
        frame->data[i] = sample(end - n + i) * window[static_cast<std::size_t>(i)];
    }
    aubio_fft_do_complex(fft.get(), frame.get(), spectrum.get());
    // aubio's compact layout: the real parts of bins 0 to N/2, then the imaginary parts from bin N/2 - 1
    // down to bin 1.
    const float* c = spectrum->data;
    const double range = max_decibels - min_decibels;
    for (std::size_t k = 0; k < bins; ++k) {
        const double re = c[k];
        const double im = k == 0 ? 0.0 : c[fft_size - k];
        const double magnitude = std::sqrt(re * re + im * im) / fft_size;
        double& s = smoothed[k];
        s = smoothing * s + (1.0 - smoothing) * magnitude;
        if (!std::isfinite(s)) s = 0.0;
        const double decibels = s > 0.0 ? 20.0 * std::log10(s) : min_decibels;
        const double scaled = std::floor(255.0 / range * (decibels - min_decibels));
        bytes[k] = static_cast<std::uint8_t>(std::clamp(scaled, 0.0, 255.0));
    }
    const auto wave = static_cast<std::int64_t>(waveform_samples);
    for (std::int64_t i = 0; i < wave; ++i) {
        const double scaled = std::floor(128.0 * (static_cast<double>(sample(end - wave + i)) + 1.0));
        bytes[bins + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(scaled, 0.0, 255.0));
    }
    return bytes;
}

} // namespace music
