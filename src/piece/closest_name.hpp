#pragma once
// The known name closest to a mistyped one, for "did you mean ...?" in messages.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace piece {

// The known name nearest to `wrong` by edit distance (insertions, deletions, substitutions and swaps of two
// neighbours), only if it is close: at most 2 edits, or a third of the wrong name's length when that is more.
// Ties go to the first in `known`. Names longer than 256 characters are never compared (bounded work).
std::optional<std::string> closest_name(std::string_view wrong, const std::vector<std::string>& known);

// The edit distance itself (optimal string alignment), for names of at most 256 characters.
std::size_t edit_distance(std::string_view a, std::string_view b);

} // namespace piece
