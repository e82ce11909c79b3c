// music_events_timing FILE [RUNS]: the best wall and processor times of decoding FILE and of detecting its
// kick, snare and hat tracks together, over RUNS runs (default 5).
#include "music/detect_events.hpp"
#include "sound/music_decode.hpp"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: music_events_timing FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc == 3 ? std::clamp(std::atoi(argv[2]), 1, 100) : 5;
    using clock = std::chrono::steady_clock;
    const auto seconds = [](clock::duration d) { return std::chrono::duration<double>(d).count(); };
    // Processor time beside wall time: on a shared machine the wall time includes waiting for a core.
    const auto cpu = [] { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; };
    double decode = 1e9, detect = 1e9, decode_cpu = 1e9, detect_cpu = 1e9;
    std::size_t events = 0;
    sound::decoded_music music;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = clock::now();
        const double c0 = cpu();
        music = sound::decode_music_file(argv[1]);
        decode = std::min(decode, seconds(clock::now() - t0));
        decode_cpu = std::min(decode_cpu, cpu() - c0);
    }
    const std::size_t frames = music.samples.size() / static_cast<std::size_t>(music.channels);
    for (int r = 0; r < runs; ++r) {
        const auto t0 = clock::now();
        const double c0 = cpu();
        events = 0;
        std::vector<music::detect_spec> specs;
        for (const char* what : {"kick", "snare", "hat"}) {
            specs.emplace_back();
            music::parse_instrument(what, specs.back());
        }
        for (const auto& track : music::detect_tracks(music.samples.data(), frames, music.channels, music.rate, specs)) {
            events += track.size();
        }
        detect = std::min(detect, seconds(clock::now() - t0));
        detect_cpu = std::min(detect_cpu, cpu() - c0);
    }
    std::printf("seconds of music\t%.1f\nchannels\t%d\nrate\t%d\ndecode s (wall, processor)\t%.3f, %.3f\n"
                "detect kick+snare+hat s (wall, processor)\t%.3f, %.3f\nevents\t%zu\n",
                static_cast<double>(frames) / music.rate, music.channels, music.rate, decode, decode_cpu, detect, detect_cpu, events);
    return 0;
}
