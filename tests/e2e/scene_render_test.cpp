// The production's frames rendered with the real player, act, shaders and assets in a Mesa context and
// read back through the offscreen frame grab.

#include "acts/piece_act.hpp"
#include "core/core_module.hpp"
#include "demo_capture/frame_grab.hpp"
#include "platform/gl_api.hpp"
#include "player/player.hpp"
#include "support/capture_logger.hpp"
#include "support/run_folder.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

constexpr int width = 160;
constexpr int height = 90;
constexpr int clear_grey = 102; // the act's clear colour 0.4

// config.ini with the production's own opening view, so that frames outside the camera path show both
// the model and the sky.
std::string scene_config() {
    return "[display]\nscreen_width = 320\nscreen_height = 240\ntitle = scene-render\nfullscreen = 0\n\n"
           "[camera]\nx = -2.44\ny = 3.07\nz = 13.2\ntilt = 0.1492\npan = 6.39\ndistance = 0.0\n"
           "fov_y_degrees = 60\nnear_clip = 0.05\nfar_clip = 100\n";
}

using frame = std::vector<std::uint8_t>;

// The time of the frame nearest t at `fps`.
double frame_time_of(double t, int fps) {
    return capture::frame_grab::frame_time(std::llround(t * fps), fps);
}

// The demo's core module and player built in a scratch run folder, grabbed at 160x90.
struct production {
    test_support::run_folder folder;
    test_support::scoped_cwd cwd{folder.path()};
    std::unique_ptr<core_module> core;
    std::unique_ptr<player> host;
    std::unique_ptr<capture::frame_grab> grab;

    production() {
        folder.write("config.ini", scene_config());
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        core = std::make_unique<core_module>();
        host = std::make_unique<player>(core.get());
        grab = std::make_unique<capture::frame_grab>(*host, width, height);
    }
    ~production() {
        grab.reset();
        host.reset();
        core.reset();
    }

    piece_act& act() { return dynamic_cast<piece_act&>(*host->act); }

    // Every frame at `fps` up to the one nearest t, only that one drawn in full (or all of them).
    frame play_to(double t, int fps, bool draw_all = false) {
        const auto last = static_cast<std::int64_t>(std::llround(t * fps));
        for (std::int64_t k = 0; k < last; ++k) {
            const double tk = capture::frame_grab::frame_time(k, fps);
            draw_all ? grab->render(tk) : grab->skip(tk);
        }
        frame pixels;
        grab->render(frame_time_of(t, fps), pixels);
        return pixels;
    }
};

int luminance(const frame& f, std::size_t i) {
    return (f[3 * i] + f[3 * i + 1] + f[3 * i + 2]) / 3;
}

bool near_grey(const frame& f, std::size_t i, int value) {
    for (int c = 0; c < 3; ++c) {
        if (std::abs(f[3 * i + c] - value) > 3) return false;
    }
    return true;
}

double share(const frame& f, const std::function<bool(std::size_t)>& test) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < f.size() / 3; ++i)
        n += test(i) ? 1 : 0;
    return static_cast<double>(n) / static_cast<double>(f.size() / 3);
}

TEST(SceneRender, AfterTheEndTheModelIsBlackAgainstTheClearColour) {
    production run;
    // A first frame at 80 s: no camera row holds, so the configured view with its sky stays.
    frame f;
    run.grab->render(80.0, f);
    const double black = share(f, [&](std::size_t i) { return near_grey(f, i, 0); });
    const double sky = share(f, [&](std::size_t i) { return near_grey(f, i, clear_grey); });
    EXPECT_GT(black, 0.3) << "the model is drawn, faded to black";
    EXPECT_GT(sky, 0.05) << "the clear colour shows where no model is";
    EXPECT_DOUBLE_EQ(black + sky, 1.0) << "nothing else: no sprite and no lit surface";
}

TEST(SceneRender, TheOpeningShowsTheLitModel) {
    production run;
    // Both the stock shaders' speed-ups are on; neither changes a pixel, so only this can tell.
    EXPECT_TRUE(run.act().depth_program_ready) << "the depth pre-pass was not built";
    EXPECT_TRUE(run.act().culling_chunks) << "chunks out of view are not culled";
    const frame f = run.play_to(4.0, 10);
    const double lit =
        share(f, [&](std::size_t i) { return luminance(f, i) > 30 && !near_grey(f, i, clear_grey); });
    EXPECT_GT(lit, 0.5);
    // The model's surface is shaded: many different levels, not one flat colour.
    std::vector<bool> levels(256);
    for (std::size_t i = 0; i < f.size() / 3; ++i)
        levels[static_cast<std::size_t>(luminance(f, i))] = true;
    EXPECT_GT(std::count(levels.begin(), levels.end(), true), 100);
}

