// demo_capture: renders the production offscreen with a fixed time step and writes PNG stills and/or an
// MP4 video. Run from the folder the demo runs from.

#include "acts/sprite_program.hpp"
#include "core/core_module.hpp"
#include "demo_capture/capture_options.hpp"
#include "demo_capture/capture_run.hpp"
#include "demo_capture/ffmpeg_pipe.hpp"
#include "demo_capture/frame_grab.hpp"
#include "demo_capture/preflight.hpp"
#include "demo_capture/progress_bar.hpp"
#include "piece/shader_piece.hpp"
#include "player/player.hpp"
#include "player/time_limit.hpp"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace capture;

// Without an X display the GL window cannot open: run again under a private Xvfb when one can be had.
void reexec_without_display(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && *display != '\0') return;
    const auto xvfb_run = find_on_path("xvfb-run");
    if (!xvfb_run) throw runtime_error("no X display: DISPLAY is unset and xvfb-run is not installed.");
    std::error_code error;
    const std::string self = fs::read_symlink("/proc/self/exe", error).string();
    std::vector<std::string> args{xvfb_run->string(), "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp",
                                  error ? std::string(argv[0]) : self};
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    std::vector<char*> c_args;
    for (auto& a : args)
        c_args.push_back(a.data());
    c_args.push_back(nullptr);
    execv(c_args[0], c_args.data());
    throw runtime_error("cannot run xvfb-run.");
}

// Everything that can be checked before the long part: where the output goes and what encodes it.
std::optional<fs::path> preflight(const capture_options& options) {
    if (!options.still_times.empty()) require_writable_folder(options.still_dir);
    if (!options.video) return std::nullopt;
    auto ffmpeg = find_on_path("ffmpeg");
    if (!ffmpeg) throw runtime_error("ffmpeg is not on PATH; it encodes the video (Debian package ffmpeg).");
    require_writable_file(*options.video);
    return ffmpeg;
}

int run(const capture_options& options, const std::optional<fs::path>& ffmpeg) {
    // No sound card is needed: the music is read from its file, never played.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    core_module core;
    draw_sprites_as_quads(options.sprites_as_quads);
    player demo = options.shader ? player(&core, piece::shader_piece(options.shader->string(),
                                                                    options.music ? options.music->string() : ""))
                                 : player(&core, options.piece);
    // The capture follows the act alone: pointer and wheel over the window must not turn the camera.
    platform::input_manager::input_handler = [](platform::window&, platform::input_manager::input_event) {};

    for (const double t : options.still_times)
        if (const auto why = time_beyond_piece("--at", t, demo.piece.length)) throw usage_error("demo_capture: " + *why);
    if (options.video) {
        if (const auto why = time_beyond_piece("--duration", options.duration, demo.piece.length))
            throw usage_error("demo_capture: " + *why);
    }

    const frame_size size = options.size.value_or(frame_size{demo.screen_width, demo.screen_height});
    if (options.video && (size.width % 2 != 0 || size.height % 2 != 0)) {
        throw runtime_error("the video needs even sides; give --size.");
    }
    // The piece's music, read by ffmpeg; checked before the long part.
    const std::string music_file = demo.piece.music;
    if (options.video && !fs::is_regular_file(music_file))
        throw runtime_error("no music to mux: " + music_file);
    const capture_plan plan = plan_capture(options);
    frame_grab grab(demo, size.width, size.height);
    std::unique_ptr<ffmpeg_pipe> video;
    if (options.video) {
        video = std::make_unique<ffmpeg_pipe>(
            *ffmpeg,
            video_format{size.width, size.height, options.fps, plan.video_frames, demo.piece.music_start},
            music_file, *options.video);
    }
    progress_bar progress(std::cerr, plan.frames,
                          isatty(STDERR_FILENO) == 1 ? progress_bar::style::live
                                                     : progress_bar::style::lines);
    run_capture(demo, plan, grab, video.get(), progress);
    if (video) video->finish();

    for (const still_frame& still : plan.stills)
        std::cout << "wrote " << still.file.string() << '\n';
    if (options.video) {
        std::cout << "wrote " << options.video->string() << " (" << plan.video_frames << " frames at "
                  << options.fps << " fps, " << size.width << "x" << size.height << ")\n";
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    capture_options options;
    try {
        options = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const usage_error& e) {
        std::cerr << e.what() << "\n\n" << usage_text();
        return 2;
    }
    if (options.help) {
        std::cout << usage_text();
        return 0;
    }
    try {
        reexec_without_display(argc, argv);
        return run(options, preflight(options));
    } catch (const usage_error& e) {
        std::cerr << e.what() << "\n\n" << usage_text();
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "demo_capture: " << e.what() << '\n';
        return 1;
    }
}
