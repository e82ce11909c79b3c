#include "piece/camera_rows.hpp"
#include "player/camera.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <type_traits>

namespace {

// Row-major reference matrix, built and multiplied here without glm so the camera is checked against an
// independent computation of the same single-precision formulas.
struct ref_mat {
    float m[4][4] = {};
};

ref_mat identity() {
    ref_mat r;
    for (int i = 0; i < 4; ++i)
        r.m[i][i] = 1.0f;
    return r;
}

ref_mat operator*(const ref_mat& a, const ref_mat& b) {
    ref_mat r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k)
                s += a.m[row][k] * b.m[k][col];
            r.m[row][col] = s;
        }
    return r;
}

ref_mat translate(float x, float y, float z) {
    ref_mat r = identity();
    r.m[0][3] = x;
    r.m[1][3] = y;
    r.m[2][3] = z;
    return r;
}

float rounded_sin(float a) {
    return static_cast<float>(std::sin(static_cast<double>(a)));
}
float rounded_cos(float a) {
    return static_cast<float>(std::cos(static_cast<double>(a)));
}

ref_mat rot_x(float a) {
    ref_mat r = identity();
    r.m[1][1] = rounded_cos(a);
    r.m[1][2] = -rounded_sin(a);
    r.m[2][1] = rounded_sin(a);
    r.m[2][2] = rounded_cos(a);
    return r;
}

ref_mat rot_y(float a) {
    ref_mat r = identity();
    r.m[0][0] = rounded_cos(a);
    r.m[0][2] = rounded_sin(a);
    r.m[2][0] = -rounded_sin(a);
    r.m[2][2] = rounded_cos(a);
    return r;
}

ref_mat perspective(float fov_y, float aspect, float n, float f) {
    const float t = static_cast<float>(std::tan(static_cast<double>(fov_y * 0.5f)));
    ref_mat r;
    r.m[0][0] = 1.0f / (aspect * t);
    r.m[1][1] = 1.0f / t;
    r.m[2][2] = -(f + n) / (f - n);
    r.m[2][3] = -(2.0f * f * n) / (f - n);
    r.m[3][2] = -1.0f;
    return r;
}

void expect_same(const glm::mat4& actual, const ref_mat& expected, const char* what) {
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(actual[col][row], expected.m[row][col]) << what << " (" << row << ", " << col << ")";
}

// All five matrices must agree with the camera's current parameters.
void expect_consistent(const camera& c) {
    const ref_mat projection = perspective(c.fov_y, c.aspect, c.near_clip, c.far_clip);
    const ref_mat orbit = translate(0, 0, -c.distance) * rot_x(c.tilt) * rot_y(c.pan);
    const ref_mat shift = translate(-c.position.x, -c.position.y, -c.position.z);
    expect_same(c.view_to_clip, projection, "view_to_clip");
    expect_same(c.target_to_view, orbit, "target_to_view");
    expect_same(c.world_to_target, shift, "world_to_target");
    expect_same(c.target_to_clip, projection * orbit, "target_to_clip");
    expect_same(c.world_to_clip, projection * orbit * shift, "world_to_clip");
}

static_assert(std::is_trivially_copyable_v<camera>, "the camera is a plain value");

TEST(Camera, OriginSitsInTheCentreAtTheOrbitDistance) {
    const camera c(16.0f / 9.0f, 0.1f, 100.0f, 1.0f, 5.0f);
    expect_consistent(c);
    const glm::vec4 clip = c.world_to_clip * glm::vec4(0, 0, 0, 1);
    EXPECT_EQ(clip.x, 0.0f);
    EXPECT_EQ(clip.y, 0.0f);
    EXPECT_EQ(clip.z, c.view_to_clip[2][2] * -5.0f + c.view_to_clip[3][2]);
    EXPECT_EQ(clip.w, 5.0f);
}

// A camera row that looks at a point: the pose it gives puts the point in the middle of the picture, in
// front of the camera, wherever the two are.
TEST(Camera, APoseAimedAtAPointShowsItInTheCentre) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-20.0f, 20.0f);
    for (int i = 0; i < 200; ++i) {
        const glm::vec3 eye(coordinate(random), coordinate(random), coordinate(random));
        const glm::vec3 target(coordinate(random), coordinate(random), coordinate(random));
        SCOPED_TRACE(i);
        const camera_pose pose = piece::aimed(eye, target);
        camera c(16.0f / 9.0f, 0.05f, 100.0f, 1.0f, 0.0f);
        c.set_position(pose.position);
        c.set_tilt(pose.tilt);
        c.set_pan(pose.pan);
        const glm::vec4 clip = c.world_to_clip * glm::vec4(target, 1.0f);
        ASSERT_GT(clip.w, 0.0f) << "in front";
        EXPECT_NEAR(clip.x / clip.w, 0.0f, 1e-4f);
        EXPECT_NEAR(clip.y / clip.w, 0.0f, 1e-4f);
    }
}

