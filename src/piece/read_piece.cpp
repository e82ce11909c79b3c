#include "piece/read_piece.hpp"

#include "piece/camera_rows.hpp"
#include "piece/read_acts.hpp"
#include "piece/reader_support.hpp"
#include "piece/scene_values.hpp"
#include "piece/text_bounds.hpp"
#include "piece/value_reach.hpp"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

namespace piece {

namespace fs = std::filesystem;

namespace {

using namespace reading;

void read_header(const context& c, const toml::node& n, piece_data& p) {
    table_reader r(c, n, "[piece]",
                   {"name", "length", "after", "pool_size", "block_size", "background", "music_start"});
    p.name = r.name("name");
    const toml::node& length = r.need("length");
    p.length = number(c, length, "length");
    if (p.length <= 0.0) c.fail(length, "length must be above 0 seconds");
    if (p.length > max_piece_length)
        c.fail(length, "length must be at most " + std::to_string(static_cast<int>(max_piece_length)) + " seconds");
    if (const toml::node* after = r.find("after")) {
        if (text(c, *after, "after") != "hold") c.fail(*after, "after must be \"hold\"");
    }
    if (const toml::node* pool = r.find("pool_size"))
        p.pool_size = static_cast<std::size_t>(integer(c, *pool, "pool_size", 1, max_pool_size));
    if (const toml::node* block = r.find("block_size"))
        p.block_size = static_cast<std::size_t>(
            integer(c, *block, "block_size", 1, static_cast<std::int64_t>(p.pool_size)));
    if (p.block_size > p.pool_size) c.fail(r.node(), "block_size must not exceed pool_size");
    if (const toml::node* background = r.find("background")) {
        p.background = vec3(c, *background, "background");
        if (std::any_of(p.background.begin(), p.background.end(), [](double v) { return v < 0.0 || v > 1.0; }))
            c.fail(*background, "background must be three numbers from 0 to 1");
    }
    if (const toml::node* start = r.find("music_start")) {
        p.music_start = number(c, *start, "music_start");
        if (p.music_start < 0.0 || p.music_start > max_music_start)
            c.fail(*start, "music_start must be from 0 to " +
                               std::to_string(static_cast<int>(max_music_start)) + " seconds");
    }
}

void read_assets(const context& c, const toml::node& n, piece_data& p) {
    table_reader r(c, n, "[assets]", {"model", "extra_model", "music"});
    // Needed only by a piece that draws its own scene: checked once the acts are read.
    if (const toml::node* model = r.find("model")) {
        p.model = c.resolve(text(c, *model, "model"));
        p.model_at = c.place_of(*model, text(c, *model, "model"));
    }
    if (const toml::node* extra = r.find("extra_model")) {
        p.extra_model = c.resolve(text(c, *extra, "extra_model"));
        p.extra_model_at = c.place_of(*extra, text(c, *extra, "extra_model"));
    }
    const toml::node& music = r.need("music");
    p.music = c.resolve(text(c, music, "music"));
    p.music_at = c.place_of(music, text(c, music, "music"));
}

template <std::size_t N>
void read_stages(const context& c, const toml::node& n, const std::string& what, std::array<std::string, N>& out,
                 std::array<file_place, N>& out_at) {
    const toml::array& a = array(c, n, what, N);
    if (a.size() != N) c.fail(n, what + " must name " + std::to_string(N) + " shader files");
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = c.resolve(text(c, a[i], what));
        out_at[i] = c.place_of(a[i], text(c, a[i], what));
    }
}

void read_shaders(const context& c, const toml::node& n, piece_data& p) {
    table_reader r(c, n, "[shaders]", {"scene", "particles"});
    if (const toml::node* scene = r.find("scene")) read_stages(c, *scene, "scene", p.scene_shaders, p.scene_shaders_at);
    if (const toml::node* particles = r.find("particles"))
        read_stages(c, *particles, "particles", p.particle_shaders, p.particle_shaders_at);
}

void read_sprites(const context& c, const toml::node& n, piece_data& p) {
    std::set<std::string> names;
    std::set<std::string> samplers;
    std::set<std::int64_t> units;
    int sampled = 0;
    for (const toml::node& entry : array(c, n, "sprites", max_list)) {
        table_reader r(c, entry, "a sprite", {"name", "file", "channels", "sampler", "unit"});
        sprite s;
        s.line = std::max<long>(1, static_cast<long>(entry.source().begin.line));
        s.column = std::max<long>(1, static_cast<long>(entry.source().begin.column));
        s.name = r.name("name");
        if (!names.insert(s.name).second) c.fail(entry, "a second sprite named '" + s.name + "'");
        s.file = c.resolve(text(c, r.need("file"), "file"));
        s.file_at = c.place_of(r.need("file"), text(c, r.need("file"), "file"));
        if (const toml::node* channels = r.find("channels")) {
            const std::string kind = text(c, *channels, "channels");
            if (kind != "rgb" && kind != "rgba") c.fail(*channels, "channels must be \"rgb\" or \"rgba\"");
            s.alpha = kind == "rgba";
        }
        const toml::node* sampler = r.find("sampler");
        const toml::node* unit = r.find("unit");
        if (sampler) {
            s.sampler = r.name("sampler");
            if (!samplers.insert(*s.sampler).second) c.fail(*sampler, "a second sprite with the sampler '" + *s.sampler + "'");
            s.unit = unit ? static_cast<int>(integer(c, *unit, "unit", first_sprite_unit, max_texture_unit))
                          : first_sprite_unit + sampled;
            if (!units.insert(s.unit).second) c.fail(unit ? *unit : entry, "a second sprite on unit " + std::to_string(s.unit));
            s.texture_index = sampled++;
        } else if (unit) {
            c.fail(*unit, "a unit without a sampler");
        }
        p.sprites.push_back(std::move(s));
    }
}

std::vector<event> read_events(const context& c, const toml::node& n) {
    std::vector<event> events;
    for (const toml::node& e : array(c, n, "events", max_events)) {
        const toml::array& triple = array(c, e, "an event", 3);
        if (triple.size() != 3) c.fail(e, "an event must be [start, end, value]");
        const event ev{number(c, triple[0], "start"), number(c, triple[1], "end"), number(c, triple[2], "value")};
        if (!(ev.start < ev.end)) c.fail(e, "the event ends before it starts");
        if (!events.empty() && ev.start < events.back().end)
            c.fail(e, "the event overlaps the one before it: it starts at " + time_text(ev.start) +
                          ", the one before ends at " + time_text(events.back().end));
        events.push_back(ev);
    }
    return events;
}

// A number of the detect table, checked by the detection's own rules as it is read so that the message
// points at the key that breaks them.
void read_detect_number(const context& c, const table_reader& r, const char* key, double& field,
                        music::detect_spec& spec) {
    const toml::node* n = r.find(key);
    if (n == nullptr) return;
    field = number(c, *n, key);
    try {
        music::validate(spec);
    } catch (const music::detect_error& e) {
        c.fail(*n, e.what());
    }
}

detected_events read_detect(const context& c, const toml::node& n) {
    table_reader r(c, n, "detect", {"instrument", "low", "high", "sensitivity", "min_gap", "length", "value"});
    detected_events d;
    music::detect_spec& spec = d.spec;
    const toml::node& what = r.need("instrument");
    const std::string name = text(c, what, "instrument");
    static const std::pair<const char*, music::instrument> instruments[] = {
        {"kick", music::instrument::kick}, {"snare", music::instrument::snare}, {"hat", music::instrument::hat},
        {"onsets", music::instrument::onsets}, {"band", music::instrument::band}};
    const auto known = std::find_if(std::begin(instruments), std::end(instruments),
                                    [&](const auto& i) { return name == i.first; });
    if (known == std::end(instruments))
        c.fail(what, "instrument must be \"kick\", \"snare\", \"hat\", \"onsets\" or \"band\", not \"" + name + "\"");
    spec.what = known->second;
    const toml::node* low = r.find("low");
    const toml::node* high = r.find("high");
    if (spec.what == music::instrument::band) {
        spec.low_hz = number(c, r.need("low"), "low");
        spec.high_hz = number(c, r.need("high"), "high");
        if (spec.low_hz < 0.0) c.fail(*low, "low must not be negative");
        if (!(spec.low_hz < spec.high_hz) || spec.high_hz > 100000.0)
            c.fail(*high, "high must be above low and at most 100000 Hz");
    } else if (low != nullptr || high != nullptr) {
        c.fail(low ? *low : *high, "low and high belong to instrument = \"band\"");
    }
    read_detect_number(c, r, "sensitivity", spec.sensitivity, spec);
    read_detect_number(c, r, "min_gap", spec.min_gap, spec);
    read_detect_number(c, r, "length", spec.length, spec);
    read_detect_number(c, r, "value", spec.value, spec);
    return d;
}

void read_tracks(const context& c, const toml::node& n, piece_data& p) {
    std::set<std::string> names;
    for (const toml::node& entry : array(c, n, "tracks", max_list)) {
        table_reader r(c, entry, "a track", {"name", "events", "detect"});
        track t;
        t.name = r.name("name");
        if (!names.insert(t.name).second) c.fail(entry, "a second track named '" + t.name + "'");
        const toml::node* events = r.find("events");
        const toml::node* detect = r.find("detect");
        if ((events != nullptr) == (detect != nullptr))
            c.fail(detect ? *detect : entry, "a track needs exactly one of 'events' and 'detect'");
        if (events) t.source = event_list{read_events(c, *events)};
        else t.source = read_detect(c, *detect);
        p.tracks.push_back(std::move(t));
    }
}

// Beyond it a particle leaves the picture within a frame.
constexpr double max_gravity = 1000.0; // units/s^2

void read_presets(const context& c, const toml::node& n, piece_data& p) {
    const toml::table* presets = n.as_table();
    if (presets == nullptr) c.fail(n, "presets must be a table of named presets, not " + std::string(type_name(n)));
    if (presets->size() > max_list) c.fail(n, "too many presets");
    for (const auto& [key, entry] : *presets) {
        table_reader r(c, entry, "preset '" + std::string(key.str()) + "'",
                       {"count", "speed", "size", "brightness", "position_jitter", "velocity_jitter", "size_jitter",
                        "brightness_jitter", "fade", "gravity"});
        burst_preset b;
        b.name = std::string(key.str());
        if (const toml::node* count = r.find("count"))
            b.count = static_cast<std::size_t>(integer(c, *count, "count", 1, static_cast<std::int64_t>(p.pool_size)));
        b.speed = r.number_or("speed", 0.0);
        b.size = r.number_or("size", 0.0);
        b.brightness = r.number_or("brightness", 0.0);
        b.position_jitter = r.number_or("position_jitter", 0.0);
        b.velocity_jitter = r.number_or("velocity_jitter", 0.0);
        b.size_jitter = r.number_or("size_jitter", 0.0);
        b.brightness_jitter = r.number_or("brightness_jitter", 0.0);
        b.fade = r.number_or("fade", 0.0);
        if (const toml::node* gravity = r.find("gravity")) {
            b.gravity = number(c, *gravity, "gravity");
            if (std::abs(b.gravity) > max_gravity)
                c.fail(*gravity, "gravity must be from -" + std::to_string(static_cast<int>(max_gravity)) +
                                     " to " + std::to_string(static_cast<int>(max_gravity)) + " units/s^2");
        }
        p.presets.push_back(b);
    }
}

template <typename T>
std::size_t index_named(const context& c, const toml::node& n, const std::vector<T>& list, const std::string& what) {
    const std::string name = text(c, n, what);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].name == name) return i;
        names.push_back(list[i].name);
    }
    c.fail(n, "no " + what + " named '" + name + "'" + did_you_mean(name, names));
}

