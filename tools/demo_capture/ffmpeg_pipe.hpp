#pragma once
// An ffmpeg child process that encodes raw RGB frames written to its standard input, with a music file
// muxed in, into an H.264/AAC MP4.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace capture {

struct video_format {
    int width;
    int height;
    int fps;
    std::int64_t frames; // the audio is cut to frames / fps seconds
    double audio_start = 0.0; // seconds of the audio that go with frame 0
};

class ffmpeg_pipe {
public:
    // Starts `ffmpeg` (a path) writing `output`; `audio` from its format's audio_start goes with frame 0. Throws runtime_error
    // when the process cannot be started.
    ffmpeg_pipe(const std::filesystem::path& ffmpeg, const video_format& format,
                const std::filesystem::path& audio, const std::filesystem::path& output);
    // Closes the frame stream and waits for ffmpeg, unless finish already did.
    ~ffmpeg_pipe();
    ffmpeg_pipe(const ffmpeg_pipe&) = delete;
    ffmpeg_pipe& operator=(const ffmpeg_pipe&) = delete;

    // One frame of width x height RGB bytes, top row first. Throws runtime_error when ffmpeg has stopped
    // reading (it failed; its own message is on the standard error stream).
    void write_frame(const std::vector<std::uint8_t>& rgb);
    // Ends the stream and waits for ffmpeg to write the file; throws runtime_error when it failed.
    void finish();

    // ffmpeg's arguments, program name first.
    static std::vector<std::string> arguments(const std::string& ffmpeg, const video_format& format,
                                              const std::string& audio, const std::string& output);

private:
    int wait_for_exit();

    pid_t child = -1;
    int frames_in = -1;
};

} // namespace capture
