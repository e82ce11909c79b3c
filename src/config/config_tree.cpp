#include "config/config_tree.hpp"

#include <boost/property_tree/exceptions.hpp>
#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/stream_translator.hpp>

#include <locale>
#include <optional>
#include <sstream>
#include <type_traits>
#include <typeinfo>

namespace pt = boost::property_tree;
using config_error = config_manager::config_error;

namespace {

// Some compilers mark the type-id names of types with internal linkage with a leading '*'.
std::string type_name(const std::type_info& type) {
    const char* name = type.name();
    return name[0] == '*' ? name + 1 : name;
}

// The number 0 or 1, else the word true or false, each with nothing but blanks behind. Boost's own bool
// extraction reads the word from where the failed number left off, so it takes "9true" for true.
std::optional<bool> read_bool(const std::string& text) {
    for (const bool words : {false, true}) {
        std::istringstream in(text);
        in.imbue(std::locale());
        bool value = false;
        if (words) in >> std::boolalpha;
        in >> value;
        if (!in.eof()) in >> std::ws;
        if (!in.fail() && in.get() == std::char_traits<char>::eof()) return value;
    }
    return std::nullopt;
}

template <typename T>
std::optional<T> convert(const pt::ptree& node) {
    if constexpr (std::is_same_v<T, bool>) {
        return read_bool(node.data());
    } else {
        using translator = pt::stream_translator<char, std::char_traits<char>, std::allocator<char>, T>;
        const boost::optional<T> value = node.get_value_optional<T>(translator(std::locale()));
        return value ? std::optional<T>(*value) : std::nullopt;
    }
}

} // namespace

namespace config_tree {

void read(const std::string& file_name, pt::ptree& tree) {
    try {
        pt::read_ini(file_name, tree, std::locale());
    } catch (const pt::ini_parser_error& e) {
        throw config_error(std::string("config_manager::load(): ") + e.what());
    }
}

void write(const std::string& file_name, const pt::ptree& tree) {
    try {
        pt::write_ini(file_name, tree, 0, std::locale());
    } catch (const pt::ini_parser_error& e) {
        throw config_error(std::string("config_manager::save(): ") + e.what());
    }
}

template <typename T>
T get(const pt::ptree& tree, const std::string& key) {
    try {
        const pt::ptree& node = tree.get_child(pt::ptree::path_type(key, '.'));
        if constexpr (std::is_same_v<T, std::string>) {
            return node.data();
        } else {
            if (const std::optional<T> value = convert<T>(node)) return *value;
            // Same text as Boost's ptree_bad_data, without the decoration some type-id names carry.
            throw pt::ptree_bad_data("conversion of data to type \"" + type_name(typeid(T)) + "\" failed", node.data());
        }
    } catch (const pt::ptree_error& e) {
        throw config_error(std::string("config_manager::get(): ") + e.what());
    }
}

std::optional<std::string> find(const pt::ptree& tree, const std::string& key) {
    const boost::optional<const pt::ptree&> node = tree.get_child_optional(pt::ptree::path_type(key, '.'));
    return node ? std::optional<std::string>(node->data()) : std::nullopt;
}

template std::string get<std::string>(const pt::ptree&, const std::string&);
template bool get<bool>(const pt::ptree&, const std::string&);
template float get<float>(const pt::ptree&, const std::string&);
template int get<int>(const pt::ptree&, const std::string&);

} // namespace config_tree
