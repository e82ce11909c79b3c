// One full-screen Shadertoy pass at 1280x720 on this machine's GL (Mesa's llvmpipe under Xvfb): a gradient
// over fragCoord / iResolution drawn into a target of each format and waited for with glFinish, so each
// iteration is the whole cost of the pass, uniforms to last pixel. Needs a display.

#include "passes/fullscreen_pass.hpp"
#include "passes/render_target.hpp"
#include "platform/gl_api.hpp"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <chrono>
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
