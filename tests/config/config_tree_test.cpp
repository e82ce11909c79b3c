// Typed lookups of the INI tree without a core module: the conversions the configuration hands out.

#include "config/config_tree.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <optional>

namespace {

namespace pt = boost::property_tree;

pt::ptree read_text(const std::string& text) {
    test_support::temp_dir dir;
    pt::ptree tree;
    config_tree::read(dir.write("config.ini", text).string(), tree);
    return tree;
}

template <typename T> std::optional<T> value_of(const std::string& text) {
    const pt::ptree tree = read_text("[s]\nk = " + text + "\n");
    try {
        return config_tree::get<T>(tree, "s.k");
    } catch (const config_manager::config_error&) {
        return std::nullopt;
    }
}

TEST(ConfigTree, BooleansAreZeroOneTrueOrFalseAndNothingElse) {
    EXPECT_EQ(value_of<bool>("1"), true);
    EXPECT_EQ(value_of<bool>("0"), false);
    EXPECT_EQ(value_of<bool>("01"), true);
    EXPECT_EQ(value_of<bool>("true"), true);
    EXPECT_EQ(value_of<bool>("false"), false);
    // A failed number must not leave its digits behind for the word reading: found by the fuzzer.
    EXPECT_EQ(value_of<bool>("9true"), std::nullopt);
    EXPECT_EQ(value_of<bool>("-1false"), std::nullopt);
    EXPECT_EQ(value_of<bool>("2"), std::nullopt);
    EXPECT_EQ(value_of<bool>("TRUE"), std::nullopt);
    EXPECT_EQ(value_of<bool>("truex"), std::nullopt);
}

TEST(ConfigTree, BooleanErrorNamesTheType) {
    const pt::ptree tree = read_text("[display]\nfullscreen = 9true\n");
    try {
        config_tree::get<bool>(tree, "display.fullscreen");
        FAIL() << "9true was accepted";
    } catch (const config_manager::config_error& e) {
        EXPECT_STREQ(e.what(), "config_manager::get(): conversion of data to type \"b\" failed");
    }
}

TEST(ConfigTree, NumbersOutOfRangeFail) {
    EXPECT_EQ(value_of<int>("2147483647"), 2147483647);
    EXPECT_EQ(value_of<int>("2147483648"), std::nullopt);
    EXPECT_EQ(value_of<int>("-99999999999"), std::nullopt);
    EXPECT_EQ(value_of<float>("1e39"), std::nullopt);
    EXPECT_EQ(value_of<float>("-1e39"), std::nullopt);
    EXPECT_EQ(value_of<float>("nan"), std::nullopt);
    EXPECT_EQ(value_of<float>("-2.5e3"), -2500.0f);
}

TEST(ConfigTree, FindGivesAnOptionalKeysTextWithoutThrowing) {
    const pt::ptree tree = read_text("[display]\nrender_scale = auto\n");
    EXPECT_EQ(config_tree::find(tree, "display.render_scale"), "auto");
    EXPECT_EQ(config_tree::find(tree, "display.title"), std::nullopt);
    EXPECT_EQ(config_tree::find(tree, "camera.render_scale"), std::nullopt);
}

} // namespace
