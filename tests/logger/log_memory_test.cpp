// What the log manager keeps allocated once a burst of records has been delivered, measured with the
// program's own allocations: this binary counts every byte operator new hands out and gets back.

#include "logger/log_manager.hpp"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <future>
#include <mutex>
#include <new>
#include <string>

namespace {

std::atomic<long long> live_bytes{0};

void* counted(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    live_bytes.fetch_add(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    return p;
}

void uncounted(void* p) noexcept {
    if (p == nullptr) return;
    live_bytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }

namespace {

// Counts what it is offered; the record "stall" holds it until the test lets it go, so that a burst piles
// up in the queue as behind a slow disk.
class stalling_counter : public logger::log_base {
public:
    stalling_counter(std::shared_future<void> go, std::promise<void>& stalled)
        : log_base(logger::level::debug), release(std::move(go)), entered(stalled) {}
    void write(const logger::log_record& record) override {
        if (record.message == "stall") {
            entered.set_value();
            release.wait();
        }
        std::lock_guard lock(mutex);
        ++seen;
        changed.notify_all();
    }
    void wait_for(long count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return seen >= count; });
    }

private:
    std::shared_future<void> release;
    std::promise<void>& entered;
    std::mutex mutex;
    std::condition_variable changed;
    long seen = 0;
};

TEST(LogMemory, ABurstIsReleasedOnceDelivered) {
    constexpr long burst = 500000;
    std::promise<void> release;
    std::promise<void> stalled;
    logger::log_manager manager([] { return 0.0; });
    auto* counter = static_cast<stalling_counter*>(
        manager.add_logger(std::make_unique<stalling_counter>(release.get_future().share(), stalled)));
    manager.info("a record before the burst");
    counter->wait_for(2); // and the insertion record
    const long long idle = live_bytes.load();

    manager.info("stall");
    stalled.get_future().wait();
    for (long i = 0; i < burst; ++i)
        manager.info("a record of the burst, number " + std::to_string(i));
    release.set_value();
    counter->wait_for(3 + burst);
    // A further record, delivered in a batch of its own, proves the burst's batch was put back.
    manager.info("idle again");
    counter->wait_for(4 + burst);
    const long long after = live_bytes.load();

    // Each of the two swapping queues may keep 1024 records of this size for reuse.
    constexpr long long reuse_bound = 2 * 1024 * (sizeof(logger::log_record) + 64);
    EXPECT_LE(after - idle, reuse_bound) << "idle " << idle / 1024 << " KiB, after the burst " << after / 1024
                                         << " KiB";
    std::printf("live bytes: idle %lld KiB, after %ld records %lld KiB\n", idle / 1024, burst, after / 1024);
}

} // namespace
