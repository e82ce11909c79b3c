#include "config/config_manager.hpp"
#include "core/core_module.hpp"
#include "support/capture_logger.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using test_support::scoped_cwd;
using test_support::temp_dir;

// One core module for the suite, run in a scratch folder (it writes test.log to the working directory).
class ConfigManager : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        run_dir = std::make_unique<temp_dir>();
        scoped_cwd cwd(run_dir->path());
        core = std::make_unique<core_module>();
        log = std::make_shared<test_support::capture_log>();
        core->log_manager.add_logger(std::make_unique<test_support::capture_logger>(log, logger::level::debug));
    }
    static void TearDownTestSuite() {
        core.reset();
        run_dir.reset();
    }

    // The message of the config_error that `action` throws; nullopt when it throws nothing.
    template <typename Action>
    static std::optional<std::string> error_of(Action&& action) {
        try {
            action();
        } catch (const config_manager::config_error& e) {
            return std::string(e.what());
        }
        return std::nullopt;
    }

    config_manager& config() { return core->config; }

    static inline std::unique_ptr<temp_dir> run_dir;
    static inline std::unique_ptr<core_module> core;
    static inline std::shared_ptr<test_support::capture_log> log;
};

TEST_F(ConfigManager, LoadingReplacesTheTreeAndIsAnnounced) {
    temp_dir dir;
    const auto first = dir.write("first.ini", "top = 1\n[display]\nwidth = 640\n[extra]\nkey = x\n");
    const auto second = dir.write("second.ini", "; comment\n# comment\n\n[display]\n  width  =  800  \n");
    config().load(first.string());
    EXPECT_EQ(config().get<int>("top"), 1);
    EXPECT_EQ(config().get<std::string>("extra.key"), "x");
    config().load(second.string());
    EXPECT_EQ(config().get<int>("display.width"), 800);
    EXPECT_EQ(error_of([&] { config().get<std::string>("extra.key"); }),
              "config_manager::get(): No such node (extra.key)");
    EXPECT_EQ(error_of([&] { config().get<int>("top"); }), "config_manager::get(): No such node (top)");
    EXPECT_TRUE(log->wait_for_message("Loading configuration options from '" + first.string() + "'..."));
    EXPECT_TRUE(log->wait_for_message("Loading configuration options from '" + second.string() + "'..."));
}

TEST_F(ConfigManager, LoadErrorsNameTheFileAndLine) {
    temp_dir dir;
    scoped_cwd cwd(dir.path());
    EXPECT_EQ(error_of([&] { config().load("config.ini"); }), "config_manager::load(): config.ini: cannot open file");
    EXPECT_EQ(error_of([&] { config().load(""); }), "config_manager::load(): <unspecified file>: cannot open file");
    const std::pair<const char*, const char*> cases[] = {
        {"[a]\nx = 1\n[b\n", "config.ini(3): unmatched '['"},
        {"[a]\nx = 1\nno equals sign\n", "config.ini(3): '=' character not found in line"},
        {"[a]\nx = 1\n= 2\n", "config.ini(3): key expected"},
        {"[a]\nx = 1\n[a]\ny = 2\n", "config.ini(3): duplicate section name"},
        {"[a]\nx = 1\nx = 2\n", "config.ini(3): duplicate key name"},
        {"x = 1\nx = 2\n", "config.ini(2): duplicate key name"},
    };
    for (const auto& [content, message] : cases) {
        dir.write("config.ini", content);
        EXPECT_EQ(error_of([&] { config().load("config.ini"); }), std::string("config_manager::load(): ") + message)
            << content;
    }
    // Announced before the file is touched, so failures leave their announcement too.
    EXPECT_TRUE(log->wait_for_message("Loading configuration options from 'config.ini'..."));
}

