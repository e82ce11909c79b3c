// Pieces of acts, buffers and post passes, and a shader played on its own, captured by build/demo_capture
// from a scratch run folder: the pixels their maths give, exactly.

#include "support/capture_folder.hpp"
#include "support/process.hpp"
#include "support/rgb_image.hpp"
#include "support/run_folder.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;
using test_support::child_process;
namespace fs = std::filesystem;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

struct capture_folder : test_support::capture_folder {
    capture_folder()
        : test_support::capture_folder("acts-test") {}

    // Stills at `times` of the piece `args` name, at 64x36.
    std::vector<test_support::rgb_image> stills(std::vector<std::string> args, const std::string& times) const {
        const fs::path out = folder.path() / "out";
        args.insert(args.end(), {"--at", times, "--size", "64x36", "--out", out.string()});
        const auto process = run(args);
        EXPECT_EQ(process->status(), 0) << process->err();
        std::vector<test_support::rgb_image> images;
        for (std::size_t from = 0; from <= times.size();) {
            const std::size_t comma = std::min(times.find(',', from), times.size());
            char name[64];
            std::snprintf(name, sizeof name, "still_%06.2f.png", std::stod(times.substr(from, comma - from)));
            images.emplace_back(out / name);
            from = comma + 1;
        }
        return images;
    }
};

std::array<int, 3> at(const test_support::rgb_image& image, int x, int y_from_bottom) {
    const std::size_t i = 3 * (static_cast<std::size_t>(image.height - 1 - y_from_bottom) * image.width + x);
    if (i + 2 >= image.rgb.size()) return {-1, -1, -1};
    return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

int byte(double v) {
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

const std::string piece_head = "[piece]\nname = \"acts\"\nlength = 70\n[assets]\nmusic = \"assets/dat_bass.wav\"\n";

// The bottom half: a gradient over fragCoord / iResolution, iTime and iFrame; the top half: iTimeDelta
// and iResolution; the middle column: a raymarched sphere, white where a ray hits it.
const std::string maths_shader = R"(precision highp float;
float sphere(vec3 p) { return length(p) - 1.0; }
void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    if (fragCoord.x > 30.0 && fragCoord.x < 34.0) {
        vec3 ray = normalize(vec3((fragCoord - 0.5 * iResolution.xy) / iResolution.y, 1.0));
        float t = 0.0;
        for (int i = 0; i < 64; ++i) t += sphere(vec3(0.0, 0.0, -3.0) + t * ray);
        fragColor = vec4(vec3(t < 10.0 ? 1.0 : 0.0), 1.0);
    } else if (fragCoord.y < 18.0) {
        fragColor = vec4(uv.x, iTime / 10.0, float(iFrame) / 255.0, 1.0);
    } else {
        fragColor = vec4(iTimeDelta * 15.0, iResolution.x / 255.0, iResolution.y / 255.0, 1.0);
    }
}
)";

TEST(DemoCaptureActs, AShaderOnItsOwnGivesThePixelsOfItsMaths) {
    const capture_folder capture;
    capture.folder.write("maths.frag", maths_shader);
    const auto images = capture.stills({"--shader", "maths.frag"}, "1.5");
    const auto& image = images[0];
    ASSERT_EQ(image.width, 64);
    for (const int x : {0, 10, 63}) {
        // Frame 90 of a fixed 60 fps step is at 1.5 s; the pixel's centre is x + 0.5.
        EXPECT_EQ(at(image, x, 2), (std::array{byte((x + 0.5) / 64.0), byte(0.15), byte(90.0 / 255.0)})) << x;
        EXPECT_EQ(at(image, x, 30), (std::array{byte(15.0 / 60.0), 64, 36})) << x;
    }
    EXPECT_EQ(at(image, 32, 18), (std::array{255, 255, 255})); // the sphere's middle
    EXPECT_EQ(at(image, 32, 0), (std::array{0, 0, 0}));        // below it, the ray misses
}

// A buffer adding 1/256 to its last frame holds (frames since 0 + 1) / 256; the act shows that count in
// red (low byte) and green (high byte).
TEST(DemoCaptureActs, AFeedbackBufferHoldsEveryFrameSinceZero) {
    const capture_folder capture;
    capture.folder.write("count.frag", "void mainImage(out vec4 c, in vec2 p) {\n"
                                       "    c = texture(iChannel0, p / iResolution.xy) + vec4(1.0 / 256.0);\n"
                                       "}\n");
    capture.folder.write("show.frag", "void mainImage(out vec4 c, in vec2 p) {\n"
                                      "    float n = floor(texture(iChannel0, p / iResolution.xy).r * 256.0 + 0.5);\n"
                                      "    c = vec4(mod(n, 256.0) / 255.0, floor(n / 256.0) / 255.0, 0.0, 1.0);\n"
                                      "}\n");
    capture.folder.write("count.toml", piece_head + "[[buffers]]\nname = \"count\"\nshader = \"count.frag\"\n"
                                                    "channels = [\"count\"]\nformat = \"rgba32f\"\n"
                                                    "[[acts]]\nname = \"show\"\nfrom = 0\nuntil = 70\n"
                                                    "shader = \"show.frag\"\nchannels = [\"count\"]\n");
    const auto images = capture.stills({"--piece", "count.toml"}, "0,1,60");
    for (const auto& [image, frames] : {std::tuple{&images[0], 0}, {&images[1], 60}, {&images[2], 3600}}) {
        const int n = frames + 1;
        EXPECT_EQ(at(*image, 5, 5), (std::array{n % 256, n / 256, 0})) << frames;
    }
}

