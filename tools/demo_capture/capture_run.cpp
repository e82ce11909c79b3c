#include "demo_capture/capture_run.hpp"

#include "core/core_module.hpp"
#include "demo_capture/ffmpeg_pipe.hpp"
#include "demo_capture/frame_grab.hpp"
#include "demo_capture/png_file.hpp"
#include "demo_capture/progress_bar.hpp"
#include "platform/window.hpp"
#include "player/player.hpp"
#include "player/replay.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace capture {

std::string still_name(double seconds) {
    char name[64];
    std::snprintf(name, sizeof name, "still_%06.2f.png", seconds);
    return name;
}

capture_plan plan_capture(const capture_options& options) {
    capture_plan plan;
    plan.fps = options.fps;
    if (options.video) {
        // A hair of slack so that 2 s at 10 fps is 20 frames despite rounding in the product.
        plan.video_frames = static_cast<std::int64_t>(std::ceil(options.duration * options.fps - 1e-6));
        plan.frames = plan.video_frames;
    }
    for (const double t : options.still_times) {
        const std::int64_t frame = replay::nearest_frame(t, options.fps);
        plan.stills.push_back({frame, options.still_dir / still_name(t)});
        plan.frames = std::max(plan.frames, frame + 1);
    }
    return plan;
}

void run_capture(player& p, const capture_plan& plan, frame_grab& grab, ffmpeg_pipe* video,
                 progress_bar& progress) {
    std::vector<std::uint8_t> pixels;
    const int width = grab.target().width();
    const int height = grab.target().height();
    for (std::int64_t k = 0; k < plan.frames; ++k) {
        // Window-system events still flow, so the window stays responsive and can cancel the capture.
        p.core->update();
        if (p.window->should_close()) throw runtime_error("capture::run_capture(): The window was closed.");

        const bool to_video = video != nullptr && k < plan.video_frames;
        const bool to_still = std::any_of(plan.stills.begin(), plan.stills.end(),
                                          [k](const still_frame& s) { return s.frame == k; });
        const double t = frame_grab::frame_time(k, plan.fps);
        if (to_video || to_still) {
            grab.render(t, pixels);
        } else {
            grab.skip(t);
        }
        if (to_video) video->write_frame(pixels);
        for (const still_frame& still : plan.stills) {
            if (still.frame == k) write_png(still.file, width, height, pixels);
        }
        progress.update(k + 1);
    }
    progress.finish();
}

} // namespace capture
