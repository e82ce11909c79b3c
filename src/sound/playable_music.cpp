#include "sound/playable_music.hpp"

#include "sound/music_decode.hpp"
#include "sound/music_reader.hpp"
#include "sound/music_source.hpp"

#include <SDL_error.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <climits>
#include <cstring>
#include <iterator>

namespace sound {
namespace {

// SDL's WAV loader sets this buffer size; the decoded formats get the same.
constexpr std::uint16_t device_buffer_frames = 4096;

bool is_riff(music_source& source) {
    std::array<std::byte, 4> head{};
    return source.peek(head) == head.size() && std::memcmp(head.data(), "RIFF", 4) == 0;
}

// Full scale is 32768 so that 16-bit sources (decoded to s / 32768) come back bit for bit.
std::int16_t to_int16(float sample) {
    const float scaled = std::nearbyint(std::clamp(sample, -1.0f, 1.0f) * 32768.0f);
    return static_cast<std::int16_t>(std::min(scaled, 32767.0f));
}

} // namespace

std::uint8_t* playable_music::data() {
    return wav ? wav.get() : reinterpret_cast<std::uint8_t*>(pcm.data());
}

std::uint32_t playable_music::size() const {
    // The sample bound keeps 16-bit music far below 4 GiB.
    return wav ? wav_length : static_cast<std::uint32_t>(pcm.size() * sizeof(std::int16_t));
}

playable_music playable_music::load(music_source& source, SDL_RWops* (*open_stream)(const void*),
                                    const void* context) {
    playable_music music;
    if (is_riff(source)) {
        std::uint8_t* samples = nullptr;
        if (SDL_LoadWAV_RW(open_stream(context), 1, &music.spec, &samples, &music.wav_length) == nullptr)
            throw music_error(SDL_GetError());
        music.wav.reset(samples);
        return music;
    }
    read_music(
        source,
        [&](const music_shape& shape) {
            music.spec.freq = shape.rate;
            music.spec.format = AUDIO_S16SYS;
            music.spec.channels = static_cast<std::uint8_t>(shape.channels);
            music.spec.samples = device_buffer_frames;
        },
        [&](std::span<const float> samples) {
            std::transform(samples.begin(), samples.end(), std::back_inserter(music.pcm), to_int16);
        });
    return music;
}

playable_music load_playable_music(const std::string& path) {
    file_source source(path);
    return playable_music::load(
        source, [](const void* name) { return SDL_RWFromFile(static_cast<const std::string*>(name)->c_str(), "rb"); },
        &path);
}

playable_music playable_music_from_bytes(std::span<const std::byte> bytes) {
    memory_source source(bytes);
    return playable_music::load(
        source,
        [](const void* held) {
            const auto* span = static_cast<const std::span<const std::byte>*>(held);
            return span->size() > INT_MAX ? nullptr : SDL_RWFromConstMem(span->data(), static_cast<int>(span->size()));
        },
        &bytes);
}

} // namespace sound
