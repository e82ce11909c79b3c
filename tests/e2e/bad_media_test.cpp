// Broken music, shader sources and log file. The piece plays on through everything but a music file that
// cannot be decoded, and the records say what was wrong.

#include "e2e/bad_input.hpp"
#include "support/encoded_music.hpp"

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

// A FLAC file whose stream header declares `frames` sample frames (a 36-bit count that starts in the low
// half of the header's 22nd byte).
std::string flac_declaring(std::string flac, std::uint64_t frames) {
    flac[21] = static_cast<char>((flac[21] & 0xF0) | static_cast<int>(frames >> 32 & 0x0F));
    for (int i = 0; i < 4; ++i)
        flac[22 + static_cast<std::size_t>(i)] = static_cast<char>(frames >> (24 - 8 * i));
    return flac;
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
    const std::vector<std::int16_t> tones = test_support::tone_sequence(0.3, 2, 22050);
    const std::string flac = test_support::encoded_music(test_support::music_format::flac, tones, 2, 22050);
    const std::string mp3 = test_support::encoded_music(test_support::music_format::mp3, tones, 2, 22050);
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
        // Every other format is decoded by content; a damaged or lying one is refused.
        {"music_not_music", file_written(music, "Just some text, no music at all.\n"), false,
         "from 'assets/dat_bass.wav': Not music: the content is none of WAV, FLAC, Ogg Vorbis, Opus or MP3."},
        {"music_empty", file_written(music, ""), false, "from 'assets/dat_bass.wav': The file is empty."},
        {"music_flac_cut", file_written(music, flac.substr(0, flac.size() / 2)), false,
         "from 'assets/dat_bass.wav': Damaged after "},
        {"music_mp3_cut", file_written(music, mp3.substr(0, mp3.size() / 2)), false,
         "from 'assets/dat_bass.wav': Cut short: it declares 6615 sample frames and holds "},
        {"music_flac_declares_more", file_written(music, flac_declaring(flac, 661500)), false,
         "from 'assets/dat_bass.wav': Cut short: it declares 661500 sample frames and holds 6615."},
        {"music_flac_declares_billions", file_written(music, flac_declaring(flac, (std::uint64_t{1} << 36) - 1)),
         false, "from 'assets/dat_bass.wav': Too long: 68719476735 sample frames or more of 2 channels"},
        // SDL's loader is given no more than the file holds, whatever the header says.
        {"music_wav_declares_4_gib", file_written(music, stereo.substr(0, 40) + "\xF0\xFF\xFF\xFF" + stereo.substr(44)),
         true, "Music stopped."},
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
