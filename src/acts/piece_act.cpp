#include "acts/piece_act.hpp"

#include "acts/chunk_culling.hpp"
#include "acts/declared_samplers.hpp"
#include "acts/scene_frame.hpp"
#include "acts/shader_interface.hpp"
#include "acts/sprite_program.hpp"
#include "core/core_module.hpp"
#include "core/exceptions.hpp"
#include "gl/shader_file.hpp"
#include "gl/texture_2d.hpp"
#include "model/vertex_weld.hpp"
#include "piece/closest_name.hpp"
#include "piece/piece_error.hpp"
#include "piece/unread_file.hpp"
#include "platform/gl_api.hpp"
#include "platform/window.hpp"
#include "player/player.hpp"

#include <glm/gtc/type_ptr.hpp>
#include <glm/mat4x4.hpp>

#include <algorithm>
#include <array>
#include <cstddef>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace si = shader_interface;

namespace {

void bind_on_unit(const gl::texture_2d& texture, GLuint unit) {
    glapi::glActiveTexture(GL_TEXTURE0 + unit);
    texture.bind();
}

// Bind on the unit, clamp and filter linearly. No mipmaps are built: with GL_LINEAR as the minifying
// filter only the full-size image is ever sampled, so they would cost start-up time and memory (a third
// more per texture) without changing a pixel.
void prepare_texture(const gl::texture_2d& texture, GLuint unit) {
    bind_on_unit(texture, unit);
    gl::texture_2d::parameter(GL_TEXTURE_WRAP_S, GLint{GL_CLAMP_TO_EDGE});
    gl::texture_2d::parameter(GL_TEXTURE_WRAP_T, GLint{GL_CLAMP_TO_EDGE});
    gl::texture_2d::parameter(GL_TEXTURE_MIN_FILTER, GLint{GL_LINEAR});
    gl::texture_2d::parameter(GL_TEXTURE_MAG_FILTER, GLint{GL_LINEAR});
}

constexpr const char* scene_announcement = "Linking shaders to a program object... ";
constexpr const char* particle_announcement = "Linking particle shaders to a program object... ";

// Whether the program of `stages` is made from any of `files`; every program is for no files.
bool uses_any(std::span<const shader_stage> stages, std::span<const std::string> files) {
    if (files.empty()) return true;
    return std::any_of(stages.begin(), stages.end(), [&](const shader_stage& stage) {
        return std::find(files.begin(), files.end(), stage.path) != files.end();
    });
}

// Every attribute of the bound vertex array off, before a relinked program describes its own.
void disable_all_attributes() {
    GLint count = 0;
    glapi::glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &count);
    for (GLint i = 0; i < count; ++i)
        gl::vertex_array::disable_attrib(static_cast<GLuint>(i));
}

// Describes one float attribute of the bound vertex array; a name the program lacks is skipped.
void describe_attribute(const program_object& program, const char* name, GLint components, GLsizei stride,
                        std::size_t offset, GLuint divisor = 0) {
    const GLint location = program.attrib_location(name);
    if (location < 0) return;
    const auto index = static_cast<GLuint>(location);
    gl::vertex_array::attrib_pointer(index, components, GL_FLOAT, false, stride,
                                     reinterpret_cast<const void*>(offset));
    gl::vertex_array::enable_attrib(index);
    if (divisor != 0) glapi::glVertexAttribDivisor(index, divisor);
}

void set_uniform(const program_object& program, const char* name, const glm::mat4& value) {
    glapi::glUniformMatrix4fv(program.uniform_location(name), 1, GL_FALSE, glm::value_ptr(value));
}

void set_uniform(const program_object& program, const char* name, const glm::vec3& value) {
    glapi::glUniform3f(program.uniform_location(name), value.x, value.y, value.z);
}

void set_uniform(const program_object& program, const char* name, float value) {
    glapi::glUniform1f(program.uniform_location(name), value);
}

void set_uniform(const program_object& program, const char* name, GLint value) {
    glapi::glUniform1i(program.uniform_location(name), value);
}

glm::mat4 model_to_view(const ::camera& view, const scene_state& state) {
    return view.target_to_view * view.world_to_target * state.model;
}

