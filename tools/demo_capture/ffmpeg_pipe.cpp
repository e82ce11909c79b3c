#include "demo_capture/ffmpeg_pipe.hpp"

#include "core/exceptions.hpp"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace capture {
namespace {

std::string seconds_text(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", seconds);
    return text;
}

} // namespace

std::vector<std::string> ffmpeg_pipe::arguments(const std::string& ffmpeg, const video_format& format,
                                                const std::string& audio, const std::string& output) {
    const std::string length = seconds_text(static_cast<double>(format.frames) / format.fps);
    std::vector<std::string> args{ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
                                  // Input 0: the frames, exactly as rendered.
                                  "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size",
                                  std::to_string(format.width) + "x" + std::to_string(format.height),
                                  "-framerate", std::to_string(format.fps), "-i", "pipe:0"};
    // Input 1: the music from the piece's start in it (its first sample by default), cut to the length
    // of the picture.
    if (format.audio_start > 0.0) args.insert(args.end(), {"-ss", seconds_text(format.audio_start)});
    args.insert(args.end(), {"-t", length, "-i", audio, "-map", "0:v:0", "-map", "1:a:0", "-c:v", "libx264",
                             "-preset", "medium", "-crf", "18", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a",
                             "192k", "-t", length, "-movflags", "+faststart", output});
    return args;
}

ffmpeg_pipe::ffmpeg_pipe(const std::filesystem::path& ffmpeg, const video_format& format,
                         const std::filesystem::path& audio, const std::filesystem::path& output) {
    // A failed ffmpeg must show up as a write error here, not kill this process.
    std::signal(SIGPIPE, SIG_IGN);
    const auto args = arguments(ffmpeg.string(), format, audio.string(), output.string());
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw runtime_error("capture::ffmpeg_pipe::ffmpeg_pipe(): pipe: " +
                            std::string(std::strerror(errno)));
    }
    child = fork();
    if (child < 0) {
        const int error = errno;
        close(fds[0]);
        close(fds[1]);
        throw runtime_error("capture::ffmpeg_pipe::ffmpeg_pipe(): fork: " +
                            std::string(std::strerror(error)));
    }
    if (child == 0) {
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[0]);
    frames_in = fds[1];
}

ffmpeg_pipe::~ffmpeg_pipe() {
    if (child > 0) {
        if (frames_in >= 0) close(frames_in);
        wait_for_exit();
    }
}

void ffmpeg_pipe::write_frame(const std::vector<std::uint8_t>& rgb) {
    const std::uint8_t* data = rgb.data();
    std::size_t left = rgb.size();
    while (left > 0) {
        const ssize_t n = write(frames_in, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // It stopped reading: it failed, and its exit status says how.
            close(frames_in);
            frames_in = -1;
            throw runtime_error(
                "capture::ffmpeg_pipe::write_frame(): ffmpeg stopped reading frames (exit status " +
                std::to_string(wait_for_exit()) + ").");
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

void ffmpeg_pipe::finish() {
    if (child < 0) return;
    close(frames_in);
    frames_in = -1;
    const int status = wait_for_exit();
    if (status != 0) {
        throw runtime_error("capture::ffmpeg_pipe::finish(): ffmpeg failed (exit status " +
                            std::to_string(status) + ").");
    }
}

int ffmpeg_pipe::wait_for_exit() {
    int wait_status = 0;
    while (waitpid(child, &wait_status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
    return 128 + (WIFSIGNALED(wait_status) ? WTERMSIG(wait_status) : 0);
}

} // namespace capture
