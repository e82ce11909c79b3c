#include "music/detect_events.hpp"

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

// The checks of a track's detection settings, apart from the detection itself: a piece reader without the
// analysis (the browser's) checks its tracks by these same rules.
namespace music {

namespace {

void require(bool ok, const char* what) {
    if (!ok) throw detect_error(what);
}

} // namespace

void validate(const detect_spec& spec) {
    require(std::isfinite(spec.sensitivity) && spec.sensitivity >= 0.0 && spec.sensitivity <= 1.0,
            "sensitivity must be a number from 0 to 1");
    require(std::isfinite(spec.min_gap) && spec.min_gap >= 0.0 && spec.min_gap <= 10.0,
            "min_gap must be from 0 to 10 seconds");
    require(std::isfinite(spec.length) && spec.length > 0.0 && spec.length <= 60.0,
            "length must be above 0 and at most 60 seconds");
    require(std::isfinite(spec.value) && std::abs(spec.value) <= 1e6, "value must be a number from -1e6 to 1e6");
    if (spec.what == instrument::band) {
        require(std::isfinite(spec.low_hz) && std::isfinite(spec.high_hz) && spec.low_hz >= 0.0 &&
                    spec.low_hz < spec.high_hz && spec.high_hz <= 100000.0,
                "a band needs 0 <= low < high <= 100000 Hz");
    }
}

bool parse_instrument(const std::string& text, detect_spec& spec) {
    static const std::pair<const char*, instrument> names[] = {
        {"kick", instrument::kick}, {"snare", instrument::snare}, {"hat", instrument::hat}, {"onsets", instrument::onsets}};
    for (const auto& [name, what] : names) {
        if (text == name) {
            spec.what = what;
            return true;
        }
    }
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == text.size()) return false;
    const auto number = [](const std::string& s, double& out) {
        if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789.") != std::string::npos) return false;
        char* end = nullptr;
        out = std::strtod(s.c_str(), &end);
        return end == s.c_str() + s.size() && std::isfinite(out);
    };
    double low = 0.0, high = 0.0;
    if (!number(text.substr(0, dash), low) || !number(text.substr(dash + 1), high)) return false;
    if (!(low < high) || high > 100000.0) return false;
    spec.what = instrument::band;
    spec.low_hz = low;
    spec.high_hz = high;
    return true;
}

} // namespace music
