// A broken config.ini: the program refuses to start with the configuration error naming the file, line
// or key. A missing file, an unmatched '[', a non-numeric width, a zero height and a non-boolean
// "maybe" are covered by the player's own end-to-end test.

#include "e2e/bad_input.hpp"

namespace {

using namespace bad_input;
using test_support::config_adding;
using test_support::config_with;
using test_support::config_without;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

class BadConfig : public ::testing::TestWithParam<case_t> {};

TEST_P(BadConfig, RefusesWithOneClearMessage) { run_case(GetParam()); }

case_t refused(const std::string& name, const std::string& config, const std::string& message) {
    return {name, file_written("config.ini", config), false, message};
}

std::vector<case_t> cases() {
    std::vector<case_t> list{
        refused("empty", "", "config_manager::get(): No such node (display.screen_height)"),
        refused("binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18),
                "config_manager::load(): config.ini(1): '=' character not found in line"),
        refused("duplicate_key", test_support::small_config(title) + "far_clip = 10\n",
                "config_manager::load(): config.ini(17): duplicate key name"),
        refused("fov_not_a_number", config_with("fov_y_degrees", "sixty", title),
                "config_manager::get(): conversion of data to type \"f\" failed"),
        refused("width_beyond_int", config_with("screen_width", "99999999999", title),
                "config_manager::get(): conversion of data to type \"i\" failed"),
        refused("far_clip_beyond_float", config_with("far_clip", "1e40", title),
                "config_manager::get(): conversion of data to type \"f\" failed"),
        refused("width_beyond_any_window", config_with("screen_width", "100000", title),
                "player::player(): display.screen_width = 100000 is larger than the largest window side, 16384."),
        refused("height_beyond_any_window", config_with("screen_height", "70000", title),
                "player::player(): display.screen_height = 70000 is larger than the largest window side, 16384."),
        refused("negative_width", config_with("screen_width", "-320", title), "window::open(): Unable to open window."),
        refused("render_scale_below_half", config_adding("render_scale = 0.2", title),
                "player::player(): display.render_scale = 0.2 is not a number from 0.5 to 1 or auto."),
        refused("fullscreen_9true", config_with("fullscreen", "9true", title),
                "config_manager::get(): conversion of data to type \"b\" failed"),
    };
    // display.title: covered by the player's own end-to-end test.
    for (const char* section_key : {"display.screen_height", "display.screen_width", "display.fullscreen", "camera.z", "camera.y", "camera.x", "camera.tilt",
                                    "camera.pan", "camera.distance", "camera.fov_y_degrees", "camera.far_clip",
                                    "camera.near_clip"}) {
        const std::string key = std::string(section_key).substr(std::string(section_key).find('.') + 1);
        list.push_back(refused("without_" + key, config_without(key),
                               std::string("config_manager::get(): No such node (") + section_key + ")"));
    }
    return list;
}

INSTANTIATE_TEST_SUITE_P(ConfigIni, BadConfig, ::testing::ValuesIn(cases()), case_name);

} // namespace