// The uniforms both passes share: camera, lights in view space, ambient and the two multipliers.
void set_shared_uniforms(const program_object& program, const ::camera& view, const piece::piece_data& played,
                         const scene_state& state) {
    const glm::mat4 to_view = model_to_view(view, state);
    set_uniform(program, si::view_to_clip, view.view_to_clip);
    set_uniform(program, si::model_to_view, to_view);
    set_uniform(program, si::light1_position, glm::vec3(to_view * glm::vec4(state.light_positions[0], 1.0f)));
    set_uniform(program, si::light2_position, glm::vec3(to_view * glm::vec4(state.light_positions[1], 1.0f)));
    set_uniform(program, si::light1_intensity, state.light_intensities[0]);
    set_uniform(program, si::light2_intensity, state.light_intensities[1]);
    set_uniform(program, si::ambient_light, state.ambient);
    set_uniform(program, si::desaturate_multiplier, state.desaturate);
    set_uniform(program, si::fade_to_black_multiplier, state.fade);
    const std::array<double, 3>& sky = played.background;
    set_uniform(program, si::background_color,
                glm::vec3(static_cast<float>(sky[0]), static_cast<float>(sky[1]),
                          static_cast<float>(sky[2])));
    // The piece's curves of other uniforms; a name the program lacks is -1, which GL ignores.
    for (const uniform_value& u : state.uniforms) {
        const GLint location = program.uniform_location(u.name->c_str());
        if (u.components == 1) glapi::glUniform1f(location, u.value.x);
        else glapi::glUniform3f(location, u.value.x, u.value.y, u.value.z);
    }
}

} // namespace

piece_act::piece_act(obj_model* scene_model, player& host)
    : piece_act(scene_model, host, host.piece, {&host.camera, &host.sound_state, &host.rng}) {}

piece_act::piece_act(obj_model* scene_model, player& host, const piece::piece_data& played, scene_binding with)
    : model(scene_model)
    , piece(played)
    , scene(with)
    , particles(played.pool_size)
    , emitters(played)
    , scene_stages{{{shader_object::vertex, piece.scene_shaders[0].c_str()},
                    {shader_object::fragment, piece.scene_shaders[1].c_str()}}}
    , particle_stages{{{shader_object::vertex, piece.particle_shaders[0].c_str()},
                       {shader_object::geometry, piece.particle_shaders[1].c_str()},
                       {shader_object::fragment, piece.particle_shaders[2].c_str()}}}
    , records(host.core->log_manager) {
    check_named_files();
    own_model = piece.extra_model ? load_obj(*piece.extra_model, &host.core->log_manager)
                                  : std::make_unique<obj_model>();
    std::cout << " constructing test_act" << std::endl;

    check_sprite_units();
    particles.textures.reserve(piece.sprites.size());
    for (const piece::sprite& sprite : piece.sprites) {
        try {
            particles.textures.push_back(gl::texture_2d::from_file(sprite.file, sprite.alpha ? GL_RGBA : GL_RGB));
        } catch (const runtime_error& e) {
            const std::string place = piece::unread_file_place(piece, sprite.file, sprite.file_at);
            if (place.empty()) throw;
            throw runtime_error(piece::with_place(e.what(), place));
        }
    }

    build_scene_program(host);
    upload_scene_geometry();
    build_particle_program(host);
    warn_of_unfed_curves();
}

// The models and shaders a piece file names must be there: without them the piece would play with a pass
// or a model missing (the built-in piece still does, as it always has). The model is loaded by the host
// before the act is made; checked here too for a host that reloads the piece.
void piece_act::check_named_files() const {
    const auto refuse = [this](const std::string& path, const piece::file_place& at, const std::string& words) {
        const std::string place = piece::unread_file_place(piece, path, at);
        if (!place.empty()) throw runtime_error(words + " '" + path + "'" + place + ".");
    };
    refuse(piece.model, piece.model_at, "load_obj(): Unable to open model file");
    if (piece.extra_model) refuse(*piece.extra_model, piece.extra_model_at, "load_obj(): Unable to open model file");
    for (std::size_t i = 0; i < piece.scene_shaders.size(); ++i)
        refuse(piece.scene_shaders[i], piece.scene_shaders_at[i], "Unable to read shader source from");
    for (std::size_t i = 0; i < piece.particle_shaders.size(); ++i)
        refuse(piece.particle_shaders[i], piece.particle_shaders_at[i], "Unable to read shader source from");
}

