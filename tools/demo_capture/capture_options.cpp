#include "demo_capture/capture_options.hpp"

#include "player/time_limit.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace capture {
namespace {

[[noreturn]] void fail(const std::string& message) {
    throw usage_error("demo_capture: " + message);
}

double parse_seconds(const std::string& option, const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value) || value < 0.0) {
        fail(option + " wants seconds (a number >= 0), not '" + text + "'");
    }
    if (value > latest_time(piece::max_piece_length))
        fail(option + " wants seconds up to " + longest_time_text() + ", not '" + text + "'");
    return value;
}

int parse_count(const std::string& option, const std::string& text, int largest) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value <= 0 || value > largest) {
        fail(option + " wants a whole number from 1 to " + std::to_string(largest) + ", not '" + text + "'");
    }
    return value;
}

std::vector<double> parse_times(const std::string& text) {
    std::vector<double> times;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        times.push_back(parse_seconds("--at", text.substr(from, comma - from)));
        if (comma == std::string::npos) return times;
        from = comma + 1;
    }
}

frame_size parse_size(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) fail("--size wants WIDTHxHEIGHT, not '" + text + "'");
    constexpr int largest_side = 16384;
    const frame_size size{parse_count("--size", text.substr(0, x), largest_side),
                          parse_count("--size", text.substr(x + 1), largest_side)};
    // H.264 with 4:2:0 chroma needs even sides; stills would not, but one rule is easier to remember.
    if (size.width % 2 != 0 || size.height % 2 != 0) fail("--size wants even numbers, not '" + text + "'");
    return size;
}

} // namespace

capture_options parse_options(const std::vector<std::string>& args) {
    capture_options options;
    bool duration_given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "-h" || option == "--help") {
            options.help = true;
            continue;
        }
        if (option.rfind("--", 0) != 0) fail("unexpected argument '" + option + "'");
        if (option != "--at" && option != "--out" && option != "--video" && option != "--duration" &&
            option != "--fps" && option != "--size" && option != "--piece" && option != "--shader" &&
            option != "--music" && option != "--sprites") {
            fail("unknown option '" + option + "'");
        }
        if (i + 1 == args.size()) fail(option + " needs a value");
        const std::string& value = args[++i];
        if (option == "--at") {
            options.still_times = parse_times(value);
        } else if (option == "--out") {
            if (value.empty()) fail("--out needs a folder");
            options.still_dir = value;
        } else if (option == "--video") {
            if (value.empty()) fail("--video needs a file name");
            options.video = value;
        } else if (option == "--duration") {
            options.duration = parse_seconds(option, value);
            duration_given = true;
        } else if (option == "--piece") {
            if (value.empty()) fail("--piece needs a file name");
            options.piece = value;
        } else if (option == "--shader") {
            if (value.empty()) fail("--shader needs a file name");
            options.shader = value;
        } else if (option == "--music") {
            if (value.empty()) fail("--music needs a file name");
            options.music = value;
        } else if (option == "--sprites") {
            if (value != "geometry" && value != "quads") fail("--sprites wants geometry or quads, not '" + value + "'");
            options.sprites_as_quads = value == "quads";
        } else if (option == "--fps") {
            options.fps = parse_count(option, value, 1000);
        } else {
            options.size = parse_size(value);
        }
    }
    if (options.help) return options;
    if (options.still_times.empty() && !options.video) fail("nothing to do: give --at and/or --video");
    if (duration_given && !options.video) fail("--duration applies to --video only");
    if (options.shader && options.piece) fail("--shader and --piece each name what plays: give one");
    if (options.music && !options.shader) fail("--music applies to --shader only");
    if (options.video && options.duration * options.fps < 1.0) fail("--duration is shorter than one frame");
    return options;
}

std::string usage_text() {
    return "usage: demo_capture [--at T[,T...]] [--out DIR] [--video FILE.mp4] [--duration S]\n"
           "                    [--fps N] [--size WxH] [--piece FILE | --shader FILE [--music FILE]]\n"
           "                    [--sprites geometry|quads]\n"
           "Renders the production from the current folder (config.ini, assets/, shaders/) with a fixed\n"
           "time step, so every frame is exact however slow the machine.\n"
           "  --at T,...      write a PNG still of the frame nearest each time (seconds) into DIR\n"
           "  --out DIR       folder for the stills (default out), named still_004.00.png and so on\n"
           "  --video FILE    encode the piece with ffmpeg (H.264 + AAC of the piece's music)\n"
           "  --duration S    length of the video in seconds (default 76)\n"
           "  --fps N         simulation steps and video frames per second (default 60)\n"
           "  --size WxH      frame size, even numbers (default: the window size in config.ini)\n"
           "  --piece FILE    play this piece file (default: config.ini's piece.file, else the built-in\n"
           "                  piece); a file that does not check stops it with FILE:LINE:COLUMN: why\n"
           "  --shader FILE   play one Shadertoy-style shader (mainImage) as a piece as long as the music,\n"
           "                  iChannel0 the music texture\n"
           "  --music FILE    the music of --shader (default: the built-in piece's music)\n"
           "  --sprites quads draw particle sprites as the web player does, as instanced quads of one\n"
           "                  vertex shader (default geometry: with the geometry shader)\n"
           "Times go from 0 to the piece's end and " +
           std::to_string(static_cast<int>(time_after_piece)) + " s more.\n"
           "Exit status: 0 done, 1 failure while running, 2 bad command line.\n";
}

} // namespace capture
