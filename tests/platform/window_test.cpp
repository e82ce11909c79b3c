#include "core/core_module.hpp"
#include "platform/platform_error.hpp"
#include "support/core_under_test.hpp"
#include "support/xvfb.hpp"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using platform::platform_error;
using platform::window;

std::string platform_message_of(const std::function<void()>& action) {
    return test_support::thrown_message<platform_error>(action);
}

void open_hidden(window& w) {
    w.hint(GLFW_VISIBLE, GLFW_FALSE);
    w.open({64, 48}, nullptr, nullptr);
}

TEST(Window, EveryOperationOnANeverOpenedWindowThrowsItsOwnMessage) {
    test_support::core_under_test core;
    window& w = core->display.create_window();
    const std::vector<std::pair<std::string, std::function<void()>>> operations{
        {"restore", [&] { w.restore(); }},
        {"minimize", [&] { w.minimize(); }},
        {"show", [&] { w.show(); }},
        {"hide", [&] { w.hide(); }},
        {"bind_context", [&] { w.bind_context(); }},
        {"swap_buffers", [&] { w.swap_buffers(); }},
        {"swap_interval", [&] { w.swap_interval(1); }},
        {"should_close", [&] { (void)std::as_const(w).should_close(); }},
        {"should_close", [&] { w.should_close(true); }},
        {"move_to",
         [&] {
             w.move_to({10, 20});
         }},
        {"resize",
         [&] {
             w.resize({30, 40});
         }},
    };
    for (const auto& [name, action] : operations)
        EXPECT_EQ(platform_message_of(action), "window::" + name + "(): Window hasn't been opened.");
    // Refused before anything is stored, and GLFW was never asked (it would have reported an error).
    EXPECT_EQ(w.position, glm::ivec2(0, 0));
    EXPECT_EQ(w.size, glm::ivec2(0, 0));
    for (const auto& record : core.records())
        EXPECT_EQ(record.message.find("GLFW error"), std::string::npos);
}

TEST(Window, ZeroSizeOpenFailsWithGlfwsReasonLoggedAndLeavesTheWindowClosed) {
    test_support::core_under_test core;
    window& w = core->display.create_window();
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_EQ(platform_message_of([&] {
                      w.open({-1, -1}, nullptr, nullptr);
                  }),
                  "window::open(): Unable to open window.");
    EXPECT_EQ(w.handle, nullptr);
    EXPECT_TRUE(w.closed);
    EXPECT_TRUE(display_manager::window_registry.empty());
    const char* description = nullptr;
    ASSERT_EQ(glfwGetError(&description), GLFW_INVALID_VALUE);
    ASSERT_EQ(std::string(description).rfind("Invalid window size", 0), 0u);

    // Two failures, two independent records, each exactly two lines.
    std::size_t errors = 0;
    for (const auto& record : core.records()) {
        if (record.message.rfind("GLFW error", 0) != 0) continue;
        ++errors;
        EXPECT_EQ(record.level, logger::level::error);
        EXPECT_EQ(record.message, "GLFW error, code 65540, message:\n'" + std::string(description) + "'");
    }
    EXPECT_EQ(errors, 2u);
}

TEST(Window, OpenTakesMinusOneComponentsFromSizeAndRefusesASecondOpen) {
    test_support::core_under_test core;
    window& w = core->display.create_window();
    open_hidden(w);
    w.resize({80, 60});
    w.close();
    w.open({-1, 50}, nullptr, nullptr);
    int width = 0, height = 0;
    glfwGetWindowSize(w.handle, &width, &height);
    EXPECT_EQ(width, 80);
    EXPECT_EQ(height, 50);
    GLFWwindow* handle = w.handle;
    EXPECT_EQ(platform_message_of([&] {
                  w.open({10, 10}, nullptr, nullptr);
              }),
              "window::open(): Window is already open.");
    EXPECT_EQ(w.handle, handle);
    EXPECT_EQ(display_manager::window_registry.size(), 1u);
}

TEST(Window, HintsKeepTheLastValueAndDefaultHintsForgetsThem) {
    test_support::core_under_test core;
    window& w = core->display.create_window();
    w.hint(GLFW_RESIZABLE, GLFW_TRUE);
    w.hint(GLFW_RESIZABLE, GLFW_FALSE);
    w.hint(GLFW_VISIBLE, GLFW_FALSE);
    EXPECT_EQ(w.hints.size(), 2u);
    EXPECT_THROW((void)w.hint(GLFW_DECORATED), invalid_argument);
    EXPECT_THROW(w.hint(0, 1), invalid_argument); // the table's reserved key
    w.open({40, 30}, nullptr, nullptr);
    EXPECT_EQ(glfwGetWindowAttrib(w.handle, GLFW_RESIZABLE), GLFW_FALSE);
    w.close();
    w.default_hints();
    EXPECT_TRUE(w.hints.empty());
    w.open({40, 30}, nullptr, nullptr);
    EXPECT_EQ(glfwGetWindowAttrib(w.handle, GLFW_RESIZABLE), GLFW_TRUE);
}

TEST(Window, SwapIntervalLeavesThePreviousContextCurrent) {
    test_support::core_under_test core;
    window& a = core->display.create_window();
    window& b = core->display.create_window();
    open_hidden(a);
    open_hidden(b);
    a.bind_context();
    b.swap_interval(1);
    EXPECT_EQ(glfwGetCurrentContext(), a.handle);
    glfwMakeContextCurrent(nullptr);
    b.swap_interval(0);
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
    b.bind_context();
    b.swap_interval(1);
    EXPECT_EQ(glfwGetCurrentContext(), b.handle);
    glfwMakeContextCurrent(nullptr);
}

TEST(Window, NotificationsUpdateStateBeforeTheHandlerRuns) {
    test_support::core_under_test core;
    window& w = core->display.create_window();
    open_hidden(w);
    std::vector<std::pair<window::event, bool>> seen; // event and `focused` at that moment
    w.event_handler = [&](window& source, window::event e) {
        EXPECT_EQ(&source, &w);
        seen.emplace_back(e, source.focused);
    };
    display_manager::window_focus_callback(w.handle, GLFW_FALSE);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(window::event::focus, false));

    w.event_handler = nullptr; // without a handler the state still follows
    display_manager::framebuffer_size_callback(w.handle, 7, 9);
    EXPECT_EQ(w.framebuffer_size, glm::ivec2(7, 9));

    // A real move reaches the handler through GLFW's event processing.
    std::vector<window::event> events;
    w.event_handler = [&](window&, window::event e) { events.push_back(e); };
    w.show();
    w.move_to({120, 90});
    EXPECT_EQ(w.position, glm::ivec2(120, 90));
    for (int i = 0; i < 200 && std::find(events.begin(), events.end(), window::event::move) == events.end();
         ++i)
        glfwWaitEventsTimeout(0.05);
    EXPECT_NE(std::find(events.begin(), events.end(), window::event::move), events.end());

    display_manager::window_close_callback(w.handle);
    EXPECT_EQ(events.back(), window::event::close);
    EXPECT_FALSE(w.should_close());
    w.should_close(true);
    EXPECT_TRUE(w.should_close());
}

} // namespace
