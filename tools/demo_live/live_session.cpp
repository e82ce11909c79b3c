#include "demo_live/live_session.hpp"

#include "core/core_module.hpp"
#include "demo_live/folder_watch.hpp"
#include "piece/shader_files.hpp"
#include "demo_live/piece_reload.hpp"
#include "demo_live/status_line.hpp"
#include "demo_live/track_strip.hpp"
#include "player/player.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <utility>

#include <unistd.h>

namespace live {
namespace {

constexpr double status_interval = 0.25; // seconds
constexpr double idle_wait = 0.02;       // seconds between looks at the shader files while nothing moves
// A long replay yields to the frame loop after this long, so that the window and Ctrl+C are answered.
constexpr auto replay_slice = std::chrono::milliseconds(50);
constexpr std::int64_t steps_between_clock_looks = 64;

double milliseconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string quoted_list(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& f : files)
        text += (text.empty() ? "'" : ", '") + f + "'";
    return text.empty() ? "every shader" : text;
}

} // namespace

session::session(player& p, const live_options& options)
    : host(p)
    , core(*p.core)
    , clock(options, replay::default_fps)
    , frames(p)
    , target(p.screen_width, p.screen_height)
    , base_title(p.window->title)
    , status_on_terminal(isatty(STDERR_FILENO) == 1) {
    clock.set_latest(latest_time(p.piece.length));
    watch_shaders();
    std::optional<std::filesystem::path> piece_path = options.piece;
    if (!piece_path) {
        if (const std::optional<std::string> configured = core.config.find("piece.file"))
            piece_path = *configured;
    }
    if (piece_path) {
        try {
            piece_file = std::make_unique<piece_watch>(*piece_path, core.log_manager);
        } catch (const std::exception& e) {
            core.log_manager.warning("The piece file '" + piece_path->string() +
                                     "' is not watched: " + e.what());
        }
    }
    // The player's own handlers stay in charge of the pointer and wheel, and of logging window events.
    player_input = platform::input_manager::input_handler;
    platform::input_manager::input_handler = [this](platform::window& w, platform::input_manager::input_event e) {
        using type = platform::input_manager::input_type;
        if (e.type == type::key_press) {
            on_key(e.code, e.mods);
            return;
        }
        if (player_input) player_input(w, e);
        // A paused picture follows the orbit too.
        if (e.type == type::cursor_move || e.type == type::scroll) redraw = true;
    };
    player_events = host.window->event_handler;
    host.window->event_handler = [this](platform::window& w, platform::window::event e) {
        if (player_events) player_events(w, e);
        if (e == platform::window::event::refresh) redraw = true;
    };
}

session::~session() {
    platform::input_manager::input_handler = player_input;
    host.window->event_handler = player_events;
    if (status_on_terminal) std::cerr << '\n' << std::flush;
}

// The folders of the piece's shader files (shaders/ for the built-in piece): a saved file is reported
// as "<folder>/<name>", which is the path the act opened it by.
void session::watch_shaders() {
    std::vector<std::string> folders;
    const auto add = [&](const std::string& file) {
        const std::filesystem::path parent = std::filesystem::path(file).parent_path();
        const std::string folder = parent.empty() ? std::string(".") : parent.string();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    };
    for (const std::string& file : piece::shader_files(host.piece))
        add(file);
    shader_watches.clear();
    for (const std::string& folder : folders) {
        try {
            shader_watches.push_back(std::make_unique<folder_watch>(folder, "shader files", core.log_manager));
        } catch (const std::exception& e) {
            core.log_manager.warning(std::string("Shader files are not watched: ") + e.what());
        }
    }
}

