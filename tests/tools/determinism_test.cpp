#include "generated_assets.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::set<std::string> names_in(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

TEST(AssetGenerator, TwoRunsWriteTheSameFilesByteForByte) {
    const auto& first = tools_test::generated_assets();
    const test_support::temp_dir second;
    ASSERT_EQ(tools_test::run_generator(second.path()), 0);
    const std::set<std::string> expected{"toristin.obj", "toristin.mtl", "toristin_diffuse.png",
                                         "toristin_specular.png", "toristin_normal.png", "teksti.obj", "teksti.mtl",
                                         "star.png", "koala.jpg", "kukka1.png", "kukka2.png", "kukka3.png", "valo.png",
                                         "valo2.png", "valo3.png", "taplat.png", "taplat2.png", "dat_bass.wav"};
    EXPECT_EQ(names_in(first), expected);
    EXPECT_EQ(names_in(second.path()), expected);
    for (const std::string& name : expected) {
        EXPECT_TRUE(test_support::read_file(first / name) == test_support::read_file(second.path() / name)) << name;
    }
}

TEST(AssetGenerator, RefusesAMissingOutputArgument) {
    const std::string command = std::string("\"") + ASSET_GEN_PATH + "\" 2> /dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
}

} // namespace
