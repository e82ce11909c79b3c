#include "piece/read_acts.hpp"

#include "piece/closest_name.hpp"

#include <cmath>
#include <set>

namespace piece::reading {

namespace {

// Of the frame's size; the side in pixels is checked against the frame when the buffer is made.
constexpr double max_buffer_scale = 4.0;
constexpr std::size_t max_passes = 64; // buffers, acts, post passes each

std::string seconds(double t) {
    std::string s = std::to_string(t);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}

named_file shader_file(const context& c, const toml::node& n, const std::string& what) {
    const auto& where = n.source().begin;
    return {c.resolve(text(c, n, what)), std::max<long>(1, static_cast<long>(where.line)),
            std::max<long>(1, static_cast<long>(where.column))};
}

bool image_name(const std::string& s) {
    const auto dot = s.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = s.substr(dot + 1);
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext == "png" || ext == "jpg" || ext == "jpeg";
}

// What a pass may read. `self` is the buffer being read (its own previous frame) or none; `written` the
// buffers drawn before the pass in the frame.
struct channel_rules {
    std::optional<std::size_t> self;
    std::size_t written = 0;
    bool frame = false; // "frame": the picture so far, in post passes
};

channel_list read_channels(const context& c, const table_reader& r, const piece_data& p, const channel_rules& rules,
                           bool* feedback = nullptr) {
    channel_list list;
    const toml::node* n = r.find("channels");
    if (n == nullptr) return list;
    const toml::array& a = array(c, *n, "channels", channel_count);
    std::vector<std::string> known{"music"};
    if (rules.frame) known.emplace_back("frame");
    for (const buffer_pass& b : p.buffers) known.push_back(b.name);
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string name = text(c, a[i], "a channel");
        channel& ch = list[i];
        if (name == "music") {
            ch.from = channel::source::music;
        } else if (name == "frame") {
            if (!rules.frame) c.fail(a[i], "\"frame\" is the picture so far, which only post passes read");
            ch.from = channel::source::frame;
        } else if (image_name(name)) {
            ch.from = channel::source::image;
            ch.image = shader_file(c, a[i], "a channel");
        } else {
            const auto found = std::find_if(p.buffers.begin(), p.buffers.end(),
                                             [&](const buffer_pass& b) { return b.name == name; });
            if (found == p.buffers.end()) {
                std::string what = "the channel '" + name + "' names no buffer, \"music\"";
                what += rules.frame ? ", \"frame\"" : "";
                what += " or image file (.png, .jpg)";
                if (const auto close = closest_name(name, known)) what += "; did you mean '" + *close + "'?";
                c.fail(a[i], what);
            }
            const auto index = static_cast<std::size_t>(found - p.buffers.begin());
            if (rules.self && index == *rules.self) {
                if (feedback != nullptr) *feedback = true;
            } else if (index >= rules.written) {
                c.fail(a[i], "the buffer '" + name + "' is read before it is drawn in the frame (buffers are drawn "
                             "in order; only a buffer itself reads its previous frame)");
            }
            ch.from = channel::source::buffer;
            ch.buffer = index;
        }
    }
    return list;
}

// A buffer's name is a channel, so it may not be one of the other channels; an act's is only a name.
std::string pass_name(const context& c, const table_reader& r, const std::set<std::string>& taken, bool buffer) {
    const std::string name = r.name("name");
    if (buffer && (name == "music" || name == "frame" || image_name(name)))
        c.fail(r.need("name"), "a buffer may not be named '" + name +
                                   "': it is a channel of its own (\"music\", \"frame\" or an image file)");
    if (taken.count(name) != 0) c.fail(r.need("name"), std::string("a second ") + (buffer ? "buffer" : "act") +
                                                         " named '" + name + "'");
    return name;
}

void read_buffers(const context& c, const toml::node& n, piece_data& p) {
    std::set<std::string> names;
    const toml::array& list = array(c, n, "buffers", max_passes);
    // Every name first: a channel may name a buffer written further down, which is refused by its place.
    for (const toml::node& entry : list) {
        table_reader r(c, entry, "a buffer", {"name", "shader", "channels", "format", "scale"});
        buffer_pass b;
        b.name = pass_name(c, r, names, true);
        names.insert(b.name);
        p.buffers.push_back(std::move(b));
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        table_reader r(c, *list.get(i), "a buffer", {"name", "shader", "channels", "format", "scale"});
        buffer_pass& b = p.buffers[i];
        b.line = std::max<long>(1, static_cast<long>(list.get(i)->source().begin.line));
        b.column = std::max<long>(1, static_cast<long>(list.get(i)->source().begin.column));
        b.shader = shader_file(c, r.need("shader"), "shader");
        b.channels = read_channels(c, r, p, {i, i, false}, &b.feedback);
        if (const toml::node* format = r.find("format")) {
            const std::string f = text(c, *format, "format");
            if (f == "rgba8") b.format = buffer_format::rgba8;
            else if (f == "rgba16f") b.format = buffer_format::rgba16f;
            else if (f == "rgba32f") b.format = buffer_format::rgba32f;
            else c.fail(*format, "format must be \"rgba8\", \"rgba16f\" or \"rgba32f\", not \"" + f + "\"");
        }
        if (const toml::node* scale = r.find("scale")) {
            b.scale = number(c, *scale, "scale");
            if (!(b.scale > 0.0) || b.scale > max_buffer_scale)
                c.fail(*scale, "scale must be above 0 and at most " + seconds(max_buffer_scale));
        }
    }
}

void read_transition(const context& c, const toml::node& n, act& a) {
    table_reader r(c, n, "a transition", {"over", "shader"});
    piece::transition t;
    t.over = r.number_or("over", 0.0);
    if (const toml::node* shader = r.find("shader")) t.shader = shader_file(c, *shader, "shader");
    a.transition = t;
}

void check_act_order(const context& c, const toml::array& list, const std::vector<act>& acts, std::size_t i) {
    const act& a = acts[i];
    const toml::node& where = *list.get(i);
    const auto transition_node = [&]() -> const toml::node& {
        const toml::node* t = where.as_table()->get("transition");
        return t ? *t : where;
    };
    if (i == 0) {
        if (a.transition) c.fail(transition_node(), "a transition without an overlap: '" + a.name + "' is the first act");
        return;
    }
    const act& before = acts[i - 1];
    if (!(a.from > before.from))
        c.fail(where, "acts out of order: '" + a.name + "' starts at " + seconds(a.from) + ", not after '" +
                          before.name + "' (from " + seconds(before.from) + ")");
    if (i >= 2 && a.from < acts[i - 2].until)
        c.fail(where, "'" + a.name + "' (from " + seconds(a.from) + ") overlaps '" + acts[i - 2].name + "' (until " +
                          seconds(acts[i - 2].until) + "): an act may overlap only the act before it");
    const bool overlaps = a.from < before.until;
    if (!overlaps) {
        if (a.transition)
            c.fail(transition_node(), "a transition without an overlap: '" + a.name + "' starts at " + seconds(a.from) +
                                          ", after '" + before.name + "' ends at " + seconds(before.until));
        return;
    }
    if (!(a.until > before.until))
        c.fail(where, "'" + a.name + "' (" + seconds(a.from) + " to " + seconds(a.until) + ") lies within '" +
                          before.name + "' (" + seconds(before.from) + " to " + seconds(before.until) +
                          "): an act that overlaps the one before must end after it");
}

void read_acts_list(const context& c, const toml::node& n, piece_data& p) {
    std::set<std::string> names;
    const toml::array& list = array(c, n, "acts", max_passes);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const toml::node& entry = *list.get(i);
        table_reader r(c, entry, "an act",
                       {"name", "from", "until", "shader", "piece", "offset", "channels", "transition"});
        act a;
        a.line = std::max<long>(1, static_cast<long>(entry.source().begin.line));
        a.column = std::max<long>(1, static_cast<long>(entry.source().begin.column));
        a.name = pass_name(c, r, names, false);
        names.insert(a.name);
        a.from = number(c, r.need("from"), "from");
        a.until = number(c, r.need("until"), "until");
        if (a.from < 0.0) c.fail(r.need("from"), "from must be 0 or later");
        if (!(a.until > a.from)) c.fail(r.need("until"), "the act ends before it starts");
        a.offset = r.number_or("offset", 0.0);
        if (a.offset < 0.0 || a.offset > max_piece_length)
            c.fail(r.need("offset"), "offset must be from 0 to " + seconds(max_piece_length) + " seconds");
        const toml::node* shader = r.find("shader");
        const toml::node* scene = r.find("piece");
        if ((shader == nullptr) == (scene == nullptr))
            c.fail(entry, "an act is either a shader (`shader = \"...\"`) or a scene (`piece = \"...\"`), one of them");
        if (shader != nullptr) {
            a.shader = shader_file(c, *shader, "shader");
            a.channels = read_channels(c, r, p, {std::nullopt, p.buffers.size(), false});
        } else {
            if (r.find("channels")) c.fail(*r.find("channels"), "a scene act has no channels: its piece draws it");
            if (c.nesting >= 1)
                c.fail(*scene, "a scene act inside a scene act's piece: scene acts nest one level only");
            const std::string file = c.resolve(text(c, *scene, "piece"));
            std::error_code error;
            if (!fs::exists(file, error)) c.fail(*scene, "the piece '" + file + "' is not there");
            a.scene = std::make_shared<piece_data>(read_piece_at(file, c.nesting + 1));
            if (a.scene->composed())
                c.fail(*scene, "the piece of a scene act plays one scene: '" + file +
                                   "' has acts, buffers or post passes, which only the piece played may have");
        }
        if (const toml::node* t = r.find("transition")) read_transition(c, *t, a);
        p.acts.push_back(std::move(a));
        check_act_order(c, list, p.acts, i);
        act& added = p.acts.back();
        if (i > 0 && added.from < p.acts[i - 1].until) {
            const double overlap = p.acts[i - 1].until - added.from;
            if (!added.transition) added.transition = piece::transition{};
            else if (added.transition->over != 0.0 && added.transition->over != overlap)
                c.fail(*entry.as_table()->get("transition"),
                       "the transition is over " + seconds(added.transition->over) + " seconds, but '" + added.name +
                           "' overlaps '" + p.acts[i - 1].name + "' by " + seconds(overlap) + " (" +
                           seconds(added.from) + " to " + seconds(p.acts[i - 1].until) + ")");
            added.transition->over = overlap;
        }
    }
}

void read_post(const context& c, const toml::node& n, piece_data& p) {
    for (const toml::node& entry : array(c, n, "post", max_passes)) {
        table_reader r(c, entry, "a post pass", {"shader", "channels", "from", "until", "bounds"});
        post_pass pass;
        pass.shader = shader_file(c, r.need("shader"), "shader");
        pass.channels = read_channels(c, r, p, {std::nullopt, p.buffers.size(), true});
        pass.range = read_range(c, r, false);
        p.post.push_back(std::move(pass));
    }
}

} // namespace

void read_composition(const context& c, const toml::table& root, piece_data& p) {
    if (const toml::node* n = root.get("buffers")) read_buffers(c, *n, p);
    if (const toml::node* n = root.get("acts")) read_acts_list(c, *n, p);
    if (const toml::node* n = root.get("post")) read_post(c, *n, p);
    if (p.acts.empty()) return;
    // The acts draw the picture: what only a piece's own scene uses has no place beside them.
    for (const char* key : {"sections", "camera", "sprites", "presets", "shaders"}) {
        if (const toml::node* n = root.get(key))
            c.fail(*n, std::string("a piece with acts draws no scene of its own: its ") + key +
                           " belong in the piece of a scene act");
    }
}

} // namespace piece::reading
