#include "generated_assets.hpp"

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct decoded {
    int width = 0;
    int height = 0;
    int file_channels = 0;
    std::vector<unsigned char> pixels;
    unsigned char at(int x, int y, int c, int channels) const {
        return pixels[(static_cast<std::size_t>(y) * width + x) * channels + c];
    }
};

decoded decode(const std::string& name, int channels) {
    decoded d;
    const auto file = (tools_test::generated_assets() / name).string();
    const std::unique_ptr<unsigned char, void (*)(void*)> data(
        stbi_load(file.c_str(), &d.width, &d.height, &d.file_channels, channels), stbi_image_free);
    EXPECT_NE(data, nullptr) << name << ": " << stbi_failure_reason();
    if (data) d.pixels.assign(data.get(), data.get() + static_cast<std::size_t>(d.width) * d.height * channels);
    return d;
}

TEST(GeneratedImages, SpritesAreRgbaWithSoftEdgesThatVanishAtTheBorder) {
    for (const char* name : {"star.png", "kukka1.png", "kukka2.png", "kukka3.png", "valo.png", "valo2.png",
                             "valo3.png", "taplat.png", "taplat2.png"}) {
        SCOPED_TRACE(name);
        const decoded d = decode(name, 4);
        ASSERT_FALSE(d.pixels.empty());
        EXPECT_EQ(d.file_channels, 4);
        int border_max = 0;
        int inner_max = 0;
        int partial = 0;
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) {
                const int a = d.at(x, y, 3, 4);
                const bool border = x == 0 || y == 0 || x == d.width - 1 || y == d.height - 1;
                (border ? border_max : inner_max) = std::max(border ? border_max : inner_max, a);
                if (a > 0 && a < 255) ++partial;
            }
        }
        EXPECT_LE(border_max, 2);
        EXPECT_GE(inner_max, 200);
        // A soft edge is a band of partly transparent texels, not a cut-out.
        EXPECT_GT(partial, d.width);
    }
}

TEST(GeneratedImages, KoalaIsAThreeChannelJpegPicture) {
    const std::string bytes = test_support::read_file(tools_test::generated_assets() / "koala.jpg");
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF");
    const decoded d = decode("koala.jpg", 3);
    EXPECT_EQ(d.file_channels, 3);
    // A picture, not a flat fill: many distinct colours.
    std::vector<int> seen;
    for (std::size_t i = 0; i + 2 < d.pixels.size(); i += 3) {
        seen.push_back((d.pixels[i] >> 3) << 10 | (d.pixels[i + 1] >> 3) << 5 | (d.pixels[i + 2] >> 3));
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_GT(std::unique(seen.begin(), seen.end()) - seen.begin(), 200);
}

TEST(GeneratedImages, MaterialMapsMatchInSizeAndTheNormalMapCarriesRelief) {
    const decoded diffuse = decode("toristin_diffuse.png", 3);
    const decoded specular = decode("toristin_specular.png", 3);
    const decoded normal = decode("toristin_normal.png", 3);
    for (const decoded* d : {&diffuse, &specular, &normal}) {
        EXPECT_EQ(d->file_channels, 3);
        EXPECT_EQ(d->width, normal.width);
        EXPECT_EQ(d->height, normal.height);
    }
    ASSERT_FALSE(normal.pixels.empty());
    std::size_t tilted = 0;
    std::size_t bad = 0;
    for (std::size_t i = 0; i + 2 < normal.pixels.size(); i += 3) {
        const glm::dvec3 n = glm::dvec3(normal.pixels[i], normal.pixels[i + 1], normal.pixels[i + 2]) / 127.5 - 1.0;
        if (std::abs(glm::length(n) - 1.0) > 0.03 || n.z <= 0.0) ++bad;
        if (n.z < 0.985) ++tilted; // more than about 10 degrees off the surface normal
    }
    const std::size_t texels = normal.pixels.size() / 3;
    EXPECT_EQ(bad, 0u);
    EXPECT_GT(tilted, texels / 20);
    EXPECT_LT(tilted, texels / 2);
}

} // namespace
