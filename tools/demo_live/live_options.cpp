#include "demo_live/live_options.hpp"

#include "player/time_limit.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace live {
namespace {

[[noreturn]] void fail(const std::string& message) {
    throw usage_error("demo_live: " + message);
}

// A finite decimal number and nothing else; nothing for anything else.
std::optional<double> number(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

double parse_seconds(const std::string& option, const std::string& text) {
    const auto value = number(text);
    if (!value || *value < 0.0) fail(option + " wants seconds (a number >= 0), not '" + text + "'");
    if (*value > latest_time(piece::max_piece_length))
        fail(option + " wants seconds up to " + longest_time_text() + ", not '" + text + "'");
    return *value;
}

loop_range parse_loop(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) fail("--loop wants START:END in seconds, not '" + text + "'");
    const loop_range loop{parse_seconds("--loop", text.substr(0, colon)),
                          parse_seconds("--loop", text.substr(colon + 1))};
    if (loop.end <= loop.start) fail("--loop wants its end after its start, not '" + text + "'");
    return loop;
}

double parse_speed(const std::string& text) {
    const auto value = number(text);
    if (!value || *value < min_speed || *value > max_speed)
        fail("--speed wants a factor from 0.25 to 4, not '" + text + "'");
    return *value;
}

} // namespace

live_options parse_options(const std::vector<std::string>& args) {
    live_options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "-h" || option == "--help") {
            options.help = true;
            continue;
        }
        if (option == "--paused") {
            options.paused = true;
            continue;
        }
        if (option.rfind("--", 0) != 0) fail("unexpected argument '" + option + "'");
        if (option != "--start" && option != "--loop" && option != "--speed" && option != "--piece" &&
            option != "--shader" && option != "--music")
            fail("unknown option '" + option + "'");
        if (i + 1 == args.size()) fail(option + " needs a value");
        const std::string& value = args[++i];
        if (option == "--start") {
            options.start = parse_seconds(option, value);
        } else if (option == "--loop") {
            options.loop = parse_loop(value);
        } else if (option == "--piece") {
            if (value.empty()) fail("--piece needs a file name");
            options.piece = value;
        } else if (option == "--shader") {
            if (value.empty()) fail("--shader needs a file name");
            options.shader = value;
        } else if (option == "--music") {
            if (value.empty()) fail("--music needs a file name");
            options.music = value;
        } else {
            options.speed = parse_speed(value);
        }
    }
    if (options.shader && options.piece) fail("--shader and --piece each name what plays: give one");
    if (options.music && !options.shader) fail("--music applies to --shader only");
    return options;
}

std::vector<std::pair<std::string, double>> requested_times(const live_options& options) {
    std::vector<std::pair<std::string, double>> times;
    if (options.start) times.emplace_back("--start", *options.start);
    if (options.loop) times.emplace_back("--loop", options.loop->end);
    return times;
}

std::string usage_text() {
    return "usage: demo_live [--start T] [--paused] [--loop A:B] [--speed X]\n"
           "                 [--piece FILE | --shader FILE [--music FILE]]\n"
           "Plays the production from the current folder (config.ini, assets/, shaders/) in a window where\n"
           "it can be paused, sought and looped; a shader file is rebuilt as soon as it is saved. Every\n"
           "position shows the frame that demo_capture --at writes for it.\n"
           "  --start T    begin at T seconds (default 0, or A with --loop)\n"
           "  --paused     begin paused\n"
           "  --loop A:B   go back to A seconds whenever B is reached\n"
           "  --speed X    play X times as fast, 0.25 to 4 (the music plays at 1 only)\n"
           "  --piece FILE play this piece file (default: config.ini's piece.file, else the built-in\n"
           "               piece); a file that does not check stops it with FILE:LINE:COLUMN: why;\n"
           "               once playing, the file is read again whenever it is saved\n"
           "  --shader FILE play one Shadertoy-style shader (mainImage) against the music, iChannel0 the\n"
           "               music texture; it is rebuilt whenever it is saved\n"
           "  --music FILE the music of --shader (default: the built-in piece's music)\n"
           "Times go from 0 to the piece's end and " +
           std::to_string(static_cast<int>(time_after_piece)) + " s more.\n"
           "Keys: Space pause/resume, Left/Right 1 s back/on, Shift+Left/Right 10 s, Home back to 0,\n"
           "[ and ] loop start and end here, \\ no loop, - and = halve and double the speed, R rebuild\n"
           "every shader, C print the camera as a camera row of the piece format, T show or hide the\n"
           "event tracks. Closing the window, Ctrl+C or SIGTERM end it.\n"
           "Exit status: 0 done, 1 the production cannot start, 2 bad command line.\n";
}

} // namespace live
