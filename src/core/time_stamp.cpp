#include "core/time_stamp.hpp"

#include <ctime>

std::string time_stamp(std::int64_t epoch_ns) {
    const std::time_t seconds = static_cast<std::time_t>(epoch_ns / 1000000000);
    char buffer[32] = {};
    if (ctime_r(&seconds, buffer) == nullptr) return "\n";
    return buffer;
}
