// One full-screen Shadertoy pass at 1280x720 on this machine's GL (Mesa's llvmpipe under Xvfb): a gradient
// over fragCoord / iResolution drawn into a target of each format and waited for with glFinish, so each
// iteration is the whole cost of the pass, uniforms to last pixel. Beside it, the frame of a raymarched
// act (bench/raymarch_act.frag): an act alone is drawn straight into the frame, so its frame is this one
// pass into an rgba8 picture; and one frame of the feedback buffer of bench/feedback_piece.toml, what a
// still of that piece pays for every frame before it. Needs a display.

#include "passes/fullscreen_pass.hpp"
#include "passes/render_target.hpp"
#include "platform/gl_api.hpp"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr int width = 1280;
constexpr int height = 720;

constexpr const char* gradient = R"(void mainImage(out vec4 fragColor, in vec2 fragCoord) {
    vec2 uv = fragCoord / iResolution.xy;
    fragColor = vec4(uv, 0.5 + 0.5 * sin(iTime), 1.0);
}
)";

std::string glfw_error() {
    const char* description = nullptr;
    glfwGetError(&description);
    return description != nullptr ? description : "no reason given";
}

// A hidden window with the demo's OpenGL 3.3 core context, current on this thread for the whole program:
// an Xvfb without -noreset restarts whenever its last client leaves, so the benchmarks share one connection,
// and the first is retried while a server is still restarting after its readiness probe.
class gl_window {
public:
    gl_window() {
        for (int attempt = 0; glfwInit() != GLFW_TRUE; ++attempt) {
            if (attempt == 20) throw std::runtime_error("no GLFW: " + glfw_error());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(64, 64, "fullscreen pass", nullptr, nullptr);
        if (window == nullptr) {
            glfwTerminate();
            throw std::runtime_error("no OpenGL 3.3 core context: " + glfw_error());
        }
        glfwMakeContextCurrent(window);
        glapi::load(glfwGetProcAddress, false);
    }
    ~gl_window() {
        glfwDestroyWindow(window);
        glfwTerminate();
    }
    gl_window(const gl_window&) = delete;
    gl_window& operator=(const gl_window&) = delete;

private:
    GLFWwindow* window = nullptr;
};

void fullscreen_pass(benchmark::State& state, passes::target_format format) {
    const passes::fullscreen_pass pass(passes::pass_kind::shadertoy, gradient, "bench/gradient.frag", {},
                                       std::make_shared<passes::black_texture>());
    const passes::render_target target(width, height, format);
    target.bind();
    passes::shadertoy_inputs in;
    in.resolution = {float(width), float(height), 1.0f};
    pass.draw(in, {});
    glapi::glFinish();
    for (auto _ : state) {
        in.time += 1.0f / 60.0f;
        ++in.frame;
        pass.draw(in, {});
        glapi::glFinish();
    }
    state.counters["megapixels_per_second"] =
        benchmark::Counter(width * height / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

std::string bench_file(const std::string& name) {
    const std::string file = std::string(ENGINE_SOURCE_DIR) + "/bench/" + name;
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// 60 frames a second from 0 s, so the iterations go round the camera's circle as the act would.
void raymarched_act(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    const passes::fullscreen_pass pass(passes::pass_kind::shadertoy, bench_file("raymarch_act.frag"), "bench/raymarch_act.frag",
                                       {}, std::make_shared<passes::black_texture>());
    const passes::render_target target(w, h, passes::target_format::rgba8);
    target.bind();
    passes::shadertoy_inputs in;
    in.resolution = {float(w), float(h), 1.0f};
    in.time_delta = 1.0f / 60.0f;
    in.frame_rate = 60.0f;
    pass.draw(in, {});
    glapi::glFinish();
    for (auto _ : state) {
        ++in.frame;
        in.time = float(in.frame) / 60.0f;
        pass.draw(in, {});
        glapi::glFinish();
    }
}

BENCHMARK(raymarched_act)->ArgNames({"width", "height"})->Args({1280, 720})->Args({640, 360})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// One frame of the feedback buffer of bench/feedback_piece.toml at 640x360: what a still of that piece
// pays for each frame since 0 (iChannel1, the music, is black here).
void feedback_buffer(benchmark::State& state) {
    const passes::fullscreen_pass pass(passes::pass_kind::shadertoy, bench_file("feedback_trails.frag"),
                                       "bench/feedback_trails.frag", {}, std::make_shared<passes::black_texture>());
    passes::feedback_target pictures(640, 360, passes::target_format::rgba16f);
    pictures.clear();
    passes::shadertoy_inputs in;
    in.resolution = {640.0f, 360.0f, 1.0f};
    in.time_delta = 1.0f / 60.0f;
    in.frame_rate = 60.0f;
    in.channel_resolution[0] = in.resolution;
    for (auto _ : state) {
        pictures.current().bind();
        in.channels[0] = pictures.previous().texture();
        pass.draw(in, {});
        glapi::glFinish();
        pictures.swap();
        ++in.frame;
        in.time = float(in.frame) / 60.0f;
    }
}

BENCHMARK(feedback_buffer)->Name("feedback_buffer/640x360_rgba16f")->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_CAPTURE(fullscreen_pass, gradient_1280x720_rgba8, passes::target_format::rgba8)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(fullscreen_pass, gradient_1280x720_rgba16f, passes::target_format::rgba16f)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const gl_window context;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
