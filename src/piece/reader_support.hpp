#pragma once
// The building blocks of the piece reader: the file's context for messages and paths, typed reading of
// toml++ nodes with the piece's own messages, a table checked against the keys it may have, time ranges.
// Each table of the format has its reader in a file of its own; they share these.

#include "piece/piece.hpp"
#include "piece/piece_error.hpp"

#include <toml++/toml.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace piece::reading {

namespace fs = std::filesystem;

// Bounds that keep a piece's memory and work small whatever the file says.
constexpr std::int64_t max_pool_size = 100000;
constexpr std::size_t max_list = 4096;        // sprites, tracks, sections, curves, presets, emitters
constexpr std::size_t max_events = 100000;    // per track
constexpr std::size_t max_rows = 100000;      // camera rows, segments, keys
constexpr std::int64_t max_texture_unit = 31; // the largest unit any GL driver offers a program
constexpr int first_sprite_unit = 3;          // units 0 to 2 hold the model's maps


struct context {
    std::string file;
    std::optional<fs::path> folder;
    int nesting = 0; // 1 in the piece of a scene act

    [[noreturn]] void fail(const toml::source_region& where, const std::string& what) const {
        throw piece_error(file, std::max<long>(1, static_cast<long>(where.begin.line)),
                          std::max<long>(1, static_cast<long>(where.begin.column)), what);
    }
    [[noreturn]] void fail(const toml::node& where, const std::string& what) const { fail(where.source(), what); }

    // A path the piece names: in the piece's folder if it is there, else as written (the working directory).
    std::string resolve(const std::string& path) const {
        if (!folder || fs::path(path).is_absolute()) return path;
        std::error_code error;
        const fs::path beside = *folder / path;
        if (fs::exists(beside, error)) return beside.string();
        return path;
    }
    // Where the path `written` is named (at `n`) and the folders resolve looks for it in; nowhere (line 0)
    // without a folder.
    file_place place_of(const toml::node& n, const std::string& written) const;
};

const char* type_name(const toml::node& n);
double number(const context& c, const toml::node& n, const std::string& what);
// A number the engine holds as a float: finite, and within a float's range.
double float_number(const context& c, const toml::node& n, const std::string& what);
// "; did you mean 'x'?" with the name of `known` closest to `wrong`, or nothing when none is close.
std::string did_you_mean(std::string_view wrong, const std::vector<std::string>& known);
std::int64_t integer(const context& c, const toml::node& n, const std::string& what, std::int64_t low,
                     std::int64_t high);
std::string text(const context& c, const toml::node& n, const std::string& what);
const toml::array& array(const context& c, const toml::node& n, const std::string& what, std::size_t most);
std::array<double, 3> vec3(const context& c, const toml::node& n, const std::string& what);
// A number or three: the count of components and the values (the unused ones 0).
std::pair<int, std::array<double, 3>> value(const context& c, const toml::node& n, const std::string& what);

// One table: its keys checked against the ones it may have as it is opened, so that a typo is named
// before anything it hides is missed.
class table_reader {
public:
    table_reader(const context& c, const toml::node& n, std::string name, std::initializer_list<const char*> keys)
        : ctx(c)
        , where(std::move(name)) {
        t = n.as_table();
        if (t == nullptr) ctx.fail(n, where + " must be a table, not " + type_name(n));
        for (const auto& entry : *t) {
            const toml::key& key = entry.first;
            const toml::node& value = entry.second;
            const auto known = std::find_if(keys.begin(), keys.end(), [&](const char* k) { return key.str() == k; });
            if (known == keys.end())
                ctx.fail(key.source().begin.line ? key.source() : value.source(),
                         "unknown key '" + std::string(key.str()) + "' in " + where +
                             did_you_mean(key.str(), std::vector<std::string>(keys.begin(), keys.end())));
        }
    }

    const toml::node* find(const std::string& key) const { return t->get(key); }
    const toml::node& need(const std::string& key) const {
        const toml::node* n = find(key);
        if (n == nullptr) ctx.fail(*t, where + " needs the key '" + key + "'");
        return *n;
    }
    double number_or(const std::string& key, double fallback) const {
        const toml::node* n = find(key);
        return n ? number(ctx, *n, key) : fallback;
    }
    std::string name(const std::string& key) const {
        const toml::node& n = need(key);
        std::string s = text(ctx, n, key);
        if (s.empty() || s.size() > 128) ctx.fail(n, key + " must be 1 to 128 characters long");
        return s;
    }
    const toml::node& node() const { return *t; }

private:
    const context& ctx;
    std::string where;
    const toml::table* t = nullptr;
};

// from, until and bounds ("[)", "(]", "[]" or "()", "[)" if absent) of a section, segment or camera row.
time_range read_range(const context& c, const table_reader& r, bool finite);
// Whether `later` starts after `earlier` ends, sharing at most a bound that only one of them holds.
bool in_order(const time_range& earlier, const time_range& later);
// The times of two ranges that are not in order, for the message: ": it starts at 4, the one above ends
// at 5" or ": both hold 5".
std::string overlap(const time_range& earlier, const time_range& later);
// A time as the piece would write it: the shortest text that reads back as the same double.
std::string time_text(double t);

} // namespace piece::reading
