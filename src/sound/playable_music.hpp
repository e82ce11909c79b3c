#pragma once
// Music decoded into memory in a format SDL's audio output plays, with the SDL_AudioSpec to open it with.

#include <SDL_audio.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace sound {

class music_source;

class playable_music {
public:
    // Frequency, sample format and channels of the samples, and SDL's WAV loader's 4096-frame buffer size.
    SDL_AudioSpec spec{};

    std::uint8_t* data();
    std::uint32_t size() const;

private:
    friend playable_music load_playable_music(const std::string& path);
    friend playable_music playable_music_from_bytes(std::span<const std::byte> bytes);
    static playable_music load(music_source& source);

    struct wav_free {
        void operator()(std::uint8_t* samples) const { SDL_FreeWAV(samples); }
    };
    // From SDL's WAV loader, or decoded by us as signed 16-bit samples.
    std::unique_ptr<std::uint8_t, wav_free> wav;
    std::uint32_t wav_length = 0;
    std::vector<std::int16_t> pcm;
};

// Largest RIFF file handed to SDL's WAV loader, which holds it whole besides its samples (at most four
// times the file for ADPCM): 25 minutes of 16-bit 44.1 kHz stereo.
constexpr std::int64_t max_wav_bytes = std::int64_t{1} << 28;

// A RIFF file goes to SDL's WAV loader, with its formats, conversions and messages. Anything else is
// decoded by content (FLAC, Ogg Vorbis, Opus, MP3, other WAV flavours) into signed 16-bit samples at the
// file's own rate and channel count, which SDL converts to the device. Throws music_error with the reason.
playable_music load_playable_music(const std::string& path);
// The same for a file's bytes in memory.
playable_music playable_music_from_bytes(std::span<const std::byte> bytes);

} // namespace sound
