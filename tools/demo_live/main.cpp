// demo_live: the production in a window whose time is the user's: start anywhere, pause, seek, loop,
// change speed, and see a shader file's change as soon as it is saved.

#include "core/core_module.hpp"
#include "demo_live/live_options.hpp"
#include "demo_live/live_session.hpp"
#include "piece/shader_piece.hpp"
#include "player/player.hpp"
#include "player/time_limit.hpp"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    live::live_options options;
    try {
        options = live::parse_options(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const live::usage_error& e) {
        std::cerr << e.what() << "\n\n" << live::usage_text();
        return 2;
    }
    if (options.help) {
        std::cout << live::usage_text();
        return 0;
    }
    try {
        core_module core;
        player demo = options.shader
                          ? player(&core, piece::shader_piece(options.shader->string(),
                                                              options.music ? options.music->string() : ""))
                          : player(&core, options.piece);
        for (const auto& [option, t] : live::requested_times(options)) {
            if (const auto why = time_beyond_piece(option, t, demo.piece.length)) {
                std::cerr << "demo_live: " << *why << "\n\n" << live::usage_text();
                return 2;
            }
        }
        live::session session(demo, options);
        session.run();
        return 0;
    } catch (const std::exception& e) {
        // As the demo does: the core module is gone by now, so its records are all written first.
        std::cerr << e.what() << '\n';
        return 1;
    }
}
