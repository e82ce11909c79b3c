#include "logger/log_manager.hpp"

#include "logger/log_error.hpp"

#include <exception>

namespace logger {

log_manager::log_manager(const std::function<double()>& source, delivery mode) try
    : time_source(source)
    , delivery_held(mode == delivery::held)
    , worker(&log_manager::process_queue, this) {
} catch (const std::exception& e) {
    throw log_error(std::string("log_manager::log_manager(): ") + e.what());
}

log_manager::~log_manager() {
    try {
        {
            std::lock_guard lock(mutex);
            stop_requested = true;
        }
        wake.notify_one();
        if (worker.joinable()) worker.join();
        while (!loggers.empty())
            loggers.pop_back();
    } catch (const std::exception& e) {
        const log_record record{time_source(), level::critical,
                                std::string("log_manager::~log_manager(): ") + e.what()};
        for (auto& logger : loggers)
            logger->log(record);
        std::rethrow_exception(std::current_exception()); // ends the process: the destructor is noexcept
    }
}

log_base* log_manager::add_logger(std::unique_ptr<log_base>&& logger) {
    std::lock_guard lock(mutex);
    loggers.push_back(std::move(logger));
    log_base* attached = loggers.back().get();
    enqueue(std::string("log_manager::add_logger(): Logger inserted. Filter level: ") +
                level_to_string(attached->filter_level),
            level::debug);
    return attached;
}

void log_manager::start_delivery() {
    {
        std::lock_guard lock(mutex);
        delivery_held = false;
    }
    wake.notify_one();
}

void log_manager::log(const std::string& message, level lvl) {
    {
        std::lock_guard lock(mutex);
        enqueue(std::string(message), lvl);
    }
    wake.notify_one();
}

void log_manager::log(const std::string& message) {
    {
        std::lock_guard lock(mutex);
        enqueue(std::string(message), current_level);
    }
    wake.notify_one();
}

log_manager& log_manager::operator<<(level lvl) {
    std::lock_guard lock(mutex);
    current_level = lvl;
    return *this;
}

log_manager& log_manager::operator<<(const std::string& message) {
    log(message);
    return *this;
}

void log_manager::enqueue(std::string&& message, level lvl) {
    const double time = time_source();
    queue.push_back(log_record{time, lvl, std::move(message)});
}

void log_manager::process_queue() {
    std::unique_lock lock(mutex);
    for (;;) {
        while (queue.empty() || (delivery_held && !stop_requested)) {
            if (queue.empty() && stop_requested) return;
            wake.wait(lock);
        }
        while (!queue.empty()) {
            const log_record& record = queue.front();
            for (auto& logger : loggers)
                logger->log(record);
            queue.pop_front();
        }
        if (stop_requested) return;
        // Let waiting producers in between two drain passes.
        lock.unlock();
        lock.lock();
    }
}

} // namespace logger
