// Feeds arbitrary bytes as a music file through the two decoding entries: the float samples for
// analysis and the player's playable music (SDL's WAV loader for RIFF content, libsndfile for the rest).
// Besides memory and UB errors it checks that a file is refused with a reason or decoded within the
// bounds, and that, for content both entries decode through libsndfile, they agree on the shape and the
// playable 16-bit samples are the float ones at full scale.

#include "sound/music_decode.hpp"
#include "sound/music_reader.hpp"
#include "sound/playable_music.hpp"

#include <SDL_audio.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>

namespace {

template <class F>
auto refused_or(F&& decode) -> std::optional<decltype(decode())> {
    try {
        return decode();
    } catch (const sound::music_error& e) {
        if (std::strlen(e.what()) == 0) std::abort();
        return std::nullopt;
    }
}

} // namespace

// libsndfile's Ogg Vorbis reader leaves the vorbis_info of a malformed stream's headers allocated (as in
// tests/sanitizers/lsan.supp, which the fuzz step does not pass).
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span bytes(reinterpret_cast<const std::byte*>(data), size);
    const auto floats = refused_or([&] { return sound::decode_music_bytes(bytes); });
    auto playable = refused_or([&] { return sound::playable_music_from_bytes(bytes); });

    if (floats) {
        if (floats->channels < 1 || floats->channels > sound::max_music_channels) std::abort();
        if (floats->rate < sound::min_music_rate || floats->rate > sound::max_music_rate) std::abort();
        if (floats->samples.size() % static_cast<std::size_t>(floats->channels) != 0) std::abort();
        if (floats->samples.size() > static_cast<std::size_t>(sound::max_music_samples)) std::abort();
        if (!std::all_of(floats->samples.begin(), floats->samples.end(), [](float s) { return std::isfinite(s); }))
            std::abort();
    }
    if (playable) {
        // Every byte is there to be played.
        volatile std::uint8_t sum = 0;
        const std::uint8_t* at = playable->data();
        for (std::uint32_t i = 0; i < playable->size(); ++i)
            sum = static_cast<std::uint8_t>(sum + at[i]);
    }
    if (size >= 4 && std::memcmp(data, "RIFF", 4) == 0) return 0;

    if (floats.has_value() != playable.has_value()) std::abort();
    if (!floats) return 0;
    if (playable->spec.freq != floats->rate || playable->spec.channels != floats->channels ||
        playable->spec.format != AUDIO_S16SYS)
        std::abort();
    if (playable->size() != floats->samples.size() * sizeof(std::int16_t)) std::abort();
    const auto* pcm = reinterpret_cast<const std::int16_t*>(playable->data());
    for (std::size_t i = 0; i < floats->samples.size(); ++i) {
        const float expected = std::clamp(std::nearbyint(std::clamp(floats->samples[i], -1.0f, 1.0f) * 32768.0f),
                                          -32768.0f, 32767.0f);
        if (pcm[i] != static_cast<std::int16_t>(expected)) std::abort();
    }
    return 0;
}
