#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Nanoseconds since the Unix epoch from the system (wall) clock.
inline std::int64_t system_clock_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// ctime's 24-character local-time form of a nanosecond epoch count, trailing line break included.
std::string time_stamp(std::int64_t epoch_ns);
