#include "core/core_module.hpp"
#include "support/core_under_test.hpp"
#include "support/xvfb.hpp"

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

using platform::input_manager;
using input_type = platform::input_manager::input_type;

struct delivered {
    platform::window* source;
    input_manager::input_event event;
    glm::dvec2 cursor_delta;
};

class InputManager : public ::testing::Test {
protected:
    void SetUp() override {
        window = &core->display.create_window();
        window->hint(GLFW_VISIBLE, GLFW_TRUE);
        window->open({200, 150}, nullptr, nullptr);
        input_manager::input_handler = [this](platform::window& source, input_manager::input_event e) {
            events.push_back({&source, e, input_manager::cursor_delta});
        };
    }
    void TearDown() override { input_manager::input_handler = nullptr; }

    bool saw(input_type type) const {
        for (const auto& d : events)
            if (d.event.type == type) return true;
        return false;
    }
    // Processes window-system events until one of `type` has been handled (bounded number of rounds).
    bool pump_until(input_type type) {
        for (int round = 0; round < 200 && !saw(type); ++round) {
            core->update(); // polls the window system
            if (!saw(type)) glfwWaitEventsTimeout(0.05);
        }
        return saw(type);
    }

    test_support::core_under_test core;
    platform::window* window = nullptr;
    std::vector<delivered> events;
};

TEST_F(InputManager, CursorAndScrollStateWithMinusOneCodes) {
    const glm::dvec2 start = input_manager::cursor_position;
    const glm::dvec2 total = input_manager::scroll_total;
    input_manager::on_cursor_pos(*window, 100, 50);
    EXPECT_EQ(input_manager::cursor_delta, glm::dvec2(100, 50) - start);
    input_manager::on_cursor_pos(*window, 110, 45);
    EXPECT_EQ(input_manager::cursor_delta, glm::dvec2(10, -5));
    EXPECT_EQ(input_manager::cursor_position, glm::dvec2(110, 45));
    input_manager::on_scroll(*window, 0, 1);
    input_manager::on_scroll(*window, 0, -3);
    EXPECT_EQ(input_manager::scroll_offset, glm::dvec2(0, -3));
    EXPECT_EQ(input_manager::scroll_total - total, glm::dvec2(0, -2));

    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1].cursor_delta, glm::dvec2(10, -5)); // state is current when the handler runs
    for (const auto& d : events) {
        EXPECT_EQ(d.source, window);
        EXPECT_EQ(d.event.code, -1);
        EXPECT_EQ(d.event.mods, -1);
    }
    EXPECT_EQ(events[0].event.type, input_type::cursor_move);
    EXPECT_EQ(events[3].event.type, input_type::scroll);

    // Without a handler the state still follows and nothing is called.
    input_manager::input_handler = nullptr;
    input_manager::on_cursor_pos(*window, 0, 0);
    EXPECT_EQ(input_manager::cursor_delta, glm::dvec2(-110, -45));
    EXPECT_EQ(events.size(), 4u);
}

TEST_F(InputManager, KeysAndButtonsCarryGlfwCodesAndRepeatsAreDropped) {
    input_manager::on_key(*window, GLFW_KEY_A, 38, GLFW_PRESS, GLFW_MOD_SHIFT);
    input_manager::on_key(*window, GLFW_KEY_A, 38, GLFW_REPEAT, GLFW_MOD_SHIFT);
    input_manager::on_key(*window, GLFW_KEY_A, 38, GLFW_REPEAT, GLFW_MOD_SHIFT);
    input_manager::on_key(*window, GLFW_KEY_A, 38, GLFW_RELEASE, 0);
    input_manager::on_mouse_button(*window, GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, GLFW_MOD_CONTROL);
    input_manager::on_mouse_button(*window, GLFW_MOUSE_BUTTON_RIGHT, GLFW_RELEASE, 0);
    input_manager::on_mouse_button(*window, GLFW_MOUSE_BUTTON_RIGHT, 7, 0);
    ASSERT_EQ(events.size(), 4u);
    const std::vector<std::tuple<input_type, int, int>> expected{
        {input_type::key_press, GLFW_KEY_A, GLFW_MOD_SHIFT},
        {input_type::key_release, GLFW_KEY_A, 0},
        {input_type::button_press, GLFW_MOUSE_BUTTON_RIGHT, GLFW_MOD_CONTROL},
        {input_type::button_release, GLFW_MOUSE_BUTTON_RIGHT, 0},
    };
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::make_tuple(events[i].event.type, events[i].event.code, events[i].event.mods),
                  expected[i]);
}

// Real X pointer motion and wheel clicks over the window reach the handler through poll_events.
TEST_F(InputManager, XPointerMotionAndWheelArriveThroughPollEvents) {
    const unsigned long id = glfwGetX11Window(window->handle);
    ASSERT_NE(id, 0u);
    core->input.poll_events(); // let the window get mapped
    events.clear();
    const std::string move = "xdotool mousemove --sync --window " + std::to_string(id) + " 30 40";
    ASSERT_EQ(std::system(move.c_str()), 0);
    ASSERT_TRUE(pump_until(input_type::cursor_move));
    EXPECT_EQ(input_manager::cursor_position, glm::dvec2(30, 40));

    const glm::dvec2 total = input_manager::scroll_total;
    ASSERT_EQ(std::system("xdotool click 4"), 0);
    ASSERT_TRUE(pump_until(input_type::scroll));
    EXPECT_EQ(input_manager::scroll_offset, glm::dvec2(0, 1));
    EXPECT_EQ(input_manager::scroll_total - total, glm::dvec2(0, 1));
    for (const auto& d : events)
        EXPECT_EQ(d.source, window);
}

} // namespace
