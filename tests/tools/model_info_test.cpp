#include "support/process.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <chrono>

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
    EXPECT_EQ(info.out(), "triangles: 4\nvertices: 12\ngroups: 2\nmaterials: 2\nnormals: mixed\n"
                          "texture coordinates: mixed\nbounds: 0 0 -1 2 2 0\n");
    EXPECT_EQ(info.err(), "warning: Material 'b' is not in 'p.mtl'; its faces get the default material.\n");

    dir.write("bad.obj", "v 0 0 0\nf 1 1 2\n");
    test_support::child_process refused(program, {"bad.obj"}, dir.path());
    ASSERT_TRUE(refused.wait(20s));
    EXPECT_EQ(refused.status(), 1);
    EXPECT_EQ(refused.err(), "load_obj(): bad.obj:2: face index out of range\n");
}

} // namespace
