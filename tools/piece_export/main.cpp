// piece_export: a piece made ready to play where it cannot be read as the native players read it (the web
// player, which packs files and has no music analysis).
//
//   piece_export --files PIECE          every file the player reads to play it, one a line, sorted
//   piece_export --write OUT PIECE      a copy with the tracks found in the music written as events
//
// Status 1 with the reader's or loader's message when the piece does not play; 2 for a usage error.
#include "export_files.hpp"
#include "export_tracks.hpp"

#include "logger/log_base.hpp"
#include "logger/log_manager.hpp"
#include "piece/read_piece.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const usage =
    "usage: piece_export --files PIECE        the files the player reads to play PIECE, one a line\n"
    "       piece_export --write OUT PIECE    PIECE with its tracks found in the music written as events\n";

int usage_error(const std::string& why) {
    std::cerr << "piece_export: " << why << "\n" << usage;
    return 2;
}

// The log's records as notes on standard error: what the analysis found, and how long it took.
class notes : public logger::log_base {
public:
    notes()
        : log_base(logger::level::info) {}
    void write(const logger::log_record& record) override {
        std::cerr << "piece_export: " << record.message << '\n';
    }
};

int list_files(const std::filesystem::path& piece) {
    std::string out;
    for (const std::string& file : export_files(piece::read_piece_file(piece)))
        out += file + '\n';
    // A full disk or a closed pipe shows only when the bytes are handed over.
    errno = 0;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        const int error = errno;
        std::cerr << "piece_export: the list could not be written: "
                  << (error ? std::strerror(error) : "write failed") << '\n';
        return 1;
    }
    return 0;
}

int write_copy(const std::filesystem::path& out, const std::filesystem::path& piece) {
    std::error_code error;
    if (std::filesystem::equivalent(out, piece, error))
        return usage_error("OUT is the piece itself; the copy goes to another file");
    logger::log_manager log([] { return 0.0; });
    log.add_logger(std::make_unique<notes>());
    export_tracks(piece, out, log);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool files = args.size() == 2 && args[0] == "--files";
    const bool write = args.size() == 3 && args[0] == "--write";
    if (!files && !write) {
        if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
            std::cout << usage;
            return 0;
        }
        return usage_error(args.empty() ? "no command"
                                        : "'" + args[0] + "' with " + std::to_string(args.size() - 1) +
                                              " argument(s) is no command");
    }
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i].empty() || args[i].size() > 4096)
            return usage_error("a file name of 1 to 4096 characters");
    try {
        return files ? list_files(args[1]) : write_copy(args[1], args[2]);
    } catch (const std::exception& e) {
        std::cerr << "piece_export: " << e.what() << '\n';
        return 1;
    }
}
