// Key C's camera row: the eye of the orbit camera, and the row read back by the piece reader giving the
// pose it was written from.

#include "demo_live/camera_key.hpp"
#include "piece/camera_rows.hpp"
#include "piece/read_piece.hpp"
#include "player/camera.hpp"

#include <gtest/gtest.h>

#include <glm/vec4.hpp>

#include <string>

namespace {

piece::piece_data pasted(const std::string& row) {
    return piece::read_piece_text(
        "[piece]\nname = \"t\"\nlength = 60\n[assets]\nmodel = \"m.obj\"\nmusic = \"m.wav\"\n\n" + row,
        "t.toml");
}

TEST(LiveCameraKey, TheEyeOfAnOrbitIsWhereTheViewStarts) {
    camera c(16.0f / 9.0f, 0.05f, 100.0f, 1.0f, 2.5f);
    c.set_position({1.5f, -2.0f, 3.25f});
    c.set_tilt(0.4f);
    c.set_pan(-2.2f);
    const live::camera_key key = live::key_of(c, 3.0);
    const glm::vec4 eye = c.target_to_view * c.world_to_target * glm::vec4(key.position, 1.0f);
    EXPECT_NEAR(eye.x, 0.0f, 1e-5f);
    EXPECT_NEAR(eye.y, 0.0f, 1e-5f);
    EXPECT_NEAR(eye.z, 0.0f, 1e-5f);
    c.set_distance(0.0f);
    EXPECT_EQ(live::key_of(c, 3.0).position, c.position);
}

TEST(LiveCameraKey, RowsPastedIntoAPieceGiveBackTheirPoses) {
    // Frame times of the live player and float poses with many digits.
    const live::camera_key first{601.0 / 60.0, {-5.2412345f, 7.38f, 1e-7f}, 0.62912345f, 8.2412345f};
    const live::camera_key second{740.0 / 60.0, {3.0f, -0.1f, 12.345678f}, -0.25f, 11.1f};

    // Alone: a still row from the millisecond at or before the key.
    const piece::piece_data still = pasted(live::camera_row_text(std::nullopt, first));
    ASSERT_EQ(still.camera.size(), 1u);
    for (const double t : {first.time, first.time + 0.9}) {
        const auto pose = piece::camera_pose_at(still, t);
        ASSERT_TRUE(pose.has_value()) << t;
        EXPECT_EQ(pose->position, first.position);
        EXPECT_EQ(pose->tilt, first.tilt);
        EXPECT_EQ(pose->pan, first.pan);
    }

    // After another: the flight from it, ending exactly on the new pose.
    const std::string text = live::camera_row_text(first, second);
    const piece::piece_data flight = pasted(text);
    ASSERT_EQ(flight.camera.size(), 1u) << text;
    const piece::camera_row& row = flight.camera[0];
    const auto end = piece::camera_pose_at(flight, row.range.until);
    ASSERT_TRUE(end.has_value()) << text;
    EXPECT_EQ(end->position, second.position);
    EXPECT_EQ(end->tilt, second.tilt);
    EXPECT_EQ(end->pan, second.pan);
    EXPECT_TRUE(piece::camera_pose_at(flight, second.time).has_value());
    EXPECT_FALSE(piece::camera_pose_at(flight, first.time).has_value())
        << "the still row before it holds that";
    const auto start = piece::camera_pose_at(flight, first.time + 0.001);
    ASSERT_TRUE(start.has_value());
    EXPECT_NEAR(start->tilt, first.tilt, 1e-3f);

    // Backwards in time: a still row again.
    EXPECT_EQ(live::camera_row_text(second, first), live::camera_row_text(std::nullopt, first));
}

} // namespace
