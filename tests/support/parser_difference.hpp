#pragma once
// Compares the engine's OBJ/MTL parser with the string-stream reference reader on one text: the same
// vertices bit for bit, triangles, rejections (line and reason) and materials.

#include <cstring>
#include <string>

namespace test_support {

// Bit-for-bit equality, so that -0 differs from 0 and NaNs compare by their bits.
template <typename T> bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Empty when both parsers agree on the text as a model file, else what differs first.
std::string obj_difference(const std::string& text);
// Empty when both agree on the text as a material file, else the first field that differs.
std::string mtl_difference(const std::string& text);

} // namespace test_support