TEST(SceneRender, InTheMiddleSectionTheParticleLightsLightTheModel) {
    production run;
    // Steps of 1/30 s see every burst of the music's events; coarser ones can miss short events.
    const frame lit = run.play_to(31.0, 30);
    particle_system& particles = run.act().particles;
    ASSERT_TRUE(particles.first_alive_in_block(0) ||
                particles.first_alive_in_block(particle_system::block_size))
        << "a light particle lives at 31 s";

    // The same frame again without the light particles: a step of 0 s, and every emitter that could
    // fire at this time has just done so, so nothing else changes.
    std::fill(particles.alive.begin(), particles.alive.begin() + 2 * particle_system::block_size, false);
    frame dark;
    run.grab->render(frame_time_of(31.0, 30), dark);

    const double brighter =
        share(lit, [&](std::size_t i) { return luminance(lit, i) > luminance(dark, i) + 10; });
    const double darker =
        share(lit, [&](std::size_t i) { return luminance(lit, i) + 10 < luminance(dark, i); });
    EXPECT_GT(brighter, 0.1) << "the lights reach a good part of the model";
    EXPECT_EQ(darker, 0.0);
    // Without them only the ambient light of 0.05 is left: no surface gets near the lit level.
    EXPECT_LT(
        share(dark,
              [&](std::size_t i) { return luminance(dark, i) > 40 && !near_grey(dark, i, clear_grey); }),
        0.01);
}

TEST(SceneRender, DeadParticleRecordsDrawNothing) {
    production run;
    run.grab->render(1e-6); // begins the act
    particle_system& particles = run.act().particles;
    std::fill(particles.alive.begin(), particles.alive.end(), false);
    // Before the act's start the timeline still hands it frames: no camera row holds, so the view is
    // free, the music has no event yet, so no emitter fires, and nothing is faded. Look at the spot where
    // dead records are parked from 2 units away; the model is beyond the far clip from there.
    camera& cam = run.host->camera;
    cam.set_position(glm::vec3(0.0f));
    const glm::vec3 forward = glm::normalize(
        glm::vec3(glm::inverse(cam.target_to_view * cam.world_to_target) * glm::vec4(0, 0, -1, 0)));
    const glm::vec3 parked(particle_system::parked);
    cam.set_position(parked - 2.0f * forward);

    frame dead;
    run.grab->render(-1.0, dead);
    EXPECT_DOUBLE_EQ(share(dead, [&](std::size_t i) { return near_grey(dead, i, clear_grey); }), 1.0);

    // The same spot with one live sprite on it shows it, so the view does cover the parked records.
    particles.alive[0] = true;
    particles.positions[0] = parked;
    particles.velocities[0] = glm::vec3(0.0f);
    particles.brightness[0] = 2.0;
    particles.sizes[0] = 1.0;
    particles.fade_rates[0] = 0.0;
    particles.vertices[0].texture_index = 5.0f;
    frame live;
    run.grab->render(-1.0, live); // a step of 0 s: the sprite neither moves nor fades
    EXPECT_GT(share(live, [&](std::size_t i) { return !near_grey(live, i, clear_grey); }), 0.01);
}

TEST(SceneRender, SkippedFramesCarryTheSameHistoryAsDrawnOnes) {
    frame skipped;
    frame drawn;
    {
        production run;
        skipped = run.play_to(6.0, 10);
    }
    {
        production run;
        drawn = run.play_to(6.0, 10, true);
    }
    EXPECT_EQ(skipped, drawn);
}

TEST(SceneRender, TheWholePieceRaisesNoOpenGlError) {
    production run;
    auto log = std::make_shared<test_support::capture_log>();
    run.core->log_manager.add_logger(
        std::make_unique<test_support::capture_logger>(log, logger::level::error));
    run.play_to(76.0, 10);
    // A deliberate error proves that the debug output reaches the log.
    glapi::glEnable(0xFFFF);
    run.core->log_manager.error("end of the piece");
    ASSERT_TRUE(log->wait_for_message("end of the piece"));

    std::size_t gl_errors = 0;
    for (const std::string& message : log->messages()) {
        if (message.find("OpenGL message") != std::string::npos) ++gl_errors;
    }
    EXPECT_EQ(gl_errors, 1u) << "only the deliberate one";
}

} // namespace
