#pragma once
// Bounds on a piece's text, checked in one pass before toml++ reads it, for what toml++ itself does not
// bound: it recurses once per part of a dotted key or table name (tens of thousands of parts overflow
// the stack), finds each table that a header or dotted key names again by a linear search among the
// tables named before (many of them cost quadratic time), and holds every value in a node of its own
// (a 4 MB array of zeros took 171 MiB).

#include <cstddef>
#include <string>
#include <string_view>

namespace piece::reading {

// The most parts a dotted key or table name may have; the format's deepest has three.
constexpr std::size_t max_key_parts = 32;
// The most tables headers and dotted keys may name: every part of a header, every part but the last of
// a dotted key. At the bound the searches cost some 20 ms at worst (four times as many: 0.2 s).
constexpr std::size_t max_named_tables = 10000;
// The most values a piece may hold (a track of 100000 events is about 400000).
constexpr std::size_t max_values = 500000;

// Throws a piece_error naming `file` and the place where `text` (ASCII, as toml++ is given it) first
// passes one of the bounds.
void check_text_bounds(std::string_view text, const std::string& file);

} // namespace piece::reading
