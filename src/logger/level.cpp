#include "logger/level.hpp"

#include "core/exceptions.hpp"

#include <array>

namespace logger {
namespace {

constexpr std::array<const char*, 5> plain_names{"Debug", "Info", "Warning", "Error", "Critical"};
constexpr std::array<const char*, 5> padded_names{"   DEBUG", "    INFO", " WARNING", "   ERROR", "CRITICAL"};

const char* lookup(const std::array<const char*, 5>& table, level lvl) {
    const auto index = static_cast<std::int32_t>(lvl);
    return index >= 0 && index < static_cast<std::int32_t>(table.size()) ? table[static_cast<std::size_t>(index)]
                                                                        : "";
}

} // namespace

const char* level_to_string(level lvl) { return lookup(plain_names, lvl); }

const char* level_to_padded_string(level lvl) { return lookup(padded_names, lvl); }

level level_from_string(const std::string& name) {
    for (std::size_t i = 0; i < plain_names.size(); ++i) {
        if (name == plain_names[i]) return static_cast<level>(i);
    }
    throw invalid_argument("level_from_string(): invalid argument: " + name);
}

} // namespace logger
