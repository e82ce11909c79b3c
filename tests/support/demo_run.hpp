#pragma once
// Helpers for running the real program (build/demo of this build tree) in a scratch run folder.

#include <string>

namespace test_support {

// The program of this build tree.
std::string demo_program();

// small_config(title) without the line of `key` (a key name such as "title" or "fov_y_degrees").
std::string config_without(const std::string& key, const std::string& title = "bad");
// small_config(title) with the value of `key` replaced.
std::string config_with(const std::string& key, const std::string& value, const std::string& title = "bad");
// small_config(title) with `line` added at the end of [display].
std::string config_adding(const std::string& line, const std::string& title = "bad");

} // namespace test_support
