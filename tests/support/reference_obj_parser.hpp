#pragma once
// The straightforward OBJ/MTL reader the engine's parser must agree with, result for result: every line
// read with getline and parsed from its own string stream, numbers read with operator>>. Kept in the
// tests as the yardstick for the faster parser in src/acts.

#include "model/obj_parser.hpp"

#include <istream>
#include <vector>

namespace reference_parser {

// The first loader's contract: triangles "f p/t/n p/t/n p/t/n" only (a fourth corner ignored), corners
// read loosely (any one character between the indices), one material for the whole file.
obj_mesh parse_obj(std::istream& in);
// Every keyword of the file sets the one material; a map is the first word after its keyword.
mtl_material parse_mtl(std::istream& in);

} // namespace reference_parser
