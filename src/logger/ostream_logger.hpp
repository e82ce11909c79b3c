#pragma once

#include "logger/log_base.hpp"

#include <ostream>

namespace logger {

// Writes records to a stream owned by somebody else. Runs on the log thread only.
class ostream_logger : public log_base {
public:
    ostream_logger(std::ostream& target, level filter) : log_base(filter), stream(&target) {}
    ~ostream_logger() override = default;

    // "[" time "] " tag ": " message; further lines of the message indented under its first line.
    void write(const log_record& record) override;

protected:
    std::ostream* const stream;
};

} // namespace logger
