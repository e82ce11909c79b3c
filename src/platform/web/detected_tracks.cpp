// Detected tracks in the browser: the analysis runs natively when the page is made; the browser build has
// none of its own, so a piece must arrive with its events already found.
#include "player/detected_tracks.hpp"

#include "piece/piece.hpp"

void find_detected_tracks(piece::piece_data& p, logger::log_manager&, const piece::piece_data*) {
    if (!piece::has_detected_tracks(p.tracks)) return;
    throw detection_error("the tracks found in the music are found when the page is made (scripts/web.sh), "
                          "not in the browser");
}
