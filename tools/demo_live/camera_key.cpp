#include "demo_live/camera_key.hpp"

#include "player/camera.hpp"

#include <charconv>
#include <cmath>

namespace live {
namespace {

// The shortest text that reads back as the same value, always with a point or an exponent so that TOML
// reads a float.
template <typename T> std::string number(T value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string s(text, end);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

std::string vec3(const glm::vec3& v) {
    return "[" + number(v.x) + ", " + number(v.y) + ", " + number(v.z) + "]";
}

// The nearest whole millisecond at or before (after) t, as the value that reading its text gives.
double floor_ms(double t) {
    const double ms = std::round(t * 1000.0);
    return ms / 1000.0 <= t ? ms / 1000.0 : (ms - 1.0) / 1000.0;
}

double ceil_ms(double t) {
    const double ms = std::round(t * 1000.0);
    return ms / 1000.0 >= t ? ms / 1000.0 : (ms + 1.0) / 1000.0;
}

} // namespace

camera_key key_of(const ::camera& c, double t) {
    camera_key key{t, c.position, c.tilt, c.pan};
    if (c.distance == 0.0f) return key;
    // The orbit's eye: (0, 0, distance) turned back by the tilt, then by the pan, from the target.
    const double d = c.distance;
    const double tilt = c.tilt;
    const double pan = c.pan;
    key.position += glm::vec3(static_cast<float>(-std::sin(pan) * std::cos(tilt) * d),
                              static_cast<float>(std::sin(tilt) * d),
                              static_cast<float>(std::cos(pan) * std::cos(tilt) * d));
    return key;
}

std::string camera_row_text(const std::optional<camera_key>& previous, const camera_key& now) {
    const double until = ceil_ms(now.time);
    if (previous && ceil_ms(previous->time) < until) {
        const camera_key& from = *previous;
        return "# camera flight from " + number(ceil_ms(from.time)) + " to " + number(until) +
               " s\n"
               "[[camera]]\n"
               "from = " +
               number(ceil_ms(from.time)) +
               "\n"
               "until = " +
               number(until) +
               "\n"
               "bounds = \"(]\"\n"
               "position = { from = " +
               vec3(from.position) + ", to = " + vec3(now.position) +
               " }\n"
               "tilt = { from = " +
               number(from.tilt) + ", to = " + number(now.tilt) +
               " }\n"
               "pan = { from = " +
               number(from.pan) + ", to = " + number(now.pan) + " }\n";
    }
    const double from = floor_ms(now.time);
    const double to = std::round(from * 1000.0 + 1000.0) / 1000.0;
    return "# camera at " + number(from) +
           " s\n"
           "[[camera]]\n"
           "from = " +
           number(from) +
           "\n"
           "until = " +
           number(to) +
           "\n"
           "bounds = \"[)\"\n"
           "position = " +
           vec3(now.position) +
           "\n"
           "tilt = " +
           number(now.tilt) +
           "\n"
           "pan = " +
           number(now.pan) + "\n";
}

} // namespace live
