#include "acts/composition_act.hpp"

#include "acts/music_samples.hpp"
#include "passes/glsl_uniforms.hpp"
#include "core/core_module.hpp"
#include "core/exceptions.hpp"
#include "music/music_spectrum.hpp"
#include "piece/scene_values.hpp"
#include "platform/gl_api.hpp"
#include "player/player.hpp"
#include "player/replay.hpp"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr const char* crossfade_source = "vec4 transition(vec2 uv) {\n"
                                         "    return mix(getFromColor(uv), getToColor(uv), progress);\n"
                                         "}\n";
constexpr const char* copy_source = "void mainImage(out vec4 colour, in vec2 at) {\n"
                                    "    colour = texelFetch(iChannel0, ivec2(at), 0);\n"
                                    "}\n";
// What a crossfade's messages name.
const piece::named_file crossfade_file{"crossfade", 1, 1};
// Shader files are read whole; a larger one is no shader.
constexpr std::uintmax_t max_shader_bytes = std::uintmax_t{1} << 20;

// Where the piece names the file; nothing for a shader played on its own, which names itself.
std::string where(const piece::piece_data& p, const piece::named_file& f) {
    if (f.file == p.file) return "";
    return p.file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": ";
}

// The file's text, or why it cannot be read.
std::optional<std::string> read_text(const std::string& path, std::string& why) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        why = error.message();
        return std::nullopt;
    }
    if (size > max_shader_bytes) {
        why = "larger than " + std::to_string(max_shader_bytes) + " bytes";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        why = "cannot be read";
        return std::nullopt;
    }
    return text;
}

// An image as Shadertoy's channels read it: upright, its first row at the top (y = 1).
gl::texture_2d upright_texture(const std::string& file) {
    gl::texture_2d::decoded_image image = gl::texture_2d::decode_file(file, GL_RGBA);
    const std::size_t row = 4 * static_cast<std::size_t>(image.width);
    unsigned char* pixels = image.pixels.get();
    for (GLsizei top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + top * row, pixels + (top + 1) * row, pixels + bottom * row);
    return gl::texture_2d::from_image(image);
}

glm::vec4 local_date() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {static_cast<float>(local.tm_year + 1900), static_cast<float>(local.tm_mon),
            static_cast<float>(local.tm_mday),
            static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec)};
}

// The act that ends with the piece holds after it, as the piece's values do.
bool holds(const piece::act& a, double t, double length) {
    return a.from <= t && (t < a.until || a.until >= length);
}

// Steps and rewinds draw between two frames' draws: what those draw into stays bound.
class kept_output {
public:
    kept_output() {
        glapi::glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        glapi::glGetIntegerv(GL_VIEWPORT, viewport);
    }
    ~kept_output() {
        glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
        glapi::glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    }
    kept_output(const kept_output&) = delete;
    kept_output& operator=(const kept_output&) = delete;

private:
    GLint framebuffer = 0;
    GLint viewport[4] = {};
};

} // namespace

composition_act::composition_act(player& host, obj_model* own_model)
    : piece(host.piece)
    , black(std::make_shared<const passes::black_texture>())
    , date(local_date()) {
    for (const piece::curve& c : piece.curves)
        extras.push_back({c.target, c.components});
    for (const piece::track& t : piece.tracks) {
        const bool taken = std::any_of(extras.begin(), extras.end(), [&](const auto& e) { return e.name == t.name; });
        if (!taken && passes::is_glsl_identifier(t.name)) extras.push_back({t.name, 1});
    }
    extra_values.resize(extras.size());

    const music_samples samples = music_samples::of(host);
    sample_rate = static_cast<float>(samples.rate);
    spectrum = std::make_unique<music::music_spectrum>(samples.mono, 1, samples.rate);

    const auto load_images = [&](const piece::channel_list& channels) {
        for (const piece::channel& ch : channels) {
            if (ch.from != piece::channel::source::image || images.count(ch.image.file) != 0) continue;
            try {
                images.emplace(ch.image.file, upright_texture(ch.image.file));
            } catch (const std::exception& e) {
                throw runtime_error(where(piece, ch.image) + "the image '" + ch.image.file + "' does not load: " +
                                    e.what());
            }
        }
    };
    for (const piece::buffer_pass& b : piece.buffers) {
        buffers.push_back({&b, {&b.shader, passes::pass_kind::shadertoy}, nullptr});
        build(buffers.back().program, host, true);
        load_images(b.channels);
    }
    if (piece.acts.empty()) {
        act_state own;
        own.own_scene = std::make_unique<piece_act>(own_model, host);
        acts.push_back(std::move(own));
    }
    for (const piece::act& a : piece.acts) {
        act_state s;
        s.data = &a;
        if (a.shader) {
            s.shader.emplace(&*a.shader, passes::pass_kind::shadertoy);
            build(*s.shader, host, true);
            load_images(a.channels);
        } else {
            s.scene = std::make_unique<scene_act>(host, a.scene);
        }
        if (a.transition) {
            if (a.transition->shader) s.transition.emplace(&*a.transition->shader, passes::pass_kind::transition);
            else s.transition.emplace(&crossfade_file, passes::pass_kind::transition, crossfade_source);
            build(*s.transition, host, true);
        }
        acts.push_back(std::move(s));
    }
    for (const piece::post_pass& pp : piece.post) {
        post.push_back({&pp, {&pp.shader, passes::pass_kind::shadertoy}});
        build(post.back().program, host, true);
        load_images(pp.channels);
    }
    for (const auto& [file, texture] : images) {
        GLint w = 0;
        GLint h = 0;
        glapi::glBindTexture(GL_TEXTURE_2D, texture.id());
        glapi::glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR); // no mipmaps: else incomplete, black
        glapi::glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glapi::glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        image_sizes[file] = {static_cast<float>(w), static_cast<float>(h), 1.0f};
    }
    glapi::glBindTexture(GL_TEXTURE_2D, 0);
    copy_pass = std::make_unique<passes::fullscreen_pass>(passes::pass_kind::shadertoy, copy_source, "copy",
                                                          std::span<const passes::named_uniform>{}, black);
}

