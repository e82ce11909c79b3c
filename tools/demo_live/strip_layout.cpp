#include "demo_live/strip_layout.hpp"

#include <stb_easy_font.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>

namespace live {
namespace {

struct colour {
    float r, g, b, a;
};

// One colour per track, repeating after eight.
constexpr std::array<colour, 8> track_colours{{{0.98f, 0.55f, 0.20f, 0.95f},
                                               {0.35f, 0.75f, 1.00f, 0.95f},
                                               {0.55f, 0.90f, 0.35f, 0.95f},
                                               {0.95f, 0.40f, 0.80f, 0.95f},
                                               {1.00f, 0.90f, 0.30f, 0.95f},
                                               {0.60f, 0.50f, 1.00f, 0.95f},
                                               {0.30f, 0.90f, 0.80f, 0.95f},
                                               {0.95f, 0.35f, 0.35f, 0.95f}}};
constexpr colour background{0.0f, 0.0f, 0.0f, 0.65f};
constexpr colour outside_piece{0.35f, 0.35f, 0.35f, 0.45f};
constexpr colour loop_span{1.0f, 0.85f, 0.2f, 0.18f};
constexpr colour loop_edge{1.0f, 0.85f, 0.2f, 0.9f};
constexpr colour boundary{1.0f, 1.0f, 1.0f, 0.55f};
constexpr colour playhead{1.0f, 0.15f, 0.15f, 1.0f};
constexpr colour label{0.85f, 0.85f, 0.85f, 1.0f};
constexpr std::array<colour, 2> section_spans{{{0.30f, 0.40f, 0.60f, 0.85f}, {0.55f, 0.42f, 0.28f, 0.85f}}};
constexpr std::array<colour, 2> act_spans{{{0.22f, 0.52f, 0.46f, 0.85f}, {0.48f, 0.46f, 0.22f, 0.85f}}};
constexpr colour transition_span{0.78f, 0.28f, 0.58f, 0.95f};
constexpr std::size_t longest_label = 16; // characters
constexpr char placeholder = '?';

// The label as stb_easy_font can draw it: its font holds the characters 32 to 126 alone, and indexes
// its table with the byte. Any other byte is the placeholder, a UTF-8 sequence (a name with \u00e4)
// one placeholder for its character; at most longest_label characters.
std::string drawable(const std::string& name) {
    std::string label;
    bool in_sequence = false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool continuation = (byte & 0xC0) == 0x80;
        if (in_sequence && continuation) continue;
        in_sequence = byte >= 0xC0;
        if (label.size() == longest_label) break;
        label += byte >= 32 && byte <= 126 ? c : placeholder;
    }
    return label;
}

class painter {
public:
    explicit painter(std::vector<strip_vertex>& out)
        : v(out) {}

    void rect(float x0, float y0, float x1, float y1, colour c) {
        if (x1 <= x0 || y1 <= y0) return;
        const std::array<std::array<float, 2>, 6> corners{
            {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y0}, {x1, y1}, {x0, y1}}};
        for (const auto& [x, y] : corners)
            v.push_back({x, y, c.r, c.g, c.b, c.a});
    }

    // stb_easy_font's quads, `scale` times their size, from the top left (x, y).
    void text(float x, float y, const std::string& name, float scale, colour c) {
        std::string s = drawable(name);
        static std::array<char, 48 * 1024> quads; // 64 bytes a quad; a glyph has at most a dozen
        const int count =
            stb_easy_font_print(0.0f, 0.0f, s.data(), nullptr, quads.data(), static_cast<int>(quads.size()));
        for (int q = 0; q < count; ++q) {
            std::array<float, 8> corner{};
            for (int k = 0; k < 4; ++k) {
                const char* at = quads.data() + (q * 4 + k) * 16;
                std::memcpy(&corner[2 * k], at, 2 * sizeof(float));
            }
            rect(x + corner[0] * scale, y + corner[1] * scale, x + corner[4] * scale, y + corner[5] * scale,
                 c);
        }
    }

    static float text_width(const std::string& name) {
        std::string s = drawable(name);
        return static_cast<float>(stb_easy_font_width(s.data()));
    }

    // The label of `name` cut to the characters that fit in `room` pixels at `scale`.
    static std::string fitted(const std::string& name, float room, float scale) {
        std::string s = drawable(name); // ASCII alone: a character is a byte
        while (!s.empty() && text_width(s) * scale > room)
            s.pop_back();
        return s;
    }

private:
    std::vector<strip_vertex>& v;
};

} // namespace

