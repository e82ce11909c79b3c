#pragma once
// Where a file the piece names was written and looked for, added to the loader's message when the file
// cannot be read, so that a person sees which line to fix and where to put the file.

#include "piece/piece.hpp"

#include <string>

namespace piece {

// Whether `path` is a regular file (after links) that opens for reading.
bool readable_file(const std::string& path);

// " (named at <piece>:<line>:<column>; looked in '<folder>' and '<folder>')" for the file at `path` that
// the piece names at `at`, when that cannot be read; empty when it can, or when no piece file names it
// (the built-in piece), so that those messages stay as they were.
std::string unread_file_place(const piece_data& p, const std::string& path, const file_place& at);

// `message` with `place` put before its final full stop (one is added).
std::string with_place(std::string message, const std::string& place);

} // namespace piece
