#include "demo_capture/frame_grab.hpp"

#include "platform/gl_api.hpp"
#include "platform/window.hpp"
#include "player/player.hpp"

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
    // The act's passes draw into whatever is bound; the window's swap at the end of render is harmless.
    frame.bind();
    host.time = t;
    if (abstract_act* act = host.timeline.current_act(t)) act->render(host);
}

void frame_grab::render(double t, std::vector<std::uint8_t>& pixels) {
    render(t);
    frame.read_rgb(pixels);
}

void frame_grab::skip(double t) {
    glapi::glEnable(GL_SCISSOR_TEST);
    glapi::glScissor(0, 0, 1, 1);
    render(t);
    glapi::glDisable(GL_SCISSOR_TEST);
}

double frame_grab::frame_time(std::int64_t k, double fps) {
    // The timeline begins an act on the first time strictly after its start.
    constexpr double first_frame = 1e-6;
    return k == 0 ? first_frame : static_cast<double>(k) / fps;
}

} // namespace capture
