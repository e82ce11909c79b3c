#include "acts/composition_act.hpp"

#include "acts/music_samples.hpp"
#include "core/core_module.hpp"
#include "core/exceptions.hpp"
#include "music/music_spectrum.hpp"
#include "passes/glsl_uniforms.hpp"
#include "piece/scene_values.hpp"
#include "platform/gl_api.hpp"
#include "player/player.hpp"
#include "player/replay.hpp"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

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

    logger::log_manager& log = host.core->log_manager;
    const auto build = [&](pass_program& program) { program.build(piece, extras, black, log, true); };
    for (const piece::buffer_pass& b : piece.buffers) {
        buffers.push_back({&b, {&b.shader, passes::pass_kind::shadertoy}, nullptr});
        build(buffers.back().program);
        images.load(piece, b.channels);
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
            build(*s.shader);
            images.load(piece, a.channels);
        } else {
            s.scene = std::make_unique<scene_act>(host, a.scene);
        }
        if (a.transition) {
            if (a.transition->shader) s.transition.emplace(&*a.transition->shader, passes::pass_kind::transition);
            else s.transition.emplace(pass_program::crossfade());
            build(*s.transition);
        }
        acts.push_back(std::move(s));
    }
    for (const piece::post_pass& pp : piece.post) {
        post.push_back({&pp, {&pp.shader, passes::pass_kind::shadertoy}});
        build(post.back().program);
        images.load(piece, pp.channels);
    }
}

composition_act::~composition_act() = default;

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
            id = images.id(ch.image.file);
            size = images.size(ch.image.file);
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
        b.program.pass().draw(in, extra_values);
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
        a.shader->pass().draw(in, extra_values);
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
    const auto into_output = [&] {
        glapi::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(output));
        glapi::glViewport(0, 0, width, height);
    };

    act_state* from = nullptr;
    act_state* to = nullptr;
    for (act_state& a : acts) {
        if (a.alive) (from == nullptr ? from : to) = &a;
    }
    std::vector<const post_state*> live;
    for (const post_state& pp : post)
        if (pp.data->range.holds(t)) live.push_back(&pp);

    // The picture before the post passes: one act alone, two in the later one's transition, or none (black).
    // What the post passes do not read is drawn straight into the frame.
    int next = 0;
    GLuint picture = 0;
    if (to != nullptr) {
        draw_act(*from, p, width, height, true);
        draw_act(*to, p, width, height, true);
        glapi::glDisable(GL_DEPTH_TEST);
        if (live.empty()) {
            into_output();
        } else {
            frame_target(next, width, height).bind();
            picture = frame_pictures[static_cast<std::size_t>(next)]->texture();
            next = 1 - next;
        }
        const double progress = std::clamp((t - to->data->from) / to->data->transition->over, 0.0, 1.0);
        const passes::transition_inputs in{from->picture->texture(), to->picture->texture(),
                                           static_cast<float>(progress),
                                           static_cast<float>(width) / static_cast<float>(height)};
        to->transition->pass().draw(in, extra_values);
    } else if (from != nullptr) {
        if (live.empty()) into_output();
        draw_act(*from, p, width, height, !live.empty());
        glapi::glDisable(GL_DEPTH_TEST);
        if (!live.empty()) picture = from->picture->texture();
    } else if (live.empty()) {
        into_output();
        constexpr GLfloat black_colour[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glapi::glClearBufferfv(GL_COLOR, 0, black_colour);
    }

    for (std::size_t i = 0; i < live.size(); ++i) {
        const bool last = i + 1 == live.size();
        if (last) {
            into_output();
        } else {
            frame_target(next, width, height).bind();
        }
        const passes::shadertoy_inputs in =
            inputs_for(live[i]->data->channels, width, height, t, time_delta, frame, picture);
        live[i]->program.pass().draw(in, extra_values);
        if (!last) {
            picture = frame_pictures[static_cast<std::size_t>(next)]->texture();
            next = 1 - next;
        }
    }
}

shader_reload composition_act::reload_shaders(player& p, std::span<const std::string> changed) {
    shader_reload outcome;
    const auto rebuild = [&](pass_program& program) {
        const bool named = changed.empty() || std::any_of(changed.begin(), changed.end(), [&](const std::string& f) {
                               return program.made_from(f);
                           });
        if (!program.engine_made() && named) {
            program.build(piece, extras, black, p.core->log_manager, false);
            (program.failing() ? outcome.failed : outcome.built) += 1;
            if (program.failing() && outcome.first_error.empty()) outcome.first_error = program.error();
        }
        outcome.failing += program.failing() ? 1 : 0;
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
