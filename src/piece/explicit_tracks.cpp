#include "piece/explicit_tracks.hpp"

#include "logger/number_text.hpp"

#include <toml++/toml.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

namespace piece {

namespace {

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// The shortest text that reads back as `v`, always a TOML float: an integer would read back as +0 for -0.
std::string float_text(double v) {
    std::string s = number_text::shortest(v);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

// Byte offsets of toml++'s line and column places in a text of ASCII alone (a column is then a byte).
class text_places {
public:
    explicit text_places(std::string_view text)
        : size(text.size()) {
        starts.push_back(0);
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') starts.push_back(i + 1);
    }
    std::size_t offset(const toml::source_position& at) const {
        if (at.line == 0 || at.line > starts.size() || at.column == 0)
            throw std::logic_error("with_explicit_tracks: a place outside the text");
        return std::min(size, starts[at.line - 1] + at.column - 1);
    }

private:
    std::size_t size;
    std::vector<std::size_t> starts;
};

struct edit {
    std::size_t from;
    std::size_t to; // one past the last byte replaced
    std::string text;
};

const detected_events* detected_track(const piece_data& p, const std::string& name) {
    for (const track& t : p.tracks)
        if (t.name == name) return std::get_if<detected_events>(&t.source);
    return nullptr;
}

} // namespace

std::string events_text(const std::vector<event>& events, std::string_view comment) {
    std::string out = "events = [";
    if (!comment.empty()) out.append(" # ").append(comment);
    out += '\n';
    for (const event& e : events)
        out += "    [" + float_text(e.start) + ", " + float_text(e.end) + ", " + float_text(e.value) + "],\n";
    return out + "]";
}

std::string with_explicit_tracks(std::string_view text, const std::string& file, const piece_data& p) {
    if (!has_detected_tracks(p.tracks)) return std::string(text);
    // The reader's view of the text: no byte-order mark, and (the piece having been read) bytes beyond
    // ASCII only in comments, which it reads as blanks.
    const std::size_t mark = text.starts_with(byte_order_mark) ? byte_order_mark.size() : 0;
    const std::string_view body = text.substr(mark);
    std::string ascii(body);
    std::replace_if(
        ascii.begin(), ascii.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; }, ' ');
    toml::table root;
    try {
        root = toml::parse(ascii, file);
    } catch (const toml::parse_error& e) {
        throw piece_error(file, static_cast<long>(e.source().begin.line),
                          static_cast<long>(e.source().begin.column), std::string(e.description()));
    }
    const text_places places(ascii);
    std::vector<edit> edits;
    if (const toml::array* tracks = root["tracks"].as_array()) {
        for (const toml::node& entry : *tracks) {
            const toml::table* t = entry.as_table();
            const std::optional<std::string> name = t ? (*t)["name"].value<std::string>() : std::nullopt;
            const detected_events* found = name ? detected_track(p, *name) : nullptr;
            if (found == nullptr) continue;
            for (const auto& [key, value] : *t) {
                if (key.str() != "detect") continue;
                const toml::table* detect = value.as_table();
                if (detect == nullptr || !detect->is_inline() || key.source().begin.line == 0)
                    throw piece_error(file, std::max<long>(1, static_cast<long>(value.source().begin.line)),
                                      std::max<long>(1, static_cast<long>(value.source().begin.column)),
                                      "the detect table of the track '" + *name +
                                          "' is not written inline; write it as detect = { ... } to have its "
                                          "events written in its place");
                const std::size_t from = places.offset(key.source().begin);
                const std::size_t to = places.offset(value.source().end);
                if (to <= from || ascii[to - 1] != '}')
                    throw std::logic_error("with_explicit_tracks: the detect table of '" + *name +
                                           "' ends elsewhere");
                const std::string_view written = std::string_view(ascii).substr(from, to - from);
                const bool one_line = written.find('\n') == std::string_view::npos;
                edits.push_back(
                    {from, to,
                     events_text(found->events,
                                 one_line ? "found in the music by " + std::string(written) : "")});
            }
        }
    }
    const auto detected =
        static_cast<std::size_t>(std::count_if(p.tracks.begin(), p.tracks.end(), [](const track& t) {
            return std::holds_alternative<detected_events>(t.source);
        }));
    if (edits.size() != detected)
        throw std::logic_error(
            "with_explicit_tracks: the text is not the piece's (its detected tracks differ)");
    std::sort(edits.begin(), edits.end(), [](const edit& a, const edit& b) { return a.from > b.from; });
    std::string out(body);
    for (const edit& e : edits)
        out.replace(e.from, e.to - e.from, e.text);
    return std::string(text.substr(0, mark)) + out;
}

} // namespace piece
