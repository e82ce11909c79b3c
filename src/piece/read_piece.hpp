#pragma once
// Reads and checks a piece file. Every fault is a piece_error naming the file, line and column.

#include "piece/piece.hpp"
#include "piece/piece_error.hpp"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace piece {

inline constexpr std::size_t max_file_bytes = 4 * 1024 * 1024;

// The piece in `text`, named `file` in messages. With `folder`, every asset and shader path the piece
// names is looked for there first, then in the working directory; without, paths stay as written.
piece_data read_piece_text(std::string_view text, const std::string& file,
                           const std::optional<std::filesystem::path>& folder = std::nullopt);

// The piece in `file`, its paths resolved from the file's folder.
piece_data read_piece_file(const std::filesystem::path& file);

} // namespace piece
