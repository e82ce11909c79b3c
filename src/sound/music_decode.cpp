#include "sound/music_decode.hpp"

#include <sndfile.h>

#include <memory>

namespace sound {

namespace {

// Bounds on what a user's file may hold, checked before anything is allocated for it.
constexpr int max_channels = 8;
constexpr int max_rate = 384000;
constexpr std::size_t max_samples = std::size_t{1} << 28; // 1 GiB of floats: 46 minutes of stereo at 48 kHz
constexpr sf_count_t chunk_frames = 65536;

struct sndfile_closer {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

} // namespace

decoded_music decode_music_file(const std::string& path) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, sndfile_closer> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) throw music_error(sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > max_channels) throw music_error("unsupported channel count");
    if (info.samplerate < 1 || info.samplerate > max_rate) throw music_error("unsupported sample rate");

    decoded_music music;
    music.rate = info.samplerate;
    music.channels = info.channels;
    const auto channels = static_cast<std::size_t>(info.channels);
    // Read in chunks: the header's frame count is not trusted for the allocation.
    std::vector<float> chunk(static_cast<std::size_t>(chunk_frames) * channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), chunk_frames);
        if (got <= 0) break;
        const std::size_t n = static_cast<std::size_t>(got) * channels;
        if (music.samples.size() + n > max_samples) throw music_error("too long to hold (over 2^28 samples)");
        music.samples.insert(music.samples.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) throw music_error(sf_strerror(file.get()));
    if (music.samples.empty()) throw music_error("no samples");
    return music;
}

} // namespace sound
