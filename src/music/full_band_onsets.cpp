#include "music/full_band_onsets.hpp"

#include "music/aubio_owners.hpp"

#include <aubio/aubio.h>

#include <algorithm>
#include <memory>
#include <new>

namespace music {

namespace {

constexpr unsigned window = 512;
constexpr unsigned hop = 256;

} // namespace

std::vector<double> full_band_onsets(const std::vector<float>& mono, int rate, double threshold) {
    onset_ptr onset(new_aubio_onset("default", window, hop, static_cast<uint_t>(rate)));
    fvec_ptr in(new_fvec(hop));
    fvec_ptr out(new_fvec(1));
    if (!onset || !in || !out) throw std::bad_alloc();
    aubio_onset_set_threshold(onset.get(), static_cast<smpl_t>(threshold));

    std::vector<double> times;
    for (std::size_t at = 0; at < mono.size(); at += hop) {
        const std::size_t n = std::min<std::size_t>(hop, mono.size() - at);
        std::copy_n(mono.begin() + static_cast<std::ptrdiff_t>(at), n, in->data);
        std::fill(in->data + n, in->data + hop, 0.0f);
        aubio_onset_do(onset.get(), in.get(), out.get());
        if (out->data[0] != 0.0f) times.push_back(std::max(0.0, static_cast<double>(aubio_onset_get_last_s(onset.get()))));
    }
    return times;
}

} // namespace music
