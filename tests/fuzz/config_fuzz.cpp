// Feeds arbitrary bytes as an INI file through the configuration reader and asks every node for each of
// the four value types. Besides memory and UB errors it checks that failures are config errors with the
// operation's prefix, that accepted numbers agree with the C library's reading of the same text, and that
// a tree read from a file is read back unchanged after writing it.

#include "config/config_tree.hpp"

#include <boost/property_tree/ptree.hpp>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace pt = boost::property_tree;

namespace {

const std::string input_file = "/tmp/config_fuzz-" + std::to_string(getpid()) + ".ini";
const std::string output_file = "/tmp/config_fuzz-" + std::to_string(getpid()) + "-written.ini";

bool starts_with(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The value text without the blanks that stream extraction skips in front and accepts behind.
std::string trimmed(const std::string& text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

template <typename T> bool fetch(const pt::ptree& tree, const std::string& key, T& value) {
    try {
        value = config_tree::get<T>(tree, key);
        return true;
    } catch (const config_manager::config_error& e) {
        if (!starts_with(e.what(), "config_manager::get(): ")) std::abort();
        return false;
    }
}

void check_conversions(const pt::ptree& tree, const std::string& key, const std::string& data) {
    std::string text;
    if (!fetch(tree, key, text) || text != data) std::abort();
    const std::string plain = trimmed(data);
    if (plain.find('\0') != std::string::npos) return; // the C functions would stop there

    int whole = 0;
    if (fetch(tree, key, whole)) {
        char* end = nullptr;
        errno = 0;
        const long expected = std::strtol(plain.c_str(), &end, 10);
        if (errno != 0 || *end != '\0' || expected != whole) std::abort();
    }
    float real = 0.0f;
    if (fetch(tree, key, real)) {
        char* end = nullptr;
        const float expected = std::strtof(plain.c_str(), &end);
        if (*end != '\0' || std::memcmp(&expected, &real, sizeof real) != 0) std::abort();
    }
    // Booleans are the numbers 0 and 1 or the words true and false, nothing else.
    bool flag = false;
    if (fetch(tree, key, flag)) {
        char* end = nullptr;
        errno = 0;
        const long number = std::strtol(plain.c_str(), &end, 10);
        const bool numeric = !plain.empty() && errno == 0 && *end == '\0' && (number == 0 || number == 1);
        if (!numeric && plain != "true" && plain != "false") std::abort();
        if (flag != (numeric ? number == 1 : plain == "true")) std::abort();
    }
}

// Every node below `tree`, by dotted path. Empty names and names holding the separator cannot be
// reached by path.
void visit(const pt::ptree& root, const pt::ptree& tree, const std::string& prefix) {
    for (const auto& [name, child] : tree) {
        if (name.empty() || name.find('.') != std::string::npos) continue;
        const std::string key = prefix.empty() ? name : prefix + "." + name;
        if (child.empty()) check_conversions(root, key, child.data());
        visit(root, child, key);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(input_file, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    pt::ptree tree;
    try {
        config_tree::read(input_file, tree);
    } catch (const config_manager::config_error& e) {
        if (!starts_with(e.what(), "config_manager::load(): ")) std::abort();
        return 0;
    }
    visit(tree, tree, "");

    config_tree::write(output_file, tree);
    pt::ptree again;
    config_tree::read(output_file, again);
    if (again != tree) std::abort();
    return 0;
}
