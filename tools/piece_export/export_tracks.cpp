#include "export_tracks.hpp"

#include "piece/explicit_tracks.hpp"
#include "piece/read_piece.hpp"
#include "piece/unread_file.hpp"
#include "player/detected_tracks.hpp"

#include <bit>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <variant>

namespace fs = std::filesystem;

namespace {

std::string bytes_of(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text;
    // The reader has just taken the file, so it is within its bounds; a file grown since is cut there.
    text.resize(piece::max_file_bytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) throw std::runtime_error("cannot read '" + file.string() + "'");
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

bool same_bits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool same_events(const std::vector<piece::event>& a, const std::vector<piece::event>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!same_bits(a[i].start, b[i].start) || !same_bits(a[i].end, b[i].end) ||
            !same_bits(a[i].value, b[i].value))
            return false;
    return true;
}

// The copy as the player reads it where the piece lies (its paths resolve as the piece's do).
void check_reads_back(const std::string& text, const fs::path& out, const fs::path& piece_file,
                      const piece::piece_data& found) {
    const fs::path folder = piece_file.parent_path().empty() ? fs::path(".") : piece_file.parent_path();
    const piece::piece_data back = piece::read_piece_text(text, out.string(), folder);
    for (std::size_t i = 0; i < found.tracks.size(); ++i) {
        const piece::track& t = found.tracks[i];
        if (i >= back.tracks.size() || back.tracks[i].name != t.name ||
            !std::holds_alternative<piece::event_list>(back.tracks[i].source) ||
            !same_events(piece::events_of(back.tracks[i]), piece::events_of(t)))
            throw export_error("the copy does not read back with the events of the track '" + t.name +
                               "' as found");
    }
}

void write_file(const fs::path& out, const std::string& text) {
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot write '" + out.string() + "'");
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) throw std::runtime_error("cannot write '" + out.string() + "'");
}

} // namespace

void export_tracks(const fs::path& piece_file, const fs::path& out, logger::log_manager& log) {
    piece::piece_data p = piece::read_piece_file(piece_file);
    std::string text = bytes_of(piece_file);
    for (const piece::act& a : p.acts) {
        if (a.scene && piece::has_detected_tracks(a.scene->tracks))
            throw export_error(p.file + ":" + std::to_string(a.line) + ":" + std::to_string(a.column) +
                               ": the scene act '" + a.name + "' plays '" + a.scene->file +
                               "', whose tracks are found in its music; only the piece given is written, so "
                               "write that piece's tracks as events (music_events finds them)");
    }
    if (piece::has_detected_tracks(p.tracks)) {
        try {
            find_detected_tracks(p, log);
        } catch (const detection_error&) {
            throw;
        } catch (const std::runtime_error& e) {
            throw std::runtime_error(
                piece::with_place(e.what(), piece::unread_file_place(p, p.music, p.music_at)));
        }
        text = piece::with_explicit_tracks(text, p.file, p);
        check_reads_back(text, out, piece_file, p);
    }
    write_file(out, text);
}
