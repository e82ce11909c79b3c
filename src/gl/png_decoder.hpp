#pragma once

#include "gl/decoded_pixels.hpp"

#include <cstdio>
#include <optional>

namespace gl {

// Decodes a PNG file read from `file`, positioned just after the 8-byte signature, into `channels` (3 or
// 4) channels: grey is repeated into red, green and blue, a missing alpha becomes 255, an alpha (or a
// transparent colour) is dropped for 3 channels, 16-bit samples keep their high byte, palettes and
// grey below 8 bits are expanded. No gamma or colour-profile correction is applied. Nothing when libpng
// reports an error or the image is larger than the decoders accept. Throws std::bad_alloc.
std::optional<decoded_pixels> decode_png(std::FILE* file, int channels);

} // namespace gl
