#pragma once
// Key C of the live player: the camera as it is now, written as a camera row of the piece format, so that a
// flight can be laid out by flying it and pasting the rows into the piece file.

#include <glm/vec3.hpp>

#include <optional>
#include <string>

class camera;

namespace live {

// The pose a camera row gives: the eye (a row's camera has distance 0), tilt and pan, at a piece time.
struct camera_key {
    double time;
    glm::vec3 position;
    float tilt;
    float pan;
};

// The eye of the orbit camera, its tilt and pan, at time t: with distance 0 the eye is its position.
camera_key key_of(const ::camera& c, double t);

// A [[camera]] row, ready to paste. After an earlier key: the flight from it to `now`, "(]", keyed at both
// ends. Otherwise a one-second still row from `now`, "[)". Times are written to the millisecond, rounded
// so that the row holds the key's own time; numbers to the digits that read back as the same float.
std::string camera_row_text(const std::optional<camera_key>& previous, const camera_key& now);

} // namespace live
