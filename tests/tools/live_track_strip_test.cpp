// The track strip of the live player (key T) as triangles: which events it draws where, and track names
// its font cannot draw.

#include "demo_live/strip_layout.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<live::strip_vertex> strip(const std::string& track, std::vector<piece::event> events,
                                      double time) {
    piece::piece_data p;
    p.length = 60.0;
    p.tracks.push_back({track, piece::event_list{std::move(events)}});
    return live::strip_triangles(p, {time, std::nullopt, std::nullopt, 1000, 400});
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
    std::vector<std::pair<float, float>> bars; // x extents of the rectangles in the first track's colour
    for (std::size_t i = 0; i + 6 <= triangles.size(); i += 6) {
        if (triangles[i].r == 0.98f && triangles[i].g == 0.55f && triangles[i].b == 0.20f)
            bars.emplace_back(triangles[i].x, triangles[i + 2].x);
    }
    const std::vector<std::pair<float, float>> expected{
        {50.0f, 97.3f}, {475.7f, 523.0f}, {523.0f, 525.0f}, {986.54f, 996.0f}};
    ASSERT_EQ(bars.size(), expected.size());
    for (std::size_t i = 0; i < bars.size(); ++i) {
        EXPECT_NEAR(bars[i].first, expected[i].first, 1e-3f) << "bar " << i;
        EXPECT_NEAR(bars[i].second, expected[i].second, 1e-3f) << "bar " << i;
    }
}

TEST(LiveTrackStrip, NamesBeyondItsFontAreDrawnWithPlaceholders) {
    // Vertex by vertex, position and colour.
    const auto same = [](const std::string& a, const std::string& b) {
        const auto u = strip(a, {}, 30.0);
        const auto v = strip(b, {}, 30.0);
        for (std::size_t i = 0; i < u.size() && u.size() == v.size(); ++i) {
            if (u[i].x != v[i].x || u[i].y != v[i].y || u[i].r != v[i].r || u[i].a != v[i].a) return false;
        }
        return u.size() == v.size();
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

} // namespace
