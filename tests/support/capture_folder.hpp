#pragma once
// A scratch run folder for build/demo_capture: config.ini for a small window, links to the repository's
// shaders/ and assets/, and the program run there as a user runs it.

#include "support/process.hpp"
#include "support/run_folder.hpp"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace test_support {

struct capture_folder {
    run_folder folder;

    explicit capture_folder(const std::string& title);
    // Runs demo_capture with `args` in the folder and waits for it (a failure to end is reported).
    std::unique_ptr<child_process> run(const std::vector<std::string>& args,
                                       const std::map<std::string, std::string>& env = {},
                                       std::chrono::seconds most = std::chrono::seconds(300)) const;
};

} // namespace test_support