// A sampler's unit must be one the driver gives a program.
void piece_act::check_sprite_units() const {
    GLint units = 0;
    glapi::glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    for (const piece::sprite& sprite : piece.sprites) {
        if (sprite.sampler && sprite.unit >= units)
            throw piece::piece_error(piece.file, sprite.line, sprite.column,
                                     "sprite '" + sprite.name + "' is on unit " + std::to_string(sprite.unit) +
                                         ", but a program here has only units 0 to " + std::to_string(units - 1));
    }
}

void piece_act::build_scene_program(player& host) {
    const program_build outcome =
        build_program(scene_program, scene_stages, scene_announcement, host.core->log_manager);
    scene_program_failing = !outcome.linked;
    if (outcome.linked) {
        build_depth_program(outcome.vertex_source);
        choose_culling(outcome.vertex_source, host.core->log_manager);
    }
}

// One record when culling turns off (and on again): silence would leave a user wondering why the frame
// time grew after editing the vertex shader.
void piece_act::choose_culling(const std::string& vertex_source, logger::log_manager& log) {
    const bool stock = culling_mirrors(vertex_source);
    if (culling_chosen && stock == culling_chunks) return;
    if (!stock) {
        log.info("The scene vertex shader is not the stock shaders/cube.vert: every chunk of the model is "
                 "drawn (culling off).");
    } else if (culling_chosen) {
        log.info("The scene vertex shader is the stock one again: chunks out of view are culled.");
    }
    culling_chosen = true;
    culling_chunks = stock;
}

// The depth pre-pass runs the scene's own vertex shader, so both passes compute the same positions and
// the lit pass finds exactly the depth the pre-pass wrote; its fragment stage does nothing. It is built
// quietly: it is a way of drawing the scene program's picture, not a program of its own. Without it the
// model is drawn in one pass.
void piece_act::build_depth_program(const std::string& vertex_source) {
    program_object fresh;
    shader_object vertex(shader_object::vertex, vertex_source, true);
    shader_object fragment(shader_object::fragment, "#version 330 core\nvoid main() {}\n", true);
    depth_program_ready = false;
    if (vertex.compile_status() != GL_TRUE || fragment.compile_status() != GL_TRUE) return;
    fresh.attach(std::move(vertex));
    fresh.attach(std::move(fragment));
    const bool linked = fresh.link();
    fresh.detach_all();
    if (!linked || fresh.attrib_location(si::attribute_position) < 0) return;
    depth_program = std::move(fresh);
    depth_program_ready = true;
}

// With the scene vertex and index buffers made: the depth pass reads positions only, from the same
// buffers.
void piece_act::describe_depth_attributes() const {
    if (!depth_program_ready) return;
    depth_vertex_array.bind();
    scene_vertex_buffer.bind();
    scene_index_buffer.bind();
    disable_all_attributes();
    describe_attribute(depth_program, si::attribute_position, 3, static_cast<GLsizei>(sizeof(model_vertex)),
                       offsetof(model_vertex, position));
}

