#pragma once

#include "gl/decoded_pixels.hpp"

#include <cstdio>
#include <optional>

namespace gl {

// Decodes a JPEG file read from `file`, positioned at its start, into `channels` (3 or 4) channels: grey
// is repeated into red, green and blue, alpha is 255, CMYK and YCCK (Adobe's inverted ink values) are
// multiplied out to RGB. Corrupt entropy-coded data decodes to whatever libjpeg recovers; nothing when
// libjpeg reports an error, when the file ends before the picture does or when the image is larger than
// the decoders accept. Throws std::bad_alloc.
std::optional<decoded_pixels> decode_jpeg(std::FILE* file, int channels);

} // namespace gl
