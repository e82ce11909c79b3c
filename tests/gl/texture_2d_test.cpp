#include "core/exceptions.hpp"
#include "gl/texture_2d.hpp"
#include "platform/gl_api.hpp"
#include "support/gl_context.hpp"
#include "support/gl_entry.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using pixels = std::vector<std::uint8_t>;

pixels pattern(int width, int height, int channels) {
    pixels data(static_cast<std::size_t>(width * height * channels));
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>((i * 37 + 11) % 251);
    return data;
}

std::string write_png(const test_support::temp_dir& dir, const std::string& name, int width, int height,
                      int channels, const pixels& data) {
    const std::string path = (dir.path() / name).string();
    if (stbi_write_png(path.c_str(), width, height, channels, data.data(), width * channels) == 0)
        std::abort();
    return path;
}

struct level0 {
    GLint width = 0;
    GLint height = 0;
    pixels data;
};

// Level 0 of the texture, read back tightly packed in the given format.
level0 read_back(const gl::texture_2d& texture, GLenum format, int channels) {
    level0 image;
    texture.bind();
    glapi::glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glapi::glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    image.data.assign(static_cast<std::size_t>(image.width * image.height * channels), 0);
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glapi::glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, image.data.data());
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::texture_2d::unbind();
    return image;
}

GLint integer(GLenum pname) {
    GLint value = -1;
    glapi::glGetIntegerv(pname, &value);
    return value;
}

// Texture names generated and not deleted again while an instance is alive.
int live_names = 0;
PFNGLGENTEXTURESPROC driver_gen = nullptr;
PFNGLDELETETEXTURESPROC driver_delete = nullptr;

class name_balance {
public:
    name_balance() {
        live_names = 0;
        driver_gen = gen.driver();
        driver_delete = del.driver();
    }
    int live() const { return live_names; }

private:
    test_support::scoped_gl_entry<PFNGLGENTEXTURESPROC> gen{glapi::glGenTextures,
                                                            +[](GLsizei n, GLuint* names) {
                                                                live_names += n;
                                                                driver_gen(n, names);
                                                            }};
    test_support::scoped_gl_entry<PFNGLDELETETEXTURESPROC> del{glapi::glDeleteTextures,
                                                               +[](GLsizei n, const GLuint* names) {
                                                                   for (GLsizei i = 0; i < n; ++i)
                                                                       live_names -= names[i] != 0 ? 1 : 0;
                                                                   driver_delete(n, names);
                                                               }};
};

class Texture2d : public ::testing::Test {
protected:
    test_support::gl_context context;
    test_support::temp_dir dir;
};

