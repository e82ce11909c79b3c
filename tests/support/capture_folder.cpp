#include "support/capture_folder.hpp"

#include <gtest/gtest.h>

namespace test_support {

capture_folder::capture_folder(const std::string& title) {
    folder.write("config.ini", small_config(title));
}

std::unique_ptr<child_process> capture_folder::run(const std::vector<std::string>& args,
                                                   const std::map<std::string, std::string>& env,
                                                   std::chrono::seconds most) const {
    auto process =
        std::make_unique<child_process>(std::string(ENGINE_BINARY_DIR) + "/demo_capture", args, folder.path(), env);
    EXPECT_TRUE(process->wait(most)) << "demo_capture did not finish";
    return process;
}

} // namespace test_support
