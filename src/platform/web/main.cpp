// The web player: the piece's frames handed to the browser's animation loop. The page (web/player.js)
// starts it with the arguments of its address: [--piece FILE] [--at SECONDS] [--paused].
#include "core/core_module.hpp"
#include "platform/web/web_arguments.hpp"
#include "platform/web/web_session.hpp"

#include <emscripten/emscripten.h>

#include <exception>
#include <iostream>
#include <memory>

namespace {

std::unique_ptr<web_session> session;

// clang-format off
EM_JS(void, js_show_error, (const char* text), { Module.showError(UTF8ToString(text)); });
EM_JS(void, js_started, (), { Module.started(); });
// clang-format on

void fail(const std::string& text) {
    std::cerr << text << '\n';
    js_show_error(text.c_str());
}

void frame() {
    try {
        session->frame();
    } catch (const std::exception& e) {
        emscripten_cancel_main_loop();
        fail(e.what());
    }
}

} // namespace

int main(int argc, char** argv) {
    try {
        const web_arguments arguments = parse_web_arguments(argc, argv);
        session = std::make_unique<web_session>(arguments);
    } catch (const std::exception& e) {
        fail(e.what());
        return 1;
    }
    js_started();
    // The browser calls frame once per display refresh; main returns at once and the session lives on.
    emscripten_set_main_loop(frame, 0, false);
    return 0;
}
