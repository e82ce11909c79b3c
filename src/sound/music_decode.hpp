#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace sound {

// A music file that cannot be decoded; what() is the reason, fit to follow "Unable to load music from '...': ".
struct music_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct decoded_music {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples; // interleaved
};

// WAV, FLAC, Ogg Vorbis, Opus or MP3, whatever the extension says, as 32-bit float samples.
decoded_music decode_music_file(const std::string& path);

} // namespace sound
