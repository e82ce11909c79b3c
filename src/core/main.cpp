#include "core/core_module.hpp"
#include "player/player.hpp"

#include <exception>
#include <iostream>

int main() try {
    core_module core;
    player demo(&core);
    demo.run();
    return 0;
} catch (const std::exception& e) {
    // The core module is gone by now, so its records are all written before this message.
    std::cerr << e.what() << '\n';
    return 1;
}
