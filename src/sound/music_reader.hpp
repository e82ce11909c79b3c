#pragma once
// The one decoding path of every music format libsndfile reads for us: content check, bounds, and the
// samples handed over in chunks, so that a caller keeps only its own copy.

#include "sound/music_source.hpp"

#include <cstdint>
#include <functional>
#include <span>

namespace sound {

// Bounds on what a music file may hold, checked before anything is allocated for its samples. The
// sample bound (frames x channels) is 2^27, 512 MiB as float and 256 MiB as 16-bit samples: 23 minutes of
// 48 kHz stereo, 11 minutes of 96 kHz stereo. It holds however many samples a header declares, and
// decoding stops there even when a header lies or a small file expands into a long one.
constexpr std::int64_t max_music_samples = std::int64_t{1} << 27;
constexpr int max_music_channels = 8; // what SDL plays
constexpr int min_music_rate = 1000;
constexpr int max_music_rate = 384000;

struct music_shape {
    int rate = 0;
    int channels = 0;
};

// Decodes WAV (RIFF, RIFX), AIFF, FLAC, Ogg Vorbis, Ogg Opus or MP3 content, whatever the file is
// called: `begin` gets the shape, then `chunk` whole frames of interleaved float samples at a time (finite,
// nominally [-1, 1]) until the end. Throws music_error when the content is none of those, cannot be
// decoded, is cut short of the length it declares or exceeds the bounds above.
void read_music(music_source& source, const std::function<void(const music_shape&)>& begin,
                const std::function<void(std::span<const float>)>& chunk);

} // namespace sound
