#define SDL_MAIN_HANDLED
#include "sound/music_callback.hpp"

#include <SDL.h>

#include <algorithm>

void mix_music(std::uint8_t* stream, int len, std::uint8_t silence, std::uint16_t format,
               const std::uint8_t*& position, std::atomic<std::uint32_t>& remaining) {
    if (len <= 0) return;
    SDL_memset(stream, silence, static_cast<std::size_t>(len));
    // Only this callback lowers the count, so the value read here stays valid until the store below.
    const std::uint32_t left = remaining.load(std::memory_order_acquire);
    if (left == 0) return;
    const std::uint32_t n = std::min(static_cast<std::uint32_t>(len), left);
    SDL_MixAudioFormat(stream, position, format, n, SDL_MIX_MAXVOLUME);
    position += n;
    remaining.fetch_sub(n, std::memory_order_release);
}
