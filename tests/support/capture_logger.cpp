#include "support/capture_logger.hpp"

#include <algorithm>

namespace test_support {

std::vector<captured_record> capture_log::records() const {
    std::lock_guard lock(mutex);
    return captured;
}

std::vector<std::string> capture_log::messages() const {
    std::lock_guard lock(mutex);
    std::vector<std::string> result;
    for (const auto& entry : captured) result.push_back(entry.record.message);
    return result;
}

std::vector<int> capture_log::destroyed() const {
    std::lock_guard lock(mutex);
    std::vector<int> ids;
    for (const auto& [id, count] : destructions) ids.push_back(id);
    return ids;
}

long capture_log::captured_when_destroyed(int id) const {
    std::lock_guard lock(mutex);
    for (const auto& [destroyed_id, count] : destructions) {
        if (destroyed_id == id) return static_cast<long>(count);
    }
    return -1;
}

bool capture_log::wait_for_message(const std::string& message, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, limit, [&] {
        return std::any_of(captured.begin(), captured.end(),
                           [&](const captured_record& entry) { return entry.record.message == message; });
    });
}

capture_logger::capture_logger(std::shared_ptr<capture_log> log, logger::level filter, int id)
    : log_base(filter), target(std::move(log)), id(id) {}

capture_logger::~capture_logger() {
    std::lock_guard lock(target->mutex);
    target->destructions.emplace_back(id, target->captured.size());
}

void capture_logger::write(const logger::log_record& record) {
    {
        std::lock_guard lock(target->mutex);
        target->captured.push_back({id, record});
    }
    target->changed.notify_all();
}

} // namespace test_support
