#include "music/detect_events.hpp"

#include "music/band_energy.hpp"
#include "music/hit_picking.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace music {

namespace {

void require(bool ok, const char* what) {
    if (!ok) throw detect_error(what);
}

} // namespace

std::vector<std::vector<event>> detect_tracks(const float* interleaved, std::size_t frames, int channels, int rate,
                                              const std::vector<detect_spec>& specs) {
    for (const detect_spec& spec : specs) validate(spec);
    require(channels >= 1 && channels <= 64, "channels must be from 1 to 64");
    if (rate < min_rate || rate > max_rate) {
        throw detect_error("a sample rate of " + std::to_string(rate) + " Hz, " +
                           (rate < min_rate ? "below the " + std::to_string(min_rate) : "above the " + std::to_string(max_rate)) +
                           " Hz the detection takes");
    }
    require(frames == 0 || interleaved != nullptr, "no samples");
    std::vector<std::vector<event>> tracks(specs.size());
    if (frames == 0 || specs.empty()) return tracks;

    const analysis a = analyse(mix_to_mono(interleaved, frames, channels), rate, specs);
    std::size_t band_number = 0;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        for (const double s : find_hits(a, specs[i], band_number)) tracks[i].push_back({s, s + specs[i].length, specs[i].value});
        if (specs[i].what == instrument::band) ++band_number;
    }
    return tracks;
}

std::vector<event> detect_events(const float* interleaved, std::size_t frames, int channels, int rate,
                                 const detect_spec& spec) {
    return detect_tracks(interleaved, frames, channels, rate, {spec}).front();
}

} // namespace music
