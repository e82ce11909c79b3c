#include "config/config_manager.hpp"

#include "core/core_module.hpp"

#include <boost/property_tree/exceptions.hpp>
#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/stream_translator.hpp>

#include <locale>
#include <type_traits>
#include <typeinfo>

namespace pt = boost::property_tree;

namespace {

// Some compilers mark the type-id names of types with internal linkage with a leading '*'.
std::string type_name(const std::type_info& type) {
    const char* name = type.name();
    return name[0] == '*' ? name + 1 : name;
}

} // namespace

void config_manager::load(const std::string& file_name) {
    core->log_manager.info("Loading configuration options from '" + file_name + "'...");
    try {
        pt::read_ini(file_name, tree, std::locale());
    } catch (const pt::ini_parser_error& e) {
        throw config_error(std::string("config_manager::load(): ") + e.what());
    }
}

void config_manager::save(const std::string& file_name) {
    core->log_manager.info("Saving configuration options to '" + file_name + "'...");
    try {
        pt::write_ini(file_name, tree, 0, std::locale());
    } catch (const pt::ini_parser_error& e) {
        throw config_error(std::string("config_manager::save(): ") + e.what());
    }
}

template <typename T>
T config_manager::get(const std::string& key) {
    try {
        const pt::ptree& node = tree.get_child(pt::ptree::path_type(key, '.'));
        if constexpr (std::is_same_v<T, std::string>) {
            return node.data();
        } else {
            using translator = pt::stream_translator<char, std::char_traits<char>, std::allocator<char>, T>;
            if (const boost::optional<T> value = node.get_value_optional<T>(translator(std::locale()))) return *value;
            // Same text as Boost's ptree_bad_data, without the decoration some type-id names carry.
            throw pt::ptree_bad_data("conversion of data to type \"" + type_name(typeid(T)) + "\" failed", node.data());
        }
    } catch (const pt::ptree_error& e) {
        throw config_error(std::string("config_manager::get(): ") + e.what());
    }
}

template std::string config_manager::get<std::string>(const std::string&);
template bool config_manager::get<bool>(const std::string&);
template float config_manager::get<float>(const std::string&);
template int config_manager::get<int>(const std::string&);
