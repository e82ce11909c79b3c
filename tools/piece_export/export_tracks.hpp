#pragma once
// `piece_export --write`: a copy of a piece whose tracks found in the music are written out as events.

#include <filesystem>
#include <stdexcept>

namespace logger {
class log_manager;
}

// A piece that cannot be exported as it is written; what() says why and where.
struct export_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes to `out` the text of `piece` with each detected track replaced by the events find_detected_tracks
// gives it (logged on `log` as the players log them), or the file's bytes unchanged when it has none.
// Before writing, the new text is read back as the player would read it beside `piece` and must give the
// same events to the bit. Throws piece_error for a piece the reader refuses, export_error for a scene act
// whose piece finds tracks in its music (only the piece given is written) and for a copy that does not read
// back the same, detection_error and runtime_error as find_detected_tracks does, and runtime_error when
// `out` cannot be written.
void export_tracks(const std::filesystem::path& piece, const std::filesystem::path& out,
                   logger::log_manager& log);