composition_act::~composition_act() = default;

void composition_act::build(pass_program& program, player& host, bool at_start) {
    std::string source;
    if (program.builtin != nullptr) {
        source = program.builtin;
    } else {
        std::string why;
        const std::optional<std::string> text = read_text(program.file->file, why);
        if (!text) {
            const std::string message = where(piece, *program.file) + "the shader '" + program.file->file + "' " +
                                        (why.empty() ? "cannot be read" : why);
            if (at_start) throw runtime_error(message);
            host.core->log_manager.error(message);
            program.failing = true;
            program.error = message;
            return;
        }
        source = *text;
    }
    try {
        program.built.emplace(program.kind, source, program.file->file, extras, black);
        program.failing = false;
        if (!program.built->warnings().empty()) host.core->log_manager.warning(program.built->warnings());
    } catch (const std::exception& e) {
        const std::string message = where(piece, *program.file) + "the shader '" + program.file->file +
                                    "' does not build:\n" + e.what();
        if (at_start) throw runtime_error(message);
        host.core->log_manager.error(message);
        program.failing = true;
        const std::string log = e.what();
        program.error = log.substr(0, log.find('\n'));
    }
}

const passes::fullscreen_pass& composition_act::usable(const pass_program& program) const {
    // Every program built at start-up, or the act was not made; a failed rebuild keeps the last good one.
    return *program.built;
}

void composition_act::begin() {
    previous_time = 0.0;
}

void composition_act::rewind() {
    frame = -1;
    previous_time = 0.0;
    spectrum->reset();
    const kept_output output;
    for (buffer_state& b : buffers)
        if (b.pictures) b.pictures->clear();
    for (act_state& a : acts) {
        a.alive = a.begun = false;
        a.frame = 0;
        if (a.scene) a.scene->rewind();
        if (a.own_scene) a.own_scene->rewind();
    }
}

void composition_act::make_buffers(const player& p) {
    if (buffer_width == p.screen_width && buffer_height == p.screen_height) return;
    buffer_width = p.screen_width;
    buffer_height = p.screen_height;
    for (buffer_state& b : buffers) {
        const int width = std::max(1, static_cast<int>(std::lround(b.data->scale * buffer_width)));
        const int height = std::max(1, static_cast<int>(std::lround(b.data->scale * buffer_height)));
        if (width > piece::max_buffer_side || height > piece::max_buffer_side)
            throw runtime_error(piece.file + ":" + std::to_string(b.data->line) + ":" + std::to_string(b.data->column) +
                                ": the buffer '" + b.data->name + "' would be " + std::to_string(width) + "x" +
                                std::to_string(height) + " pixels, more than " +
                                std::to_string(piece::max_buffer_side) + " a side");
        const auto format = static_cast<passes::target_format>(b.data->format);
        b.pictures = std::make_unique<passes::feedback_target>(width, height, format);
        b.pictures->clear();
    }
}

