// Feeds arbitrary bytes as a piece file through the reader and checker. Besides memory and UB errors it
// checks that every refusal is a piece_error of the form "<file>:<line>:<column>: <what>" (the file a scene
// act names, read from the disk, speaks for itself), and that an
// accepted piece can be evaluated at any time without trouble, every value it gives at a finite time finite.

#include "piece/camera_rows.hpp"
#include "piece/read_piece.hpp"
#include "piece/scene_values.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

namespace {

const std::regex message(".+:[1-9][0-9]*:[1-9][0-9]*: .+", std::regex::extended);

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool finite(const scene_state& s) {
    for (std::size_t k = 0; k < s.light_positions.size(); ++k)
        if (!finite(s.light_positions[k]) || !finite(s.light_intensities[k])) return false;
    if (!finite(s.ambient) || !std::isfinite(s.desaturate) || !std::isfinite(s.fade)) return false;
    for (const uniform_value& u : s.uniforms)
        if (!finite(u.value)) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    piece::piece_data p;
    try {
        p = piece::read_piece_text(text, "piece.toml");
    } catch (const piece::piece_error& e) {
        if (!std::regex_match(e.what(), message)) std::abort();
        return 0;
    }
    for (const double t : {-1.0, 0.0, 0.5, 13.0, 26.6, 1e6, 1e300, std::nan("")}) {
        const scene_state s = piece::scene_values(p, t);
        if (s.uniforms.size() > p.curves.size()) std::abort();
        const auto pose = piece::camera_pose_at(p, t);
        const piece::section* section = piece::section_at(p, t);
        if (std::isnan(t)) continue;
        if (!finite(s)) std::abort();
        if (pose && (!finite(pose->position) || !std::isfinite(pose->tilt) || !std::isfinite(pose->pan))) std::abort();
        if (section != nullptr)
            for (const piece::emitter& e : section->emitters)
                if (!finite(piece::value_at(e.origin, t)) || !finite(piece::value_at(e.direction, t))) std::abort();
    }
    return 0;
}
