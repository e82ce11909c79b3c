// Feeds arbitrary bytes to the engine's OBJ and MTL parsers and to the plain string-stream reader of
// tests/support, as a model and as a material file, and stops at the first input they disagree on:
// vertices compared bit for bit, triangles, rejections with their line numbers and reasons, materials.

#include "support/parser_difference.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    if (!test_support::obj_difference(text).empty()) std::abort();
    if (!test_support::mtl_difference(text).empty()) std::abort();
    return 0;
}
