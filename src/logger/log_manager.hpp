#pragma once

#include "logger/log_base.hpp"
#include "logger/log_record.hpp"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace logger {

// The single sink of the program's diagnostics. Producers on any thread queue records under one mutex;
// a background thread hands them, in order, to every attached logger.
class log_manager {
public:
    // `held`: the log thread delivers nothing until `start_delivery`, so records submitted while the
    // owner is still attaching its loggers reach every one of them. The destructor delivers in any case.
    enum class delivery { immediate, held };

    explicit log_manager(const std::function<double()>& time_source, delivery mode = delivery::immediate);
    ~log_manager();
    log_manager(const log_manager&) = delete;
    log_manager& operator=(const log_manager&) = delete;

    log_base* add_logger(std::unique_ptr<log_base>&& logger);
    // Ends a held start: the log thread delivers what is queued, in order, to the loggers now attached.
    void start_delivery();

    void debug(const std::string& message) { log(message, level::debug); }
    void info(const std::string& message) { log(message, level::info); }
    void warning(const std::string& message) { log(message, level::warning); }
    void error(const std::string& message) { log(message, level::error); }
    void critical(const std::string& message) { log(message, level::critical); }

    void log(const std::string& message, level lvl);
    void log(const std::string& message);

    log_manager& operator<<(level lvl);
    log_manager& operator<<(const std::string& message);

private:
    void process_queue();
    // Appends a record stamped with the time source; the caller holds the lock and signals afterwards.
    void enqueue(std::string&& message, level lvl);

    std::vector<std::unique_ptr<log_base>> loggers;
    level current_level = level::info;
    std::function<double()> time_source;
    std::deque<log_record> queue;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop_requested = false;
    bool delivery_held;
    std::thread worker;
};

} // namespace logger