TEST(Camera, TiltIsClampedJustShortOfTheVertical) {
    camera c(1.0f, 0.1f, 100.0f, 1.0f, 5.0f);
    c.rotate_tilt(10.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(c.tilt), 0x3FC90FDBu);
    EXPECT_EQ(c.tilt, static_cast<float>(std::numbers::pi / 2));
    c.set_tilt(0.0f);
    c.rotate_tilt(-10.0f);
    EXPECT_EQ(c.tilt, -1.5707964f);
    c.rotate_tilt(1.0f);
    EXPECT_EQ(c.tilt, -1.5707964f + 1.0f);
    c.rotate_tilt(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(c.tilt, -1.5707964f);
    expect_consistent(c);

    c.set_tilt(3.0f); // setting bypasses the clamp; the next rotation applies it
    EXPECT_EQ(c.tilt, 3.0f);
    c.rotate_tilt(0.0f);
    EXPECT_EQ(c.tilt, 1.5707964f);
}

TEST(Camera, ZoomIsClampedToNearAndFarLimits) {
    camera c(1.0f, 0.1f, 100.0f, 1.0f, 4.0f);
    c.zoom(-100.0f);
    EXPECT_EQ(c.distance, 0.1f);
    c.zoom(1000.0f);
    EXPECT_EQ(c.distance, 100.0f);

    c.set_distance(4.0f);
    c.zoom(1.0f); // step scaled by sqrt(4)
    EXPECT_EQ(c.distance, 6.0f);

    c.set_distance(500.0f);
    EXPECT_EQ(c.distance, 500.0f);
    EXPECT_EQ(c.target_to_view[3][2], -500.0f);
    c.zoom(0.0f);
    EXPECT_EQ(c.distance, 100.0f);

    c.zoom(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(c.distance, 0.1f);
    c.set_distance(-1.0f); // sqrt of a negative distance is NaN
    c.zoom(1.0f);
    EXPECT_EQ(c.distance, 0.1f);
    expect_consistent(c);
}

TEST(Camera, PanRotatesAboutTheVerticalAxis) {
    camera c(1.0f, 0.1f, 100.0f, 1.0f, 7.0f);
    const float p = 0.75f;
    c.set_pan(p);
    const float cp = rounded_cos(p);
    const float sp = rounded_sin(p);
    const float rows[4][4] = {{cp, 0, sp, 0}, {0, 1, 0, 0}, {-sp, 0, cp, -7.0f}, {0, 0, 0, 1}};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(c.target_to_view[col][row], rows[row][col]);
}

TEST(Camera, MoveRelativeIsGivenInViewAxes) {
    camera c(1.0f, 0.1f, 100.0f, 1.0f, 5.0f);
    c.set_pan(static_cast<float>(std::numbers::pi / 2)); // eye on -X, looking along +X
    c.move_relative(glm::vec3(0, 0, -1));                // forward
    EXPECT_NEAR(c.position.x, 1.0f, 1e-6);
    EXPECT_NEAR(c.position.y, 0.0f, 1e-6);
    EXPECT_NEAR(c.position.z, 0.0f, 1e-6);

    c.set_tilt(0.4f);
    c.set_pan(-1.3f);
    const glm::vec3 before = c.position;
    const glm::vec3 d(0.5f, -2.0f, 3.0f);
    c.move_relative(d);
    const glm::vec3 seen = glm::mat3(c.target_to_view) * (c.position - before);
    EXPECT_NEAR(seen.x, d.x, 1e-5);
    EXPECT_NEAR(seen.y, d.y, 1e-5);
    EXPECT_NEAR(seen.z, d.z, 1e-5);
    expect_consistent(c);
}

TEST(Camera, MatricesFollowRandomOperationSequences) {
    std::mt19937 gen(20240611);
    // Uniform value in [lo, hi] from a raw draw, independent of the library's distributions.
    const auto uniform = [&gen](float lo, float hi) {
        return lo + (hi - lo) * static_cast<float>(gen() % 100001) / 100000.0f;
    };
    for (int run = 0; run < 20; ++run) {
        camera c(uniform(0.5f, 3.0f), uniform(0.01f, 1.0f), uniform(10.0f, 1000.0f), uniform(0.2f, 2.5f),
                 uniform(0.5f, 50.0f));
        expect_consistent(c);
        for (int step = 0; step < 50; ++step) {
            const glm::vec3 v(uniform(-20, 20), uniform(-20, 20), uniform(-20, 20));
            const float a = uniform(-4.0f, 4.0f);
            switch (gen() % 12) {
            case 0:
                c.set_position(v);
                break;
            case 1:
                c.move_by(v);
                break;
            case 2:
                c.move_relative(v);
                break;
            case 3:
                c.set_pan(a);
                break;
            case 4:
                c.rotate_pan(a);
                break;
            case 5:
                c.set_tilt(a);
                break;
            case 6:
                c.rotate_tilt(a);
                EXPECT_LE(std::abs(c.tilt), 1.5707964f);
                break;
            case 7:
                c.set_distance(uniform(0.5f, 200.0f));
                break;
            case 8:
                c.zoom(a);
                EXPECT_GE(c.distance, 0.1f);
                EXPECT_LE(c.distance, 100.0f);
                break;
            case 9:
                c.set_aspect(uniform(0.5f, 3.0f));
                break;
            case 10:
                c.set_fov_y(uniform(0.2f, 2.5f));
                break;
            default:
                c.set_position(c.position);
                break;
            }
            expect_consistent(c);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

} // namespace