// Red then blue over a wipe (from 4 to 6: at 4.5 the left quarter is blue), then blue inverted by a post pass from 8 on; a crossfade
// between blue and green (from 10 to 12) at its middle.
TEST(DemoCaptureActs, ActsMeetInTheirTransitionAndPostPassesKeepTheirTimes) {
    const capture_folder capture;
    const auto colour = [](const char* rgb) {
        return std::string("void mainImage(out vec4 c, in vec2 p) { c = vec4(") + rgb + ", 1.0); }\n";
    };
    capture.folder.write("red.frag", colour("1.0, 0.0, 0.0"));
    capture.folder.write("blue.frag", colour("0.0, 0.0, 1.0"));
    capture.folder.write("green.frag", colour("0.0, 1.0, 0.0"));
    capture.folder.write("wipe.glsl", "vec4 transition(vec2 uv) {\n"
                                      "    return uv.x < progress ? getToColor(uv) : getFromColor(uv);\n"
                                      "}\n");
    capture.folder.write("invert.frag", "void mainImage(out vec4 c, in vec2 p) {\n"
                                        "    c = vec4(1.0 - texture(iChannel0, p / iResolution.xy).rgb, 1.0);\n"
                                        "}\n");
    capture.folder.write(
        "acts.toml",
        piece_head + "[[acts]]\nname = \"red\"\nfrom = 0\nuntil = 6\nshader = \"red.frag\"\n"
                     "[[acts]]\nname = \"blue\"\nfrom = 4\nuntil = 12\nshader = \"blue.frag\"\n"
                     "transition = { over = 2, shader = \"wipe.glsl\" }\n"
                     "[[acts]]\nname = \"green\"\nfrom = 10\nuntil = 70\nshader = \"green.frag\"\n"
                     "[[post]]\nshader = \"invert.frag\"\nchannels = [\"frame\"]\nfrom = 8\nuntil = 10\n");
    const auto images = capture.stills({"--piece", "acts.toml"}, "3,4.5,7,9,11");
    const std::array red{255, 0, 0}, blue{0, 0, 255}, yellow{255, 255, 0}, half{0, 128, 128};
    for (const auto& [image, left, right] : {std::tuple{&images[0], red, red}, {&images[1], blue, red},
                                             {&images[2], blue, blue}, {&images[3], yellow, yellow}}) {
        EXPECT_EQ(at(*image, 2, 18), left) << "left, still " << (image - images.data());
        EXPECT_EQ(at(*image, 20, 18), right) << "past the quarter, still " << (image - images.data());
        EXPECT_EQ(at(*image, 61, 18), right) << "right, still " << (image - images.data());
    }
    const auto mixed = at(images[4], 32, 18);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(mixed[c], half[c], 1) << c;
}

std::string file_bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An act of the built-in piece from 8 s with an offset of 6 shows at 10 s what the piece shows at 8 s.
TEST(DemoCaptureActs, ASceneActIsItsPieceAtItsOwnTime) {
    const capture_folder capture;
    capture.folder.write("scene.toml", piece_head + "[[acts]]\nname = \"court\"\nfrom = 8\nuntil = 70\n"
                                                    "piece = \"" ENGINE_SOURCE_DIR "/pieces/courtyard.toml\"\n"
                                                    "offset = 6\n");
    const fs::path alone = capture.folder.path() / "alone";
    const fs::path act = capture.folder.path() / "act";
    const auto run = [&](std::vector<std::string> args, const std::string& t, const fs::path& out) {
        args.insert(args.end(), {"--at", t, "--size", "160x90", "--out", out.string()});
        const auto process = capture.run(args);
        EXPECT_EQ(process->status(), 0) << process->err();
    };
    run({}, "8", alone);
    run({"--piece", "scene.toml"}, "10", act);
    const std::string expected = file_bytes(alone / "still_008.00.png");
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(expected == file_bytes(act / "still_010.00.png"));
}

