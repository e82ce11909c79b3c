#include "core/exceptions.hpp"
#include "passes/fullscreen_pass.hpp"
#include "passes/pass_readback.hpp"
#include "passes/render_target.hpp"
#include "support/gl_context.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <memory>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using passes::feedback_target;
using passes::fullscreen_pass;
using passes::render_target;
using passes::target_format;

// A buffer that adds 1/256 to its own last frame.
constexpr const char* accumulate = R"(void mainImage(out vec4 o, in vec2 p) {
    o = texture(iChannel0, p / iResolution.xy) + vec4(1.0 / 256.0);
}
)";

class RenderTarget : public ::testing::Test {
protected:
    test_support::gl_context context;
    std::shared_ptr<const passes::black_texture> black = std::make_shared<passes::black_texture>();

    static void run(const fullscreen_pass& pass, feedback_target& buffer, int frames) {
        passes::shadertoy_inputs in;
        in.resolution = {5.0f, 3.0f, 1.0f};
        in.channel_resolution[0] = in.resolution;
        for (int frame = 0; frame < frames; ++frame) {
            in.frame = frame;
            in.channels[0] = buffer.previous().texture();
            buffer.current().bind();
            pass.draw(in, {});
            buffer.swap();
        }
    }
};

TEST_F(RenderTarget, FeedbackAddsExactlyOncePerFrameInEveryFormat) {
    const fullscreen_pass pass(passes::pass_kind::shadertoy, accumulate, "shaders/trails.frag", {}, black);
    constexpr int frames = 300;
    for (const target_format format :
         {target_format::rgba8, target_format::rgba16f, target_format::rgba32f}) {
        feedback_target buffer(5, 3, format);
        // Frames from an earlier run, then the clear of a restart at the piece's 0.
        run(pass, buffer, 7);
        buffer.clear();
        run(pass, buffer, frames);
        EXPECT_EQ(test_support::gl_error(), 0u);
        if (format == target_format::rgba8) {
            // Each frame stores k/255 + 1/256, which rounds to (k + 1)/255, up to the top of the range.
            for (const std::uint8_t b : pass_test::read_bytes(buffer.previous()))
                ASSERT_EQ(b, 255);
            feedback_target short_run(1, 1, format);
            run(pass, short_run, 200);
            EXPECT_EQ(pass_test::read_bytes(short_run.previous()), (std::vector<std::uint8_t>(4, 200)));
        } else {
            for (const glm::vec4& v : pass_test::read_floats(buffer.previous()))
                ASSERT_EQ(v, glm::vec4(frames / 256.0f)) << static_cast<int>(format);
        }
    }
}

TEST_F(RenderTarget, RefusesSizesTheGlCannotHold) {
    GLint largest = 0;
    glapi::glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    for (const auto& [w, h] : {std::pair{0, 4}, std::pair{4, -1}, std::pair{largest + 1, 1}}) {
        EXPECT_THROW(render_target(w, h, target_format::rgba16f), runtime_error) << w << "x" << h;
    }
    EXPECT_EQ(test_support::gl_error(), 0u);
}

} // namespace
