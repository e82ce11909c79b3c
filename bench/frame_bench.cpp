// The CPU part of every frame of the piece without the driver: advance_scene at 60 frames per second
// from 0 to 75 seconds with the production's own event tracks, camera, 1600 particles, emitters and
// generator. Each iteration plays the whole piece and times every frame; the counters give the median
// and the 99th percentile of the frames, in microseconds.

#include "acts/scene_frame.hpp"
#include "piece/builtin_piece.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace {

constexpr double piece_seconds = 75.0;
constexpr double frame_rate = 60.0;

double percentile(std::vector<double> samples, double p) {
    const auto at = static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1) + 0.5);
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(at), samples.end());
    return samples[at];
}

void whole_piece(benchmark::State& state) {
    const auto frames = static_cast<std::size_t>(piece_seconds * frame_rate);
    std::vector<double> micros;
    micros.reserve(frames * 16);
    const piece::piece_data courtyard = piece::builtin_piece();
    for (auto _ : state) {
        state.PauseTiming();
        sound_state tracks;
        tracks.set_offset(0.0);
        camera cam(1280.0f / 720.0f, 0.05f, 100.0f, 1.0471976f, 0.0f);
        particle_system particles(courtyard.pool_size);
        emitter_state emitters(courtyard);
        std::mt19937 rng;
        state.ResumeTiming();
        double previous = 0.0;
        for (std::size_t frame = 0; frame < frames; ++frame) {
            const double t = static_cast<double>(frame) / frame_rate;
            const auto start = std::chrono::steady_clock::now();
            const scene_state scene = advance_scene(courtyard, t, previous, tracks, cam, particles, emitters, rng);
            const auto stop = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(scene);
            benchmark::DoNotOptimize(particles.vertices.data());
            micros.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
            previous = t;
        }
    }
    state.counters["frame_median_us"] = percentile(micros, 0.5);
    state.counters["frame_p99_us"] = percentile(micros, 0.99);
    state.counters["frames"] = static_cast<double>(micros.size());
}

} // namespace

BENCHMARK(whole_piece)->Name("frame/engine/advance_scene")->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
