#include "platform/web/web_session.hpp"

#include "platform/web/web_music.hpp"

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
    , paused(arguments.paused) {
    // The events are in the music's time, which is the piece's from its start.
    demo.sound_state.set_offset(0.0);
    const double at = arguments.at.value_or(0.0);
    still_frame = replay::nearest_frame(at, replay::default_fps);
    demo.seek_music(at);
    if (!paused) demo.play_music(true);
}

void web_session::frame() {
    core.update();
    if (paused) {
        steps.step_to(still_frame);
    } else {
        demo.step(web_music::position() - demo.piece.music_start);
    }
    demo.draw();
}
