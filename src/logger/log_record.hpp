#pragma once

#include "logger/level.hpp"

#include <string>

namespace logger {

struct log_record {
    double time;
    logger::level level;
    std::string message;
};

} // namespace logger