std::vector<strip_vertex> strip_triangles(const piece::piece_data& p, const strip_view& view) {
    std::vector<strip_vertex> out;
    painter paint(out);
    const float scale = view.height >= 540 ? 2.0f : 1.0f;
    const float row = 11.0f * scale;
    const auto width = static_cast<float>(view.width);
    const auto height = static_cast<float>(view.height);
    // A time axis, the acts when the piece has them, the tracks that fit in half the window, and the
    // sections.
    const std::size_t act_rows = p.acts.empty() ? 0 : 1;
    const auto fitting =
        static_cast<std::size_t>(std::max(0.0f, height / 2.0f / row - static_cast<float>(2 + act_rows)));
    const std::size_t tracks = std::min(p.tracks.size(), fitting);
    const std::size_t rows = act_rows + tracks; // between the axis and the sections
    const float top = height - static_cast<float>(rows + 2) * row - 3.0f * scale;
    const float bottom = height;
    float label_width = painter::text_width("sections");
    if (act_rows > 0) label_width = std::max(label_width, painter::text_width("acts"));
    for (std::size_t k = 0; k < tracks; ++k)
        label_width = std::max(label_width, painter::text_width(p.tracks[k].name));
    const float x0 = std::min(label_width * scale + 8.0f * scale, width / 4.0f);
    const float x1 = width - 4.0f * scale;
    if (x1 <= x0) return out;
    const double from = view.time - strip_seconds_shown / 2.0;
    const double until = view.time + strip_seconds_shown / 2.0;
    const auto x_of = [&](double t) {
        const double u = std::clamp((t - from) / (until - from), 0.0, 1.0);
        return x0 + static_cast<float>(u) * (x1 - x0);
    };
    const auto row_top = [&](std::size_t r) { return top + 2.0f * scale + static_cast<float>(r) * row; };
    const float rows_top = row_top(1);
    const float rows_bottom = row_top(rows + 2);

    paint.rect(0.0f, top, width, bottom, background);
    // Before 0 and after the piece's length.
    if (from < 0.0) paint.rect(x0, rows_top, x_of(0.0), rows_bottom, outside_piece);
    if (until > p.length) paint.rect(x_of(p.length), rows_top, x1, rows_bottom, outside_piece);

    // The axis: a tick every second, labelled every second or every five when they would crowd.
    const double pixels_per_second = (x1 - x0) / strip_seconds_shown;
    const int label_every = pixels_per_second >= 30.0 * scale ? 1 : 5;
    for (auto s = static_cast<long long>(std::ceil(from)); s <= static_cast<long long>(std::floor(until));
         ++s) {
        const float x = x_of(static_cast<double>(s));
        const bool labelled = s % label_every == 0;
        paint.rect(x, row_top(1) - (labelled ? 4.0f : 2.0f) * scale, x + scale, row_top(1), label);
        if (labelled && s >= 0) paint.text(x + 2.0f * scale, row_top(0), std::to_string(s), scale, label);
    }

    // The acts: each a bar over its time with its name, where it overlaps the act before (its
    // transition) shaded apart.
    if (act_rows > 0) {
        const float y = row_top(1);
        paint.text(2.0f * scale, y + scale, "acts", scale, label);
        const auto shown = [&](double a, double b) { return b >= from && a <= until; };
        for (std::size_t i = 0; i < p.acts.size(); ++i) {
            const piece::act& a = p.acts[i];
            if (shown(a.from, a.until))
                paint.rect(x_of(a.from), y + 2.0f * scale, x_of(a.until), y + row - 2.0f * scale,
                           act_spans[i % 2]);
        }
        for (std::size_t i = 1; i < p.acts.size(); ++i) {
            const double end = std::min(p.acts[i - 1].until, p.acts[i].until);
            if (p.acts[i].from < end && shown(p.acts[i].from, end))
                paint.rect(x_of(p.acts[i].from), y + 2.0f * scale, x_of(end), y + row - 2.0f * scale,
                           transition_span);
        }
        // A name within its act's bar up to where the next act starts, so that no two names overlap.
        for (std::size_t i = 0; i < p.acts.size(); ++i) {
            const piece::act& a = p.acts[i];
            const double end = i + 1 < p.acts.size() ? std::min(a.until, p.acts[i + 1].from) : a.until;
            if (!shown(a.from, end)) continue;
            const float x = x_of(a.from) + 3.0f * scale;
            const float room = x_of(end) - 3.0f * scale - x;
            paint.text(x, y + scale, painter::fitted(a.name, room, scale), scale, label);
        }
    }

    // The tracks: each event a bar, at least two pixels wide.
    for (std::size_t k = 0; k < tracks; ++k) {
        const float y = row_top(act_rows + k + 1);
        paint.text(2.0f * scale, y + scale, p.tracks[k].name, scale, label);
        const colour c = track_colours[k % track_colours.size()];
        for (const piece::event& e : piece::events_of(p.tracks[k])) {
            if (e.end < from || e.start > until) continue;
            const float a = x_of(e.start);
            paint.rect(a, y + 2.0f * scale, std::max(x_of(e.end), a + 2.0f * scale), y + row - 2.0f * scale,
                       c);
        }
    }

    // The sections: their spans in the last row, their bounds across every row.
    const float sections_y = row_top(rows + 1);
    paint.text(2.0f * scale, sections_y + scale, "sections", scale, label);
    for (std::size_t i = 0; i < p.sections.size(); ++i) {
        const piece::time_range& r = p.sections[i].range;
        if (r.until < from || r.from > until) continue;
        const float a = x_of(r.from);
        const float b = x_of(r.until);
        paint.rect(a, sections_y + 2.0f * scale, b, sections_y + row - 2.0f * scale, section_spans[i % 2]);
        if (b - a > 16.0f * scale)
            paint.text(a + 3.0f * scale, sections_y + scale, std::to_string(i + 1), scale, label);
        for (const double edge : {r.from, r.until}) {
            if (std::isfinite(edge) && edge >= from && edge <= until)
                paint.rect(x_of(edge), rows_top, x_of(edge) + scale, rows_bottom, boundary);
        }
    }

    // The loop, and the playhead over everything.
    if (view.loop_start) {
        const double end = view.loop_end.value_or(until);
        if (end >= from && *view.loop_start <= until)
            paint.rect(x_of(*view.loop_start), rows_top, x_of(end), rows_bottom, loop_span);
        for (const std::optional<double>& edge : {view.loop_start, view.loop_end}) {
            if (edge && *edge >= from && *edge <= until)
                paint.rect(x_of(*edge) - scale, top, x_of(*edge) + scale, rows_bottom, loop_edge);
        }
    }
    const float centre = x_of(view.time);
    paint.rect(centre - scale, top, centre + scale, bottom, playhead);
    return out;
}

} // namespace live
