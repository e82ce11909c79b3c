#include "support/wav.hpp"

#include "support/temp_dir.hpp"

#include <cmath>

namespace test_support {
namespace {

void put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

} // namespace

std::string wav_bytes(const std::vector<std::int16_t>& samples, int channels, int rate) {
    const auto data_size = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + data_size);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, static_cast<std::uint16_t>(channels));
    put32(out, static_cast<std::uint32_t>(rate));
    put32(out, static_cast<std::uint32_t>(rate * channels * 2));
    put16(out, static_cast<std::uint16_t>(channels * 2));
    put16(out, 16);
    out += "data";
    put32(out, data_size);
    for (const std::int16_t s : samples)
        put16(out, static_cast<std::uint16_t>(s));
    return out;
}

void write_wav(const std::filesystem::path& file, const std::vector<std::int16_t>& samples, int channels,
               int rate) {
    replace_file(file, wav_bytes(samples, channels, rate));
}

std::vector<std::int16_t> test_tone(std::size_t frames) {
    std::vector<std::int16_t> samples;
    samples.reserve(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double phase = static_cast<double>(i) * 0.0627;
        const auto left = static_cast<std::int16_t>(9000.0 * std::sin(phase));
        const auto right = static_cast<std::int16_t>(7000.0 * std::cos(phase * 1.5));
        samples.push_back(left == 0 ? std::int16_t{1} : left);
        samples.push_back(right == 0 ? std::int16_t{-1} : right);
    }
    return samples;
}

} // namespace test_support
