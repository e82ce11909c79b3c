#include "sound/playable_music.hpp"

#include "sound/music_decode.hpp"
#include "sound/music_reader.hpp"
#include "sound/music_source.hpp"

#include <SDL_error.h>
#include <SDL_rwops.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

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

// SDL's loader allocates the length a chunk header declares before reading; a length beyond the end of
// the file is cut to the bytes there, which is all SDL would read.
void cut_chunks_to_file(std::vector<std::byte>& riff) {
    std::size_t at = 12; // past "RIFF", its length and the form type
    while (riff.size() - std::min(at, riff.size()) >= 8) {
        std::uint32_t length = 0;
        for (int i = 3; i >= 0; --i)
            length = length << 8 | std::to_integer<std::uint32_t>(riff[at + 4 + static_cast<std::size_t>(i)]);
        const std::size_t left = riff.size() - at - 8;
        if (length > left) {
            length = static_cast<std::uint32_t>(left);
            for (std::size_t i = 0; i < 4; ++i)
                riff[at + 4 + i] = static_cast<std::byte>(length >> (8 * i));
        }
        at += 8 + std::size_t{length} + (length & 1);
    }
}

} // namespace

std::uint8_t* playable_music::data() {
    return wav ? wav.get() : reinterpret_cast<std::uint8_t*>(pcm.data());
}

std::uint32_t playable_music::size() const {
    // The sample bound keeps 16-bit music far below 4 GiB.
    return wav ? wav_length : static_cast<std::uint32_t>(pcm.size() * sizeof(std::int16_t));
}

playable_music playable_music::load(music_source& source) {
    playable_music music;
    if (is_riff(source)) {
        if (source.size() > max_wav_bytes)
            throw music_error("A WAV file of " + std::to_string(source.size()) + " bytes, more than the " +
                              std::to_string(max_wav_bytes) + " music may have (FLAC holds more).");
        std::vector<std::byte> riff(static_cast<std::size_t>(source.size()));
        if (source.seek(0, SEEK_SET) != 0 || source.read(riff.data(), source.size()) != source.size())
            throw music_error("The file could not be read to its end.");
        cut_chunks_to_file(riff);
        std::uint8_t* samples = nullptr;
        if (SDL_LoadWAV_RW(SDL_RWFromConstMem(riff.data(), static_cast<int>(riff.size())), 1, &music.spec, &samples,
                           &music.wav_length) == nullptr)
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
    return playable_music::load(source);
}

playable_music playable_music_from_bytes(std::span<const std::byte> bytes) {
    memory_source source(bytes);
    return playable_music::load(source);
}

} // namespace sound
