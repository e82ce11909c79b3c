// SDL may call the program's log forwarder on any thread: messages from several threads at once, while
// the main thread logs too, all become records. Run under ThreadSanitizer in the thread-sanitized build.

#include "support/core_under_test.hpp"
#include "support/xvfb.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

TEST(SdlLogThreads, MessagesFromManyThreadsAllBecomeRecords) {
    test_support::core_under_test core;
    constexpr int threads = 4;
    constexpr int messages = 200;
    std::vector<std::thread> senders;
    for (int t = 0; t < threads; ++t) {
        senders.emplace_back([t] {
            for (int i = 0; i < messages; ++i) SDL_Log("sender %d message %d", t, i);
        });
    }
    for (int i = 0; i < messages; ++i) core->log_manager.info("main thread message");
    for (std::thread& sender : senders) sender.join();

    EXPECT_EQ(core.count("main thread message"), static_cast<std::size_t>(messages));
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(core.count("sender " + std::to_string(t) + " message 0"), 1u);
        EXPECT_EQ(core.count("sender " + std::to_string(t) + " message " + std::to_string(messages - 1)), 1u);
    }
    std::size_t forwarded = 0;
    for (const auto& record : core.records()) forwarded += record.message.rfind("sender ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(forwarded, static_cast<std::size_t>(threads * messages));
}

} // namespace
