#pragma once
// Owners of the aubio objects the detection makes, each released with aubio's own del_ function.

#include <aubio/aubio.h>

#include <memory>

namespace music {

struct aubio_fft_deleter {
    void operator()(aubio_fft_t* f) const { del_aubio_fft(f); }
};
struct aubio_onset_deleter {
    void operator()(aubio_onset_t* o) const { del_aubio_onset(o); }
};
struct fvec_deleter {
    void operator()(fvec_t* v) const { del_fvec(v); }
};

using fft_ptr = std::unique_ptr<aubio_fft_t, aubio_fft_deleter>;
using onset_ptr = std::unique_ptr<aubio_onset_t, aubio_onset_deleter>;
using fvec_ptr = std::unique_ptr<fvec_t, fvec_deleter>;

} // namespace music
