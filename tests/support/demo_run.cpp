#include "support/demo_run.hpp"

#include "support/run_folder.hpp"

#include <stdexcept>
#include <utility>

namespace test_support {

std::string demo_program() { return std::string(ENGINE_BINARY_DIR) + "/demo"; }

namespace {

// The position of the value of `key` in a config text and its length.
std::pair<std::size_t, std::size_t> value_span(const std::string& text, const std::string& key) {
    const std::string line_start = "\n" + key + " = ";
    const std::size_t at = text.find(line_start);
    if (at == std::string::npos) throw std::invalid_argument("no key " + key + " in the test configuration");
    const std::size_t begin = at + line_start.size();
    return {begin, text.find('\n', begin) - begin};
}

} // namespace

std::string config_without(const std::string& key, const std::string& title) {
    std::string text = small_config(title);
    const auto [begin, length] = value_span(text, key);
    const std::size_t line = text.rfind('\n', begin) + 1;
    return text.erase(line, begin + length + 1 - line);
}

std::string config_with(const std::string& key, const std::string& value, const std::string& title) {
    std::string text = small_config(title);
    const auto [begin, length] = value_span(text, key);
    return text.replace(begin, length, value);
}

std::string config_adding(const std::string& line, const std::string& title) {
    std::string text = small_config(title);
    const auto [begin, length] = value_span(text, "fullscreen");
    return text.insert(begin + length + 1, line + "\n");
}

} // namespace test_support
