#include "wav.hpp"

#include <fstream>
#include <stdexcept>
#include <string>

namespace asset_gen {

namespace {

void put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

} // namespace

void write_wav(const std::filesystem::path& file, const std::vector<std::int16_t>& interleaved, int rate) {
    constexpr int channels = 2;
    constexpr int bytes_per_sample = 2;
    const auto data_bytes = static_cast<std::uint32_t>(interleaved.size() * bytes_per_sample);
    std::string out = "RIFF";
    put(out, 36 + data_bytes, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, 1, 2); // PCM
    put(out, channels, 2);
    put(out, static_cast<std::uint32_t>(rate), 4);
    put(out, static_cast<std::uint32_t>(rate * channels * bytes_per_sample), 4);
    put(out, channels * bytes_per_sample, 2);
    put(out, 8 * bytes_per_sample, 2);
    out += "data";
    put(out, data_bytes, 4);
    out.reserve(out.size() + data_bytes);
    for (const std::int16_t s : interleaved) put(out, static_cast<std::uint16_t>(s), 2);
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

} // namespace asset_gen