passes::shadertoy_inputs composition_act::inputs_for(const piece::channel_list& channels, int width, int height, double time, double time_delta,
                                                     std::int64_t frame_number, GLuint frame_picture) const {
    passes::shadertoy_inputs in;
    in.resolution = {static_cast<float>(width), static_cast<float>(height), 1.0f};
    in.time = static_cast<float>(time);
    in.time_delta = static_cast<float>(time_delta);
    in.frame = static_cast<int>(frame_number);
    in.frame_rate = time_delta > 0.0 ? static_cast<float>(1.0 / time_delta) : static_cast<float>(replay::default_fps);
    in.date = date + glm::vec4(0.0f, 0.0f, 0.0f, static_cast<float>(time));
    in.sample_rate = sample_rate;
    for (std::size_t i = 0; i < piece::channel_count; ++i) {
        const piece::channel& ch = channels[i];
        GLuint id = 0;
        glm::vec3 size{1.0f};
        switch (ch.from) {
        case piece::channel::source::none: break;
        case piece::channel::source::music:
            id = music.id();
            size = {passes::music_texture::width, passes::music_texture::height, 1.0f};
            break;
        case piece::channel::source::frame:
            id = frame_picture;
            size = in.resolution;
            break;
        case piece::channel::source::image: {
            id = images.at(ch.image.file).id();
            size = image_sizes.at(ch.image.file);
            break;
        }
        case piece::channel::source::buffer: {
            // The picture drawn last: this frame's for a buffer drawn before the reader, the last frame's
            // for a buffer reading itself (each swaps once it is drawn).
            const passes::render_target& picture = buffers[ch.buffer].pictures->previous();
            id = picture.texture();
            size = {static_cast<float>(picture.width()), static_cast<float>(picture.height()), 1.0f};
            break;
        }
        }
        in.channels[i] = id;
        in.channel_resolution[i] = size;
    }
    return in;
}

void composition_act::step(player& p) {
    const double t = p.time;
    time_delta = frame < 0 ? 0.0 : t - previous_time;
    ++frame;
    // The values every program reads: the curves and the tracks at the piece's time.
    std::size_t k = 0;
    for (const piece::curve& c : piece.curves)
        extra_values[k++] = glm::vec4(piece::curve_at(c, t, piece.tracks), 0.0f);
    const std::vector<double> track_values = p.sound_state.at(t);
    for (std::size_t i = 0; i < piece.tracks.size() && k < extras.size(); ++i)
        if (extras[k].name == piece.tracks[i].name) extra_values[k++] = glm::vec4(static_cast<float>(track_values[i]));

    // The music's own time: the core time it started at is the offset of the event tracks.
    music.upload(spectrum->step(t - p.sound_state.sync_offset + piece.music_start));

    step_buffers(p);

    for (act_state& a : acts) {
        const bool alive = a.data == nullptr || holds(*a.data, t, piece.length);
        if (!alive) {
            a.alive = false;
            continue;
        }
        const double own = a.data == nullptr ? t : t - a.data->from + a.data->offset;
        if (!a.begun) {
            a.begun = true;
            a.previous_own_time = own;
            a.frame = a.data == nullptr ? 0 : std::llround(a.data->offset * replay::default_fps);
            if (a.own_scene) a.own_scene->begin();
        } else {
            a.previous_own_time = a.own_time;
            ++a.frame;
        }
        a.alive = true;
        a.own_time = own;
        if (a.scene) a.scene->step(own);
        if (a.own_scene) a.own_scene->step_at(own);
    }
    previous_time = t;
}

void composition_act::step_buffers(player& p) {
    if (buffers.empty()) return;
    const kept_output output;
    make_buffers(p);
    const double t = p.time;
    for (buffer_state& b : buffers) {
        const passes::render_target& target = b.pictures->current();
        target.bind();
        const passes::shadertoy_inputs in =
            inputs_for(b.data->channels, target.width(), target.height(), t, time_delta, frame, 0);
        if (b.program.built) b.program.built->draw(in, extra_values);
        // Read next frame as the previous picture, and by later passes of this frame as the current one.
        b.pictures->swap();
    }
}

const passes::render_target& composition_act::frame_target(int index, int width, int height) {
    auto& target = frame_pictures[static_cast<std::size_t>(index)];
    if (!target || target->width() != width || target->height() != height)
        target = std::make_unique<passes::render_target>(width, height, passes::target_format::rgba8);
    return *target;
}

void composition_act::draw_act(act_state& a, player& p, int width, int height, bool into_picture) {
    if (into_picture) {
        // A scene act draws with depth.
        if (!a.picture || a.picture->width() != width || a.picture->height() != height)
            a.picture = std::make_unique<passes::render_target>(width, height, passes::target_format::rgba8, true);
        a.picture->bind();
    }
    if (a.shader) {
        const passes::shadertoy_inputs in = inputs_for(a.data->channels, width, height, a.own_time,
                                                       a.own_time - a.previous_own_time, a.frame, 0);
        usable(*a.shader).draw(in, extra_values);
    } else if (a.scene) {
        a.scene->draw(p);
    } else {
        a.own_scene->draw_state_unset = true;
        a.own_scene->draw(p);
    }
}

