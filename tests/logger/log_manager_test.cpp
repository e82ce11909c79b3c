#include "logger/log_error.hpp"
#include "logger/log_manager.hpp"
#include "support/capture_logger.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using logger::level;
using test_support::capture_log;
using test_support::capture_logger;

const std::string inserted_debug = "log_manager::add_logger(): Logger inserted. Filter level: Debug";

std::unique_ptr<capture_logger> capture(const std::shared_ptr<capture_log>& log, level filter, int id = 0) {
    return std::make_unique<capture_logger>(log, filter, id);
}

// Time source counting its calls: every record gets a distinct, increasing time in submission order.
std::function<double()> counting_clock() {
    auto ticks = std::make_shared<std::atomic<long>>(0);
    return [ticks] { return static_cast<double>(++*ticks); };
}

TEST(LogManager, ConcurrentProducersLoseNothingAndKeepTheirOrder) {
    constexpr int producers = 4;
    constexpr int per_producer = 5000;
    auto log = std::make_shared<capture_log>();
    {
        logger::log_manager manager(counting_clock());
        manager.add_logger(capture(log, level::debug));
        std::vector<std::thread> threads;
        for (int p = 0; p < producers; ++p) {
            threads.emplace_back([&manager, p] {
                for (int i = 0; i < per_producer; ++i) {
                    const std::string message = std::to_string(p) + ":" + std::to_string(i);
                    switch (i % 3) {
                    case 0:
                        manager.info(message);
                        break;
                    case 1:
                        manager.log(message, level::warning);
                        break;
                    default:
                        manager << message;
                        break;
                    }
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
    }
    const auto records = log->records();
    ASSERT_EQ(records.size(), 1u + producers * per_producer);
    EXPECT_EQ(records.front().record.message, inserted_debug);
    std::vector<int> next(producers, 0);
    double last_time = 0;
    for (std::size_t k = 1; k < records.size(); ++k) {
        const auto& record = records[k].record;
        EXPECT_GT(record.time, last_time) << "records written out of submission order";
        last_time = record.time;
        const auto colon = record.message.find(':');
        const int p = std::stoi(record.message.substr(0, colon));
        const int i = std::stoi(record.message.substr(colon + 1));
        ASSERT_EQ(i, next[p]) << "producer " << p;
        ++next[p];
        EXPECT_EQ(record.level, i % 3 == 1 ? level::warning : level::info);
    }
}

// Loggers attached while the log thread delivers: each sees, from its first record on, every later record
// in order (the thread-sanitized build also checks the attaching against the delivery).
TEST(LogManager, LoggersAttachedDuringDeliverySeeAnUnbrokenTail) {
    constexpr int attached = 32;
    constexpr int records = 8000;
    auto log = std::make_shared<capture_log>();
    {
        logger::log_manager manager([] { return 0.0; });
        std::atomic<int> submitted{0};
        std::thread producer([&] {
            for (int i = 0; i < records; ++i) {
                manager.info(std::to_string(i));
                submitted = i + 1;
            }
        });
        // One logger every 200 records, while the log thread delivers the earlier ones.
        for (int id = 0; id < attached; ++id) {
            while (submitted.load() < id * 200)
                std::this_thread::yield();
            manager.add_logger(capture(log, level::info, id));
        }
        producer.join();
        manager.info(std::to_string(records)); // the last, which every logger sees
    }
    std::vector<std::vector<int>> seen(attached);
    for (const auto& entry : log->records())
        seen[static_cast<std::size_t>(entry.logger_id)].push_back(std::stoi(entry.record.message));
    for (int id = 0; id < attached; ++id) {
        const auto& numbers = seen[static_cast<std::size_t>(id)];
        ASSERT_FALSE(numbers.empty()) << "logger " << id;
        for (std::size_t k = 1; k < numbers.size(); ++k)
            ASSERT_EQ(numbers[k], numbers[k - 1] + 1) << "logger " << id;
        EXPECT_EQ(numbers.back(), records) << "logger " << id;
    }
}

TEST(LogManager, DestructionWritesTheQueueThenDestroysLoggersInReverseOrder) {
    auto log = std::make_shared<capture_log>();
    {
        logger::log_manager manager(counting_clock());
        for (int id = 1; id <= 3; ++id)
            manager.add_logger(capture(log, level::debug, id));
        for (int i = 0; i < 2000; ++i)
            manager.debug("queued " + std::to_string(i));
    }
    EXPECT_EQ(log->destroyed(), (std::vector<int>{3, 2, 1}));
    // 3 insertion records and 2000 messages, each offered to all three loggers before the first is destroyed.
    EXPECT_EQ(log->captured_when_destroyed(3), 3 * 2003);
    const auto records = log->records();
    ASSERT_EQ(records.size(), 3u * 2003);
    // Every record goes to each logger in attach order before the next record.
    for (std::size_t k = 0; k < records.size(); ++k)
        EXPECT_EQ(records[k].logger_id, static_cast<int>(k % 3) + 1);
    EXPECT_EQ(records.back().record.message, "queued 1999");
}

TEST(LogManager, InsertionRecordWaitsForTheNextWakeUp) {
    auto first = std::make_shared<capture_log>();
    auto second = std::make_shared<capture_log>();
    {
        logger::log_manager manager(counting_clock());
        manager.add_logger(capture(first, level::debug));
        manager.info("ready");
        ASSERT_TRUE(first->wait_for_message("ready"));
        // Give the log thread ample time to go back to waiting; add_logger must not wake it.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        manager.add_logger(capture(second, level::info));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(first->messages().size(), 2u) << "the insertion record was written without a wake-up";

        manager.debug("later");
        ASSERT_TRUE(first->wait_for_message("later"));
        const auto messages = first->messages();
        ASSERT_EQ(messages.size(), 4u);
        EXPECT_EQ(messages[2], "log_manager::add_logger(): Logger inserted. Filter level: Info");
        EXPECT_EQ(messages[3], "later");
        // The second logger filters at info: it sees neither its own insertion record nor "later".
        EXPECT_TRUE(second->messages().empty());

        manager.add_logger(capture(second, level::debug));
    }
    // Destruction is the wake-up of the last insertion record.
    EXPECT_EQ(first->messages().back(), inserted_debug);
    EXPECT_EQ(second->messages(), std::vector<std::string>{inserted_debug});
}

TEST(LogManager, HeldDeliveryKeepsEarlyRecordsForTheLoggersAttachedLater) {
    using logger::log_manager;
    auto log = std::make_shared<capture_log>();
    {
        log_manager manager(counting_clock(), log_manager::delivery::held);
        manager.info("start");
        // Time enough for the log thread to take the record, were it free to deliver.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        manager.add_logger(capture(log, level::info, 1));
        manager.add_logger(capture(log, level::debug, 2));
        manager.start_delivery();
        manager.info("after");
        ASSERT_TRUE(log->wait_for_message("after"));
    }
    std::vector<std::pair<int, std::string>> seen;
    for (const auto& r : log->records())
        seen.emplace_back(r.logger_id, r.record.message);
    const std::vector<std::pair<int, std::string>> expected{
        {1, "start"},
        {2, "start"},
        {2, "log_manager::add_logger(): Logger inserted. Filter level: Info"},
        {2, inserted_debug},
        {1, "after"},
        {2, "after"}};
    EXPECT_EQ(seen, expected);

    // A manager destroyed while still held delivers what it holds.
    auto unreleased = std::make_shared<capture_log>();
    {
        log_manager manager(counting_clock(), log_manager::delivery::held);
        manager.add_logger(capture(unreleased, level::info));
        manager.warning("never released");
    }
    EXPECT_EQ(unreleased->messages(), std::vector<std::string>{"never released"});
}

// A logger whose first write waits until the test releases it, as a file on a stalled disk would.
class stalling_logger : public logger::log_base {
public:
    stalling_logger(std::shared_future<void> release, std::vector<std::string>& written)
        : log_base(level::debug)
        , release(std::move(release))
        , written(written) {}
    void write(const logger::log_record& record) override {
        if (written.empty()) {
            entered.set_value();
            release.wait();
        }
        written.push_back(record.message);
    }
    std::promise<void> entered;

private:
    std::shared_future<void> release;
    std::vector<std::string>& written;
};

TEST(LogManager, ProducersDoNotWaitForALoggerThatIsWriting) {
    std::promise<void> release;
    std::vector<std::string> written;
    {
        logger::log_manager manager(counting_clock());
        auto stalling = std::make_unique<stalling_logger>(release.get_future().share(), written);
        auto entered = stalling->entered.get_future();
        manager.add_logger(std::move(stalling));
        manager.info("wake up");
        entered.wait(); // the log thread is inside write() with the insertion record
        auto producer = std::async(std::launch::async, [&manager] {
            for (int i = 0; i < 100; ++i)
                manager.info("while stalled " + std::to_string(i));
        });
        const bool returned = producer.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        release.set_value();
        EXPECT_TRUE(returned) << "a submission waited for the logger's write";
    }
    ASSERT_EQ(written.size(), 102u);
    EXPECT_EQ(written[0], inserted_debug);
    EXPECT_EQ(written[1], "wake up");
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(written[static_cast<std::size_t>(i) + 2], "while stalled " + std::to_string(i));
}

TEST(LogManager, CurrentLevelIsSetByTheStreamOperatorAndPersists) {
    auto log = std::make_shared<capture_log>();
    {
        logger::log_manager manager([] { return 0.0; });
        manager.add_logger(capture(log, level::debug));
        manager.log("default");
        manager << level::error;
        manager.log("one");
        manager.log("explicit", level::debug);
        manager << std::string("two") << level::critical << std::string("three");
        manager.log("four");
    }
    std::vector<std::pair<std::string, level>> seen;
    for (const auto& entry : log->records())
        seen.emplace_back(entry.record.message, entry.record.level);
    const std::vector<std::pair<std::string, level>> expected{
        {inserted_debug, level::debug}, {"default", level::info}, {"one", level::error},
        {"explicit", level::debug},     {"two", level::error},    {"three", level::critical},
        {"four", level::critical}};
    EXPECT_EQ(seen, expected);
}

// A callable whose copies fail, so that the manager's copy of its time source fails.
struct uncopyable_clock {
    uncopyable_clock() = default;
    uncopyable_clock(uncopyable_clock&&) = default;
    uncopyable_clock(const uncopyable_clock&) { throw std::runtime_error("clock copy refused"); }
    double operator()() const { return 0.0; }
};

TEST(LogManager, SetUpFailuresBecomeLogErrors) {
    const std::function<double()> source(uncopyable_clock{});
    try {
        logger::log_manager manager(source);
        FAIL() << "construction succeeded";
    } catch (const logger::log_error& e) {
        EXPECT_STREQ(e.what(), "log_manager::log_manager(): clock copy refused");
    }
}

TEST(LogManager, EmptyTimeSourceFailsEverySubmissionAndQueuesNothing) {
    auto log = std::make_shared<capture_log>();
    {
        logger::log_manager manager{std::function<double()>()};
        // The logger is attached before its insertion record fails to get a time.
        EXPECT_THROW(manager.add_logger(capture(log, level::debug)), std::bad_function_call);
        EXPECT_THROW(manager.info("lost"), std::bad_function_call);
        EXPECT_THROW(manager << std::string("lost"), std::bad_function_call);
        // The lock was released: the operator that only sets the level still works.
        manager << level::error;
    }
    EXPECT_TRUE(log->records().empty());
    EXPECT_EQ(log->destroyed(), std::vector<int>{0});
}

} // namespace