void session::on_key(std::int32_t key, std::int32_t mods) {
    const double now = core.time();
    const double seek_step = (mods & GLFW_MOD_SHIFT) != 0 ? 10.0 : 1.0;
    switch (key) {
    case GLFW_KEY_SPACE:
        clock.toggle_pause(now);
        break;
    case GLFW_KEY_LEFT:
        clock.seek_by(-seek_step, now);
        break;
    case GLFW_KEY_RIGHT:
        clock.seek_by(seek_step, now);
        break;
    case GLFW_KEY_HOME:
        clock.seek(0.0, now);
        break;
    case GLFW_KEY_LEFT_BRACKET:
        clock.mark_loop_start(now);
        break;
    case GLFW_KEY_RIGHT_BRACKET:
        clock.mark_loop_end(now);
        break;
    case GLFW_KEY_BACKSLASH:
        clock.clear_loop();
        break;
    case GLFW_KEY_MINUS:
        clock.set_speed(clock.speed() / 2.0, now);
        break;
    case GLFW_KEY_EQUAL:
        clock.set_speed(clock.speed() * 2.0, now);
        break;
    case GLFW_KEY_R:
        reload_all = true;
        break;
    case GLFW_KEY_C:
        // Once the frame of the keys before it is shown: the camera of the time in the title.
        camera_row_due = true;
        return;
    case GLFW_KEY_T:
        strip_shown = !strip_shown;
        redraw = true;
        break;
    default:
        return;
    }
    status_due = true;
}

void session::write_camera_row() {
    const camera_key now = key_of(host.camera, host.time);
    const std::string row = camera_row_text(last_camera_key, now);
    last_camera_key = now;
    std::cout << row << '\n' << std::flush;
    core.log_manager.info("Camera row (key C):\n" + row.substr(0, row.size() - 1));
}

void session::follow_music(double t) {
    if (clock.music_changes() == music_changes_followed && !music_start_moved && !music_replaced) return;
    music_changes_followed = clock.music_changes();
    music_start_moved = false;
    music_replaced = false;
    if (clock.audible()) {
        host.seek_music(t);
        host.play_music(true);
    } else {
        host.play_music(false);
    }
}

void session::reload_shaders(const std::vector<std::string>& files) {
    shader_reload total;
    for (const auto& entry : host.timeline.entries) {
        const shader_reload r = entry.second->reload_shaders(host, files);
        total.built += r.built;
        total.failed += r.failed;
        total.failing += r.failing;
        if (total.first_error.empty()) total.first_error = r.first_error;
    }
    if (total.built + total.failed == 0) return;
    core.log_manager.info("Shaders reloaded (" + quoted_list(files) + "): " + std::to_string(total.built) +
                          " program(s) rebuilt, " + std::to_string(total.failed) + " kept from before.");
    shader_failing = total.failing > 0;
    shader_error = total.first_error;
    // A buffer that reads its own last frame holds every frame since 0: a rebuilt program replays them.
    if (!host.piece.buffers.empty() && total.built > 0) frames.restart();
    redraw = true;
    status_due = true;
}

bool session::step_toward(std::int64_t k) {
    const auto start = std::chrono::steady_clock::now();
    do {
        replay_steps += frames.step_toward(k, steps_between_clock_looks);
    } while (frames.frame() != k && std::chrono::steady_clock::now() - start < replay_slice);
    replay_ms += milliseconds_since(start);
    return frames.frame() == k;
}

void session::reload_piece() {
    const auto start = std::chrono::steady_clock::now();
    const double music_start = host.piece.music_start;
    const piece_reload outcome = live::reload_piece(host, piece_file->file());
    music_start_moved = music_start_moved || host.piece.music_start != music_start;
    status_due = true;
    if (outcome.replay_needed) {
        frames.restart();
        redraw = true;
    }
    if (!outcome.applied) {
        piece_failing = outcome.where;
        std::string why = outcome.error;
        if (!why.empty() && why.back() == '.') why.pop_back();
        core.log_manager.error("Piece reload: " + why + "; the last good piece keeps playing.");
        return;
    }
    piece_failing.clear();
    music_replaced = music_replaced || outcome.music_replaced;
    clock.set_latest(latest_time(host.piece.length));
    if (outcome.act_rebuilt) watch_shaders();
    piece_saved_at = start;
    char took[32];
    std::snprintf(took, sizeof took, " in %.2f ms)", milliseconds_since(start));
    piece_reload_pending = "Piece reloaded from '" + piece_file->file().string() + "' (" +
                           (outcome.act_rebuilt ? "new assets: act rebuilt" : "same assets: data replaced") + took;
}