TEST_F(ConfigManager, ValuesConvertOrFailWithBoostsMessage) {
    temp_dir dir;
    config().load(dir.write("values.ini", "[v]\nint = -42\nwhole = 45\nfraction = 4.5\nempty =\n"
                                          "word = abc\nspaced = two  words   \n[V]\nint = 7\n")
                      .string());
    EXPECT_EQ(config().get<int>("v.int"), -42);
    EXPECT_EQ(config().get<int>("V.int"), 7);
    EXPECT_EQ(config().get<float>("v.whole"), 45.0f);
    EXPECT_EQ(config().get<float>("v.fraction"), 4.5f);
    EXPECT_EQ(config().get<std::string>("v.empty"), "");
    EXPECT_EQ(config().get<std::string>("v.spaced"), "two  words");

    const std::string int_failure = "config_manager::get(): conversion of data to type \"i\" failed";
    const std::string float_failure = "config_manager::get(): conversion of data to type \"f\" failed";
    EXPECT_EQ(error_of([&] { config().get<int>("v.fraction"); }), int_failure);
    EXPECT_EQ(error_of([&] { config().get<int>("v.empty"); }), int_failure);
    EXPECT_EQ(error_of([&] { config().get<int>("v.word"); }), int_failure);
    EXPECT_EQ(error_of([&] { config().get<float>("v.word"); }), float_failure);
    EXPECT_EQ(error_of([&] { config().get<float>("v.spaced"); }), float_failure);
    EXPECT_EQ(error_of([&] { config().get<int>("v.missing"); }), "config_manager::get(): No such node (v.missing)");
    EXPECT_EQ(error_of([&] { config().get<bool>("nowhere.int"); }),
              "config_manager::get(): No such node (nowhere.int)");
    // A section is a node too: its value is the empty text.
    EXPECT_EQ(config().get<std::string>("v"), "");
}

TEST_F(ConfigManager, BoolsAreZeroOneTrueOrFalse) {
    // Set directly: the INI reader would trim the trailing blanks the conversion must skip.
    const std::pair<const char*, bool> accepted[] = {{"0", false},  {"1", true},     {"true", true},
                                                     {"false", false}, {"1  ", true}, {"true \t", true},
                                                     {"0 ", false}, {"false  ", false}};
    for (const auto& [text, value] : accepted) {
        config().tree.put("flags.value", std::string(text));
        EXPECT_EQ(config().get<bool>("flags.value"), value) << '"' << text << '"';
    }
    for (const char* text : {"2", "-1", "yes", "True", "TRUE", "", "1x", "true1", "0.0"}) {
        config().tree.put("flags.value", std::string(text));
        EXPECT_EQ(error_of([&] { config().get<bool>("flags.value"); }),
                  "config_manager::get(): conversion of data to type \"b\" failed")
            << '"' << text << '"';
    }
}

TEST_F(ConfigManager, SavedFileLoadsBackEqual) {
    temp_dir dir;
    config().load(dir.write("in.ini", "title = a demo\n[display]\nwidth = 1280\nfullscreen = false\n"
                                      "[camera]\nfov_y_degrees = 45.5\nempty =\n")
                      .string());
    const auto loaded = config().tree;
    const auto out = dir.path() / "out.ini";
    config().save(out.string());
    config().tree.clear();
    config().load(out.string());
    EXPECT_EQ(config().tree, loaded);
    EXPECT_EQ(config().get<float>("camera.fov_y_degrees"), 45.5f);
    EXPECT_TRUE(log->wait_for_message("Saving configuration options to '" + out.string() + "'..."));
}

TEST_F(ConfigManager, SaveErrors) {
    temp_dir dir;
    const std::string unwritable = (dir.path() / "missing" / "out.ini").string();
    config().tree.clear();
    config().tree.put("a.b", "1");
    EXPECT_EQ(error_of([&] { config().save(unwritable); }),
              "config_manager::save(): " + unwritable + ": cannot open file");

    const std::string out = (dir.path() / "out.ini").string();
    config().tree.put("a", "section data");
    EXPECT_EQ(error_of([&] { config().save(out); }), "config_manager::save(): " + out + ": mixed data and children");
    config().tree.clear();
    config().tree.put("a.b.c", "2");
    EXPECT_EQ(error_of([&] { config().save(out); }), "config_manager::save(): " + out + ": ptree is too deep");
    config().tree.clear();
    config().tree.put_value("root");
    EXPECT_EQ(error_of([&] { config().save(out); }), "config_manager::save(): " + out + ": ptree has data on root");
}

} // namespace
