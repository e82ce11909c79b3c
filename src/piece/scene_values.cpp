#include "piece/scene_values.hpp"

#include <algorithm>

float interpolate(double t, double t0, double a, double t1, double b) {
    const double w0 = (t1 - t) / (t1 - t0);
    const double w1 = (t - t0) / (t1 - t0);
    return static_cast<float>(a * w0 + b * w1);
}

namespace piece {

namespace {

constexpr double far = far_light_coordinate;

struct stock_entry {
    const char* name;
    stock_value value;
};

// Without a curve: a plain grey scene in full colour, both lights far away and dark.
constexpr std::array<stock_entry, 7> stock{{
    {"light1_position", {3, {far, far, far}}},
    {"light2_position", {3, {far, far, far}}},
    {"light1_intensity", {3, {0.0, 0.0, 0.0}}},
    {"light2_intensity", {3, {0.0, 0.0, 0.0}}},
    {"ambient_light", {3, {0.5, 0.5, 0.5}}},
    {"desaturate_multiplier", {1, {0.0, 0.0, 0.0}}},
    {"fade_to_black_multiplier", {1, {1.0, 0.0, 0.0}}},
}};

glm::vec3 rounded(const std::array<double, 3>& v, int components) {
    if (components == 1) return glm::vec3(static_cast<float>(v[0]));
    return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
}

// Between the two keys around t; before the first or after the last, on the line of the nearest pair.
glm::vec3 keyed(const std::vector<key>& keys, double t, int components) {
    t = std::clamp(t, -furthest_time, furthest_time);
    // The first pair whose second key is at or after t, else the last pair.
    const auto later = std::lower_bound(keys.begin() + 1, keys.end() - 1, t,
                                        [](const key& k, double time) { return k.t < time; });
    const std::size_t i = static_cast<std::size_t>(later - keys.begin()) - 1;
    const key& a = keys[i];
    const key& b = keys[i + 1];
    const float x = interpolate(t, a.t, a.value[0], b.t, b.value[0]);
    if (components == 1) return glm::vec3(x);
    return {x, interpolate(t, a.t, a.value[1], b.t, b.value[1]), interpolate(t, a.t, a.value[2], b.t, b.value[2])};
}

// The envelope of the latest event of the followed track that has started by t.
glm::vec3 followed(const follow& f, const std::vector<track>& tracks, double t, int components) {
    const std::vector<event>& events = events_of(tracks[f.track]);
    const auto after = std::upper_bound(events.begin(), events.end(), t,
                                        [](double time, const event& e) { return time < e.start; });
    if (after == events.begin()) return glm::vec3(0.0f);
    const event& e = *(after - 1);
    const double peak = std::max(e.end, e.start + f.attack);
    double level = 0.0;
    // Starts are exclusive: at its start an event is still 0, whatever the attack.
    if (t == e.start) level = 0.0;
    else if (t < e.start + f.attack) level = (t - e.start) / f.attack;
    else if (t < peak) level = 1.0;
    else if (t < peak + f.release) level = 1.0 - (t - peak) / f.release;
    const double v = e.value * level;
    return rounded({f.scale[0] * v, f.scale[1] * v, f.scale[2] * v}, components);
}

} // namespace

std::optional<stock_value> stock_value_of(const std::string& uniform) {
    for (const stock_entry& e : stock)
        if (uniform == e.name) return e.value;
    return std::nullopt;
}

glm::vec3 curve_at(const curve& c, double t, const std::vector<track>& tracks) {
    for (const segment& s : c.segments) {
        if (!s.range.holds(t)) continue;
        if (const auto* v = std::get_if<std::array<double, 3>>(&s.rule)) return rounded(*v, c.components);
        if (const auto* k = std::get_if<std::vector<key>>(&s.rule)) return keyed(*k, t, c.components);
        if (const auto* f = std::get_if<follow>(&s.rule)) return followed(*f, tracks, t, c.components);
        return glm::vec3(ramp_at(std::get<ramp>(s.rule), t));
    }
    return rounded(c.default_value, c.components);
}

glm::vec3 keys_at(const std::vector<key>& keys, double t, int components) {
    return keyed(keys, t, components);
}

float ramp_at(const ramp& r, double t) {
    t = std::clamp(t, -furthest_time, furthest_time);
    return static_cast<float>(r.rise * (t - r.zero_at) / r.over);
}

glm::vec3 value_at(const keyed_vec3& v, double t) {
    return v.keys.empty() ? v.constant : keyed(v.keys, t, 3);
}

scene_state scene_values(const piece_data& p, double t) {
    scene_state s;
    s.t = t;
    s.light_positions = {glm::vec3(far_light_coordinate), glm::vec3(far_light_coordinate)};
    s.light_intensities = {glm::vec3(0.0f), glm::vec3(0.0f)};
    s.ambient = glm::vec3(0.5f);
    s.desaturate = 0.0f;
    s.fade = 1.0f;
    s.model = glm::mat4(1.0f);
    for (const curve& c : p.curves) {
        const glm::vec3 v = curve_at(c, t, p.tracks);
        const std::string& n = c.target;
        if (n == "light1_position") s.light_positions[0] = v;
        else if (n == "light2_position") s.light_positions[1] = v;
        else if (n == "light1_intensity") s.light_intensities[0] = v;
        else if (n == "light2_intensity") s.light_intensities[1] = v;
        else if (n == "ambient_light") s.ambient = v;
        else if (n == "desaturate_multiplier") s.desaturate = v.x;
        else if (n == "fade_to_black_multiplier") s.fade = v.x;
        else s.uniforms.push_back({&c.target, c.components, v});
    }
    return s;
}

const section* section_at(const piece_data& p, double t) {
    for (const section& s : p.sections)
        if (s.range.holds(t)) return &s;
    return nullptr;
}

} // namespace piece