void piece_act::upload_scene_geometry() {
    scene_vertex_array.bind();
    scene_vertex_buffer = gl::buffer(gl::buffer::array);
    scene_vertex_buffer.bind();
    scene_index_buffer = gl::buffer(gl::buffer::element_array);
    scene_index_buffer.bind();

    // The model is drawn from its welded vertices, the same triangles in the same order; the second
    // model follows as loaded, its indices relative to its own first vertex.
    const welded_mesh welded = weld_vertices(model->vertices, model->triangles);
    model_chunks = chunk_triangles(model->vertices, model->triangles, model->groups);
    const auto model_bytes = static_cast<GLsizeiptr>(welded.vertices.size() * sizeof(model_vertex));
    const auto own_bytes = static_cast<GLsizeiptr>(own_model->vertices.size() * sizeof(model_vertex));
    scene_vertex_buffer.data(model_bytes + own_bytes, nullptr, gl::buffer::static_draw);
    scene_vertex_buffer.subdata(0, model_bytes, welded.vertices.data());
    scene_vertex_buffer.subdata(model_bytes, own_bytes, own_model->vertices.data());

    // Built here and released after the upload: the buffer holds the only copy the draws need.
    std::vector<std::uint32_t> scene_indices;
    scene_indices.reserve(2 * welded.indices.size() + 3 * own_model->triangles.size());
    scene_indices.assign(welded.indices.begin(), welded.indices.end());
    for (const triangle& tri : own_model->triangles)
        scene_indices.insert(scene_indices.end(), tri.indices.begin(), tri.indices.end());
    // The model's triangles once more, last to first (each keeps its corners' order): see draw_model.
    reversed_model_first = scene_indices.size();
    for (std::size_t end = welded.indices.size(); end > 0; end -= 3)
        scene_indices.insert(scene_indices.end(),
                             welded.indices.begin() + static_cast<std::ptrdiff_t>(end - 3),
                             welded.indices.begin() + static_cast<std::ptrdiff_t>(end));
    scene_index_buffer.data(static_cast<GLsizeiptr>(scene_indices.size() * sizeof(std::uint32_t)),
                            scene_indices.data(), gl::buffer::static_draw);

    // The buffers hold the only copy the draws need: the model's arrays go (a few megabytes for the
    // whole run), its groups and materials stay.
    model_triangle_count = model->triangles.size();
    std::vector<model_vertex>().swap(model->vertices);
    std::vector<triangle>().swap(model->triangles);

    describe_scene_attributes();
    describe_depth_attributes();
    scene_vertex_array.bind();

    scene_program.use();
    for (const model_material& material : model->materials) {
        prepare_texture(material.diffuse_map, 0);
        prepare_texture(material.specular_map, 1);
        prepare_texture(material.normal_map, 2);
    }
    set_scene_samplers();
}

// With the scene vertex array and vertex buffer bound.
void piece_act::describe_scene_attributes() const {
    constexpr auto stride = static_cast<GLsizei>(sizeof(model_vertex));
    describe_attribute(scene_program, si::attribute_position, 3, stride, offsetof(model_vertex, position));
    describe_attribute(scene_program, si::attribute_normal, 3, stride, offsetof(model_vertex, normal));
    describe_attribute(scene_program, si::attribute_uv, 2, stride, offsetof(model_vertex, uv));
}

// With the scene program in use.
void piece_act::set_scene_samplers() const {
    set_uniform(scene_program, si::diffuse_map, 0);
    set_uniform(scene_program, si::specular_map, 1);
    set_uniform(scene_program, si::normal_map, 2);
}

// Where there are no geometry shaders the sprites are instanced quads of a joined vertex shader.
program_build piece_act::build_particles(program_object& program, logger::log_manager& log) const {
    if (!sprites_as_quads) return build_program(program, particle_stages, particle_announcement, log);
    return build_sprite_program(program, particle_stages, particle_announcement, log);
}

void piece_act::build_particle_program(player& host) {
    const program_build outcome = build_particles(particle_program, host.core->log_manager);
    particle_program_failing = !outcome.linked;
    // The particles' texture indices follow the samplers' names; without a program, the reader's order.
    if (outcome.linked) emitters.texture_indices = sprite_texture_indices(piece, outcome.sources);

    particle_program.use();
    particle_vertex_array.bind();
    particle_vertex_buffer = gl::buffer(gl::buffer::array);
    particle_vertex_buffer.bind();
    particle_vertex_buffer.data(static_cast<GLsizeiptr>(particles.size() * sizeof(particle_vertex)), nullptr,
                                gl::buffer::stream_draw);
    describe_particle_attributes();

    for (std::size_t i = 0; i < piece.sprites.size(); ++i) {
        if (piece.sprites[i].sampler)
            prepare_texture(particles.textures[i], static_cast<GLuint>(piece.sprites[i].unit));
    }
    set_particle_samplers();
}

// With the particle vertex array and vertex buffer bound. As instanced quads, a record is one instance.
void piece_act::describe_particle_attributes() const {
    constexpr auto stride = static_cast<GLsizei>(sizeof(particle_vertex));
    const GLuint divisor = sprites_as_quads ? 1 : 0;
    describe_attribute(particle_program, si::position, 3, stride, offsetof(particle_vertex, position), divisor);
    describe_attribute(particle_program, si::texture_index, 1, stride, offsetof(particle_vertex, texture_index),
                       divisor);
    describe_attribute(particle_program, si::brightness, 1, stride, offsetof(particle_vertex, brightness), divisor);
    describe_attribute(particle_program, si::particle_size, 1, stride, offsetof(particle_vertex, particle_size),
                       divisor);
}

