#pragma once

#include <atomic>
#include <cstdint>

// One step of music playback for SDL's audio callback: fills `len` bytes of `stream` with the device
// format's silence value, then mixes up to `len` bytes from `position` at full volume, advancing
// `position` and lowering `remaining` by the amount played. `format` is the SDL_AudioFormat and
// `silence` the silence byte of the opened device (SDL_AudioSpec::format and ::silence after opening);
// mixing into silence at full volume reproduces the samples exactly, for unsigned 8-bit data too.
// Runs on SDL's audio thread: allocates nothing, takes no lock, logs nothing.
void mix_music(std::uint8_t* stream, int len, std::uint8_t silence, std::uint16_t format,
               const std::uint8_t*& position, std::atomic<std::uint32_t>& remaining);
