// Feeds arbitrary bytes to the engine's OBJ and MTL parsers and to the plain string-stream reader of
// tests/support, as a model and as a material file, and stops at the first input of the reader's subset
// they disagree on (vertices compared bit for bit, triangles, materials). The bytes also steer the
// generator of tests/support to a model file of every corner form and polygon size, on which the parser
// must agree with tinyobjloader.

#include "support/obj_text_generator.hpp"
#include "support/parser_difference.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    if (!test_support::obj_difference(text).empty()) std::abort();
    if (!test_support::mtl_difference(text).empty()) std::abort();

    test_support::byte_choices choices(data, size);
    if (!test_support::tinyobj_difference(test_support::generate_obj(choices, 64)).empty()) std::abort();
    return 0;
}
