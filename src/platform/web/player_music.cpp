// The player's music in the browser: the page decoded it before the player started and plays it with Web
// Audio; here the player's music calls become the page's. The native half is player/player_music.cpp.
#include "player/player.hpp"

#include "core/core_module.hpp"
#include "piece/unread_file.hpp"
#include "platform/web/web_music.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

void player::load_music(const std::string& path) {
    const double seconds = web_music::duration();
    if (seconds < 0.0) {
        core->log_manager.error("Failed to load music!");
        throw runtime_error(piece::with_place("player::player(): Unable to load music from '" + path +
                                                  "': " + web_music::error_text(),
                                              piece::unread_file_place(piece, path, piece.music_at)));
    }
    // The page plays the samples. A composed piece's music texture is computed from them, so it gets a
    // copy, interleaved 32-bit floats; other pieces leave the buffer empty.
    music_spec = {};
    music_spec.freq = web_music::sample_rate();
    music_spec.channels = static_cast<Uint8>(web_music::channels());
    music_spec.format = AUDIO_F32;
    static std::vector<float> samples;
    samples = piece.composed() ? web_music::samples() : std::vector<float>();
    music_buffer = samples.empty() ? nullptr : reinterpret_cast<std::uint8_t*>(samples.data());
    music_position = music_buffer;
    music_length = static_cast<std::uint32_t>(samples.size() * sizeof(float));
    music_remaining = music_length;
    core->log_manager.info("Music succesfully loaded!");
    if (seconds == 0.0) core->log_manager.warning("Music file '" + path + "' holds no samples.");
    if (piece.music_start > 0.0) start_music_at_piece_start(path);
    if (piece.length_of_music) take_length_from_music();
}

// The page decoded the music: its length in whole sample frames.
std::optional<double> player::music_frames() const {
    if (music_spec.freq <= 0) return std::nullopt;
    return std::floor(web_music::duration() * music_spec.freq + 0.5);
}

void player::open_audio() {
    core->log_manager.info("Playing music through the page's Web Audio at " + std::to_string(music_spec.freq) +
                           " Hz, " + std::to_string(static_cast<int>(music_spec.channels)) + " channels.");
}

void player::stop_music() {
    web_music::stop();
    music_stopped = true;
}

void player::seek_music(double seconds) {
    web_music::seek(std::max(0.0, piece.music_start + seconds));
}

void player::play_music(bool playing) {
    web_music::play(playing);
}
