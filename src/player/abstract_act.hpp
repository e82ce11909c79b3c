#pragma once

#include <span>
#include <string>

class player;

// What a reload of shader files did to an act's programs.
struct shader_reload {
    int built = 0;   // programs built anew from the files, in use from the next frame
    int failed = 0;  // programs whose new build failed: the last good build stays in use
    int failing = 0; // programs whose files do not build as they stand, after this reload or an earlier one
    std::string first_error; // the first message of a failing program, naming its file and line, where known
};

// One part of the production. begin is called once, on the first frame after the act's scheduled start.
// A frame is two halves: step moves the act to the player's time without touching the GL (timeline
// values, emitters, particles, camera), draw renders what the last step left into the bound framebuffer;
// the player presents it. Frames that only carry the history to a later one are stepped without being
// drawn.
class abstract_act {
public:
    virtual ~abstract_act() = default;
    virtual void begin() = 0;
    virtual void step(player& p) = 0;
    virtual void draw(player& p) = 0;
    // Forgets the history that the steps built up, back to the state before the first frame.
    virtual void rewind() = 0;
    // Rebuilds the programs made from any of the shader files `changed` (paths as the act opened them;
    // empty: every program). An act without shader files has nothing to rebuild.
    virtual shader_reload reload_shaders(player& p, std::span<const std::string> changed);
};

inline shader_reload abstract_act::reload_shaders(player&, std::span<const std::string>) {
    return {};
}
