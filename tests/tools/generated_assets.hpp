#pragma once

#include "support/temp_dir.hpp"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace tools_test {

// Runs the asset generator with `dir` as its output folder; returns its exit status.
inline int run_generator(const std::filesystem::path& dir) {
    const std::string command = std::string("\"") + ASSET_GEN_PATH + "\" \"" + dir.string() + "\" > /dev/null";
    return std::system(command.c_str());
}

// One generator run per test binary, removed at exit.
inline const std::filesystem::path& generated_assets() {
    static const test_support::temp_dir dir;
    static const int status = run_generator(dir.path());
    if (status != 0) throw std::runtime_error("asset_gen failed with status " + std::to_string(status));
    return dir.path();
}

} // namespace tools_test
