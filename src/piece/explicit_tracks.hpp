#pragma once
// A piece's text with every track found in the music written out as the events found: a piece that plays
// the same where the music cannot be analysed (the web player), or that a person goes on editing by hand.

#include "piece/piece.hpp"
#include "piece/piece_error.hpp"

#include <string>
#include <string_view>

namespace piece {

// `text`, the file `p` was read from (named `file` in messages), with each `detect = { ... }` of a track
// replaced by `events = [...]` holding the events `p` has for that track (find_detected_tracks fills
// them), each number the shortest text that reads back as the same double; every other byte stays. A
// piece without detected tracks comes back unchanged. Throws piece_error at a detect table that is not
// written inline (a [tracks.detect] table or dotted keys), which has no one place to replace.
std::string with_explicit_tracks(std::string_view text, const std::string& file, const piece_data& p);

// An event list as with_explicit_tracks writes it: `events = [...]`, one event a line, after `comment`
// when it is not empty.
std::string events_text(const std::vector<event>& events, std::string_view comment);

} // namespace piece