// With the particle program in use.
void piece_act::set_particle_samplers() const {
    for (const piece::sprite& sprite : piece.sprites) {
        if (sprite.sampler) set_uniform(particle_program, sprite.sampler->c_str(), static_cast<GLint>(sprite.unit));
    }
}

// A curve aimed at a uniform neither program uses does nothing: say so once per name, with the name the
// programs have that comes closest to it, after every build or reload that leaves both programs linked.
void piece_act::warn_of_unfed_curves() const {
    if (scene_program_failing || particle_program_failing) return;
    std::vector<std::string> fed;
    std::vector<std::string> suggested; // what a curve can feed: float and vec3 uniforms
    for (const program_object* program : {&scene_program, &particle_program}) {
        for (const program_object::uniform_info& u : program->active_uniforms()) {
            fed.push_back(u.name);
            if (u.type == GL_FLOAT || u.type == GL_FLOAT_VEC3) suggested.push_back(u.name);
        }
    }
    std::vector<std::string> warned;
    for (const piece::curve& c : piece.curves) {
        const std::string& target = c.target;
        if (std::find(fed.begin(), fed.end(), target) != fed.end()) continue;
        if (std::find(warned.begin(), warned.end(), target) != warned.end()) continue;
        warned.push_back(target);
        std::string text = "the curve '" + target + "' feeds no uniform of the scene or particle programs";
        if (const std::optional<std::string> near = piece::closest_name(target, suggested))
            text += "; did you mean '" + *near + "'?";
        records.warning(text);
    }
}

shader_reload piece_act::reload_shaders(player& p, std::span<const std::string> changed) {
    logger::log_manager& log = p.core->log_manager;
    shader_reload result;
    // A new program replaces the one in use only when it links and `refusal` finds nothing wrong with it;
    // the vertex arrays then follow its attribute locations, which may have moved, and its samplers get
    // their units.
    const auto rebuild = [&](program_object& in_use, std::span<const shader_stage> stages,
                             const char* announcement, const char* what, bool& failing, const auto& refusal,
                             const auto& adopt) {
        if (!uses_any(stages, changed)) return;
        program_object fresh;
        const program_build outcome = stages.data() == particle_stages.data()
                                          ? build_particles(fresh, log)
                                          : build_program(fresh, stages, announcement, log);
        const std::string refused = outcome.linked ? refusal(outcome) : std::string();
        if (outcome.linked && refused.empty()) {
            in_use = std::move(fresh);
            adopt(outcome);
            failing = false;
            ++result.built;
            return;
        }
        failing = true;
        ++result.failed;
        std::string files;
        for (const std::string& f : outcome.not_compiled)
            files += (files.empty() ? "'" : ", '") + f + "'";
        const std::string why = !refused.empty() ? "does not fit the piece: " + refused
                                : files.empty()  ? "does not link"
                                                 : "does not build: " + files + " failed to compile";
        log.error(std::string("Shader reload: the ") + what + " program " + why +
                  "; the last good program stays in use.");
    };
    const auto accepted = [](const program_build&) { return std::string(); };
    std::vector<int> texture_indices;
    rebuild(scene_program, scene_stages, scene_announcement, "scene", scene_program_failing, accepted,
            [this, &log](const program_build& built) {
                build_depth_program(built.vertex_source);
                choose_culling(built.vertex_source, log);
                describe_depth_attributes();
                scene_vertex_array.bind();
                scene_vertex_buffer.bind();
                disable_all_attributes();
                describe_scene_attributes();
                scene_program.use();
                set_scene_samplers();
            });
    rebuild(particle_program, particle_stages, particle_announcement, "particle", particle_program_failing,
            [this, &texture_indices](const program_build& built) {
                try {
                    texture_indices = sprite_texture_indices(piece, built.sources);
                } catch (const piece::piece_error& e) {
                    return std::string(e.what());
                }
                return std::string();
            },
            [this, &texture_indices](const program_build&) {
                follow_texture_indices(texture_indices);
                particle_vertex_array.bind();
                particle_vertex_buffer.bind();
                disable_all_attributes();
                describe_particle_attributes();
                particle_program.use();
                set_particle_samplers();
            });
    result.failing = (scene_program_failing ? 1 : 0) + (particle_program_failing ? 1 : 0);
    if (result.built > 0) warn_of_unfed_curves();
    return result;
}

