// The render scale's rule: parsing, and auto fed with frame times shaped like recorded ones (display
// refresh, jitter, transients, slow machines) over simulated minutes. No clock and no GL.
#include "player/render_scale.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(RenderScale, AcceptsAutoAndNumbersFromHalfToOne) {
    ASSERT_TRUE(render_scale::parse("auto"));
    EXPECT_TRUE(render_scale::parse("auto")->automatic());
    EXPECT_EQ(render_scale::parse("auto")->value(), 1.0);
    EXPECT_EQ(render_scale::parse("0.5")->value(), 0.5);
    EXPECT_EQ(render_scale::parse("0.75")->value(), 0.75);
    EXPECT_FALSE(render_scale::parse("1")->automatic());
    for (const char* bad : {"0.2", "0.49", "1.01", "-1", "", "half", "0.5x", "nan", "Auto"})
        EXPECT_FALSE(render_scale::parse(bad)) << bad;
    EXPECT_EQ(render_scale::scaled_side(1280, 0.5), 640);
    EXPECT_EQ(render_scale::scaled_side(720, 0.66), 475);
    EXPECT_EQ(render_scale::scaled_side(1, 0.5), 1);
}

// A machine drawing the piece: the frame's cost has a part that goes with the pixel count (the square of
// the scale), the CPU sees a share of it before the swap (the rest, a GPU's or the rasterizer's, ends in
// the swap), and with vsync the interval is a whole number of refresh periods.
struct machine {
    double refresh_hz = 0.0; // 0: no vsync, the swap returns when the drawing is done
    double fixed = 0.002;    // seconds a frame costs at any scale
    double pixels = 0.006;   // seconds more at scale 1
    double cpu_share = 0.5;
    double jitter = 0.00005; // up to this much either way, on the cost and on the display's timing
    double extra = 0.0;      // seconds more per frame from `extra_from`, for `extra_for` seconds
    double extra_from = 0.0;
    double extra_for = 0.0;
};

struct outcome {
    double scale;
    std::vector<std::pair<double, double>> changes; // simulated time, new scale
    int changes_after(double t) const {
        return static_cast<int>(
            std::count_if(changes.begin(), changes.end(), [t](const auto& c) { return c.first > t; }));
    }
};

outcome run(const machine& m, double seconds) {
    render_scale scale = *render_scale::parse("auto");
    outcome result;
    std::uint64_t noise = 12345;
    const auto wobble = [&noise](double amount) {
        noise = noise * 6364136223846793005ULL + 1442695040888963407ULL;
        return amount * (static_cast<double>(noise >> 11) / 4503599627370496.0 - 1.0);
    };
    for (double t = 0.0; t < seconds;) {
        const double s = scale.value();
        double cost = m.fixed + m.pixels * s * s + wobble(m.jitter);
        if (t >= m.extra_from && t < m.extra_from + m.extra_for) cost += m.extra;
        double interval = cost;
        if (m.refresh_hz > 0.0) {
            const double period = 1.0 / m.refresh_hz;
            interval = std::max(1.0, std::ceil(cost / period)) * period + wobble(m.jitter);
        }
        t += interval;
        if (scale.frame_took(interval, m.cpu_share * cost)) result.changes.emplace_back(t, scale.value());
    }
    result.scale = scale.value();
    return result;
}

std::string shown(const outcome& o) {
    std::string text = "final " + std::to_string(o.scale) + ", changes:";
    for (const auto& [t, s] : o.changes)
        text += " " + std::to_string(t) + "s->" + std::to_string(s);
    return text;
}

TEST(RenderScale, AutoNeverMovesOnADisplayThatKeepsUp) {
    for (const double hz : {60.0, 59.94, 144.0}) {
        machine light;
        light.refresh_hz = hz;
        const outcome o = run(light, 20 * 60);
        EXPECT_EQ(o.scale, 1.0) << hz << " Hz: " << shown(o);
        EXPECT_TRUE(o.changes.empty()) << hz << " Hz: " << shown(o);
    }
    // Busy but on time: no room to raise, no reason to lower.
    machine busy;
    busy.refresh_hz = 60.0;
    busy.fixed = 0.004;
    busy.pixels = 0.010;
    busy.cpu_share = 1.0;
    const outcome o = run(busy, 20 * 60);
    EXPECT_TRUE(o.changes.empty()) << shown(o);
}

TEST(RenderScale, AutoReturnsToOneAfterATransient) {
    machine m;
    m.refresh_hz = 60.0;
    m.extra = 0.012; // 20 ms frames: every vsync missed for a second
    m.extra_from = 30.0;
    m.extra_for = 1.0;
    const outcome o = run(m, 30 + 75);
    ASSERT_FALSE(o.changes.empty()) << "the transient lowers the scale";
    EXPECT_LT(o.changes.front().second, 1.0);
    EXPECT_EQ(o.scale, 1.0) << shown(o);
    EXPECT_LE(o.changes.size(), 6u) << shown(o);
    EXPECT_EQ(o.changes_after(45.0), 0) << shown(o);
}

TEST(RenderScale, AutoGoesDownOnASlowMachineAndSettles) {
    machine software; // llvmpipe without vsync: 40 ms frames at scale 1, all of it seen by the CPU
    software.fixed = 0.002;
    software.pixels = 0.038;
    software.cpu_share = 1.0;
    machine gpu = software; // a slow GPU behind vsync: the CPU sees little, so every raise is a trial
    gpu.refresh_hz = 60.0;
    gpu.cpu_share = 0.1;
    for (const machine& m : {software, gpu}) {
        const outcome o = run(m, 20 * 60);
        SCOPED_TRACE(shown(o));
        EXPECT_LT(o.scale, 0.7);
        EXPECT_GE(o.scale, render_scale::lowest);
        const double cost = m.fixed + m.pixels * o.scale * o.scale;
        EXPECT_LE(cost, render_scale::late_share * render_scale::frame_goal) << "the settled scale keeps up";
        // Failed trials wait twice as long each time: at most one (a raise and its undoing) per longest hold.
        EXPECT_LE(o.changes.size(), 20u);
        EXPECT_LE(o.changes_after(10 * 60.0), 4);
    }
    // Fixed scales ignore the times.
    render_scale fixed = *render_scale::parse("0.75");
    for (int i = 0; i < 200; ++i)
        EXPECT_FALSE(fixed.frame_took(0.25, 0.25));
    EXPECT_EQ(fixed.value(), 0.75);
}

} // namespace