// A shader that does not build names its own file and line, and the piece's line that names it.
TEST(DemoCaptureActs, AShaderThatDoesNotBuildNamesItsFileAndLine) {
    const capture_folder capture;
    capture.folder.write("bad.frag", "void mainImage(out vec4 c, in vec2 p) {\n"
                                     "    vec2 uv = p / iResolution.xy;\n"
                                     "    c = vec4(uv, nope, 1.0);\n"
                                     "}\n");
    capture.folder.write("bad.toml", piece_head + "[[acts]]\nname = \"bad\"\nfrom = 0\nuntil = 70\n"
                                                  "shader = \"bad.frag\"\n");
    // The piece's paths are looked for beside it first: here, in "./".
    for (const auto& [args, place, file] :
         {std::tuple{std::vector<std::string>{"--piece", "bad.toml"}, "bad.toml:10:10: the shader './bad.frag' ",
                     "./bad.frag"},
          {{"--shader", "bad.frag"}, "demo_capture: the shader 'bad.frag' ", "bad.frag"}}) {
        auto all = args;
        all.insert(all.end(), {"--at", "1", "--size", "64x36", "--out", (capture.folder.path() / "o").string()});
        const auto process = capture.run(all);
        EXPECT_EQ(process->status(), 1);
        EXPECT_NE(process->err().find(std::string(place) + "does not build:\n" + file + ":3:15: error: "),
                  std::string::npos)
            << process->err();
        EXPECT_NE(process->err().find("`nope' undeclared"), std::string::npos) << process->err();
    }
}

// Every curve feeds a uniform of its name, every event track a float of its value at t.
TEST(DemoCaptureActs, CurvesAndTracksFeedUniformsOfTheirNames) {
    const capture_folder capture;
    capture.folder.write("feed.frag", "uniform float glow;\n"
                                      "void mainImage(out vec4 c, in vec2 p) { c = vec4(beat, glow, tint.b, 1.0); }\n");
    capture.folder.write("feed.toml", piece_head + "[[tracks]]\nname = \"beat\"\nevents = [[1, 2, 0.6]]\n"
                                                   "[[curves]]\ntarget = \"glow\"\ndefault = 0.2\n"
                                                   "segments = [{ from = 2, until = 4, ramp = { zero_at = 2, rise = 1, over = 4 } }]\n"
                                                   "[[curves]]\ntarget = \"tint\"\ndefault = [0.0, 0.0, 0.4]\n"
                                                   "[[acts]]\nname = \"a\"\nfrom = 0\nuntil = 70\nshader = \"feed.frag\"\n");
    const auto images = capture.stills({"--piece", "feed.toml"}, "0.5,1.5,3");
    for (const auto& [image, expected] : {std::pair{&images[0], std::array{0, byte(0.2), byte(0.4)}},
                                          {&images[1], std::array{byte(0.6), byte(0.2), byte(0.4)}},
                                          {&images[2], std::array{0, byte(0.25), byte(0.4)}}}) {
        EXPECT_EQ(at(*image, 5, 5), expected) << (image - images.data());
    }
}

// A buffer's side is its scale times the frame's: more than 8192 pixels is refused with the buffer's place.
TEST(DemoCaptureActs, ABufferOfMoreThan8192PixelsASideIsRefusedWhereItIsWritten) {
    const capture_folder capture;
    capture.folder.write("fill.frag", "void mainImage(out vec4 c, in vec2 p) { c = vec4(1.0); }\n");
    capture.folder.write("big.toml", piece_head + "[[buffers]]\nname = \"big\"\nshader = \"fill.frag\"\nscale = 4\n"
                                                  "[[acts]]\nname = \"a\"\nfrom = 0\nuntil = 70\n"
                                                  "shader = \"fill.frag\"\nchannels = [\"big\"]\n");
    for (const auto& [size, status] : {std::pair{"2048x1152", 0}, {"2050x1152", 1}}) {
        const auto process = capture.run({"--piece", "big.toml", "--at", "0", "--size", size, "--out",
                                          (capture.folder.path() / "o").string()});
        EXPECT_EQ(process->status(), status) << size;
        if (status == 1) {
            EXPECT_NE(process->err().find("big.toml:6:1: the buffer 'big' would be 8200x4608 pixels, more than 8192 a "
                                          "side"),
                      std::string::npos)
                << process->err();
        }
    }
}

// An image channel reads the file's texels upright, as Shadertoy's do (its first row at the top): an image
// without mipmaps that is not made complete reads black everywhere.
TEST(DemoCaptureActs, AnImageChannelShowsTheImage) {
    const capture_folder capture;
    capture.folder.write("show.frag", "void mainImage(out vec4 c, in vec2 p) {\n"
                                      "    c = vec4(texelFetch(iChannel0, ivec2(p) * 2, 0).rgb, 1.0);\n"
                                      "}\n");
    capture.folder.write("image.toml", piece_head + "[[acts]]\nname = \"a\"\nfrom = 0\nuntil = 70\n"
                                                    "shader = \"show.frag\"\nchannels = [\"assets/valo2.png\"]\n");
    const auto images = capture.stills({"--piece", "image.toml"}, "1");
    const test_support::rgb_image file(capture.folder.path() / "assets/valo2.png");
    ASSERT_EQ(file.width, 128);
    for (const auto& [x, y] : {std::pair{32, 32}, {20, 32}, {32, 10}, {5, 5}}) {
        const std::size_t i = 3 * (static_cast<std::size_t>(127 - 2 * y) * 128 + static_cast<std::size_t>(2 * x));
        EXPECT_EQ(at(images[0], x, y), (std::array<int, 3>{file.rgb[i], file.rgb[i + 1], file.rgb[i + 2]})) << x << "," << y;
    }
}

} // namespace
