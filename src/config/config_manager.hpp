#pragma once

#include "core/exceptions.hpp"

#include <boost/property_tree/ptree.hpp>

#include <optional>
#include <string>

class core_module;

// The program's settings: an INI file read into a tree of strings, handed out by dotted key
// ("section.key") converted to the requested type. Main thread only.
class config_manager {
public:
    class config_error : public runtime_error {
    public:
        using runtime_error::runtime_error;
    };

    explicit config_manager(core_module* core) : core(core) {}

    // Replaces the tree by the content of the INI file.
    void load(const std::string& file_name);
    // Writes the tree as an INI file.
    void save(const std::string& file_name);
    // Defined for std::string, bool, float and int; a missing key or an unconvertible value throws.
    template <typename T>
    T get(const std::string& key);
    // The text of an optional key; nullopt when the file does not have it.
    std::optional<std::string> find(const std::string& key) const;

    boost::property_tree::ptree tree;
    core_module* core;
};

extern template std::string config_manager::get<std::string>(const std::string&);
extern template bool config_manager::get<bool>(const std::string&);
extern template float config_manager::get<float>(const std::string&);
extern template int config_manager::get<int>(const std::string&);
