#pragma once
// The piece file the live player plays, read again when it is saved: checked, then made the production's
// piece without a restart. The built-in piece has no file and is not watched.

#include "demo_live/folder_watch.hpp"

#include <filesystem>
#include <string>

class player;

namespace live {

// What one reading of the piece file did.
struct piece_reload {
    bool applied = false;       // the new piece plays from the next frame on
    bool act_rebuilt = false;   // its assets differ: a new act was made with them (else: only the data moved)
    bool replay_needed = false; // the production's history or GL state changed: replay from 0 before drawing
    bool music_replaced = false; // other music plays, from the piece's 0 and paused: move it to the time
    std::string error;          // not applied: "<file>:<line>:<column>: <what>", or why its assets failed
    std::string where; // "<file>:<line>:<column>" of the error, or the file when the reader named none
};

// Sees saves of one file by watching its folder.
class piece_watch {
public:
    // Throws runtime_error when the folder cannot be watched; `log` hears when it goes and comes back.
    piece_watch(const std::filesystem::path& file, logger::log_manager& log);
    // Whether the file was saved (written in place or renamed over) since the last call. Never waits.
    bool saved();
    const std::filesystem::path& file() const { return path; }

private:
    std::filesystem::path path;
    std::string watched_name; // "<folder>/<name>", as folder_watch reports it
    folder_watch watch;
};

// Reads and checks `file` and, when it checks, makes it the host's piece. A piece with the same model,
// sprites, shaders and pool as the one playing replaces the data alone (no GL work); any other gets a new
// act with its model, sprites and programs loaded, and the old act stays if they fail to load. Tracks
// found in the music keep their events when their spec is unchanged, else are found again (see
// find_detected_tracks); music that cannot be decoded is an error. Other music than the one playing is
// played in its place, so that what is heard is what the tracks were found in. Throws nothing the reader
// or the loaders throw; the host's piece is unchanged unless applied.
piece_reload reload_piece(player& host, const std::filesystem::path& file);

} // namespace live
