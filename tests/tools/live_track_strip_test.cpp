// The track strip of the live player (key T) as triangles: which events and acts it draws where, and
// names its font cannot draw.

#include "demo_live/strip_layout.hpp"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<live::strip_vertex> strip(const std::string& track, std::vector<piece::event> events, double time,
                                      std::vector<piece::act> acts = {}) {
    piece::piece_data p;
    p.length = 60.0;
    p.tracks.push_back({track, piece::event_list{std::move(events)}});
    p.acts = std::move(acts);
    return live::strip_triangles(p, {time, std::nullopt, std::nullopt, 1000, 400});
}

piece::act act(const std::string& name, double from, double until) {
    piece::act a;
    a.name = name;
    a.from = from;
    a.until = until;
    return a;
}

// Vertex by vertex, position and colour.
bool same_triangles(const std::vector<live::strip_vertex>& u, const std::vector<live::strip_vertex>& v) {
    for (std::size_t i = 0; i < u.size() && u.size() == v.size(); ++i) {
        if (u[i].x != v[i].x || u[i].y != v[i].y || u[i].r != v[i].r || u[i].a != v[i].a) return false;
    }
    return u.size() == v.size();
}

struct rect {
    float x0, y0, x1, y1;
};

// The rectangles drawn in any of `colours`, in the order drawn.
std::vector<rect> rects_in(const std::vector<live::strip_vertex>& triangles,
                           std::initializer_list<std::array<float, 3>> colours) {
    std::vector<rect> found;
    for (std::size_t i = 0; i + 6 <= triangles.size(); i += 6) {
        for (const auto& [r, g, b] : colours) {
            if (triangles[i].r == r && triangles[i].g == g && triangles[i].b == b)
                found.push_back({triangles[i].x, triangles[i].y, triangles[i + 2].x, triangles[i + 2].y});
        }
    }
    return found;
}

TEST(LiveTrackStrip, DrawsTheEventsWithinItsTenSecondsCutAtItsEdges) {
    // 15 to 25 s shown; the labels ("sections" the widest) end at x 42, the time line runs from 50 to 996,
    // and an event is at least two pixels wide.
    const auto triangles = strip("kick",
                                 {{1.0, 1.1, 1.0},
                                  {14.0, 14.9, 1.0},
                                  {14.9, 15.5, 1.0},
                                  {19.5, 20.0, 1.0},
                                  {20.0, 20.001, 1.0},
                                  {24.9, 26.0, 1.0},
                                  {25.1, 26.0, 1.0},
                                  {40.0, 41.0, 1.0}},
                                 20.0);
    const auto bars = rects_in(triangles, {{0.98f, 0.55f, 0.20f}}); // in the first track's colour
    const std::vector<std::pair<float, float>> expected{
        {50.0f, 97.3f}, {475.7f, 523.0f}, {523.0f, 525.0f}, {986.54f, 996.0f}};
    ASSERT_EQ(bars.size(), expected.size());
    for (std::size_t i = 0; i < bars.size(); ++i) {
        EXPECT_NEAR(bars[i].x0, expected[i].first, 1e-3f) << "bar " << i;
        EXPECT_NEAR(bars[i].x1, expected[i].second, 1e-3f) << "bar " << i;
    }
}

TEST(LiveTrackStrip, DrawsTheActsAboveTheTracksAndTheirTransitionsApart) {
    // 0-17, 16-23 (its transition 16-17), 23-40 (no overlap), 40-60; 94.6 pixels a second from x 50.
    const std::vector<piece::act> acts{act("a", 0.0, 17.0), act("b", 16.0, 23.0), act("c", 23.0, 40.0),
                                       act("d", 40.0, 60.0)};
    using spans = std::vector<std::pair<float, float>>;
    const struct {
        double time;
        spans bars;
        spans transitions;
    } cases[] = {
        {20.0, {{50.0f, 239.2f}, {144.6f, 806.8f}, {806.8f, 996.0f}}, {{144.6f, 239.2f}}}, // b inside
        {17.0, {{50.0f, 523.0f}, {428.4f, 996.0f}}, {{428.4f, 523.0f}}}, // the transition inside
        {50.0, {{50.0f, 996.0f}}, {}},                                   // d across the whole window
        {70.0, {}, {}},                                                  // all of them before it
    };
    for (const auto& c : cases) {
        const auto triangles = strip("kick", {{1.0, 80.0, 1.0}}, c.time, acts);
        const auto compare = [&](const std::vector<rect>& drawn, const spans& expected, const char* what) {
            ASSERT_EQ(drawn.size(), expected.size()) << what << " at " << c.time;
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                EXPECT_NEAR(drawn[i].x0, expected[i].first, 1e-3f) << what << " " << i << " at " << c.time;
                EXPECT_NEAR(drawn[i].x1, expected[i].second, 1e-3f) << what << " " << i << " at " << c.time;
                // The acts' row is right under the axis, the track's row under it.
                EXPECT_EQ(drawn[i].y0, 368.0f);
                EXPECT_EQ(drawn[i].y1, 375.0f);
            }
        };
        compare(rects_in(triangles, {{0.22f, 0.52f, 0.46f}, {0.48f, 0.46f, 0.22f}}), c.bars, "act");
        compare(rects_in(triangles, {{0.78f, 0.28f, 0.58f}}), c.transitions, "transition");
        const auto track = rects_in(triangles, {{0.98f, 0.55f, 0.20f}});
        ASSERT_EQ(track.size(), 1u);
        EXPECT_EQ(track[0].y0, 379.0f);
    }
}

TEST(LiveTrackStrip, NamesBeyondItsFontAreDrawnWithPlaceholders) {
    const auto same = [](const std::string& a, const std::string& b) {
        return same_triangles(strip(a, {}, 30.0), strip(b, {}, 30.0));
    };
    ASSERT_FALSE(same("a?b", "ab")) << "the label is drawn";
    for (const auto& [name, drawn] : {std::pair<std::string, std::string>{"a\tb", "a?b"},
                                      {"line\nbreak", "line?break"},
                                      {"del\x7f", "del?"},
                                      {"\xc3\xa4iti", "?iti"},           // two bytes, one character
                                      {"euro \xe2\x82\xac!", "euro ?!"}, // three bytes
                                      {"\x80stray", "?stray"},           // a lone continuation byte
                                      {std::string(40, '\xc3') + "x", std::string(16, '?')}}) {
        EXPECT_TRUE(same(name, drawn)) << "'" << name << "' drawn as '" << drawn << "'";
    }
}

TEST(LiveTrackStrip, ActNamesAreLabelledAsTrackNamesCutToTheirBars) {
    // The first act's name starts at x 53 (its bar begins before the window) and ends before x 94.3,
    // where the next act starts: six characters of six pixels fit.
    const auto same = [](const std::string& a, const std::string& b) {
        const auto drawn = [](const std::string& name) {
            return strip("kick", {}, 30.0, {act(name, 20.0, 27.0), act("z", 25.5, 60.0)});
        };
        return same_triangles(drawn(a), drawn(b));
    };
    ASSERT_FALSE(same("abc", "ab")) << "the name is drawn";
    EXPECT_TRUE(same("abcdefghijklmnop", "abcdef"));
    EXPECT_TRUE(same("\xc3\xa4i\tti", "?i?ti"));
}

} // namespace
