#pragma once

#include <cstdint>
#include <string>

namespace logger {

enum class level : std::int32_t { debug = 0, info = 1, warning = 2, error = 3, critical = 4 };

// "Debug" .. "Critical"; "" for a value outside the enumeration.
const char* level_to_string(level lvl);
// The 8-character right-aligned tags of the record line; "" for a value outside the enumeration.
const char* level_to_padded_string(level lvl);
// Exact, case-sensitive inverse of level_to_string; throws invalid_argument for anything else.
level level_from_string(const std::string& name);

} // namespace logger
