#include "core/core_module.hpp"
#include "platform/platform_error.hpp"
#include "support/core_under_test.hpp"
#include "support/xvfb.hpp"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <iterator>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using platform::platform_error;

using test_support::thrown_message;

void open_hidden(platform::window& window) {
    window.hint(GLFW_VISIBLE, GLFW_FALSE);
    window.open({64, 48}, nullptr, nullptr);
}

TEST(DisplayManager, SecondInitIsRefusedAndLeavesMonitorsAlone) {
    test_support::core_under_test core;
    const auto monitors_before = display_manager::monitors.size();
    ASSERT_GE(monitors_before, 1u);
    const auto starts_before = core.count("Initializing GLFW...");
    EXPECT_EQ(thrown_message<platform_error>([&] { core->display.init(); }),
              "display_manager::init(): Platform already initialized!");
    EXPECT_EQ(display_manager::monitors.size(), monitors_before);
    EXPECT_TRUE(display_manager::initialized);
    EXPECT_EQ(core.count("Initializing GLFW..."), starts_before); // the refused init logs nothing
}

TEST(DisplayManager, MonitorRecordsMatchGlfwAndTheirRegistryEntries) {
    test_support::core_under_test core;
    int count = 0;
    GLFWmonitor** handles = glfwGetMonitors(&count);
    ASSERT_EQ(display_manager::monitors.size(), static_cast<std::size_t>(count));
    auto record = display_manager::monitors.begin();
    for (int i = 0; i < count; ++i, ++record) {
        EXPECT_EQ(display_manager::find_monitor(handles[i]), &*record);
        int modes = 0;
        glfwGetVideoModes(handles[i], &modes);
        EXPECT_EQ(record->modes.size(), static_cast<std::size_t>(modes));
    }
    EXPECT_EQ(display_manager::primary_monitor().handle, glfwGetPrimaryMonitor());
    monitor copy = display_manager::monitors.front();
    copy.modes.clear();
    EXPECT_TRUE(copy == display_manager::monitors.front());
}

TEST(DisplayManager, ShutdownClosesOnlyOpenWindowsAndAllowsANewInit) {
    test_support::core_under_test core;
    const auto windows_before = display_manager::windows.size();
    platform::window& open = core->display.create_window();
    platform::window& never_opened = core->display.create_window();
    EXPECT_EQ(display_manager::windows.size(), windows_before + 2);
    EXPECT_EQ(never_opened.title, "[window title]");
    EXPECT_TRUE(never_opened.closed);
    open_hidden(open);
    ASSERT_EQ(display_manager::window_registry.size(), 1u);

    { display_manager second(&*core); } // shares the class-wide state: its end is the platform's end
    EXPECT_TRUE(open.closed);
    EXPECT_EQ(open.handle, nullptr);
    EXPECT_TRUE(display_manager::window_registry.empty());
    EXPECT_TRUE(display_manager::monitors.empty());
    EXPECT_TRUE(display_manager::monitor_registry.empty());
    EXPECT_FALSE(display_manager::initialized);
    EXPECT_EQ(core.count("Terminating GLFW..."), 1u);
    EXPECT_EQ(display_manager::find_primary_monitor(), nullptr);
    EXPECT_EQ(thrown_message<platform_error>([] { display_manager::primary_monitor(); }),
              "display_manager::primary_monitor(): No primary monitor is registered.");

    EXPECT_EQ(thrown_message<platform_error>([&] { core->display.create_window(); }),
              "display_manager::create_window(): Platform hasn't been initialized.");
    EXPECT_EQ(thrown_message<platform_error>([&] { core->display.active_window(); }),
              "display_manager::active_window(): Platform hasn't been initialized.");

    core->display.init();
    EXPECT_FALSE(display_manager::monitors.empty());
    platform::window& again = core->display.create_window();
    open_hidden(again);
    EXPECT_EQ(display_manager::find_window(again.handle), &again);
}

TEST(DisplayManager, RegistryFollowsOpenCloseAndReopen) {
    test_support::core_under_test core;
    platform::window& window = core->display.create_window();
    EXPECT_EQ(thrown_message<invalid_argument>([&] { core->display.add_window(&window); }),
              "display_manager::add_window(): Invalid window with address '0'.");
    EXPECT_EQ(thrown_message<invalid_argument>([&] { core->display.remove_window(&window); }),
              "display_manager::remove_window(): Invalid window with address '0'.");

    open_hidden(window);
    ASSERT_NE(window.handle, nullptr);
    EXPECT_FALSE(window.closed);
    EXPECT_TRUE(window.focused);
    ASSERT_EQ(display_manager::window_registry.size(), 1u);
    EXPECT_EQ(display_manager::window_registry.begin()->first, window.handle);
    EXPECT_EQ(display_manager::window_registry.begin()->second, &window);

    // open leaves no context current; bind_context makes this window the active one.
    EXPECT_EQ(thrown_message<platform_error>([&] { core->display.active_window(); }),
              "display_manager::active_window(): No active window.");
    window.bind_context();
    EXPECT_EQ(&core->display.active_window(), &window);

    GLFWwindow* first_handle = window.handle;
    window.close();
    EXPECT_TRUE(window.closed);
    EXPECT_EQ(window.handle, nullptr);
    EXPECT_TRUE(display_manager::window_registry.empty());
    window.close(); // closing a closed window is harmless
    EXPECT_TRUE(window.closed);

    // A second removal of the same handle is refused; the handle appears in hexadecimal.
    window.handle = first_handle;
    const std::string removal =
        thrown_message<invalid_argument>([&] { core->display.remove_window(&window); });
    window.handle = nullptr;
    std::ostringstream address;
    address << "0x" << std::hex << reinterpret_cast<std::uintptr_t>(first_handle);
    EXPECT_EQ(removal,
              "display_manager::remove_window(): Invalid window with address '" + address.str() + "'.");

    window.open({32, 32}, nullptr, nullptr);
    ASSERT_EQ(display_manager::window_registry.size(), 1u);
    EXPECT_EQ(display_manager::find_window(window.handle), &window);
}

// A context made current behind the platform layer's back has no window: a clear error, no crash.
TEST(DisplayManager, ActiveWindowWithAnUnregisteredContextIsAnError) {
    test_support::core_under_test core;
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* foreign = glfwCreateWindow(16, 16, "foreign", nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    glfwMakeContextCurrent(foreign);
    EXPECT_EQ(thrown_message<platform_error>([&] { core->display.active_window(); }),
              "display_manager::active_window(): The current context belongs to no registered window.");
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(foreign);
}

} // namespace
