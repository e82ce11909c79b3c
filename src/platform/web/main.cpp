// The web player: the piece's frames handed to the browser's animation loop. The page (web/player.js)
// starts it with the arguments of its address: [--piece FILE] [--at SECONDS] [--paused]. main reads the
// piece to learn its music and asks the page to decode it; the page then calls web_start, which builds the
// player and hands its frames to the browser.
#include "piece/builtin_piece.hpp"
#include "piece/read_piece.hpp"
#include "platform/web/web_arguments.hpp"
#include "platform/web/web_session.hpp"

#include <emscripten/emscripten.h>

#include <exception>
#include <iostream>
#include <memory>
#include <optional>

namespace {

std::optional<web_arguments> arguments;
std::unique_ptr<web_session> session;

// clang-format off
EM_JS(void, js_show_error, (const char* text), { Module.showError(UTF8ToString(text)); });
EM_JS(void, js_decode_music, (const char* path), { Module.decodeMusic(UTF8ToString(path)); });
EM_JS(void, js_started, (), { Module.started(); });
EM_JS(void, js_frame_shown, (double seconds, int paused), { Module.frameShown(seconds, paused !== 0); });
// clang-format on

// The message as the native programs print it, on the console and on the page.
void fail(const std::string& text) {
    std::cerr << text << '\n';
    js_show_error(text.c_str());
}

void frame() {
    try {
        const double shown = session->frame();
        js_frame_shown(shown, session->paused() ? 1 : 0);
    } catch (const std::exception& e) {
        emscripten_cancel_main_loop();
        fail(e.what());
    }
}

} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void web_start() {
    try {
        session = std::make_unique<web_session>(*arguments);
    } catch (const std::exception& e) {
        fail(e.what());
        return;
    }
    js_started();
    emscripten_set_main_loop(frame, 0, false);
}

// The page's keys; nothing before the player has started.
extern "C" EMSCRIPTEN_KEEPALIVE void web_toggle_pause() {
    if (session) session->toggle_pause();
}

extern "C" EMSCRIPTEN_KEEPALIVE void web_seek_by(double seconds) {
    if (session) session->seek_by(seconds);
}

extern "C" EMSCRIPTEN_KEEPALIVE void web_seek_to(double seconds) {
    if (session) session->seek_to(seconds);
}

int main(int argc, char** argv) {
    try {
        arguments = parse_web_arguments(argc, argv);
        const piece::piece_data piece =
            arguments->piece ? piece::read_piece_file(*arguments->piece) : piece::builtin_piece();
        js_decode_music(piece.music.c_str());
    } catch (const std::exception& e) {
        fail(e.what());
        return 1;
    }
    return 0;
}
