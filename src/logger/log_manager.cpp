#include "logger/log_manager.hpp"

#include "logger/log_error.hpp"

#include <algorithm>
#include <exception>
#include <iterator>

namespace logger {
namespace {

// What the log thread keeps for reuse between batches.
constexpr std::size_t kept_records = 1024;
constexpr std::size_t kept_message_bytes = 1024;

} // namespace

log_manager::log_manager(const std::function<double()>& source, delivery mode) try
    : time_source(source)
    , delivery_held(mode == delivery::held) {
#if !defined(__EMSCRIPTEN__)
    worker = std::thread(&log_manager::process_queue, this);
#endif
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
#if defined(__EMSCRIPTEN__)
        deliver_queued();
#endif
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
    std::lock_guard loggers_lock(loggers_mutex);
    std::lock_guard lock(mutex);
    loggers.push_back(std::move(logger));
    log_base* attached = loggers.back().get();
    // Not a wake-up: the record waits for the next submission or the destructor.
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
#if defined(__EMSCRIPTEN__)
    deliver_queued();
#endif
}

void log_manager::log(const std::string& message, level lvl) {
    submit(message, &lvl);
}

void log_manager::log(const std::string& message) {
    submit(message, nullptr);
}

void log_manager::submit(const std::string& message, const level* lvl) {
    bool wake_up = false;
    {
        std::lock_guard lock(mutex);
        enqueue(message, lvl != nullptr ? *lvl : current_level);
        wake_up = !thread_signalled;
        thread_signalled = true;
    }
    if (wake_up) wake.notify_one();
#if defined(__EMSCRIPTEN__)
    if (!delivery_held) deliver_queued();
#endif
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

void log_manager::enqueue(const std::string& message, level lvl) {
    const double time = time_source();
    if (queued < queue.size()) {
        log_record& record = queue[queued];
        record.time = time;
        record.level = lvl;
        record.message.assign(message);
    } else {
        queue.push_back(log_record{time, lvl, message});
    }
    ++queued;
}

void log_manager::process_queue() {
    for (;;) {
        {
            std::unique_lock lock(mutex);
            while (queued == 0 || (delivery_held && !stop_requested)) {
                if (queued == 0 && stop_requested) return;
                wake.wait(lock);
            }
        }
        deliver_queued();
    }
}

void log_manager::deliver_queued() {
    // Lock order: the loggers first, then the queue (as add_logger takes them).
    std::lock_guard loggers_lock(loggers_mutex);
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex);
        batch.swap(queue);
        count = queued;
        queued = 0;
        thread_signalled = false;
    }
    for (std::size_t i = 0; i < count; ++i)
        for (auto& logger : loggers)
            logger->log(batch[i]);
    // The records go back to the producers with their strings, whose storage the next messages
    // reuse; what a burst or a long message left behind is released. Shrinking the size alone would
    // keep the burst's storage: the kept records move to storage of their own size.
    if (batch.capacity() > kept_records) {
        std::vector<log_record> kept;
        kept.reserve(kept_records);
        const std::size_t keep = std::min(batch.size(), kept_records);
        kept.insert(kept.end(), std::make_move_iterator(batch.begin()),
                    std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(keep)));
        batch.swap(kept);
    }
    for (log_record& record : batch)
        if (record.message.capacity() > kept_message_bytes) std::string().swap(record.message);
}

} // namespace logger
