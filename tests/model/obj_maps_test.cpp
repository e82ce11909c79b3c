// The material's maps are decoded side by side but must land and fail exactly as one from_file after
// the other would: each map in its own texture, the first unloadable map in the order diffuse, specular,
// normal named by the error, and no GL error left behind.

#include "model/obj_model.hpp"
#include "core/exceptions.hpp"
#include "platform/gl_api.hpp"
#include "support/gl_context.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

const std::string triangle_obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n";

// A noisy RGB image whose first pixel is the given colour: large enough that decoding takes a while.
void write_map(const std::filesystem::path& path, std::array<std::uint8_t, 3> first, int size) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(size * size * 3));
    std::uint32_t state = first[0] * 65536u + first[1] * 256u + first[2] + 1u;
    for (auto& byte : rgb) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    std::copy(first.begin(), first.end(), rgb.begin());
    if (stbi_write_png(path.c_str(), size, size, 3, rgb.data(), size * 3) == 0) std::abort();
}

std::array<std::uint8_t, 3> first_texel(const gl::texture_2d& texture, int size) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size * size * 3));
    texture.bind();
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glapi::glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::texture_2d::unbind();
    return {out[0], out[1], out[2]};
}

GLint width_of(const gl::texture_2d& texture) {
    GLint width = -1;
    texture.bind();
    glapi::glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    gl::texture_2d::unbind();
    return width;
}

std::string load_error(const std::string& path) {
    try {
        load_obj(path);
    } catch (const runtime_error& e) {
        return e.what();
    }
    return "";
}

class ObjMaps : public ::testing::Test {
protected:
    test_support::gl_context context;
    test_support::temp_dir dir;
    test_support::scoped_cwd cwd{dir.path()};
};

TEST_F(ObjMaps, EachMapHoldsItsOwnImage) {
    constexpr int size = 256;
    write_map(dir.path() / "d.png", {200, 10, 20}, size);
    write_map(dir.path() / "s.png", {30, 210, 40}, size);
    write_map(dir.path() / "n.png", {50, 60, 220}, size);
    dir.write("m.obj", triangle_obj);
    dir.write("m.mtl", "map_Kd d.png\nmap_Ks s.png\nmap_Bump n.png\n");
    for (int run = 0; run < 4; ++run) {
        const auto model = load_obj("m.obj");
        EXPECT_EQ(first_texel(model->materials[0].diffuse_map, size), (std::array<std::uint8_t, 3>{200, 10, 20}));
        EXPECT_EQ(first_texel(model->materials[0].specular_map, size), (std::array<std::uint8_t, 3>{30, 210, 40}));
        EXPECT_EQ(first_texel(model->materials[0].normal_map, size), (std::array<std::uint8_t, 3>{50, 60, 220}));
    }

    // Only a later map named: the earlier ones stay empty textures.
    dir.write("only.obj", triangle_obj);
    dir.write("only.mtl", "map_Bump n.png\n");
    const auto only = load_obj("only.obj");
    EXPECT_EQ(width_of(only->materials[0].diffuse_map), 0);
    EXPECT_EQ(width_of(only->materials[0].specular_map), 0);
    EXPECT_EQ(first_texel(only->materials[0].normal_map, size), (std::array<std::uint8_t, 3>{50, 60, 220}));
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(ObjMaps, TheFirstUnloadableMapInOrderIsReported) {
    write_map(dir.path() / "big.png", {1, 2, 3}, 512);
    dir.write("bad.png", "not an image");
    const std::string prefix = "gl::texture_2d::from_file(): Unable to load texture data from '";
    const struct {
        const char* material;
        const char* named;
    } cases[] = {
        {"map_Kd none.png\nmap_Ks big.png\nmap_Bump bad.png\n", "none.png"},
        {"map_Kd big.png\nmap_Ks bad.png\nmap_Bump none.png\n", "bad.png"},
        {"map_Kd big.png\nmap_Ks big.png\nmap_Bump none.png\n", "none.png"},
        {"map_Bump bad.png\nmap_Kd big.png\n", "bad.png"},
    };
    for (const auto& c : cases) {
        dir.write("m.obj", triangle_obj);
        dir.write("m.mtl", c.material);
        EXPECT_EQ(load_error("m.obj"), prefix + c.named + "'.") << c.material;
    }
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

} // namespace
