#pragma once
// A core module brought up in a fresh working directory (it writes test.log there), with every record
// logged after its construction captured. Needs a display (see xvfb.hpp); uses SDL's dummy audio driver
// unless SDL_AUDIODRIVER says otherwise.

#include "core/core_module.hpp"
#include "support/capture_logger.hpp"
#include "support/temp_dir.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

class core_under_test {
public:
    core_under_test();
    ~core_under_test();
    core_under_test(const core_under_test&) = delete;
    core_under_test& operator=(const core_under_test&) = delete;

    core_module& operator*() { return *core; }
    core_module* operator->() { return &*core; }

    // Every record captured so far, after the log thread has written all that was submitted before.
    std::vector<logger::log_record> records();
    // How many captured records carry exactly this message.
    std::size_t count(const std::string& message);
    // Destroys the core module; test.log is complete afterwards.
    void shut_down();
    std::string test_log() const;

private:
    temp_dir dir;
    scoped_cwd cwd;
    std::shared_ptr<capture_log> log;
    // Held in place: the first core module of a process lends its display manager's address to the
    // window registry as a reserved key, which a later heap-allocated GLFW window must never reuse.
    std::optional<core_module> core;
    int syncs = 0;
};

// The message of the `Error` that `action` throws; "<nothing thrown>" when it throws nothing.
template <typename Error, typename Action> std::string thrown_message(Action&& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "<nothing thrown>";
}

} // namespace test_support
