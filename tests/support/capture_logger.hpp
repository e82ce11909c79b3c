#pragma once
// A logger for tests: keeps every record it is offered, tagged with the logger's id, in a log shared with
// the test, which may outlive the logger (the log manager owns and destroys its loggers).

#include "logger/log_base.hpp"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace test_support {

struct captured_record {
    int logger_id;
    logger::log_record record;
};

class capture_log {
public:
    std::vector<captured_record> records() const;
    std::vector<std::string> messages() const;
    // Ids of the loggers writing here, in the order they were destroyed.
    std::vector<int> destroyed() const;
    // How many records had been captured when logger `id` was destroyed; -1 if it has not been.
    long captured_when_destroyed(int id) const;
    // Waits until a record with this message has been captured; false after the time limit.
    bool wait_for_message(const std::string& message,
                          std::chrono::milliseconds limit = std::chrono::milliseconds(20000)) const;

private:
    friend class capture_logger;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<captured_record> captured;
    std::vector<std::pair<int, std::size_t>> destructions;
};

class capture_logger : public logger::log_base {
public:
    capture_logger(std::shared_ptr<capture_log> log, logger::level filter, int id = 0);
    ~capture_logger() override;
    void write(const logger::log_record& record) override;

private:
    std::shared_ptr<capture_log> target;
    int id;
};

} // namespace test_support
