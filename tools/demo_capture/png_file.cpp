#include "demo_capture/png_file.hpp"

#include "core/exceptions.hpp"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace capture {

void write_png(const std::filesystem::path& file, int width, int height,
               const std::vector<std::uint8_t>& rgb) {
    if (stbi_write_png(file.string().c_str(), width, height, 3, rgb.data(), width * 3) == 0) {
        throw runtime_error("capture::write_png(): Unable to write '" + file.string() + "'.");
    }
}

} // namespace capture
