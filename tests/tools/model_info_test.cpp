#include "support/process.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

using namespace std::chrono_literals;

const std::string program = std::string(ENGINE_BINARY_DIR) + "/model_info";

TEST(ModelInfo, PrintsWhatTheLoaderMakesOfAFile) {
    const test_support::temp_dir dir;
    // A concave pentagon (three triangles) with texture coordinates, a continued triangle without, and a
    // material the material file lacks.
    dir.write("p.obj", "v 0 0 0\nv 2 0 0\nv 2 2 0\nv 1 1 0\nv 0 2 -1\nvt 0 0\nvn 0 0 1\nusemtl a\n"
                       "f 1/1/1 2/1/1 3/1/1 4/1/1 5/1/1\nusemtl b\nf -5 -4 \\\n -3\n");
    dir.write("p.mtl", "newmtl a\nKd 1 0 0\n");
    test_support::child_process info(program, {"p.obj"}, dir.path());
    ASSERT_TRUE(info.wait(20s));
    EXPECT_EQ(info.status(), 0);
    EXPECT_EQ(info.out(), "triangles: 4\nvertices: 12\ngroups: 2\nmaterials: 2\nmaterial file: p.mtl\n"
                          "normals: mixed\n"
                          "texture coordinates: mixed\nbounds: 0 0 -1 2 2 0\n");
    EXPECT_EQ(info.err(), "warning: Material 'b' is not in 'p.mtl'; its faces get the default material.\n");

    dir.write("bad.obj", "v 0 0 0\nf 1 1 2\n");
    test_support::child_process refused(program, {"bad.obj"}, dir.path());
    ASSERT_TRUE(refused.wait(20s));
    EXPECT_EQ(refused.status(), 1);
    EXPECT_EQ(refused.err(), "load_obj(): bad.obj:2: face index out of range\n");
}

// The largest model file the loader reads (its limit, 32 MiB) and what loading may cost.
constexpr std::size_t file_limit = std::size_t{32} << 20;
constexpr long any_file_kib = 1L << 20; // 1 GiB
constexpr long common_export_factor = 12;

// model_info on `file`: its exit status, standard error and peak resident memory in KiB.
struct measured_load {
    int status;
    std::string err;
    long peak_kib;
};

measured_load load(const test_support::temp_dir& dir, const std::string& file) {
    test_support::child_process info(program, {file}, dir.path());
    EXPECT_TRUE(info.wait(600s)) << file;
    return {info.status(), info.err(), info.peak_memory_kib()};
}

const std::string triangle_corners = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

// One polygon line going round the same triangle, `corners` corners in all.
std::string round_polygon(std::size_t corners) {
    std::string polygon = "f";
    for (std::size_t i = 0; i < corners / 3; ++i)
        polygon += " 1 2 3";
    return polygon + "\n";
}

// A grid exported as Blender writes one: positions, texture coordinates and normals, quads and triangle
// pairs, three materials in bands.
std::string grid_export(int n) {
    std::string text = "mtllib grid.mtl\n";
    char line[160];
    for (const char* kind : {"v", "vt", "vn"}) {
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                const double x = i * 0.01;
                const double y = j * 0.01;
                const double z = ((i * 7 + j * 3) % 11) * 0.001;
                if (kind[1] == 't')
                    std::snprintf(line, sizeof line, "vt %.6f %.6f\n", x, y);
                else if (kind[1] == 'n')
                    std::snprintf(line, sizeof line, "vn %.4f %.4f %.4f\n", z, 0.0, 1.0);
                else
                    std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", x, y, z);
                text += line;
            }
    }
    for (int j = 0; j < n; ++j) {
        if (j % 10 == 0) text += "usemtl m" + std::to_string(j / 10 % 3) + "\n";
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i + 1;
            const int b = a + 1;
            const int c = a + n + 2;
            const int d = a + n + 1;
            if ((i + j) % 2 != 0) {
                std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b,
                              c, c, c, d, d, d);
            } else {
                std::snprintf(line, sizeof line,
                              "f %d/%d/%d %d/%d/%d %d/%d/%d\nf %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b,
                              b, c, c, c, a, a, a, c, c, c, d, d, d);
            }
            text += line;
        }
    }
    return text;
}

TEST(ModelInfo, LoadingStaysWithinItsMemoryBounds) {
    // The child's peak counts what it shared with this process before it started model_info: each text
    // is written and let go first. Returns the file's size.
    const test_support::temp_dir dir;
    const auto write = [&dir](const std::string& name, std::string text) {
        dir.write(name, text);
        return text.size();
    };
    // First, while this process is small.
    const std::size_t grid_size = write("grid.obj", grid_export(200));
    write("grid.mtl", "newmtl m0\nnewmtl m1\nnewmtl m2\n");
    const measured_load common = load(dir, "grid.obj");
    EXPECT_EQ(common.status, 0) << common.err;
    EXPECT_LE(common.peak_kib, common_export_factor * static_cast<long>(grid_size / 1024));
    // The shape that cost the most per byte of file: a corner of a long polygon is two bytes and a
    // triangle. Up to the file limit it passes the triangle limit and is refused...
    {
        const std::string half = round_polygon((file_limit - 64) / 4);
        EXPECT_LE(write("over.obj", triangle_corners + "usemtl a\n" + half + "usemtl b\n" + half),
                  file_limit);
    }
    const measured_load refused = load(dir, "over.obj");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "load_obj(): over.obj:5: more than 4000000 triangles, the limit for a model\n");
    EXPECT_LE(refused.peak_kib, any_file_kib);
    // ... and just within it, it is read whole: the most a file can bring (one polygon, whose corners are
    // all held while it is read).
    write("most.obj", triangle_corners + round_polygon(4'000'002));
    const measured_load most = load(dir, "most.obj");
    EXPECT_EQ(most.status, 0) << most.err;
    EXPECT_LE(most.peak_kib, any_file_kib);

    std::cout << "peak memory: " << refused.peak_kib << " KiB refused at the triangle limit, "
              << most.peak_kib << " KiB at it, " << common.peak_kib << " KiB for a " << grid_size / 1024
              << " KiB export\n";
}

} // namespace
