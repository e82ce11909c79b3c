#pragma once
// Gives a test binary an X display: when DISPLAY is unset, one Xvfb is started for the whole binary
// and stopped after the last test. Register it first thing in a test file:
//   static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

#include <gtest/gtest.h>

#include <sys/types.h>

namespace test_support {

class xvfb_environment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    pid_t server = -1;
};

// Starts an Xvfb server (screen 1280x1024x24) and returns its display number; -1 on failure.
int start_xvfb(pid_t& server_pid);
void stop_xvfb(pid_t server_pid);

} // namespace test_support
