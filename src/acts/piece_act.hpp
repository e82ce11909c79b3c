#pragma once

#include "acts/emitters.hpp"
#include "model/mesh_chunks.hpp"
#include "model/obj_model.hpp"
#include "acts/particle_system.hpp"
#include "acts/sprite_program.hpp"
#include "gl/shader_file.hpp"
#include "piece/piece.hpp"
#include "piece/scene_values.hpp"
#include "gl/buffer.hpp"
#include "gl/program_object.hpp"
#include "gl/vertex_array.hpp"
#include "logger/log_manager.hpp"
#include "player/abstract_act.hpp"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

class camera;
class sound_state;

// The act that plays a piece: the player's model lit by two lights, with the piece's particle bursts
// driven by its event tracks, its curves and its camera flight. Owns every GL object it draws with, so it
// must be created and destroyed while the window's context is current.
class piece_act : public abstract_act {
public:
    // Plays host.piece, which must outlive the act. `scene_model` stays the caller's; it must outlive the act. Once the act has uploaded it, the model's
    // vertex and triangle arrays are emptied (the GL buffers hold them); its groups and materials stay.
    piece_act(obj_model* scene_model, player& host);
    // What a scene plays with besides its piece: the player's own for the piece the player plays, a scene
    // act's own for the piece of that act.
    struct scene_binding {
        ::camera* camera;
        ::sound_state* tracks;
        std::mt19937* rng;
    };
    // Plays `played` (which must outlive the act) with the camera, tracks and generator of `with`.
    piece_act(obj_model* scene_model, player& host, const piece::piece_data& played, scene_binding with);
    ~piece_act() override = default;
    piece_act(const piece_act&) = delete;
    piece_act& operator=(const piece_act&) = delete;

    // Restarts the particle step from time 0; the textures are bound and the clear colour set by the next
    // draw, so that begin needs no GL.
    void begin() override;
    void step(player& p) override;
    // step at the scene's own time t.
    void step_at(double t);
    void draw(player& p) override;
    // Kills every particle and clears the emitters' bookkeeping (the sprites' texture indices stay).
    void rewind() override;
    // The scene and particle programs are made from the piece's shader files (by default shaders/cube.vert
    // and cube.frag; shaders/particles.vert, .geom and .frag). Each rebuild logs the records of the start-up.
    shader_reload reload_shaders(player& p, std::span<const std::string> changed) override;
    // After the host's piece was replaced by one with the same assets, shaders, sprites and pool size:
    // the shader stages name their files from the new data, and the next draw sets the background. The
    // history goes with the next rewind.
    void piece_replaced();

    double previous_time = 0.0;
    obj_model* model;
    const piece::piece_data& piece;
    scene_binding scene;
    std::unique_ptr<obj_model> own_model;
    particle_system particles;
    // The emitters' last-burst times and slot counters, kept for the whole run.
    emitter_state emitters;
    gl::buffer scene_vertex_buffer;
    gl::buffer scene_index_buffer;
    gl::vertex_array scene_vertex_array;
    program_object scene_program;
    program_object particle_program;
    // Positions only, for the depth pre-pass; made from the scene program's vertex shader.
    program_object depth_program;
    gl::vertex_array depth_vertex_array;
    bool depth_program_ready = false;
    // The model cut into runs of nearby triangles, drawn only when in view.
    std::vector<mesh_chunk> model_chunks;
    // Whether chunks out of view are left out: only under the stock scene vertex shader, whose transform
    // the culling mirrors.
    bool culling_chunks = false;
    bool culling_chosen = false; // set by the first linked scene program
    std::size_t model_triangle_count = 0;
    // Where the model's triangles in reverse order start in the scene's index buffer.
    std::size_t reversed_model_first = 0;
    gl::buffer particle_vertex_buffer;
    gl::vertex_array particle_vertex_array;
    // Sprites as instanced quads (no geometry shaders), chosen when the act is made; then the live records
    // are packed for the draw.
    const bool sprites_as_quads = !sprites_by_geometry_shader();
    mutable std::vector<particle_vertex> live_records;
    // What the last step computed for the draw.
    scene_state frame_state;
    // The sprites' texture units and the background are set at the next draw.
    bool draw_state_unset = false;
    // The program's files did not build at the last try; the program in use is the last good one, if any.
    bool scene_program_failing = false;
    bool particle_program_failing = false;
    std::array<shader_stage, 2> scene_stages;
    std::array<shader_stage, 3> particle_stages;

private:
    // Where the act's own notices go: the host's records.
    logger::log_manager& records;
    void check_named_files() const;
    void check_sprite_units() const;
    void build_scene_program(player& host);
    void upload_scene_geometry();
    void describe_scene_attributes() const;
    void set_scene_samplers() const;
    void build_depth_program(const std::string& vertex_source);
    void choose_culling(const std::string& vertex_source, logger::log_manager& log);
    void describe_depth_attributes() const;
    program_build build_particles(program_object& program, logger::log_manager& log) const;
    void build_particle_program(player& host);
    void describe_particle_attributes() const;
    void set_particle_samplers() const;
    void warn_of_unfed_curves() const;
    void follow_texture_indices(const std::vector<int>& fresh);
    void bind_textures() const;
    void draw_model(const scene_state& state) const;
    void draw_particles(const player& p, const scene_state& state) const;
    void draw_instanced_sprites() const;
};
