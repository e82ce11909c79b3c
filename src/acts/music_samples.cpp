#include "acts/music_samples.hpp"

#include "player/player.hpp"

#include <SDL_audio.h>

#include <cstring>

namespace {

// One sample of SDL's format `format` at `at`, -1 to 1.
float sample_at(const std::uint8_t* at, SDL_AudioFormat format) {
    const int bits = SDL_AUDIO_BITSIZE(format);
    if (SDL_AUDIO_ISFLOAT(format)) {
        float v = 0.0f;
        std::memcpy(&v, at, sizeof v);
        return v;
    }
    std::uint32_t raw = 0;
    for (int b = 0; b < bits / 8; ++b) {
        const int byte = SDL_AUDIO_ISBIGENDIAN(format) ? bits / 8 - 1 - b : b;
        raw |= static_cast<std::uint32_t>(at[byte]) << (8 * b);
    }
    const double full = static_cast<double>(std::uint64_t{1} << (bits - 1));
    if (SDL_AUDIO_ISSIGNED(format)) {
        const std::uint32_t sign = std::uint32_t{1} << (bits - 1);
        const auto value = static_cast<std::int64_t>(raw) - ((raw & sign) != 0 ? 2 * static_cast<std::int64_t>(sign) : 0);
        return static_cast<float>(static_cast<double>(value) / full);
    }
    return static_cast<float>((static_cast<double>(raw) - full) / full);
}

} // namespace

music_samples music_samples::of(const player& host) {
    music_samples out;
    const SDL_AudioSpec& spec = host.music_spec;
    const int bytes = SDL_AUDIO_BITSIZE(spec.format) / 8;
    if (host.music_buffer == nullptr || bytes == 0 || spec.channels == 0 || spec.freq <= 0) return out;
    out.rate = spec.freq;
    const std::size_t frame_bytes = static_cast<std::size_t>(bytes) * spec.channels;
    const std::size_t frames = host.music_length / frame_bytes;
    out.mono.resize(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (int c = 0; c < spec.channels; ++c)
            sum += sample_at(host.music_buffer + f * frame_bytes + static_cast<std::size_t>(c) * bytes, spec.format);
        out.mono[f] = sum / static_cast<float>(spec.channels);
    }
    return out;
}
