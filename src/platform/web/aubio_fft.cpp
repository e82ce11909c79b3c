// The few aubio calls the music texture makes, for the browser build: Debian builds aubio for the
// desktop only. A radix-2 transform in double precision fills aubio's compact complex layout (the real
// parts of bins 0 to N/2, then the imaginary parts from bin N/2 - 1 down to bin 1), so the magnitudes are
// aubio's up to single-precision rounding.
#include <aubio/aubio.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

struct _aubio_fft_t {
    uint_t size;
    std::vector<std::complex<double>> work;
};

namespace {

// In place, for a power-of-two size.
void transform(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        for (std::size_t start = 0; start < n; start += length) {
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
                const std::complex<double> u = a[start + k];
                const std::complex<double> v = a[start + k + length / 2] * w;
                a[start + k] = u + v;
                a[start + k + length / 2] = u - v;
            }
        }
    }
}

} // namespace

extern "C" {

fvec_t* new_fvec(uint_t length) {
    if (length == 0) return nullptr;
    auto* v = static_cast<fvec_t*>(std::calloc(1, sizeof(fvec_t)));
    if (v == nullptr) return nullptr;
    v->length = length;
    v->data = static_cast<smpl_t*>(std::calloc(length, sizeof(smpl_t)));
    if (v->data == nullptr) {
        std::free(v);
        return nullptr;
    }
    return v;
}

void del_fvec(fvec_t* v) {
    if (v == nullptr) return;
    std::free(v->data);
    std::free(v);
}

aubio_fft_t* new_aubio_fft(uint_t size) {
    if (size < 2 || (size & (size - 1)) != 0) return nullptr;
    return new aubio_fft_t{size, std::vector<std::complex<double>>(size)};
}

void del_aubio_fft(aubio_fft_t* fft) {
    delete fft;
}

void aubio_fft_do_complex(aubio_fft_t* fft, const fvec_t* input, fvec_t* compspec) {
    const uint_t n = fft->size;
    for (uint_t i = 0; i < n; ++i)
        fft->work[i] = input->data[i];
    transform(fft->work);
    for (uint_t k = 0; k <= n / 2; ++k)
        compspec->data[k] = static_cast<smpl_t>(fft->work[k].real());
    for (uint_t k = 1; k < n / 2; ++k)
        compspec->data[n - k] = static_cast<smpl_t>(fft->work[k].imag());
}

// A Hann window, aubio's "hanningz" (the only kind the engine asks for).
fvec_t* new_aubio_window(char_t*, uint_t size) {
    fvec_t* w = new_fvec(size);
    if (w == nullptr) return nullptr;
    for (uint_t i = 0; i < size; ++i)
        w->data[i] = static_cast<smpl_t>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / size));
    return w;
}

} // extern "C"
