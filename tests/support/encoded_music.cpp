#include "support/encoded_music.hpp"

#include "support/temp_dir.hpp"

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace test_support {

std::string encoded_music(music_format format, const std::vector<std::int16_t>& samples, int channels, int rate) {
    const int formats[] = {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, SF_FORMAT_OGG | SF_FORMAT_VORBIS,
                           SF_FORMAT_OGG | SF_FORMAT_OPUS, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III};
    const temp_dir dir;
    const std::string file = (dir.path() / "music").string();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = formats[static_cast<int>(format)];
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (out == nullptr) throw std::runtime_error(std::string("encoded_music: ") + sf_strerror(nullptr));
    const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
    const sf_count_t written = sf_writef_short(out, samples.data(), frames);
    sf_close(out);
    if (written != frames) throw std::runtime_error("encoded_music: short write");
    return read_file(file);
}

std::vector<std::int16_t> tone_sequence(double seconds, int channels, int rate, double level) {
    const double pitches[] = {220.0, 330.0, 440.0, 262.0, 392.0, 523.0};
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<std::int16_t> samples;
    samples.reserve(frames * static_cast<std::size_t>(channels));
    double phase = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double pitch = pitches[i * 10 / static_cast<std::size_t>(rate) % std::size(pitches)];
        phase += 2.0 * std::numbers::pi * pitch / rate;
        for (int c = 0; c < channels; ++c) {
            const auto s = static_cast<std::int16_t>(level * (1.0 - 0.1 * c) * std::sin(phase));
            samples.push_back(s == 0 ? std::int16_t{1} : s);
        }
    }
    return samples;
}

} // namespace test_support