std::size_t block(const context& c, const toml::node& n, const piece_data& p) {
    const auto blocks = static_cast<std::int64_t>((p.pool_size + p.block_size - 1) / p.block_size);
    const auto* i = n.as_integer();
    if (i == nullptr) c.fail(n, "a block must be a whole number, not " + std::string(type_name(n)));
    if (i->get() < 0 || i->get() >= blocks)
        c.fail(n, "block " + std::to_string(i->get()) + " is outside the pool of " + std::to_string(blocks) + " blocks");
    return static_cast<std::size_t>(i->get());
}

glm::vec3 float3(const std::array<double, 3>& v) {
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

std::vector<key> read_keys(const context& c, const toml::node& n, int components);

// Keys are evaluated anywhere in the range of what holds them, running on past their ends.
void check_keys(const context& c, const toml::node& n, const std::string& whose, const std::vector<key>& keys,
                int components, const time_range& range) {
    if (const std::optional<double> t = keys_leave_floats(keys, components, range))
        c.fail(n, whose + " value at t = " + time_text(*t) + " is not a finite float " +
                      "(past their ends keys run on along the line of the nearest two)");
}

void check_keyed_emitter(const context& c, const toml::node& n, const emitter& e, const time_range& range) {
    for (const auto& [key, value] : {std::pair{"origin", &e.origin}, std::pair{"direction", &e.direction}})
        if (!value->keys.empty())
            check_keys(c, *n.as_table()->get(key), "the " + std::string(key) + "'s", value->keys, 3, range);
}

// `[x, y, z]`, or `{ keys = [[t, [x, y, z]], ...] }` keyed over time as a curve's keys are.
keyed_vec3 read_keyed_vec3(const context& c, const toml::node& n, const std::string& what) {
    keyed_vec3 v;
    if (n.is_table()) {
        table_reader r(c, n, what, {"keys"});
        v.keys = read_keys(c, r.need("keys"), 3);
    } else {
        v.constant = float3(vec3(c, n, what));
    }
    return v;
}

// A section's light: a block, or `{ block = b, color = [r, g, b] }`.
void read_light(const context& c, const toml::node& n, const piece_data& p, section& s, std::size_t k) {
    if (!n.is_table()) {
        s.light_blocks[k] = block(c, n, p);
        return;
    }
    table_reader r(c, n, "a light", {"block", "color"});
    s.light_blocks[k] = block(c, r.need("block"), p);
    if (const toml::node* color = r.find("color")) {
        s.light_colors[k] = vec3(c, *color, "color");
        const auto& rgb = s.light_colors[k];
        if (std::any_of(rgb.begin(), rgb.end(), [](double v) { return v < 0.0 || v > 1.0; }))
            c.fail(*color, "color must be three numbers from 0 to 1");
    }
}

emitter read_emitter(const context& c, const toml::node& n, const piece_data& p,
                     std::map<std::string, std::size_t>& ids) {
    table_reader r(c, n, "an emitter",
                   {"name", "block", "track", "interval", "origin", "direction", "sprite", "preset"});
    emitter e;
    e.name = r.name("name");
    e.id = ids.emplace(e.name, ids.size()).first->second;
    e.block = block(c, r.need("block"), p);
    e.track = index_named(c, r.need("track"), p.tracks, "track");
    const toml::node& interval = r.need("interval");
    e.interval = number(c, interval, "interval");
    if (e.interval < 0.0) c.fail(interval, "interval must not be negative");
    e.origin = read_keyed_vec3(c, r.need("origin"), "origin");
    e.direction = read_keyed_vec3(c, r.need("direction"), "direction");
    const toml::node& sprite_name = r.need("sprite");
    e.sprite = index_named(c, sprite_name, p.sprites, "sprite");
    const sprite& s = p.sprites[e.sprite];
    if (!s.sampler) c.fail(sprite_name, "sprite '" + s.name + "' has no sampler, so no particle can show it");
    e.preset = index_named(c, r.need("preset"), p.presets, "preset");
    return e;
}

void read_sections(const context& c, const toml::node& n, piece_data& p) {
    std::map<std::string, std::size_t> ids;
    for (const toml::node& entry : array(c, n, "sections", max_list)) {
        table_reader r(c, entry, "a section", {"from", "until", "bounds", "emitters", "lights"});
        section s;
        s.range = read_range(c, r, false);
        if (!p.sections.empty() && !in_order(p.sections.back().range, s.range))
            c.fail(entry,
                   "the section starts before the one above it ends" + overlap(p.sections.back().range, s.range));
        if (const toml::node* emitters = r.find("emitters")) {
            std::set<std::string> names;
            for (const toml::node& e : array(c, *emitters, "emitters", max_list)) {
                s.emitters.push_back(read_emitter(c, e, p, ids));
                check_keyed_emitter(c, e, s.emitters.back(), s.range);
                if (!names.insert(s.emitters.back().name).second)
                    c.fail(e, "a second emitter named '" + s.emitters.back().name + "' in this section");
            }
        }
        if (const toml::node* lights = r.find("lights")) {
            if (lights->is_string()) {
                if (text(c, *lights, "lights") != "default") c.fail(*lights, "lights must be \"default\" or a table");
            } else {
                table_reader l(c, *lights, "lights", {"light1", "light2"});
                if (const toml::node* b = l.find("light1")) read_light(c, *b, p, s, 0);
                if (const toml::node* b = l.find("light2")) read_light(c, *b, p, s, 1);
            }
        }
        p.sections.push_back(std::move(s));
    }
    p.emitter_ids = ids.size();
}

std::vector<key> read_keys(const context& c, const toml::node& n, int components) {
    std::vector<key> keys;
    const toml::array& list = array(c, n, "keys", max_rows);
    if (list.size() < 2) c.fail(n, "keys needs at least two keys [t, value]");
    for (const toml::node& entry : list) {
        const toml::array& pair = array(c, entry, "a key", 2);
        if (pair.size() != 2) c.fail(entry, "a key must be [t, value]");
        const auto [count, v] = value(c, pair[1], "a key's value");
        if (count != components) c.fail(pair[1], "the value must have " + std::to_string(components) + " component(s)");
        const key k{number(c, pair[0], "a key's time"), v};
        if (!keys.empty() && !(keys.back().t < k.t)) c.fail(entry, "keys must be in increasing time");
        keys.push_back(k);
    }
    return keys;
}

// The longest attack or release of a follow: longer ones are a ramp or keys.
constexpr double max_envelope_seconds = 60.0;

follow read_follow(const context& c, const toml::node& n, int components, const piece_data& p) {
    table_reader r(c, n, "follow", {"track", "attack", "release", "scale"});
    follow f;
    f.track = index_named(c, r.need("track"), p.tracks, "track");
    for (const auto& [key, field] : {std::pair{"attack", &f.attack}, std::pair{"release", &f.release}}) {
        if (const toml::node* v = r.find(key)) {
            *field = number(c, *v, key);
            if (*field < 0.0 || *field > max_envelope_seconds)
                c.fail(*v, std::string(key) + " must be from 0 to " +
                               std::to_string(static_cast<int>(max_envelope_seconds)) + " seconds");
        }
    }
    if (const toml::node* v = r.find("scale")) {
        const auto [count, scale] = value(c, *v, "scale");
        if (count != components) c.fail(*v, "the scale must have " + std::to_string(components) + " component(s)");
        f.scale = scale;
    } else if (components == 1) {
        f.scale = {1.0, 0.0, 0.0};
    }
    return f;
}

segment read_segment(const context& c, const toml::node& n, int components, const piece_data& p) {
    table_reader r(c, n, "a segment", {"from", "until", "bounds", "value", "keys", "ramp", "follow"});
    segment s;
    s.range = read_range(c, r, false);
    const toml::node* constant = r.find("value");
    const toml::node* keys = r.find("keys");
    const toml::node* line = r.find("ramp");
    const toml::node* envelope = r.find("follow");
    if ((constant ? 1 : 0) + (keys ? 1 : 0) + (line ? 1 : 0) + (envelope ? 1 : 0) != 1)
        c.fail(n, "a segment needs exactly one of 'value', 'keys', 'ramp' and 'follow'");
    if (constant) {
        const auto [count, v] = value(c, *constant, "value");
        if (count != components) c.fail(*constant, "the value must have " + std::to_string(components) + " component(s)");
        s.rule = v;
    } else if (keys) {
        s.rule = read_keys(c, *keys, components);
        check_keys(c, *keys, "the keys'", std::get<std::vector<key>>(s.rule), components, s.range);
    } else if (envelope) {
        const follow& f = std::get<follow>(s.rule = read_follow(c, *envelope, components, p));
        if (!follow_stays_finite(f, components, p.tracks))
            c.fail(*envelope, "the follow's largest value, the largest event value times the scale, is "
                              "beyond a float's range (3.4e38)");
    } else {
        if (components != 1) c.fail(*line, "a ramp feeds a one-number curve only");
        table_reader rr(c, *line, "ramp", {"zero_at", "rise", "over"});
        ramp rp;
        rp.zero_at = number(c, rr.need("zero_at"), "zero_at");
        rp.rise = number(c, rr.need("rise"), "rise");
        const toml::node& over = rr.need("over");
        rp.over = number(c, over, "over");
        if (rp.over == 0.0) c.fail(over, "over must not be 0");
        if (const std::optional<double> t = ramp_leaves_floats(rp, s.range))
            c.fail(*line, "the ramp's value at t = " + time_text(*t) + " is not a finite float");
        s.rule = rp;
    }
    return s;
}

bool uniform_name(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    return std::all_of(s.begin(), s.end(), [](char ch) {
        return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '.' || ch == '[' || ch == ']';
    });
}

void read_curves(const context& c, const toml::node& n, piece_data& p) {
    std::set<std::string> targets;
    for (const toml::node& entry : array(c, n, "curves", max_list)) {
        table_reader r(c, entry, "a curve", {"target", "default", "segments"});
        curve cv;
        const toml::node& target = r.need("target");
        cv.target = text(c, target, "target");
        if (!uniform_name(cv.target) || cv.target.size() > 128) c.fail(target, "target must be a uniform's name");
        if (!targets.insert(cv.target).second) c.fail(target, "a second curve for '" + cv.target + "'");
        if (cv.target == "background_color")
            c.fail(target, "background_color is the piece's background: set it with [piece] background");
        const std::optional<stock_value> stock = stock_value_of(cv.target);
        if (const toml::node* d = r.find("default")) {
            std::tie(cv.components, cv.default_value) = value(c, *d, "default");
        } else {
            cv.components = stock ? stock->components : 1;
            cv.default_value = stock ? stock->value : std::array<double, 3>{};
        }
        if (stock && stock->components == 1 && cv.components != 1) c.fail(entry, "'" + cv.target + "' is one number");
        if (const toml::node* segments = r.find("segments")) {
            for (const toml::node& s : array(c, *segments, "segments", max_rows)) {
                cv.segments.push_back(read_segment(c, s, cv.components, p));
                const std::size_t last = cv.segments.size() - 1;
                if (last > 0 && !in_order(cv.segments[last - 1].range, cv.segments[last].range))
                    c.fail(s, "the segment starts before the one above it ends" +
                                  overlap(cv.segments[last - 1].range, cv.segments[last].range));
            }
        }
        p.curves.push_back(std::move(cv));
    }
}

camera_value read_camera_value(const context& c, const toml::node& n, const std::string& what, int components) {
    camera_value v;
    const auto one = [&](const toml::node& x) {
        if (components == 3) return vec3(c, x, what);
        return std::array<double, 3>{float_number(c, x, what), 0.0, 0.0};
    };
    if (n.is_table()) {
        table_reader r(c, n, what, {"from", "to"});
        v.from = one(r.need("from"));
        v.to = one(r.need("to"));
        v.keyed = true;
    } else {
        v.from = v.to = one(n);
    }
    return v;
}

void read_camera(const context& c, const toml::node& n, piece_data& p) {
    const toml::array& rows = array(c, n, "camera", max_rows);
    for (const toml::node& entry : rows) {
        table_reader r(c, entry, "a camera row",
                       {"from", "until", "bounds", "position", "tilt", "pan", "look_at", "rule"});
        camera_row row;
        row.range = read_range(c, r, true);
        if (!(row.range.from < row.range.until)) c.fail(entry, "a camera row must last longer than an instant");
        if (!p.camera.empty() && !in_order(p.camera.back().range, row.range))
            c.fail(entry,
                   "the camera row starts before the one above it ends" + overlap(p.camera.back().range, row.range));
        row.position = read_camera_value(c, r.need("position"), "position", 3);
        if (const toml::node* target = r.find("look_at")) {
            if (const toml::node* turn = r.find("tilt") ? r.find("tilt") : r.find("pan"))
                c.fail(*turn, "a camera row that has 'look_at' takes no tilt or pan");
            row.look_at = read_camera_value(c, *target, "look_at", 3);
            row.aims = true;
        } else {
            row.tilt = read_camera_value(c, r.need("tilt"), "tilt", 1);
            row.pan = read_camera_value(c, r.need("pan"), "pan", 1);
        }
        if (const toml::node* rule = r.find("rule")) {
            const std::string s = text(c, *rule, "rule");
            if (s != "linear" && s != "smooth") c.fail(*rule, "rule must be \"linear\" or \"smooth\"");
            row.rule = s == "smooth" ? camera_rule::smooth : camera_rule::linear;
        }
        p.camera.push_back(row);
    }
    // A smooth row's spline takes its neighbours' ends, so it is checked once they are read.
    for (std::size_t i = 0; i < p.camera.size(); ++i)
        if (!row_stays_finite(p, i))
            c.fail(rows[i],
                   "the smooth row's spline may leave a float's range: its values or its neighbours' are too large");
}

// TOML allows characters beyond ASCII only in strings and comments. toml++ 3.3 asks of such a character
// elsewhere whether it is a blank through a table that misses some ranges, which is undefined behaviour,
// and a malformed file can bring its reading to such a character inside what looks like a string here. So
// toml++ is given ASCII only: the characters of comments become blanks, and one anywhere else is refused
// with the place it is at (in a string it can be written as an escape, \u00e4).
piece_error beyond_ascii_in_string(const std::string& file, long line, long column) {
    return piece_error(file, line, column, "a character beyond ASCII in a string: write it as an escape such as \\u00e4");
}

std::string ascii_only(std::string_view text, const std::string& file) {
    std::string ascii(text);
    enum class in { code, comment, basic, literal, long_basic, long_literal } state = in::code;
    long line = 1;
    long column = 1;
    const auto at = [&](std::size_t i, const char* s) { return text.substr(i, std::strlen(s)) == s; };
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        std::size_t step = 1;
        switch (state) {
        case in::code:
            if (static_cast<unsigned char>(ch) >= 0x80)
                throw piece_error(file, line, column, "a character beyond ASCII outside a string or comment");
            if (ch == '#') state = in::comment;
            else if (at(i, "\"\"\"")) state = in::long_basic, step = 3;
            else if (at(i, "'''")) state = in::long_literal, step = 3;
            else if (ch == '"') state = in::basic;
            else if (ch == '\'') state = in::literal;
            break;
        case in::comment:
            if (ch == '\n') state = in::code;
            if (static_cast<unsigned char>(ch) >= 0x80) ascii[i] = ' ';
            break;
        case in::basic:
        case in::literal:
            if (static_cast<unsigned char>(ch) >= 0x80) throw beyond_ascii_in_string(file, line, column);
            if (ch == '\n' || ch == (state == in::basic ? '"' : '\'')) state = in::code;
            else if (state == in::basic && ch == '\\' && i + 1 < text.size() && text[i + 1] != '\n') step = 2;
            break;
        case in::long_basic:
        case in::long_literal: {
            const char quote = state == in::long_basic ? '"' : '\'';
            if (static_cast<unsigned char>(ch) >= 0x80) throw beyond_ascii_in_string(file, line, column);
            if (state == in::long_basic && ch == '\\' && i + 1 < text.size() && text[i + 1] != '\n') {
                step = 2;
            } else if (ch == quote && i + 2 < text.size() && text[i + 1] == quote && text[i + 2] == quote) {
                // Up to two more quotes belong to the string.
                step = 3;
                while (step < 5 && i + step < text.size() && text[i + step] == quote) ++step;
                state = in::code;
            }
            break;
        }
        }
        for (std::size_t k = 0; k < step && i < text.size(); ++k, ++i) {
            if (text[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
    }
    return ascii;
}

} // namespace

const std::vector<event>& events_of(const track& t) {
    if (const auto* found = std::get_if<detected_events>(&t.source)) return found->events;
    return std::get<event_list>(t.source).events;
}

bool has_detected_tracks(const std::vector<track>& tracks) {
    return std::any_of(tracks.begin(), tracks.end(),
                       [](const track& t) { return std::holds_alternative<detected_events>(t.source); });
}

namespace {

piece_data read_text_at(std::string_view text, const std::string& file, const std::optional<fs::path>& folder,
                        int nesting) {
    const context c{file, folder, nesting};
    if (text.size() > max_file_bytes)
        throw piece_error(file, 1, 1, "the file is larger than " + std::to_string(max_file_bytes) + " bytes");
    // Editors may begin a UTF-8 file with a byte-order mark; it is no part of the text.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::string ascii = ascii_only(text, file);
    check_text_bounds(ascii, file);
    toml::table root;
    try {
        root = toml::parse(ascii, file);
    } catch (const toml::parse_error& e) {
        c.fail(e.source(), std::string(e.description()));
    }
    piece_data p;
    p.file = file;
    table_reader r(c, root, "the file",
                   {"piece", "assets", "shaders", "sprites", "tracks", "presets", "sections", "curves", "camera",
                    "buffers", "acts", "post"});
    const auto need = [&](const char* key) -> const toml::node& {
        const toml::node* n = r.find(key);
        if (n == nullptr) throw piece_error(file, 1, 1, std::string("the piece needs a [") + key + "] table");
        return *n;
    };
    read_header(c, need("piece"), p);
    read_assets(c, need("assets"), p);
    if (const toml::node* n = r.find("shaders")) read_shaders(c, *n, p);
    if (const toml::node* n = r.find("sprites")) read_sprites(c, *n, p);
    if (const toml::node* n = r.find("tracks")) read_tracks(c, *n, p);
    if (const toml::node* n = r.find("presets")) read_presets(c, *n, p);
    if (const toml::node* n = r.find("sections")) read_sections(c, *n, p);
    if (const toml::node* n = r.find("curves")) read_curves(c, *n, p);
    if (const toml::node* n = r.find("camera")) read_camera(c, *n, p);
    read_composition(c, root, p);
    if (p.acts.empty() && p.model.empty())
        table_reader(c, need("assets"), "[assets]", {"model", "extra_model", "music"}).need("model");
    return p;
}

} // namespace

piece_data read_piece_text(std::string_view text, const std::string& file, const std::optional<fs::path>& folder) {
    return read_text_at(text, file, folder, 0);
}

piece_data read_piece_file(const fs::path& file) {
    return reading::read_piece_at(file, 0);
}

piece_data reading::read_piece_at(const fs::path& file, int nesting) {
    const std::string name = file.string();
    // A folder, a pipe or a device is no piece (and reading one could wait for ever).
    std::error_code error;
    if (fs::exists(file, error) && !fs::is_regular_file(file, error))
        throw piece_error(name, 1, 1, "not a file");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw piece_error(name, 1, 1, "cannot open the file");
    std::string content;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (content.size() > max_file_bytes)
            throw piece_error(name, 1, 1, "the file is larger than " + std::to_string(max_file_bytes) + " bytes");
    }
    if (in.bad()) throw piece_error(name, 1, 1, "cannot read the file");
    const fs::path folder = file.parent_path();
    return read_text_at(content, name, folder.empty() ? fs::path(".") : folder, nesting);
}

} // namespace piece
