#include "platform/web/web_session.hpp"

#include "platform/gl_api.hpp"
#include "platform/web/web_music.hpp"

#include <emscripten/html5.h>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace {

std::optional<std::filesystem::path> piece_path(const web_arguments& arguments) {
    if (!arguments.piece) return std::nullopt;
    return std::filesystem::path(*arguments.piece);
}

} // namespace

web_session::web_session(const web_arguments& arguments)
    : demo(&core, piece_path(arguments))
    , steps(demo)
    , holding(arguments.paused) {
    // The events are in the music's time, which is the piece's from its start.
    demo.sound_state.set_offset(0.0);
    seek_to(arguments.at.value_or(0.0));
    if (!holding) demo.play_music(true);
}

double web_session::now() const {
    const double t = holding ? held_time : web_music::position() - demo.piece.music_start;
    return std::clamp(t, 0.0, demo.piece.length);
}

// The picture is drawn at the canvas's own size (the page keeps it at the size shown, in device pixels),
// as demo_capture draws at --size: not at the window size of config.ini scaled by the browser.
void web_session::follow_canvas_size() {
    int width = 0;
    int height = 0;
    if (emscripten_get_canvas_element_size("#canvas", &width, &height) != EMSCRIPTEN_RESULT_SUCCESS || width <= 0 ||
        height <= 0)
        return;
    if (width != demo.screen_width || height != demo.screen_height) {
        demo.screen_width = width;
        demo.screen_height = height;
        demo.camera.set_aspect(static_cast<float>(width) / static_cast<float>(height));
    }
    glapi::glViewport(0, 0, width, height);
}

// The frame of the fixed step nearest t, reached by every step before it (from 0 again after the player
// stepped freely).
double web_session::show_exact(double t) {
    if (stepped_freely) steps.restart();
    stepped_freely = false;
    steps.step_to(replay::nearest_frame(t, steps.frames_per_second()));
    return replay::frame_time(std::max<std::int64_t>(steps.frame(), 0), steps.frames_per_second());
}

double web_session::frame() {
    core.update();
    follow_canvas_size();
    const double t = now();
    double shown = t;
    if (holding || seeked || t < demo.time) {
        shown = show_exact(t);
        seeked = false;
    } else {
        // Playing goes as build/demo plays: one step to the music's position per refresh.
        demo.step(t);
        stepped_freely = true;
    }
    demo.draw();
    return shown;
}

void web_session::toggle_pause() {
    if (holding) {
        demo.seek_music(held_time);
        demo.play_music(true);
    } else {
        held_time = now();
        demo.play_music(false);
    }
    holding = !holding;
}

void web_session::seek_to(double seconds) {
    seeked = true;
    held_time = std::clamp(seconds, 0.0, demo.piece.length);
    demo.seek_music(held_time);
}

void web_session::seek_by(double seconds) {
    seek_to(now() + seconds);
}