void session::draw_strip(int width, int height) {
    if (!strip) {
        try {
            strip = std::make_unique<track_strip>();
        } catch (const std::exception& e) {
            core.log_manager.warning(std::string("The track strip cannot be drawn: ") + e.what());
            strip_shown = false;
            return;
        }
    }
    strip->draw(host.piece, {host.time, clock.loop_start(), clock.loop_end(), width, height});
}

void session::show_frame(std::int64_t k) {
    const auto start = std::chrono::steady_clock::now();
    const std::int64_t stepped = replay_steps;
    const double step_ms = replay_ms;
    replay_steps = 0;
    replay_ms = 0.0;
    target.bind();
    host.draw();
    // Stretched over the window as the render scale is, for a window of another size than the frame's
    // (full screen in a video mode of another size).
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(host.window->handle, &width, &height);
    if (width == target.width() && height == target.height()) {
        target.copy_to_window();
    } else {
        target.scale_to_window(width, height);
    }
    if (strip_shown) draw_strip(width, height);
    host.present();
    ++frames_since_status;
    // How long a jump takes to show: the replay of the CPU steps, then the one drawn frame.
    if (clock.music_changes() != jumps_drawn) {
        jumps_drawn = clock.music_changes();
        char text[160];
        std::snprintf(text, sizeof text,
                      "Frame %lld (%.2f s) shown: %lld CPU steps in %.2f ms, drawn in %.2f ms.",
                      static_cast<long long>(k), host.time, static_cast<long long>(stepped), step_ms,
                      milliseconds_since(start));
        core.log_manager.debug(text);
    }
    if (!piece_reload_pending.empty()) {
        char text[160];
        std::snprintf(
            text, sizeof text,
            ": frame %lld (%.2f s) shown: %lld CPU steps in %.2f ms, %.2f ms after the save was seen.",
            static_cast<long long>(k), host.time, static_cast<long long>(stepped), step_ms,
            milliseconds_since(piece_saved_at));
        core.log_manager.info(piece_reload_pending + text);
        piece_reload_pending.clear();
    }
}

void session::show_status(double now, double t) {
    if (!status_due && now - status_clock < status_interval) return;
    if (now > status_clock) frames_per_second = frames_since_status / (now - status_clock);
    frames_since_status = 0;
    status_clock = now;
    status_due = false;
    const std::string text = status_text({t, clock.playing(), clock.speed(), clock.loop_start(), clock.loop_end(),
                                          frames_per_second, shader_failing, piece_failing, shader_error});
    host.window->set_title(base_title + " | " + text);
    if (status_on_terminal) std::cerr << '\r' << text << "\x1b[K" << std::flush;
}

void session::run() {
    status_clock = core.time();
    clock.start(status_clock);
    for (;;) {
        core.update();
        if (host.window->should_close()) return;
        // A C pressed while waiting is answered on the next turn, after the frame of the keys before it.
        const bool camera_row_now = std::exchange(camera_row_due, false);

        std::vector<std::string> saved;
        for (const auto& watch : shader_watches) {
            const std::vector<std::string> files = watch->saved_files();
            saved.insert(saved.end(), files.begin(), files.end());
        }
        if (reload_all) {
            saved.clear();
            reload_shaders(saved);
            reload_all = false;
        } else if (!saved.empty()) {
            reload_shaders(saved);
        }

        if (piece_file && piece_file->saved()) reload_piece();

        const double now = core.time();
        const double t = clock.time(now);
        follow_music(t);
        const std::int64_t k = replay::nearest_frame(t, frames.frames_per_second());
        if (k != frames.frame() || redraw) {
            // A replay longer than a slice goes on in the next turns of the loop; a C waits for its frame.
            if (!step_toward(k)) {
                camera_row_due = camera_row_due || camera_row_now;
                continue;
            }
            redraw = false;
            show_frame(k);
        } else {
            // Until the next frame is due, or a while when paused; input ends the wait early.
            const double fps = frames.frames_per_second();
            const double next = clock.playing() ? ((static_cast<double>(k) + 0.5) / fps - t) / clock.speed() : idle_wait;
            core.input.wait_events(std::clamp(next, 0.001, idle_wait));
        }
        if (camera_row_now) write_camera_row();
        show_status(now, t);
    }
}

} // namespace live
