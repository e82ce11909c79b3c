#include "platform/web/web_music.hpp"

#include <emscripten/emscripten.h>

#include <cstddef>

namespace {

// clang-format off
EM_JS(double, js_music_duration, (), { return Module.webMusic.duration(); });
EM_JS(int, js_music_rate, (), { return Module.webMusic.sampleRate(); });
EM_JS(int, js_music_channels, (), { return Module.webMusic.channels(); });
EM_JS(const char*, js_music_error, (), {
    const text = Module.webMusic.error() || "";
    const size = lengthBytesUTF8(text) + 1;
    const at = _malloc(size);
    stringToUTF8(text, at, size);
    return at;
});
EM_JS(double, js_music_frames, (), { return Module.webMusic.frames(); });
EM_JS(void, js_music_copy, (float* to, int frames), { Module.webMusic.copy(to, frames); });
EM_JS(void, js_music_seek, (double seconds), { Module.webMusic.seek(seconds); });
EM_JS(void, js_music_play, (int playing), { Module.webMusic.play(playing !== 0); });
EM_JS(void, js_music_stop, (), { Module.webMusic.stop(); });
EM_JS(double, js_music_position, (), { return Module.webMusic.position(); });
// clang-format on

} // namespace

namespace web_music {

double duration() {
    return js_music_duration();
}

int sample_rate() {
    return js_music_rate();
}

int channels() {
    return js_music_channels();
}

std::vector<float> samples() {
    constexpr double most_samples = 268435456.0; // 1 GiB of floats
    const double frames = js_music_frames();
    const int channel_count = channels();
    if (!(frames > 0.0) || channel_count <= 0 || frames * channel_count > most_samples) return {};
    std::vector<float> out(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channel_count));
    js_music_copy(out.data(), static_cast<int>(frames));
    return out;
}

const char* error_text() {
    // Asked once, when the music fails to load; the page's copy lives on for the message.
    static const char* const text = js_music_error();
    return text;
}

void seek(double seconds) {
    js_music_seek(seconds);
}

void play(bool playing) {
    js_music_play(playing ? 1 : 0);
}

void stop() {
    js_music_stop();
}

double position() {
    return js_music_position();
}

} // namespace web_music
