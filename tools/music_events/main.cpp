// music_events FILE [--track NAME:WHAT]... [--format toml|tsv]: the event tracks found in a music file,
// as a block to paste into a piece file or as tab-separated lines.
#include "music/detect_events.hpp"
#include "sound/music_decode.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t max_tracks = 64;
constexpr std::size_t max_name = 64;

const char* const usage =
    "usage: music_events FILE [--track NAME:WHAT]... [--format toml|tsv]\n"
    "  WHAT: kick, snare, hat, onsets (every onset, full band) or LO-HI (a band in Hz, e.g. 2000-6000)\n"
    "  without --track: kick:kick, snare:snare and hat:hat\n"
    "  --format toml (default): [[tracks]] blocks for a piece file; tsv: NAME START END VALUE lines\n";

struct track {
    std::string name;
    music::detect_spec spec;
};

struct command {
    std::string file;
    std::vector<track> tracks;
    bool tsv = false;
};

bool valid_name(const std::string& name) {
    return !name.empty() && name.size() <= max_name &&
           name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.-") == std::string::npos;
}

// The command line, or the reason it is not one.
bool parse(int argc, char** argv, command& cmd, std::string& why) {
    bool format_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--track" || arg == "--format") {
            if (i + 1 >= argc) {
                why = arg + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            if (arg == "--format") {
                if (format_given || (value != "toml" && value != "tsv")) {
                    why = "--format is toml or tsv, given once";
                    return false;
                }
                format_given = true;
                cmd.tsv = value == "tsv";
                continue;
            }
            const std::size_t colon = value.find(':');
            track t;
            t.name = value.substr(0, colon);
            if (colon == std::string::npos || !valid_name(t.name) || !music::parse_instrument(value.substr(colon + 1), t.spec)) {
                why = "bad --track '" + value + "': NAME (letters, digits, _ . -) : kick, snare, hat, onsets or LO-HI";
                return false;
            }
            const bool taken = std::any_of(cmd.tracks.begin(), cmd.tracks.end(), [&](const track& o) { return o.name == t.name; });
            if (taken || cmd.tracks.size() == max_tracks) {
                why = taken ? "track '" + t.name + "' named twice" : "too many tracks";
                return false;
            }
            cmd.tracks.push_back(t);
        } else if (arg.size() > 1 && arg[0] == '-') {
            why = "unknown option '" + arg + "'";
            return false;
        } else if (!cmd.file.empty()) {
            why = "one FILE only";
            return false;
        } else {
            cmd.file = arg;
        }
    }
    if (cmd.file.empty()) {
        why = "no FILE";
        return false;
    }
    if (cmd.tracks.empty()) {
        for (const char* name : {"kick", "snare", "hat"}) {
            track t{name, {}};
            music::parse_instrument(name, t.spec);
            cmd.tracks.push_back(t);
        }
    }
    return true;
}

std::string seconds(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", t);
    return text;
}

// A TOML float: always with a decimal point or exponent.
std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

} // namespace

int main(int argc, char** argv) {
    command cmd;
    std::string why;
    if (!parse(argc, argv, cmd, why)) {
        std::cerr << "music_events: " << why << "\n" << usage;
        return 2;
    }
    sound::decoded_music music;
    try {
        // The decoder would read a folder as a file of unknown content.
        std::error_code ec;
        if (std::filesystem::is_directory(cmd.file, ec)) throw std::runtime_error("A folder, not a file.");
        music = sound::decode_music_file(cmd.file);
    } catch (const std::exception& e) {
        std::cerr << "Unable to load music from '" << cmd.file << "': " << e.what() << "\n";
        return 1;
    }
    const std::size_t frames = music.samples.size() / static_cast<std::size_t>(music.channels);

    std::vector<music::detect_spec> specs;
    for (const track& t : cmd.tracks) specs.push_back(t.spec);
    std::vector<std::vector<music::event>> found;
    try {
        found = music::detect_tracks(music.samples.data(), frames, music.channels, music.rate, specs);
    } catch (const music::detect_error& e) {
        std::cerr << "Unable to find events in '" << cmd.file << "': " << e.what() << ".\n";
        return 1;
    }

    std::string out;
    if (cmd.tsv) {
        std::vector<std::size_t> order(cmd.tracks.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return cmd.tracks[a].name < cmd.tracks[b].name; });
        for (const std::size_t i : order) {
            for (const music::event& e : found[i]) {
                out += cmd.tracks[i].name + "\t" + seconds(e.start) + "\t" + seconds(e.end) + "\t" + number(e.value) + "\n";
            }
        }
    } else {
        for (std::size_t i = 0; i < cmd.tracks.size(); ++i) {
            out += (i ? "\n" : "") + std::string("[[tracks]]\nname = \"") + cmd.tracks[i].name + "\"\nevents = [";
            for (const music::event& e : found[i]) {
                out += "\n  [" + seconds(e.start) + ", " + seconds(e.end) + ", " + number(e.value) + "],";
            }
            out += found[i].empty() ? "]\n" : "\n]\n";
        }
    }
    // A full disk or a closed pipe shows only when the bytes are handed over: say so rather than end quietly.
    errno = 0;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        const int error = errno;
        std::cerr << "music_events: the events could not be written: " << (error ? std::strerror(error) : "write failed") << "\n";
        return 1;
    }
    return 0;
}
