#include "support/rgb_image.hpp"

#include <stb_image.h>

namespace test_support {

rgb_image::rgb_image(const std::filesystem::path& file) {
    int channels = 0;
    if (stbi_uc* data = stbi_load(file.c_str(), &width, &height, &channels, 3)) {
        rgb.assign(data, data + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        stbi_image_free(data);
    }
}

} // namespace test_support
