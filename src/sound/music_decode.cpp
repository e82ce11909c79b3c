#include "sound/music_decode.hpp"

#include "sound/music_reader.hpp"

namespace sound {
namespace {

decoded_music decode(music_source& source) {
    decoded_music music;
    read_music(
        source,
        [&](const music_shape& shape) {
            music.rate = shape.rate;
            music.channels = shape.channels;
        },
        [&](std::span<const float> samples) { music.samples.insert(music.samples.end(), samples.begin(), samples.end()); });
    return music;
}

} // namespace

decoded_music decode_music_file(const std::string& path) {
    file_source source(path);
    return decode(source);
}

decoded_music decode_music_bytes(std::span<const std::byte> bytes) {
    memory_source source(bytes);
    return decode(source);
}

} // namespace sound
