#include "player/player.hpp"

#include "acts/composition_act.hpp"
#include "acts/piece_act.hpp"
#include "model/obj_model.hpp"
#include "core/core_module.hpp"
#include "gl/offscreen_target.hpp"
#include "platform/gl_api.hpp"
#include "platform/display_manager.hpp"
#include "piece/builtin_piece.hpp"
#include "piece/read_piece.hpp"
#include "piece/unread_file.hpp"
#include "player/detected_tracks.hpp"
#include "platform/window.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

namespace {

constexpr float degrees_to_radians = 0.017453292f;
// Mouse factors: single-precision constants widened to double before the product.
constexpr double pan_tilt_per_pixel = static_cast<double>(0.01f);
constexpr double zoom_per_scroll_step = static_cast<double>(-0.1f);
// The largest window side the GL drivers render and X carries; beyond it Xlib ends the process itself.
constexpr int max_window_side = 16384;

// Sizes of zero or less are left to window::open, which refuses them.
void check_window_side(const char* key, int value) {
    if (value > max_window_side)
        throw runtime_error(std::string("player::player(): ") + key + " = " + std::to_string(value) +
                            " is larger than the largest window side, " + std::to_string(max_window_side) + ".");
}

// Absent, the scene is drawn straight into the window.
std::optional<render_scale> read_render_scale(config_manager& config) {
    const std::optional<std::string> text = config.find("display.render_scale");
    if (!text) return std::nullopt;
    std::optional<render_scale> scale = render_scale::parse(*text);
    if (!scale)
        throw runtime_error("player::player(): display.render_scale = " + *text +
                            " is not a number from 0.5 to 1 or auto.");
    if (!scale->automatic() && scale->value() == 1.0) return std::nullopt;
    return scale;
}

} // namespace

player::player(core_module* owner, piece::piece_data given)
    : core(owner), camera(1.0f, 0.1f, 100.0f, 1.0f, 1.0f) {
    core->config.load("config.ini");
    piece = std::move(given);
    find_detected_tracks(piece, core->log_manager);
    sound_state.set_tracks(piece.tracks);
    open();
}

player::player(core_module* owner, const std::optional<std::filesystem::path>& piece_file)
    : core(owner), camera(1.0f, 0.1f, 100.0f, 1.0f, 1.0f) {
    auto& config = core->config;
    config.load("config.ini");
    const std::optional<std::string> configured_piece = config.find("piece.file");
    if (piece_file || configured_piece) {
        piece = piece::read_piece_file(piece_file ? *piece_file : std::filesystem::path(*configured_piece));
        try {
            find_detected_tracks(piece, core->log_manager);
            for (piece::act& a : piece.acts)
                if (a.scene) find_detected_tracks(*a.scene, core->log_manager);
        } catch (const detection_error& e) {
            core->log_manager.error("Failed to find the piece's event tracks in its music!");
            throw runtime_error(std::string("player::player(): ") + e.what());
        } catch (const std::runtime_error& e) {
            core->log_manager.error("Failed to load music!");
            throw runtime_error(piece::with_place(std::string("player::player(): ") + e.what(),
                                                  piece::unread_file_place(piece, piece.music, piece.music_at)));
        }
        sound_state.set_tracks(piece.tracks);
    } else {
        piece = piece::builtin_piece();
    }
    open();
}

void player::open() {
    auto& config = core->config;
    screen_height = config.get<int>("display.screen_height");
    screen_width = config.get<int>("display.screen_width");
    check_window_side("display.screen_height", screen_height);
    check_window_side("display.screen_width", screen_width);
    resolution = read_render_scale(config);

    window = &core->display.create_window();
    window->title = config.get<std::string>("display.title");
    window->hint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    window->hint(GLFW_CONTEXT_VERSION_MINOR, 3);
    window->hint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    window->hint(GLFW_RESIZABLE, 0);
    const monitor* full_screen_on = config.get<bool>("display.fullscreen") ? &display_manager::primary_monitor()
                                                                            : nullptr;
    window->open({screen_width, screen_height}, full_screen_on, nullptr);
    window->swap_interval(1);
    window->event_handler = [this](platform::window&, platform::window::event e) {
        core->log_manager.debug(platform::window::event_name(e));
    };
    window->bind_context();

    const float z = config.get<float>("camera.z");
    const float y = config.get<float>("camera.y");
    const float x = config.get<float>("camera.x");
    const float tilt = config.get<float>("camera.tilt");
    const float pan = config.get<float>("camera.pan");
    const float distance = config.get<float>("camera.distance");
    const float fov_y_degrees = config.get<float>("camera.fov_y_degrees");
    const float far_clip = config.get<float>("camera.far_clip");
    const float near_clip = config.get<float>("camera.near_clip");
    const float aspect = static_cast<float>(screen_width) / static_cast<float>(screen_height);
    camera = ::camera(aspect, near_clip, far_clip, fov_y_degrees * degrees_to_radians, distance);
    camera.set_position({x, y, z});
    camera.set_pan(pan);
    camera.set_tilt(tilt);
    camera_start = {{x, y, z}, pan, tilt, distance};

    install_handlers();
    install_production();
}

player::~player() {
    if (!music_stopped) stop_music();
    act.reset();
    model.reset();
}