void piece_act::piece_replaced() {
    draw_state_unset = true;
    for (std::size_t i = 0; i < scene_stages.size(); ++i)
        scene_stages[i].path = piece.scene_shaders[i].c_str();
    for (std::size_t i = 0; i < particle_stages.size(); ++i)
        particle_stages[i].path = piece.particle_shaders[i].c_str();
    warn_of_unfed_curves(); // the curves may be new
}

void piece_act::bind_textures() const {
    for (std::size_t i = 0; i < piece.sprites.size(); ++i) {
        if (piece.sprites[i].sampler) bind_on_unit(particles.textures[i], static_cast<GLuint>(piece.sprites[i].unit));
    }
}

void piece_act::begin() {
    draw_state_unset = true;
    previous_time = 0.0;
}

void piece_act::step(player& p) {
    step_at(p.time);
}

void piece_act::step_at(double t) {
    frame_state = advance_scene(piece, t, previous_time, *scene.tracks, *scene.camera, particles, emitters, *scene.rng);
    previous_time = t;
}

void piece_act::draw(player& p) {
    if (draw_state_unset) {
        bind_textures();
        glapi::glClearColor(static_cast<float>(piece.background[0]), static_cast<float>(piece.background[1]),
                            static_cast<float>(piece.background[2]), 1.0f);
        draw_state_unset = false;
    }
    draw_model(frame_state);
    draw_particles(p, frame_state);
}

void piece_act::rewind() {
    particles.clear();
    std::vector<int> texture_indices = std::move(emitters.texture_indices);
    emitters = emitter_state(piece);
    emitters.texture_indices = std::move(texture_indices);
    previous_time = 0.0;
}

// The live particles keep their sprites under a program that declares the samplers in another order.
void piece_act::follow_texture_indices(const std::vector<int>& fresh) {
    const std::vector<int>& old = emitters.texture_indices;
    for (std::size_t i = 0; i < particles.size(); ++i) {
        if (!particles.alive[i]) continue;
        float& index = particles.vertices[i].texture_index;
        const auto sprite = std::find(old.begin(), old.end(), static_cast<int>(index));
        if (sprite != old.end())
            index = static_cast<float>(fresh[static_cast<std::size_t>(sprite - old.begin())]);
    }
    emitters.texture_indices = fresh;
}

