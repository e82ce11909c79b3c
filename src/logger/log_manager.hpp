#pragma once

#include "logger/log_base.hpp"
#include "logger/log_record.hpp"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace logger {

// The single sink of the program's diagnostics. Producers on any thread queue records under one mutex;
// a background thread takes the queued records in one swap and hands them, in order, to every attached
// logger after releasing that mutex, so producers never wait for a logger's file I/O.
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
    // The log thread: waits for records and delivers them (on the web, with no threads, submissions deliver
    // their own records).
    void process_queue();
    // Hands every queued record, in order, to every logger.
    void deliver_queued();
    // Queues the record (at `lvl`, or at the current level when null, read under the lock) and wakes the
    // log thread unless a wake-up is already pending.
    void submit(const std::string& message, const level* lvl);
    // Queues a record stamped with the time source; the caller holds the lock.
    void enqueue(const std::string& message, level lvl);

    // Guards `loggers`; the log thread holds it for a whole batch, so a logger attached meanwhile sees a
    // batch entirely or not at all. Always taken before `mutex`.
    std::mutex loggers_mutex;
    std::vector<std::unique_ptr<log_base>> loggers;
    level current_level = level::info;
    std::function<double()> time_source;
    // Swapped with the log thread's batch, so both keep their records: a submission copies its message
    // into the storage of a record already delivered and rarely allocates. The first `queued` are live.
    std::vector<log_record> queue;
    std::size_t queued = 0;
    // A submission has signalled the log thread since it last took the queue: the thread is awake or
    // about to wake and takes every queued record, so later submissions need not signal (a futex call
    // each) until it has taken them.
    bool thread_signalled = false;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop_requested = false;
    bool delivery_held;
    // The records of the last delivery, kept for reuse by the next.
    std::vector<log_record> batch;
    std::thread worker;
};

} // namespace logger
