#include "core/core_module.hpp"
#ifdef ENGINE_HAS_PLAYER
#include "player/player.hpp"
#endif

#include <exception>
#include <iostream>

int main() try {
    core_module core;
#ifdef ENGINE_HAS_PLAYER
    player demo(&core);
    demo.run();
#endif
    return 0;
} catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
}
