#pragma once
// The Boost side of config_manager: reading, writing and typed lookup of the INI tree, with Boost's
// errors translated into config_manager::config_error. No logging and no core module, so it can be
// driven on its own.

#include "config/config_manager.hpp"

#include <boost/property_tree/ptree.hpp>

#include <optional>
#include <string>

namespace config_tree {

// Replaces `tree` by the content of the INI file; errors carry the "config_manager::load(): " prefix.
void read(const std::string& file_name, boost::property_tree::ptree& tree);
// Writes `tree` as an INI file; errors carry the "config_manager::save(): " prefix.
void write(const std::string& file_name, const boost::property_tree::ptree& tree);
// The value at the dotted path `key` as T (std::string, bool, float or int); errors carry the
// "config_manager::get(): " prefix.
template <typename T>
T get(const boost::property_tree::ptree& tree, const std::string& key);
// The text at the dotted path `key`, or nullopt when there is no such node.
std::optional<std::string> find(const boost::property_tree::ptree& tree, const std::string& key);

extern template std::string get<std::string>(const boost::property_tree::ptree&, const std::string&);
extern template bool get<bool>(const boost::property_tree::ptree&, const std::string&);
extern template float get<float>(const boost::property_tree::ptree&, const std::string&);
extern template int get<int>(const boost::property_tree::ptree&, const std::string&);

} // namespace config_tree
