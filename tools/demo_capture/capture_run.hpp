#pragma once
// Which frames a capture renders and what becomes of each, and the loop that renders them in order.

#include "demo_capture/capture_options.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class player;

namespace capture {

class ffmpeg_pipe;
class frame_grab;
class progress_bar;

struct still_frame {
    std::int64_t frame;
    std::filesystem::path file;
};

struct capture_plan {
    int fps = 60;
    std::int64_t frames = 0;       // frames 0 to frames - 1 are simulated, each after the one before
    std::int64_t video_frames = 0; // the first video_frames of them make the video
    std::vector<still_frame> stills;
};

// Each still is the frame nearest its time; the video has duration x fps frames, rounded up.
capture_plan plan_capture(const capture_options& options);

// "still_004.00.png" for 4 s.
std::string still_name(double seconds);

// Renders every planned frame with `grab`, feeding the video's frames to `video` (null when there is
// none) and writing the stills. Stops with runtime_error when the window is closed meanwhile.
void run_capture(player& p, const capture_plan& plan, frame_grab& grab, ffmpeg_pipe* video,
                 progress_bar& progress);

} // namespace capture
