#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace platform {

// Lets each distinct text through a fixed number of times, so a fault that repeats every frame (a draw
// with a program that did not link) cannot grow the log without bound. Only the first `tracked_texts`
// distinct texts are counted; later new texts always pass, which keeps the memory bounded.
class repeat_limit {
public:
    enum class verdict { pass, pass_last, drop };

    explicit repeat_limit(std::size_t allowed, std::size_t tracked_texts = 1024)
        : allowed(allowed), tracked_texts(tracked_texts) {}

    // pass_last for the last allowed occurrence of `text`, drop for every later one.
    verdict count(const std::string& text);
    std::size_t limit() const { return allowed; }

private:
    std::size_t allowed;
    std::size_t tracked_texts;
    std::unordered_map<std::string, std::size_t> seen;
};

} // namespace platform
