// The live player's transport and command line, on a clock the test drives.

#include "demo_live/live_options.hpp"
#include "demo_live/status_line.hpp"
#include "demo_live/transport.hpp"

#include <gtest/gtest.h>

namespace {

using live::transport;

transport started(const std::vector<std::string>& args, double now = 100.0) {
    transport clock(live::parse_options(args), 60);
    clock.start(now);
    return clock;
}

TEST(LiveTransport, PlaysFromTheStartAndPausesOnAFrame) {
    transport clock = started({"--start", "45"});
    EXPECT_DOUBLE_EQ(clock.time(100.5), 45.5);
    EXPECT_TRUE(clock.audible());
    clock.toggle_pause(100.509); // 45.509 s lies nearest frame 2731
    EXPECT_FALSE(clock.audible());
    EXPECT_DOUBLE_EQ(clock.time(200.0), 2731.0 / 60.0);
    clock.seek_by(-100.0, 200.0);
    EXPECT_DOUBLE_EQ(clock.time(300.0), 0.0);
}

TEST(LiveTransport, ALoopGoesBackToItsStartAndMovesTheMusic) {
    transport clock = started({"--loop", "10:12"});
    EXPECT_DOUBLE_EQ(clock.time(101.0), 11.0);
    const auto changes = clock.music_changes();
    EXPECT_DOUBLE_EQ(clock.time(102.25), 10.0);
    EXPECT_EQ(clock.music_changes(), changes + 1);
    EXPECT_DOUBLE_EQ(clock.time(103.0), 10.75);
    // A seek past the end plays on.
    clock.seek(20.0, 103.0);
    EXPECT_DOUBLE_EQ(clock.time(104.0), 21.0);
    // Keys: a start after the end drops the end, an end before the start is refused.
    clock.mark_loop_start(104.0);
    EXPECT_EQ(clock.loop_end(), std::nullopt);
    clock.seek(15.0, 104.0);
    clock.mark_loop_end(104.0);
    EXPECT_EQ(clock.loop_end(), std::nullopt);
    clock.seek(21.5, 104.0);
    clock.mark_loop_end(105.0);
    EXPECT_EQ(clock.loop_end(), 22.5);
    EXPECT_DOUBLE_EQ(clock.time(105.0), 21.0);
    clock.clear_loop();
    EXPECT_DOUBLE_EQ(clock.time(110.0), 26.0);
}

TEST(LiveTransport, AnEndMarkedWhilePausedOrStartedOnLoopsAtOnce) {
    transport clock = started({"--start", "5"});
    clock.mark_loop_start(100.0);
    clock.seek(8.0, 103.0);
    clock.toggle_pause(103.0);
    clock.mark_loop_end(104.0);
    clock.toggle_pause(105.0);
    EXPECT_DOUBLE_EQ(clock.time(105.0), 5.0);
    EXPECT_DOUBLE_EQ(clock.time(107.0), 7.0);

    transport on_end = started({"--start", "12", "--loop", "10:12"});
    EXPECT_DOUBLE_EQ(on_end.time(100.5), 10.0);
}

TEST(LiveTransport, SpeedStaysWithinItsRangeAndSilencesTheMusic) {
    transport clock = started({"--speed", "2", "--paused"});
    clock.toggle_pause(100.0);
    EXPECT_FALSE(clock.audible());
    EXPECT_DOUBLE_EQ(clock.time(101.0), 2.0);
    for (int i = 0; i < 5; ++i)
        clock.set_speed(clock.speed() * 2.0, 101.0);
    EXPECT_DOUBLE_EQ(clock.speed(), live::max_speed);
    for (int i = 0; i < 10; ++i)
        clock.set_speed(clock.speed() / 2.0, 101.0);
    EXPECT_DOUBLE_EQ(clock.speed(), live::min_speed);
    EXPECT_DOUBLE_EQ(clock.time(105.0), 3.0);
    clock.set_speed(1.0, 105.0);
    EXPECT_TRUE(clock.audible());
}

TEST(LiveTransport, StatusText) {
    EXPECT_EQ(live::status_text({45.0, false, 1.0, 10.0, 12.5, 59.6, false}),
              "45.00 s | paused | x1 | loop 10.00-12.50 | 60 fps");
    EXPECT_EQ(live::status_text({3.14159, true, 0.25, std::nullopt, std::nullopt, 7.0, true}),
              "3.14 s | playing | x0.25 | no loop | 7 fps | shader error");
    EXPECT_EQ(live::status_text({1.0, true, 1.0, 0.5, std::nullopt, 60.0, false, "my.toml:12:5"}),
              "1.00 s | playing | x1 | loop 0.50- | 60 fps | piece error my.toml:12:5");
}

TEST(LiveOptions, RefusesWhatItCannotPlay) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--start", "-1"},
                                                                 {"--loop", "12:10"},
                                                                 {"--loop", "10"},
                                                                 {"--speed", "8"},
                                                                 {"--speed"},
                                                                 {"--at", "4"},
                                                                 {"45"}}) {
        EXPECT_THROW(live::parse_options(args), live::usage_error) << args[0];
    }
}

} // namespace
