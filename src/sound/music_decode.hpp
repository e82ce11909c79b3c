#pragma once
// Music files of any supported format (WAV, FLAC, Ogg Vorbis, Opus, MP3, recognised by their content),
// decoded whole into float samples.

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace sound {

// Why a music file cannot be decoded; what() is the reason, without the file's path.
class music_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct decoded_music {
    int rate = 0;               // frames per second
    int channels = 0;
    std::vector<float> samples; // interleaved, nominally [-1, 1]
};

// The whole file as float samples, any supported format; throws sound::music_error (derived from
// std::runtime_error) whose what() is the reason, without the path.
decoded_music decode_music_file(const std::string& path);
// The same for a file's bytes held in memory.
decoded_music decode_music_bytes(std::span<const std::byte> bytes);

} // namespace sound
