#include "model_text.hpp"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t uv_tile = 64; // texture coordinates repeat every 64 quads
constexpr std::size_t normal_count = 2048;

// A small fixed generator so the text does not depend on the standard library's distributions.
struct lcg {
    std::uint64_t state;
    double next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    }
};

void append(std::string& out, const char* format, double a, double b, double c) {
    char line[96];
    const int n = std::snprintf(line, sizeof line, format, a, b, c);
    out.append(line, static_cast<std::size_t>(n));
}

} // namespace

std::size_t write_model_text(const std::filesystem::path& path, std::size_t triangle_count) {
    // A grid of columns x rows quads, two triangles each, about 5:3.
    const auto quads = triangle_count / 2;
    std::size_t rows = static_cast<std::size_t>(std::sqrt(static_cast<double>(quads) * 0.6));
    while (quads % rows != 0)
        --rows;
    const std::size_t columns = quads / rows;

    std::string text = "# generated height field\no field\n";
    lcg random{42};
    for (std::size_t r = 0; r <= rows; ++r) {
        for (std::size_t c = 0; c <= columns; ++c) {
            const double x = static_cast<double>(c) * 0.25 - 50.0;
            const double z = static_cast<double>(r) * 0.25 - 30.0;
            const double y = 2.0 * std::sin(x * 0.13) * std::cos(z * 0.11) + 0.05 * random.next();
            append(text, "v %.6f %.6f %.6f\n", x, y, z);
        }
    }
    for (std::size_t r = 0; r <= uv_tile; ++r) {
        for (std::size_t c = 0; c <= uv_tile; ++c) {
            append(text, "vt %.6f %.6f\n", static_cast<double>(c) / uv_tile, static_cast<double>(r) / uv_tile,
                   0);
        }
    }
    for (std::size_t i = 0; i < normal_count; ++i) {
        const double a = random.next() * 6.283185307179586;
        const double tilt = random.next() * 0.6;
        append(text, "vn %.6f %.6f %.6f\n", std::sin(tilt) * std::cos(a), std::cos(tilt),
               std::sin(tilt) * std::sin(a));
    }
    const auto position = [columns](std::size_t r, std::size_t c) { return r * (columns + 1) + c + 1; };
    const auto uv = [](std::size_t r, std::size_t c) {
        return (r % uv_tile) * (uv_tile + 1) + (c % uv_tile) + 1;
    };
    char line[128];
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            const std::size_t n = (r * 7919 + c * 104729) % normal_count + 1;
            const std::size_t corners[4][2] = {{r, c}, {r, c + 1}, {r + 1, c + 1}, {r + 1, c}};
            for (const auto& tri : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
                int len = std::snprintf(line, sizeof line, "f");
                for (int k : tri) {
                    const auto [cr, cc] = corners[k];
                    len += std::snprintf(line + len, sizeof line - static_cast<std::size_t>(len),
                                         " %zu/%zu/%zu", position(cr, cc), uv(cr, cc), n);
                }
                text.append(line, static_cast<std::size_t>(len));
                text += '\n';
            }
        }
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file) throw std::runtime_error("write_model_text(): cannot write " + path.string());
    return text.size();
}
