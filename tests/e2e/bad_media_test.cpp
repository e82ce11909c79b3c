// Broken music, shader sources and log file. The piece plays on through everything but a music file SDL
// cannot read, and the records say what was wrong.

#include "e2e/bad_input.hpp"

#include <cstdint>

namespace {

using namespace bad_input;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

class BadMedia : public ::testing::TestWithParam<case_t> {};

TEST_P(BadMedia, PlaysOnOrRefusesWithOneClearMessage) { run_case(GetParam()); }

// A PCM WAV file of `frames` frames of a quiet ramp.
std::string pcm_wav(int channels, int bits, std::size_t frames) {
    const auto u32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)};
    };
    const auto u16 = [](std::uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
    const int rate = 22050;
    const int frame_bytes = channels * bits / 8;
    std::string data;
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels); ++i) {
        data += bits == 8 ? std::string(1, static_cast<char>(128 + i % 32)) : u16(static_cast<std::uint16_t>(i % 512));
    }
    return "RIFF" + u32(static_cast<std::uint32_t>(36 + data.size())) + "WAVEfmt " + u32(16) + u16(1) +
           u16(static_cast<std::uint16_t>(channels)) + u32(rate) + u32(static_cast<std::uint32_t>(rate * frame_bytes)) +
           u16(static_cast<std::uint16_t>(frame_bytes)) + u16(static_cast<std::uint16_t>(bits)) + "data" +
           u32(static_cast<std::uint32_t>(data.size())) + data;
}

std::function<void(const run_folder&)> shader_broken(const std::string& file, const std::string& content) {
    return [=](const run_folder& folder) {
        copy_shaders(folder);
        folder.write("shaders/" + file, content);
    };
}

std::function<void(const run_folder&)> shader_removed(const std::string& file) {
    return [=](const run_folder& folder) {
        copy_shaders(folder);
        folder.remove("shaders/" + file);
    };
}

std::vector<case_t> cases() {
    const std::string music = "assets/dat_bass.wav";
    const std::string stereo = pcm_wav(2, 16, 6615);
    std::vector<case_t> list{
        // A missing music file and one that is no WAV at all are covered by the player's own test.
        {"music_header_cut", file_written(music, stereo.substr(0, 30)), false,
         "player::player(): Unable to load music from 'assets/dat_bass.wav'"},
        {"music_zero_samples", file_written(music, pcm_wav(2, 16, 0)), true,
         "WARNING: Music file 'assets/dat_bass.wav' holds no samples."},
        // SDL plays the whole frames that are there.
        {"music_samples_cut", file_written(music, stereo.substr(0, 44 + 1001)), true, "Music stopped."},
        {"music_8_bit", file_written(music, pcm_wav(2, 8, 6615)), true, "  Audio format: 8\n"},
        {"music_mono", file_written(music, pcm_wav(1, 16, 6615)), true, "  Channls: 1\n"},
        {"log_file_is_a_folder",
         [](const run_folder& folder) { std::filesystem::create_directory(folder.path() / "test.log"); }, true,
         "WARNING: Unable to open 'test.log' for writing; records go to the console only."},
    };
    const std::pair<const char*, const char*> shaders[] = {{"cube.vert", "vertex"},
                                                           {"cube.frag", "fragment"},
                                                           {"particles.vert", "vertex"},
                                                           {"particles.geom", "geometry"},
                                                           {"particles.frag", "fragment"}};
    for (const auto& [file, kind] : shaders) {
        std::string stem = file;
        stem[stem.find('.')] = '_';
        const std::string compile = std::string("Compiling ") + kind + " shader from 'shaders/" + file + "'... Fail.";
        list.push_back({stem + "_missing", shader_removed(file), true,
                        std::string("ERROR: Unable to read shader source from 'shaders/") + file + "'."});
        list.push_back({stem + "_broken", shader_broken(file, "#version 330 core\nvoid main() { broken(; }\n"), true,
                        compile});
    }
    return list;
}

INSTANTIATE_TEST_SUITE_P(Media, BadMedia, ::testing::ValuesIn(cases()), case_name);

} // namespace
