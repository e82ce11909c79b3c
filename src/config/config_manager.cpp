#include "config/config_manager.hpp"

#include "config/config_tree.hpp"
#include "core/core_module.hpp"

void config_manager::load(const std::string& file_name) {
    core->log_manager.info("Loading configuration options from '" + file_name + "'...");
    config_tree::read(file_name, tree);
}

void config_manager::save(const std::string& file_name) {
    core->log_manager.info("Saving configuration options to '" + file_name + "'...");
    config_tree::write(file_name, tree);
}

template <typename T>
T config_manager::get(const std::string& key) {
    return config_tree::get<T>(tree, key);
}

std::optional<std::string> config_manager::find(const std::string& key) const {
    return config_tree::find(tree, key);
}

template std::string config_manager::get<std::string>(const std::string&);
template bool config_manager::get<bool>(const std::string&);
template float config_manager::get<float>(const std::string&);
template int config_manager::get<int>(const std::string&);
