#pragma once

#include "logger/log_record.hpp"

namespace logger {

// A destination for records; the manager offers every record through log(), which applies the filter.
class log_base {
public:
    explicit log_base(level filter) : filter_level(filter) {}
    virtual ~log_base() = default;
    log_base(const log_base&) = delete;
    log_base& operator=(const log_base&) = delete;

    virtual void write(const log_record& record) = 0;

    void log(const log_record& record) {
        if (static_cast<std::int32_t>(record.level) >= static_cast<std::int32_t>(filter_level)) write(record);
    }

    const level filter_level;
};

} // namespace logger
