#include "core/core_module.hpp"
#include "platform/gl_api.hpp"
#include "support/core_under_test.hpp"
#include "support/xvfb.hpp"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

// The first record whose message starts with the prefix, or null.
const logger::log_record* find_record(const std::vector<logger::log_record>& records,
                                      const std::string& prefix) {
    for (const auto& record : records)
        if (record.message.rfind(prefix, 0) == 0) return &record;
    return nullptr;
}

TEST(Diagnostics, DebugMessageTextsAndLevelsFollowTheTables) {
    test_support::core_under_test core;
    display_manager::debug_callback(0x824A, 0x8250, 7, 0x9147, -1, "first cause", nullptr);
    display_manager::debug_callback(0x1234, 0x5678, 10, 0x826B, -1, "unknown everything", nullptr);
    display_manager::debug_callback(0x0, 0x0, 11, 0x9146, -1, "unknown source and type", nullptr);
    using entry = std::pair<logger::level, std::string>;
    const std::vector<entry> expected{
        {logger::level::warning, "OpenGL message,\n  severity: Medium\n  source: User application\n  type: "
                                 "Performance\n  id: 7\n  cause: first cause"},
        {logger::level::info,
         "OpenGL message,\n  severity: <Unknown>\n  source: <Unknown>\n  type: <Unknown>\n"
         "  id: 10\n  cause: unknown everything"},
        {logger::level::error, "OpenGL message,\n  severity: High\n  source: <Unknown>\n  type: <Unknown>\n"
                               "  id: 11\n  cause: unknown source and type"},
    };
    std::vector<entry> got;
    for (const auto& record : core.records())
        if (record.message.rfind("OpenGL message", 0) == 0) got.emplace_back(record.level, record.message);
    EXPECT_EQ(got, expected);
}

TEST(Diagnostics, DriverDebugOutputIsEnabledAndArrivesThroughTheCallback) {
    test_support::core_under_test core;
    platform::window& w = core->display.create_window();
    w.hint(GLFW_VISIBLE, GLFW_FALSE);
    w.hint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    w.hint(GLFW_CONTEXT_VERSION_MINOR, 3);
    w.hint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    w.open({64, 64}, nullptr, nullptr);
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
    auto records = core.records();
    const auto* support = find_record(records, "GL_ARB_debug_output supported: ");
    ASSERT_NE(support, nullptr);
    EXPECT_EQ(support->level, logger::level::info);
    EXPECT_EQ(support->message, "GL_ARB_debug_output supported: Yes\nDebug output enabled.");

    w.bind_context();
    ASSERT_NE(glapi::glEnable, nullptr);
    glapi::glEnable(0xFFFF); // not a capability: GL_INVALID_ENUM, reported synchronously
    EXPECT_EQ(glapi::glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    glfwMakeContextCurrent(nullptr);

    records = core.records();
    const auto* message = find_record(records, "OpenGL message,\n  severity: ");
    ASSERT_NE(message, nullptr);
    EXPECT_NE(message->message.find("\n  type: Error\n"), std::string::npos) << message->message;
    EXPECT_NE(message->message.find("\n  source: OpenGL API\n"), std::string::npos) << message->message;
    const bool high = message->message.find("severity: High\n") != std::string::npos;
    EXPECT_EQ(message->level, high ? logger::level::error : logger::level::warning) << message->message;
}

} // namespace
