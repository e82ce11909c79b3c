#define SDL_MAIN_HANDLED
#include "core/core_module.hpp"
#include "platform/platform_error.hpp"
#include "support/core_under_test.hpp"
#include "support/xvfb.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

// Closes an SDL audio device at the end of a test.
struct device_guard {
    SDL_AudioDeviceID id;
    ~device_guard() {
        if (id != 0) SDL_CloseAudioDevice(id);
    }
};

TEST(SoundManager, StartsOnceListsTheDummyDeviceAndShutsSdlDown) {
    test_support::core_under_test core;
    ASSERT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    ASSERT_EQ(core->sound.device_count(false), 1);
    const std::string name = core->sound.device_name(0, false);

    core->sound.init();
    core.shut_down();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    const std::string log = core.test_log();
    EXPECT_NE(log.find("Audio device #1: " + name + "\n"), std::string::npos) << log;
    const auto first = log.find("Initializing SDL_Audio...");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find("Initializing SDL_Audio...", first + 1), std::string::npos);

    // A later core module in the same process brings SDL up again.
    test_support::core_under_test next;
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST(SoundManager, SdlLogOutputBecomesInfoRecords) {
    test_support::core_under_test core;
    const auto before = core.records().size();
    SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "an SDL error %d", 42);
    SDL_LogCritical(SDL_LOG_CATEGORY_AUDIO, "a critical SDL audio message");
    SDL_Log("plain SDL message");
    std::vector<std::pair<logger::level, std::string>> got;
    const auto records = core.records();
    for (auto record = records.begin() + static_cast<std::ptrdiff_t>(before); record != records.end();
         ++record)
        got.emplace_back(record->level, record->message);
    EXPECT_EQ(got, (std::vector<std::pair<logger::level, std::string>>{
                       {logger::level::info, "an SDL error 42"},
                       {logger::level::info, "a critical SDL audio message"},
                       {logger::level::info, "plain SDL message"}}));
}

TEST(SoundManager, OpensPausesAndResumesADevice) {
    test_support::core_under_test core;
    SDL_AudioSpec desired{};
    desired.freq = 22050;
    desired.format = AUDIO_S16SYS;
    desired.channels = 2;
    desired.samples = 1024;
    SDL_AudioSpec obtained{};
    device_guard device{core->sound.open_device(nullptr, &desired, &obtained, false)};
    ASSERT_NE(device.id, 0u);
    EXPECT_EQ(sound_manager::opened_device, device.id);
    EXPECT_EQ(SDL_GetAudioDeviceStatus(device.id), SDL_AUDIO_PAUSED);
    core->sound.resume();
    EXPECT_EQ(SDL_GetAudioDeviceStatus(device.id), SDL_AUDIO_PLAYING);
    core->sound.pause();
    EXPECT_EQ(SDL_GetAudioDeviceStatus(device.id), SDL_AUDIO_PAUSED);

    try {
        core->sound.open_device("no such device", &desired, &obtained, false);
        ADD_FAILURE() << "opening an unknown device succeeded";
    } catch (const platform::platform_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  std::string("sound_manager::open_device(): Unable to open audio device: ") +
                      SDL_GetError());
    }
    EXPECT_EQ(sound_manager::opened_device, 0u);
}

} // namespace
