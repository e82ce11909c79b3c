// Feeds arbitrary bytes as a piece file through the reader and checker. Besides memory and UB errors it
// checks that every refusal is a piece_error of the form "<file>:<line>:<column>: <what>", and that an
// accepted piece can be evaluated at any time without trouble.

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

const std::regex message("piece\\.toml:[1-9][0-9]*:[1-9][0-9]*: .+", std::regex::extended);

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
    for (const double t : {-1.0, 0.0, 0.5, 13.0, 26.6, 1e6, std::nan("")}) {
        const scene_state s = piece::scene_values(p, t);
        if (s.uniforms.size() > p.curves.size()) std::abort();
        (void)piece::camera_pose_at(p, t);
        (void)piece::section_at(p, t);
    }
    return 0;
}
