#pragma once
// Compares the engine's OBJ/MTL parser with the string-stream reader of the first loader on the texts
// that reader was made for: triangles with three corners, no continued lines, one material group, one
// material. There they agree on the vertices bit for bit, triangles and materials.

#include <cstring>
#include <string>

namespace test_support {

// Bit-for-bit equality, so that -0 differs from 0 and NaNs compare by their bits.
template <typename T> bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Whether every face line has three corners and no line ends in a backslash.
bool old_subset(const std::string& text);
// Empty when both parsers agree on the text as a model file (or it is outside the old subset), else what
// differs first.
std::string obj_difference(const std::string& text);
// Empty when both agree on the text as a material file, else the first field that differs.
std::string mtl_difference(const std::string& text);

} // namespace test_support
