#include "demo_capture/frame_grab.hpp"

#include "platform/window.hpp"
#include "player/player.hpp"
#include "player/replay.hpp"

namespace capture {

frame_grab::frame_grab(player& p, int width, int height)
    : host(p)
    , frame(width, height) {
    host.screen_width = width;
    host.screen_height = height;
    host.camera.set_aspect(static_cast<float>(width) / static_cast<float>(height));
    host.window->swap_interval(0);
    host.sound_state.set_offset(0.0);
}

void frame_grab::render(double t) {
    // The act's passes draw into whatever is bound.
    frame.bind();
    host.step(t);
    host.draw();
}

void frame_grab::render(double t, std::vector<std::uint8_t>& pixels) {
    render(t);
    frame.read_rgb(pixels);
}

void frame_grab::skip(double t) {
    host.step(t);
}

double frame_grab::frame_time(std::int64_t k, double fps) {
    return replay::frame_time(k, fps);
}

} // namespace capture