void player::install_handlers() {
    core->input.input_handler = [this](platform::window&, platform::input_manager::input_event e) {
        using type = platform::input_manager::input_type;
        if (e.type == type::cursor_move) {
            const auto delta = platform::input_manager::cursor_delta;
            camera.rotate_pan(static_cast<float>(pan_tilt_per_pixel * delta.x));
            camera.rotate_tilt(static_cast<float>(pan_tilt_per_pixel * delta.y));
        } else if (e.type == type::scroll) {
            camera.zoom(static_cast<float>(zoom_per_scroll_step * platform::input_manager::scroll_offset.y));
        }
    };
}

void player::install_production() {
    // A piece file's model must be there; the built-in piece plays on without one, as it always has.
    // A piece of acts draws no scene of its own: its scene acts load their models.
    const bool own_scene = piece.acts.empty();
    if (const std::string place = piece::unread_file_place(piece, piece.model, piece.model_at);
        own_scene && !place.empty())
        throw runtime_error("load_obj(): Unable to open model file '" + piece.model + "'" + place + ".");
    if (own_scene) model = load_obj(piece.model, &core->log_manager);
    load_music(piece.music);
    open_audio();
    try {
        act = make_act(model.get());
    } catch (...) {
        // The destructor does not run for a half-built player: the audio device must go now.
        stop_music();
        throw;
    }
    timeline.add_act(act.get(), 0.0);
}

void player::take_length_from_music() {
    const std::optional<double> frames = music_frames();
    if (!frames || music_spec.freq <= 0) return;
    const double seconds = *frames / music_spec.freq - piece.music_start;
    // At least a frame, so that an empty music still shows the shader.
    piece.length = std::clamp(seconds, 1.0 / 60.0, piece::max_piece_length);
    for (piece::act& a : piece.acts) a.until = std::min(a.until, piece.length);
}

// The piece's 0 plays the music from its music_start, which must lie within the music.
void player::start_music_at_piece_start(const std::string& path) {
    const double frames = music_frames().value_or(0.0);
    if (std::floor(piece.music_start * music_spec.freq + 0.5) >= frames) {
        core->log_manager.error("Failed to load music!");
        char text[128];
        std::snprintf(text, sizeof text, ": music_start = %g s is not within the music (%.3f s long).",
                      piece.music_start, music_spec.freq > 0 ? frames / music_spec.freq : 0.0);
        throw runtime_error("player::player(): Unable to play music from '" + path + "'" + text);
    }
    seek_music(0.0);
}

std::unique_ptr<abstract_act> player::make_act(obj_model* scene_model) {
    if (piece.composed()) return std::make_unique<composition_act>(*this, scene_model);
    return std::make_unique<piece_act>(scene_model, *this);
}

void player::draw_scaled() {
    const int width = render_scale::scaled_side(screen_width, resolution->value());
    const int height = render_scale::scaled_side(screen_height, resolution->value());
    if (width == screen_width && height == screen_height) {
        if (scaled_target) {
            scaled_target.reset();
            glapi::glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glapi::glViewport(0, 0, screen_width, screen_height);
            core->log_manager.debug("Drawing at the window's " + std::to_string(width) + "x" +
                                    std::to_string(height) + ".");
        }
        draw();
        return;
    }
    if (!scaled_target || scaled_target->width() != width || scaled_target->height() != height) {
        scaled_target.reset(); // the old one's memory goes first
        scaled_target = std::make_unique<gl::offscreen_target>(width, height);
        core->log_manager.debug("Drawing at " + std::to_string(width) + "x" + std::to_string(height) +
                                ", scaled to the " + std::to_string(screen_width) + "x" +
                                std::to_string(screen_height) + " window.");
    } else {
        scaled_target->bind();
    }
    // The particles are sized in the pixels they are drawn in; the camera keeps the window's aspect.
    const std::int32_t window_width = screen_width;
    const std::int32_t window_height = screen_height;
    screen_width = width;
    screen_height = height;
    draw();
    screen_width = window_width;
    screen_height = window_height;
    scaled_target->scale_to_window(screen_width, screen_height);
}

void player::time_frame(std::chrono::steady_clock::time_point started, std::chrono::steady_clock::time_point drawn) {
    const auto now = std::chrono::steady_clock::now();
    if (last_present)
        resolution->frame_took(std::chrono::duration<double>(now - *last_present).count(),
                               std::chrono::duration<double>(drawn - started).count());
    last_present = now;
}

void player::step(double t) {
    time = t;
    stepped_act = timeline.current_act(t);
    if (stepped_act != nullptr) stepped_act->step(*this);
}

void player::draw() {
    if (stepped_act != nullptr) stepped_act->draw(*this);
}

void player::present() {
    window->swap_buffers();
}

void player::rewind() {
    timeline.current = -1;
    stepped_act = nullptr;
    camera.set_position(camera_start.position);
    camera.set_pan(camera_start.pan);
    camera.set_tilt(camera_start.tilt);
    camera.set_distance(camera_start.distance);
    sound_state.rewind();
    rng.seed(std::mt19937::default_seed);
    for (const auto& entry : timeline.entries)
        entry.second->rewind();
}