void piece_act::draw_model(const scene_state& state) const {
    glapi::glEnable(GL_DEPTH_TEST);
    glapi::glDepthMask(GL_TRUE);
    glapi::glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const glm::mat4 to_view = model_to_view(*scene.camera, state);

    // The chunks that can reach the picture; the rest would be clipped away whole.
    std::vector<char> visible(model_chunks.size());
    for (std::size_t i = 0; i < model_chunks.size(); ++i)
        visible[i] = !culling_chunks || !box_outside_view(scene.camera->view_to_clip, to_view, model_chunks[i].low,
                                                          model_chunks[i].high);
    const auto multi_draw = [](const draw_ranges& ranges) {
        if (ranges.empty()) return;
        glapi::glMultiDrawElementsBaseVertex(
            GL_TRIANGLES, ranges.counts.data(), GL_UNSIGNED_INT, ranges.offsets.data(),
            static_cast<GLsizei>(ranges.counts.size()), ranges.base_vertices.data());
    };

    // Depth first, so that the lit pass shades each covered pixel once instead of every layer of the
    // courtyard; it then keeps the fragments at exactly the nearest depth (GL_LEQUAL) and writes none.
    // Where triangles tie at that depth, the one pass with GL_LESS kept the first of them in draw order
    // and GL_LEQUAL keeps the last: so the lit pass draws the triangles last to first, and the same
    // triangle wins every pixel.
    if (depth_program_ready) {
        depth_vertex_array.bind();
        depth_program.use();
        set_uniform(depth_program, si::view_to_clip, scene.camera->view_to_clip);
        set_uniform(depth_program, si::model_to_view, to_view);
        draw_ranges all;
        for (std::size_t i = 0; i < model_chunks.size(); ++i)
            if (visible[i]) all.add(3 * model_chunks[i].first_triangle, 3 * model_chunks[i].triangle_count);
        glapi::glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        multi_draw(all);
        glapi::glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glapi::glDepthFunc(GL_LEQUAL);
        glapi::glDepthMask(GL_FALSE);
    }

    scene_vertex_array.bind();
    scene_vertex_buffer.bind();
    scene_index_buffer.bind();
    scene_program.use();

    set_shared_uniforms(scene_program, *scene.camera, piece, state);
    set_uniform(scene_program, si::normal_transform, glm::transpose(glm::inverse(to_view)));
    set_uniform(scene_program, si::use_textures, 1);

    // One draw per material group, each with its own colours and maps on units 0 to 2. Behind a depth
    // pre-pass the groups and their chunks go last to first too, from their places in the reversed
    // indices.
    const std::size_t triangles = model_triangle_count;
    const auto draw_group = [&](std::size_t g) {
        draw_ranges ranges;
        for (std::size_t k = 0; k < model_chunks.size(); ++k) {
            const std::size_t i = depth_program_ready ? model_chunks.size() - 1 - k : k;
            const mesh_chunk& chunk = model_chunks[i];
            if (chunk.group != g || !visible[i]) continue;
            const std::size_t first_index =
                depth_program_ready
                    ? reversed_model_first + 3 * (triangles - chunk.first_triangle - chunk.triangle_count)
                    : 3 * chunk.first_triangle;
            ranges.add(first_index, 3 * chunk.triangle_count);
        }
        if (ranges.empty()) return;
        const model_material& material = model->materials[model->groups[g].material];
        set_uniform(scene_program, si::global_diffuse, material.diffuse_color);
        set_uniform(scene_program, si::global_specular, material.specular_color);
        set_uniform(scene_program, si::global_glossiness, material.glossiness);
        bind_on_unit(material.diffuse_map, 0);
        bind_on_unit(material.specular_map, 1);
        bind_on_unit(material.normal_map, 2);
        multi_draw(ranges);
    };
    const std::size_t groups = model->groups.size();
    for (std::size_t k = 0; k < groups; ++k)
        draw_group(depth_program_ready ? groups - 1 - k : k);
    glapi::glDepthFunc(GL_LESS);
    glapi::glDepthMask(GL_TRUE);
}

// The live records, in slot order, packed together: there are no first instances to start from in WebGL 2.
void piece_act::draw_instanced_sprites() const {
    live_records.clear();
    for (std::size_t run = 0; run < particles.live_run_counts.size(); ++run) {
        const auto first = particles.vertices.begin() + particles.live_run_firsts[run];
        live_records.insert(live_records.end(), first, first + particles.live_run_counts[run]);
    }
    if (live_records.empty()) return;
    particle_vertex_buffer.subdata(0, static_cast<GLsizeiptr>(live_records.size() * sizeof(particle_vertex)),
                                   live_records.data());
    glapi::glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, static_cast<GLsizei>(live_records.size()));
}

void piece_act::draw_particles(const player& p, const scene_state& state) const {
    glapi::glEnable(GL_BLEND);
    glapi::glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Sprites are tested against the model's depth but do not hide each other's soft edges.
    glapi::glDepthMask(GL_FALSE);
    particle_vertex_array.bind();
    particle_vertex_buffer.bind();
    particle_program.use();
    if (!sprites_as_quads) {
        particle_vertex_buffer.subdata(0, static_cast<GLsizeiptr>(particles.vertices.size() * sizeof(particle_vertex)),
                                       particles.vertices.data());
    }

    set_shared_uniforms(particle_program, *scene.camera, piece, state);
    glapi::glUniform2i(particle_program.uniform_location(si::screen_size), p.screen_width, p.screen_height);

    // Only the live slots, in slot order: the dead ones make no sprite, and the order keeps the blending.
    if (sprites_as_quads) {
        draw_instanced_sprites();
    } else if (!particles.live_run_counts.empty()) {
        glapi::glMultiDrawArrays(GL_POINTS, particles.live_run_firsts.data(),
                                 particles.live_run_counts.data(),
                                 static_cast<GLsizei>(particles.live_run_counts.size()));
    }
    glapi::glDepthMask(GL_TRUE);
    glapi::glDisable(GL_BLEND);
}
