#pragma once
// The straightforward OBJ/MTL reader the engine's parser must agree with, result for result: every line
// read with getline and parsed from its own string stream, numbers read with operator>>. Kept in the
// tests as the yardstick for the faster parser in src/acts.

#include "model/obj_parser.hpp"

#include <istream>

namespace reference_parser {

// Same contract as ::parse_obj, including obj_parse_error's line numbers and reasons.
obj_mesh parse_obj(std::istream& in);
// Same contract as ::parse_mtl.
mtl_material parse_mtl(std::istream& in);

} // namespace reference_parser
