#include "scene.hpp"
#include "shapes.hpp"

#include <array>
#include <string_view>

namespace asset_gen {

namespace {

constexpr int glyph_width = 5;
constexpr int glyph_height = 7;
using glyph = std::array<std::string_view, glyph_height>;

constexpr glyph letter_t{"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."};
constexpr glyph letter_e{"#####", "#....", "#....", "####.", "#....", "#....", "#####"};
constexpr glyph letter_k{"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"};
constexpr glyph letter_s{".####", "#....", "#....", ".###.", "....#", "....#", "####."};
constexpr glyph letter_i{".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."};

constexpr std::array<const glyph*, 6> word{&letter_t, &letter_e, &letter_k, &letter_s, &letter_t, &letter_i};
constexpr int columns = static_cast<int>(word.size()) * (glyph_width + 1) - 1;

bool filled(int column, int row) {
    if (column < 0 || column >= columns || row < 0 || row >= glyph_height) return false;
    const int letter = column / (glyph_width + 1);
    const int x = column % (glyph_width + 1);
    return x < glyph_width && (*word[letter])[row][x] == '#';
}

} // namespace

mesh build_emblem() {
    constexpr double cell = 0.1;
    constexpr double depth = 0.15;
    // One copy of the texture spans the whole word.
    constexpr finish lettering{3, columns * cell, columns * cell};
    mesh m;
    const double left = -0.5 * columns * cell;
    for (int row = 0; row < glyph_height; ++row) {
        for (int col = 0; col < columns; ++col) {
            if (!filled(col, row)) continue;
            // Only faces between a filled cell and an empty one are visible.
            unsigned faces = pos_z | neg_z;
            if (!filled(col + 1, row)) faces |= pos_x;
            if (!filled(col - 1, row)) faces |= neg_x;
            if (!filled(col, row - 1)) faces |= pos_y;
            if (!filled(col, row + 1)) faces |= neg_y;
            const double x = left + col * cell;
            const double y = (glyph_height - 1 - row) * cell;
            box(m, lettering, {x, y, -0.5 * depth}, {x + cell, y + cell, 0.5 * depth}, faces, cell);
        }
    }
    return m;
}

} // namespace asset_gen