void composition_act::draw(player& p) {
    GLint output = 0;
    glapi::glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &output);
    const int width = p.screen_width;
    const int height = p.screen_height;
    const double t = p.time;

    act_state* from = nullptr;
    act_state* to = nullptr;
    for (act_state& a : acts) {
        if (a.alive) (from == nullptr ? from : to) = &a;
    }
    std::vector<const post_state*> live;
    for (const post_state& pp : post)
        if (pp.data->range.holds(t)) live.push_back(&pp);
    // One act alone is drawn straight into the frame; otherwise the live acts into their pictures, and two
    // are the later one's transition.
    if (from != nullptr && to == nullptr && live.empty()) {
        glapi::glViewport(0, 0, width, height);
        draw_act(*from, p, width, height, false);
        glapi::glDisable(GL_DEPTH_TEST);
        return;
    }
    if (from != nullptr) draw_act(*from, p, width, height, true);
    if (to != nullptr) draw_act(*to, p, width, height, true);
    glapi::glDisable(GL_DEPTH_TEST);
    GLuint picture = 0;
    int next = 0;
    if (to != nullptr) {
        const passes::render_target& target = frame_target(next, width, height);
        target.bind();
        const double span = to->data->transition->over;
        const double progress = std::clamp((t - to->data->from) / span, 0.0, 1.0);
        const passes::transition_inputs in{from->picture->texture(), to->picture->texture(),
                                           static_cast<float>(progress),
                                           static_cast<float>(width) / static_cast<float>(height)};
        usable(*to->transition).draw(in, extra_values);
        picture = target.texture();
        next = 1 - next;
    } else if (from != nullptr) {
        picture = from->picture->texture();
    }

    for (std::size_t i = 0; i < live.size(); ++i) {
        const bool last = i + 1 == live.size();
        if (last) {
            glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(output));
            glapi::glViewport(0, 0, width, height);
        } else {
            frame_target(next, width, height).bind();
        }
        const passes::shadertoy_inputs in =
            inputs_for(live[i]->data->channels, width, height, t, time_delta, frame, picture);
        usable(live[i]->program).draw(in, extra_values);
        if (last) return;
        picture = frame_pictures[static_cast<std::size_t>(next)]->texture();
        next = 1 - next;
    }
    glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(output));
    glapi::glViewport(0, 0, width, height);
    copy_to(picture, width, height);
}

void composition_act::copy_to(GLuint picture, int width, int height) const {
    passes::shadertoy_inputs in;
    in.resolution = {static_cast<float>(width), static_cast<float>(height), 1.0f};
    in.channels[0] = picture;
    in.channel_resolution[0] = in.resolution;
    copy_pass->draw(in, {});
}

shader_reload composition_act::reload_shaders(player& p, std::span<const std::string> changed) {
    shader_reload outcome;
    // "./x.frag" as a folder watch names it is the "x.frag" a piece or --shader names.
    const auto named = [&](const pass_program& program) {
        const auto same = [&](const std::string& file) {
            return std::filesystem::path(file).lexically_normal() ==
                   std::filesystem::path(program.file->file).lexically_normal();
        };
        return changed.empty() || std::any_of(changed.begin(), changed.end(), same);
    };
    const auto rebuild = [&](pass_program& program) {
        if (program.builtin != nullptr || !named(program)) {
            outcome.failing += program.failing ? 1 : 0;
            return;
        }
        build(program, p, false);
        (program.failing ? outcome.failed : outcome.built) += 1;
        outcome.failing += program.failing ? 1 : 0;
        if (program.failing && outcome.first_error.empty()) outcome.first_error = program.error;
    };
    for (buffer_state& b : buffers) rebuild(b.program);
    for (act_state& a : acts) {
        if (a.shader) rebuild(*a.shader);
        if (a.transition) rebuild(*a.transition);
        const auto add = [&](const shader_reload& r) {
            outcome.built += r.built;
            outcome.failed += r.failed;
            outcome.failing += r.failing;
            if (outcome.first_error.empty()) outcome.first_error = r.first_error;
        };
        if (a.scene) add(a.scene->act().reload_shaders(p, changed));
        if (a.own_scene) add(a.own_scene->reload_shaders(p, changed));
    }
    for (post_state& pp : post) rebuild(pp.program);
    return outcome;
}
