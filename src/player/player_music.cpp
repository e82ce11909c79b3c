// The player's music through SDL's audio output, and the frame loop that starts it: the native half of
// the player (the browser's is in platform/web).
#include "player/player.hpp"

#include "core/core_module.hpp"
#include "piece/unread_file.hpp"
#include "platform/window.hpp"
#include "sound/music_callback.hpp"
#include "sound/music_decode.hpp"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

void player::load_music(const std::string& path) {
    try {
        music = sound::load_playable_music(path);
    } catch (const sound::music_error& e) {
        core->log_manager.error("Failed to load music!");
        throw runtime_error(piece::with_place("player::player(): Unable to load music from '" + path + "': " + e.what(),
                                              piece::unread_file_place(piece, path, piece.music_at)));
    }
    music_spec = music.spec;
    music_buffer = music.data();
    music_position = music_buffer;
    music_length = music.size();
    music_remaining = music_length;
    core->log_manager.info("Music succesfully loaded!");
    if (music_length == 0) core->log_manager.warning("Music file '" + path + "' holds no samples.");
    if (piece.music_start > 0.0) start_music_at_piece_start(path);
    if (piece.length_of_music) take_length_from_music();
}

// Whole sample frames of the decoded music; unknown for a format without a frame size.
std::optional<double> player::music_frames() const {
    const std::uint32_t frame_bytes = SDL_AUDIO_BITSIZE(music_spec.format) / 8 * music_spec.channels;
    if (frame_bytes == 0) return std::nullopt;
    return static_cast<double>(music_length / frame_bytes);
}

void player::replace_music(sound::playable_music next) {
    if (!music_stopped) stop_music();
    music = std::move(next);
    music_spec = music.spec;
    music_buffer = music.data();
    music_length = music.size();
    seek_music(0.0);
    open_audio();
    music_stopped = false;
}

void player::open_audio() {
    music_spec.callback = &player::audio_callback;
    music_spec.userdata = this;
    if (SDL_OpenAudio(&music_spec, nullptr) < 0) {
        const std::string reason = SDL_GetError();
        core->log_manager.error(reason);
        music = {};
        music_buffer = nullptr;
        music_stopped = true;
        throw runtime_error("player::player(): Unable to open the audio output: " + reason);
    }
    std::ostringstream text;
    text << "Opened sound device with capabilities:\n"
         << "  Sample rate: " << music_spec.freq << "\n"
         << "  Audio format: " << static_cast<unsigned>(music_spec.format) << "\n"
         << "  Channls: " << static_cast<int>(music_spec.channels) << "\n"
         // The silence byte is written as a number: a raw NUL would make the log binary.
         << "  Silence value: " << static_cast<unsigned>(music_spec.silence) << "\n"
         << "  buffer size (samples): " << static_cast<unsigned>(music_spec.samples) << "\n"
         << "  buffer size (bytes): " << static_cast<unsigned>(music_spec.size) << "\n";
    core->log_manager.info(text.str());
}

void player::audio_callback(void* user_data, std::uint8_t* stream, int len) {
    auto* self = static_cast<player*>(user_data);
    mix_music(stream, len, self->music_spec.silence, self->music_spec.format, self->music_position,
              self->music_remaining);
}

void player::stop_music() {
    SDL_CloseAudio();
    music = {};
    music_buffer = nullptr;
    music_position = nullptr;
    music_stopped = true;
}

void player::run() {
    core->update();
    time = core->time();
    sound_state.set_offset(time);
    // The event tracks' offset as they hold it: the music starts now.
    std::cout << "set offset: " << sound_state.get_offset();
    music_stopped = false;
    SDL_PauseAudio(0);
    for (;;) {
        if (window->should_close()) return;
        if (!music_stopped && music_remaining.load() == 0) {
            core->log_manager.info("Music stopped.");
            stop_music();
        }
        core->update();
        const auto frame_start = std::chrono::steady_clock::now();
        step(core->time());
        if (stepped_act == nullptr) continue;
        if (!resolution) {
            draw();
            present();
            continue;
        }
        draw_scaled();
        const auto drawn = std::chrono::steady_clock::now();
        present();
        time_frame(frame_start, drawn);
    }
}

void player::seek_music(double seconds) {
    if (music_buffer == nullptr) return;
    const std::uint32_t frame_bytes = SDL_AUDIO_BITSIZE(music_spec.format) / 8 * music_spec.channels;
    if (frame_bytes == 0) return;
    const std::uint64_t whole_frames = music_length / frame_bytes;
    // The piece's time is the music's from music_start on.
    const double music_seconds = piece.music_start + seconds;
    const double frame = music_seconds > 0.0 ? std::floor(music_seconds * music_spec.freq + 0.5) : 0.0;
    const std::uint64_t at = frame < static_cast<double>(whole_frames) ? static_cast<std::uint64_t>(frame)
                                                                        : whole_frames;
    const auto offset = static_cast<std::uint32_t>(at * frame_bytes);
    SDL_LockAudio();
    music_position = music_buffer + offset;
    music_remaining = static_cast<std::uint32_t>(whole_frames * frame_bytes) - offset;
    SDL_UnlockAudio();
}

void player::play_music(bool playing) {
    if (music_buffer != nullptr) SDL_PauseAudio(playing ? 0 : 1);
}
