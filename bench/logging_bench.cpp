// Cost of one record's submission on the calling thread: the engine's log_manager with a file_logger
// against spdlog's asynchronous logger with a file sink (default queue of 8192, blocking when full).
// Both write to a fresh file under the temporary folder; both drain on their own threads.

#include "logger/file_logger.hpp"
#include "logger/log_manager.hpp"
#include "logger/ostream_logger.hpp"

#include <benchmark/benchmark.h>
#include <spdlog/async.h>
#include <spdlog/async_logger.h>
#include <spdlog/sinks/basic_file_sink.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace {

// About sixty characters, as a typical progress record of the engine.
const std::string message = "Linking shaders to a program object... Success. frame 000042";

std::string log_path(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("bench_logging_") + name + ".log"))
        .string();
}

// The application's time source: seconds since start-up from the system wall clock.
double seconds_since_start() {
    static const auto start = std::chrono::system_clock::now();
    return std::chrono::duration<double>(std::chrono::system_clock::now() - start).count();
}

std::unique_ptr<logger::log_manager> make_engine_logger() {
    auto manager = std::make_unique<logger::log_manager>(&seconds_since_start);
    manager->add_logger(std::make_unique<logger::file_logger>(log_path("engine"), logger::level::debug));
    return manager;
}

// A stream that takes everything and never reaches the kernel: with it the engine's figure shows what a
// submission costs apart from the write(2) that the per-record flush of a file makes.
class discarding_buffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};
discarding_buffer discard_buffer;
std::ostream discard_stream(&discard_buffer);

// The logger only holds its thread pool weakly; the pool's destructor drains the queue and joins.
struct spdlog_async {
    explicit spdlog_async(bool flush_every_record)
        : pool(std::make_shared<spdlog::details::thread_pool>(8192, 1))
        , logger(std::make_shared<spdlog::async_logger>(
              "bench", std::make_shared<spdlog::sinks::basic_file_sink_mt>(log_path("spdlog"), true), pool,
              spdlog::async_overflow_policy::block)) {
        logger->set_level(spdlog::level::debug);
        if (flush_every_record) logger->flush_on(spdlog::level::debug);
    }
    ~spdlog_async() {
        logger.reset();
        pool.reset();
    }

    std::shared_ptr<spdlog::details::thread_pool> pool;
    std::shared_ptr<spdlog::async_logger> logger;
};

// Shared by the threads of one multi-threaded run; made and destroyed (drained) outside the timing.
std::unique_ptr<logger::log_manager> engine;
std::unique_ptr<spdlog_async> spd;

void start_engine(const benchmark::State&) {
    engine = make_engine_logger();
}
void start_engine_in_memory(const benchmark::State&) {
    engine = std::make_unique<logger::log_manager>(&seconds_since_start);
    engine->add_logger(std::make_unique<logger::ostream_logger>(discard_stream, logger::level::debug));
}
void stop_engine(const benchmark::State&) {
    engine.reset();
}
void start_spdlog(const benchmark::State&) {
    spd = std::make_unique<spdlog_async>(false);
}
void start_spdlog_flushing(const benchmark::State&) {
    spd = std::make_unique<spdlog_async>(true);
}
void stop_spdlog(const benchmark::State&) {
    spd.reset();
}

void engine_info(benchmark::State& state) {
    for (auto _ : state)
        engine->info(message);
    state.SetItemsProcessed(state.iterations());
}

void spdlog_info(benchmark::State& state) {
    for (auto _ : state)
        spd->logger->info(message);
    state.SetItemsProcessed(state.iterations());
}

// 10,000 submissions in a row into an idle logger, timed until the last one returns.
constexpr int burst = 10000;

void engine_burst(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto manager = make_engine_logger();
        state.ResumeTiming();
        for (int i = 0; i < burst; ++i)
            manager->info(message);
        state.PauseTiming();
        manager.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * burst);
}

void spdlog_burst(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto logger = std::make_unique<spdlog_async>(false);
        state.ResumeTiming();
        for (int i = 0; i < burst; ++i)
            logger->logger->info(message);
        state.PauseTiming();
        logger.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * burst);
}

} // namespace

BENCHMARK(engine_info)
    ->Name("log/engine/info")
    ->Setup(start_engine)
    ->Teardown(stop_engine)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();
BENCHMARK(engine_info)
    ->Name("log/engine_memory_sink/info")
    ->Setup(start_engine_in_memory)
    ->Teardown(stop_engine)
    ->Threads(1)
    ->UseRealTime();
BENCHMARK(spdlog_info)
    ->Name("log/spdlog/info")
    ->Setup(start_spdlog)
    ->Teardown(stop_spdlog)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();
BENCHMARK(spdlog_info)
    ->Name("log/spdlog_flush_each/info")
    ->Setup(start_spdlog_flushing)
    ->Teardown(stop_spdlog)
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();
BENCHMARK(engine_burst)->Name("log/engine/burst10000")->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(spdlog_burst)->Name("log/spdlog/burst10000")->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
