#include "support/core_under_test.hpp"

#include <cstdlib>
#include <stdexcept>

namespace test_support {
namespace {

const std::string sync_prefix = "core_under_test sync #";

} // namespace

core_under_test::core_under_test()
    : cwd(dir.path())
    , log(std::make_shared<capture_log>()) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    core.emplace();
    core->log_manager.add_logger(std::make_unique<capture_logger>(log, logger::level::debug));
}

core_under_test::~core_under_test() {
    shut_down();
}

std::vector<logger::log_record> core_under_test::records() {
    if (core) {
        const std::string marker = sync_prefix + std::to_string(++syncs);
        core->log_manager.critical(marker);
        if (!log->wait_for_message(marker)) throw std::runtime_error("core_under_test: log thread stalled");
    }
    std::vector<logger::log_record> result;
    for (const auto& entry : log->records()) {
        if (entry.record.message.rfind(sync_prefix, 0) != 0) result.push_back(entry.record);
    }
    return result;
}

std::size_t core_under_test::count(const std::string& message) {
    std::size_t n = 0;
    for (const auto& record : records())
        n += record.message == message ? 1 : 0;
    return n;
}

void core_under_test::shut_down() {
    core.reset();
}

std::string core_under_test::test_log() const {
    return read_file(dir.path() / "test.log");
}

} // namespace test_support
