#pragma once

#include "acts/piece_act.hpp"
#include "player/camera.hpp"
#include "sound/sound_state.hpp"

#include <cstdint>
#include <memory>
#include <random>

class player;

// A piece of today's format played as an act of another: its own model, camera, event tracks and random
// generator, so that its picture at its own time is exactly the picture the piece shows alone at that
// time. Its history is stepped at the replay's fixed frame times from its own 0, caught up when the act
// begins. Needs the window's context current for its whole life.
class scene_act {
public:
    // `played` must have its detected tracks filled. The camera starts where the host's does, with its lens.
    scene_act(player& host, std::shared_ptr<const piece::piece_data> played);

    // Moves the scene to its own time `t` (no GL): on the first step after a rewind the frames from its
    // own 0 up to t are stepped first.
    void step(double t);
    // Draws the last step into the bound framebuffer.
    void draw(player& host);
    // Back to before its first frame.
    void rewind();

    const piece::piece_data& piece() const { return *played; }
    piece_act& act() { return *scene; }

private:
    // Times within this many seconds of a frame time are that frame's time, so that an act whose start
    // and offset fall on frames steps exactly where the piece alone does.
    static constexpr double on_frame = 1e-6;

    std::shared_ptr<const piece::piece_data> played;
    std::unique_ptr<obj_model> model;
    // The host's camera gives the lens, which a capture or the window may change.
    const ::camera& lens;
    ::camera view;
    glm::vec3 start_position;
    float start_pan;
    float start_tilt;
    float start_distance;
    ::sound_state tracks;
    std::mt19937 rng;
    std::unique_ptr<piece_act> scene;
    bool begun = false;
};
