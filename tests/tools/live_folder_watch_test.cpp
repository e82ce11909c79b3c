// The live player's watch of saved files on a real folder: one poll reports every file saved since the
// last, once each, in the order first saved. (A folder made again: tools/demo_live_test.cpp.)

#include "demo_live/folder_watch.hpp"
#include "logger/log_manager.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

using files = std::vector<std::string>;

TEST(LiveFolderWatch, APollReportsEverySavedFileOnceInTheOrderFirstSaved) {
    files many; // their events fill more than one read
    for (int i = 0; i < 150; ++i)
        many.push_back("a_shader_of_many_" + std::to_string(1000 + i) + ".frag");
    // Saved in this order ("name>": a new file renamed over it), then reported.
    const std::vector<std::pair<files, files>> cases{
        {{"cube.frag", "cube.vert", "cube.frag", "piece.toml>"}, {"cube.frag", "cube.vert", "piece.toml"}},
        {many, many}};
    logger::log_manager log([] { return 0.0; });
    for (const auto& [saves, reported] : cases) {
        const test_support::temp_dir dir;
        live::folder_watch watch(dir.path().string(), "shader files", log);
        for (std::string name : saves) {
            const bool renamed = name.back() == '>';
            if (renamed) name.pop_back();
            dir.write(renamed ? name + ".new" : name, "saved\n");
            if (renamed) std::filesystem::rename(dir.path() / (name + ".new"), dir.path() / name);
        }
        files expected;
        for (const std::string& name : reported)
            expected.push_back(dir.path().string() + "/" + name);
        EXPECT_EQ(watch.saved_files(), expected) << saves.size() << " saves";
        EXPECT_EQ(watch.saved_files(), files{}) << "each save is reported once";
    }
}

} // namespace