TEST_F(Texture2d, RgbRowsOfEveryWidthArriveUnpadded) {
    for (int width : {1, 3, 5, 7}) {
        SCOPED_TRACE(width);
        const pixels source = pattern(width, 3, 3);
        const std::string path = write_png(dir, "rgb" + std::to_string(width) + ".png", width, 3, 3, source);
        glapi::glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
        glapi::glPixelStorei(GL_UNPACK_ROW_LENGTH, 2);
        const gl::texture_2d texture = gl::texture_2d::from_file(path, GL_RGB);
        EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 8) << "caller's unpack state restored";
        EXPECT_EQ(integer(GL_UNPACK_ROW_LENGTH), 2);
        EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0) << "loader leaves nothing bound";
        glapi::glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glapi::glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);

        const level0 image = read_back(texture, GL_RGB, 3);
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, 3);
        EXPECT_EQ(image.data, source) << "top row first, rows tightly packed";
    }
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(Texture2d, ChannelCountFollowsTheRequestedFormat) {
    const pixels grey = pattern(5, 2, 1);
    const gl::texture_2d from_grey =
        gl::texture_2d::from_file(write_png(dir, "grey.png", 5, 2, 1, grey), GL_RGBA);
    const level0 rgba = read_back(from_grey, GL_RGBA, 4);
    ASSERT_EQ(rgba.data.size(), grey.size() * 4);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        const pixels expected{grey[i], grey[i], grey[i], 255};
        EXPECT_EQ(pixels(rgba.data.begin() + 4 * i, rgba.data.begin() + 4 * i + 4), expected) << i;
    }

    const pixels with_alpha = pattern(3, 3, 4);
    const gl::texture_2d from_rgba =
        gl::texture_2d::from_file(write_png(dir, "rgba.png", 3, 3, 4, with_alpha), GL_RGB);
    from_rgba.bind();
    GLint alpha_bits = -1;
    glapi::glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alpha_bits);
    EXPECT_EQ(alpha_bits, 0) << "alpha dropped";
    pixels expected;
    for (std::size_t i = 0; i < with_alpha.size(); i += 4)
        expected.insert(expected.end(), &with_alpha[i], &with_alpha[i + 3]);
    EXPECT_EQ(read_back(from_rgba, GL_RGB, 3).data, expected);

    const std::string jpeg = (dir.path() / "flat.jpg").string();
    pixels flat(8 * 4 * 3);
    for (std::size_t i = 0; i < flat.size(); i += 3)
        flat[i] = 200, flat[i + 1] = 100, flat[i + 2] = 50;
    ASSERT_NE(stbi_write_jpg(jpeg.c_str(), 8, 4, 3, flat.data(), 100), 0);
    const level0 decoded = read_back(gl::texture_2d::from_file(jpeg, GL_RGB), GL_RGB, 3);
    EXPECT_EQ(decoded.width, 8);
    EXPECT_EQ(decoded.height, 4);
    for (std::size_t i = 0; i < decoded.data.size(); ++i)
        EXPECT_NEAR(decoded.data[i], flat[i], 6) << i;
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(Texture2d, FailuresThrowAndLeaveNoName) {
    const std::string valid = write_png(dir, "valid.png", 4, 4, 3, pattern(4, 4, 3));
    const std::string png = test_support::read_file(valid);
    const std::string corrupt = dir.write("corrupt.png", std::string(200, 'x')).string();
    const std::string truncated = dir.write("truncated.png", png.substr(0, png.size() / 2)).string();
    const std::string empty = dir.write("empty.png", "").string();
    const std::string missing = (dir.path() / "missing.png").string();

    for (GLenum format : {GLenum(GL_RED), GLenum(GL_BGR), GLenum(0)}) {
        for (const std::string& path : {valid, missing}) {
            const name_balance names;
            try {
                gl::texture_2d::from_file(path, format);
                ADD_FAILURE() << "no exception for format " << format;
            } catch (const runtime_error& e) {
                EXPECT_STREQ(e.what(), "gl::texture_2d::from_file(): Unsupported format.");
            }
            EXPECT_EQ(names.live(), 0);
        }
    }
    for (const std::string& path : {corrupt, truncated, empty, missing, std::string("")}) {
        for (GLenum format : {GLenum(GL_RGB), GLenum(GL_RGBA)}) {
            const name_balance names;
            try {
                gl::texture_2d::from_file(path, format);
                ADD_FAILURE() << "no exception for '" << path << "'";
            } catch (const runtime_error& e) {
                EXPECT_EQ(std::string(e.what()),
                          "gl::texture_2d::from_file(): Unable to load texture data from '" + path + "'.");
            }
            EXPECT_EQ(names.live(), 0) << path;
        }
    }
    {
        const name_balance names;
        const gl::texture_2d loaded = gl::texture_2d::from_file(valid, GL_RGB);
        EXPECT_EQ(names.live(), 1);
    }
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(Texture2d, MovesKeepExactlyOneOwner) {
    gl::texture_2d first;
    first.bind(); // a generated name becomes a texture object once bound
    const GLuint first_id = first.id();
    gl::texture_2d loaded =
        gl::texture_2d::from_file(write_png(dir, "m.png", 2, 2, 3, pattern(2, 2, 3)), GL_RGB);
    const GLuint loaded_id = loaded.id();

    first = std::move(loaded);
    EXPECT_EQ(first.id(), loaded_id);
    EXPECT_EQ(loaded.id(), 0u);
    EXPECT_EQ(glapi::glIsTexture(first_id), GL_FALSE) << "assignment deleted the previous name";

    gl::texture_2d& alias = first;
    first = std::move(alias);
    EXPECT_EQ(first.id(), loaded_id);
    EXPECT_EQ(glapi::glIsTexture(loaded_id), GL_TRUE);

    gl::texture_2d taken(std::move(first));
    EXPECT_EQ(taken.id(), loaded_id);
    EXPECT_EQ(first.id(), 0u);
    EXPECT_EQ(read_back(taken, GL_RGB, 3).data, pattern(2, 2, 3));
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(Texture2d, WrappersActOnTheBoundTexture) {
    gl::texture_2d texture;
    texture.bind();
    gl::texture_2d::parameter(GL_TEXTURE_MAX_LOD, 4.5f);
    GLfloat lod = 0;
    gl::texture_2d::get_parameter(GL_TEXTURE_MAX_LOD, &lod);
    EXPECT_EQ(lod, 4.5f);

    // The flag picks normalised values (glTexParameteriv) or pure integers (glTexParameterIiv).
    const GLint full[4] = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
    gl::texture_2d::parameter(GL_TEXTURE_BORDER_COLOR, full, true);
    GLfloat colour[4] = {};
    gl::texture_2d::get_parameter(GL_TEXTURE_BORDER_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    const GLint small[4] = {7, -3, 2, 1};
    gl::texture_2d::parameter(GL_TEXTURE_BORDER_COLOR, small, false);
    GLint back[4] = {};
    gl::texture_2d::get_parameter(GL_TEXTURE_BORDER_COLOR, back, false);
    EXPECT_EQ(back[1], -3);

    const pixels two_by_one{1, 2, 3, 4, 5, 6};
    glapi::glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl::texture_2d::image_2d(two_by_one.data(), 2, 1, GL_RGB, GL_RGB, GL_UNSIGNED_BYTE, 0);
    glapi::glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EXPECT_EQ(read_back(texture, GL_RGB, 3).data, two_by_one);
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

} // namespace
