#pragma once

#include "acts/channel_images.hpp"
#include "acts/pass_program.hpp"
#include "acts/piece_act.hpp"
#include "acts/scene_act.hpp"
#include "passes/fullscreen_pass.hpp"
#include "passes/music_texture.hpp"
#include "passes/render_target.hpp"
#include "piece/piece.hpp"
#include "player/abstract_act.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace music {
class music_spectrum;
}

// The act that plays a piece of acts, buffers and post passes. A frame: the music texture and the buffers
// at the piece's time, in order (in the step, since a buffer that reads its own last frame needs every
// frame before it, also when a replay steps without drawing); then, drawing, each act alive at t into a
// picture of its own, the later one's transition over the two where they overlap, the post passes whose
// range holds t, and the result into the bound framebuffer. A piece with buffers or post passes but no
// acts is its own scene, the one act. Needs the window's context current for its whole life.
class composition_act : public abstract_act {
public:
    // Builds every program and reads every image the piece names; a shader that does not build stops here
    // with runtime_error naming the piece's line and the shader's file and lines. `own_model` is the
    // piece's model when it is its own scene (else unused).
    composition_act(player& host, obj_model* own_model);
    ~composition_act() override;

    void begin() override;
    void step(player& p) override;
    void draw(player& p) override;
    void rewind() override;
    shader_reload reload_shaders(player& p, std::span<const std::string> changed) override;

    // The frames stepped since the piece's 0, the last one 0: iFrame of buffers and post passes.
    std::int64_t frames() const { return frame; }

private:
    struct buffer_state {
        const piece::buffer_pass* data;
        pass_program program;
        std::unique_ptr<passes::feedback_target> pictures; // one picture when it does not read itself
    };
    struct act_state {
        const piece::act* data = nullptr; // none: the piece's own scene
        std::optional<pass_program> shader;
        std::unique_ptr<scene_act> scene;
        std::unique_ptr<piece_act> own_scene;
        std::optional<pass_program> transition;
        bool alive = false;
        bool begun = false;
        double own_time = 0.0;
        double previous_own_time = 0.0;
        std::int64_t frame = 0;
        std::unique_ptr<passes::render_target> picture;
    };
    struct post_state {
        const piece::post_pass* data;
        pass_program program;
    };

    void make_buffers(const player& p);
    void step_buffers(player& p);
    passes::shadertoy_inputs inputs_for(const piece::channel_list& channels, int width, int height, double time, double time_delta,
                                        std::int64_t frame_number, GLuint frame_picture) const;
    // Into its own picture, or into what is bound.
    void draw_act(act_state& a, player& p, int width, int height, bool into_picture);
    const passes::render_target& frame_target(int index, int width, int height);

    const piece::piece_data& piece;
    std::vector<passes::named_uniform> extras;
    std::vector<glm::vec4> extra_values;
    std::shared_ptr<const passes::black_texture> black;
    std::unique_ptr<music::music_spectrum> spectrum;
    passes::music_texture music;
    channel_images images;
    std::vector<buffer_state> buffers;
    std::vector<act_state> acts;
    std::vector<post_state> post;
    std::array<std::unique_ptr<passes::render_target>, 2> frame_pictures;
    int buffer_width = 0;
    int buffer_height = 0;
    double previous_time = 0.0;
    double time_delta = 0.0; // of the last step
    std::int64_t frame = -1;
    float sample_rate = 44100.0f;
    glm::vec4 date{0.0f};
};
