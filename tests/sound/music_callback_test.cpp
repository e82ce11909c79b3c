#define SDL_MAIN_HANDLED
#include "sound/music_callback.hpp"
#include "support/temp_dir.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// Every byte value, several times over: unsigned 8-bit music with samples on both sides of silence.
std::vector<std::uint8_t> music(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

struct step_result {
    std::vector<std::uint8_t> stream;
    std::size_t consumed;
    std::uint32_t remaining;
};

step_result step(const std::vector<std::uint8_t>& source, std::uint32_t remaining_before, int len,
                 std::uint8_t silence, SDL_AudioFormat format) {
    std::vector<std::uint8_t> stream(static_cast<std::size_t>(len), 0x5A); // garbage from an earlier period
    const std::uint8_t* position = source.data();
    std::atomic<std::uint32_t> remaining{remaining_before};
    mix_music(stream.data(), len, silence, format, position, remaining);
    return {stream, static_cast<std::size_t>(position - source.data()), remaining.load()};
}

TEST(MixMusic, ShortTailIsFollowedByTheFormatsSilence) {
    const auto source = music(5000);
    for (const auto& [format, silence] : {std::pair<SDL_AudioFormat, std::uint8_t>{AUDIO_U8, 0x80},
                                          std::pair<SDL_AudioFormat, std::uint8_t>{AUDIO_S16LSB, 0x00}}) {
        const auto result = step(source, 1000, 4096, silence, format);
        EXPECT_EQ(result.consumed, 1000u);
        EXPECT_EQ(result.remaining, 0u);
        EXPECT_TRUE(std::equal(source.begin(), source.begin() + 1000, result.stream.begin())) << format;
        EXPECT_EQ(std::count(result.stream.begin() + 1000, result.stream.end(), silence), 3096) << format;
    }
}

TEST(MixMusic, ExactRequestIsAllMusicAndAnEmptyCounterIsAllSilence) {
    const auto source = music(4096);
    const auto full = step(source, 4096, 4096, 0x80, AUDIO_U8);
    EXPECT_EQ(full.stream, source);
    EXPECT_EQ(full.consumed, 4096u);
    EXPECT_EQ(full.remaining, 0u);

    const auto done = step(source, 0, 512, 0x80, AUDIO_U8);
    EXPECT_EQ(done.consumed, 0u);
    EXPECT_EQ(done.stream, std::vector<std::uint8_t>(512, 0x80));
}

// Played on a real device by SDL's audio thread: the disk driver's file holds exactly what was mixed.
TEST(MixMusic, DiskDeviceReceivesTheMusicThenSilence) {
    test_support::temp_dir dir;
    const auto file = dir.path() / "out.raw";
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    SDL_SetMainReady();
    ASSERT_EQ(SDL_Init(0), 0) << SDL_GetError();
    ASSERT_EQ(SDL_AudioInit("disk"), 0) << SDL_GetError();

    struct playback {
        const std::uint8_t* position;
        std::atomic<std::uint32_t> remaining;
        std::uint8_t silence;
        SDL_AudioFormat format;
    };
    const auto source = music(3000);
    playback state{source.data(), {3000}, 0, AUDIO_U8};
    SDL_AudioSpec desired{};
    desired.freq = 8000;
    desired.format = AUDIO_U8;
    desired.channels = 1;
    desired.samples = 1024;
    desired.userdata = &state;
    desired.callback = [](void* user, Uint8* stream, int len) {
        auto* p = static_cast<playback*>(user);
        mix_music(stream, len, p->silence, p->format, p->position, p->remaining);
    };
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained, 0);
    ASSERT_NE(device, 0u) << SDL_GetError();
    ASSERT_EQ(obtained.format, AUDIO_U8);
    ASSERT_EQ(obtained.silence, 0x80);
    state.silence = obtained.silence;
    SDL_PauseAudioDevice(device, 0);
    for (int i = 0; i < 2000 && state.remaining.load() != 0; ++i)
        SDL_Delay(5);
    SDL_Delay(100); // let the device write a period of silence after the music
    SDL_CloseAudioDevice(device);
    SDL_AudioQuit();
    SDL_Quit();

    EXPECT_EQ(state.remaining.load(), 0u);
    // The device plays silence while paused, so the music starts after some silent periods.
    const std::string written = test_support::read_file(file);
    const auto start = written.find_first_not_of('\x80');
    ASSERT_NE(start, std::string::npos);
    ASSERT_GE(written.size() - start, source.size());
    EXPECT_TRUE(std::equal(source.begin(), source.end(),
                           reinterpret_cast<const std::uint8_t*>(written.data() + start)));
    const auto after = static_cast<std::ptrdiff_t>(start + source.size());
    EXPECT_EQ(std::count(written.begin() + after, written.end(), '\x80'),
              static_cast<std::ptrdiff_t>(written.size()) - after);
    EXPECT_GT(static_cast<std::ptrdiff_t>(written.size()), after); // silence followed the music
}

} // namespace
