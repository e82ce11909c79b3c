#include "piece/builtin_piece.hpp"

#include "piece/read_piece.hpp"

namespace piece {

piece_data builtin_piece() {
    return read_piece_text(builtin_piece_text, builtin_piece_name);
}

} // namespace piece
