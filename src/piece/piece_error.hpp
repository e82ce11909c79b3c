#pragma once

#include <stdexcept>
#include <string>

namespace piece {

// A piece file that cannot be played; what() is "<file>:<line>:<column>: <what is wrong>".
class piece_error : public std::runtime_error {
public:
    piece_error(const std::string& file, long line, long column, const std::string& what)
        : std::runtime_error(file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + what) {}
};

} // namespace piece
