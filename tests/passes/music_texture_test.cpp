#include "passes/fullscreen_pass.hpp"
#include "passes/music_texture.hpp"
#include "passes/pass_readback.hpp"
#include "passes/render_target.hpp"
#include "support/gl_context.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <array>
#include <memory>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using passes::render_target;
using passes::target_format;

TEST(MusicTexture, ShadersReadRowsAsShadertoysDoWithLinearFiltering) {
    const test_support::gl_context context;
    const auto black = std::make_shared<passes::black_texture>();
    std::array<std::uint8_t, 1024> bytes{};
    for (std::size_t i = 0; i < 512; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7) % 256);
        bytes[512 + i] = static_cast<std::uint8_t>(255 - i % 256);
    }
    const passes::music_texture music;
    music.upload(bytes);

    // Row 0 at y = 0.25, row 1 at 0.75, as Shadertoy's shaders sample them; the last column samples
    // between texels 10 and 11 of row 0.
    const passes::fullscreen_pass pass(passes::pass_kind::shadertoy, R"(
void mainImage(out vec4 o, in vec2 p) {
    float x = p.x < 512.0 ? p.x / 512.0 : 11.0 / 512.0;
    o = texture(iChannel0, vec2(x, p.y < 1.0 ? 0.25 : 0.75));
}
)",
                                       "shaders/music.frag", {}, black);
    const render_target target(513, 2, target_format::rgba32f);
    target.bind();
    passes::shadertoy_inputs in;
    in.channels[0] = music.id();
    pass.draw(in, {});
    EXPECT_EQ(test_support::gl_error(), 0u);
    const std::vector<glm::vec4> pixels = pass_test::read_floats(target);
    for (std::size_t row = 0; row < 2; ++row) {
        for (std::size_t i = 0; i < 512; ++i) {
            const glm::vec4& p = pixels[row * 513 + i];
            ASSERT_FLOAT_EQ(p.x, bytes[row * 512 + i] / 255.0f) << "row " << row << ", texel " << i;
            ASSERT_EQ(glm::vec3(p.y, p.z, p.w), glm::vec3(0.0f, 0.0f, 1.0f));
        }
    }
    // llvmpipe blends 8-bit texels with 8-bit weights: within one step of the mean, far from either texel.
    EXPECT_NEAR(pixels[512].x, (bytes[10] + bytes[11]) / 510.0f, 1.5f / 255.0f) << "linear filtering";
}

} // namespace
