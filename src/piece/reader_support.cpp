#include "piece/reader_support.hpp"

#include "piece/closest_name.hpp"
#include "logger/number_text.hpp"

#include <cmath>
#include <limits>

namespace piece::reading {

const char* type_name(const toml::node& n) {
    switch (n.type()) {
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "an array";
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "an integer";
    case toml::node_type::floating_point: return "a number";
    case toml::node_type::boolean: return "a boolean";
    default: return "a date or time";
    }
}

double number(const context& c, const toml::node& n, const std::string& what) {
    double v = 0.0;
    if (const auto* i = n.as_integer()) {
        v = static_cast<double>(i->get());
    } else if (const auto* f = n.as_floating_point()) {
        v = f->get();
    } else {
        c.fail(n, what + " must be a number, not " + type_name(n));
    }
    if (!std::isfinite(v)) c.fail(n, what + " must be a finite number");
    return v;
}

double float_number(const context& c, const toml::node& n, const std::string& what) {
    const double v = number(c, n, what);
    if (std::abs(v) > std::numeric_limits<float>::max())
        c.fail(n, what + " must be from -3.4e38 to 3.4e38, a float's range");
    return v;
}

std::string did_you_mean(std::string_view wrong, const std::vector<std::string>& known) {
    const std::optional<std::string> close = closest_name(wrong, known);
    return close ? "; did you mean '" + *close + "'?" : "";
}

std::int64_t integer(const context& c, const toml::node& n, const std::string& what, std::int64_t low,
                     std::int64_t high) {
    const auto* i = n.as_integer();
    if (i == nullptr) c.fail(n, what + " must be a whole number, not " + type_name(n));
    if (i->get() < low || i->get() > high)
        c.fail(n, what + " must be from " + std::to_string(low) + " to " + std::to_string(high));
    return i->get();
}

std::string text(const context& c, const toml::node& n, const std::string& what) {
    const auto* s = n.as_string();
    if (s == nullptr) c.fail(n, what + " must be a string, not " + type_name(n));
    return s->get();
}

const toml::array& array(const context& c, const toml::node& n, const std::string& what, std::size_t most) {
    const auto* a = n.as_array();
    if (a == nullptr) c.fail(n, what + " must be an array, not " + type_name(n));
    if (a->size() > most) c.fail(n, what + " has more than " + std::to_string(most) + " entries");
    return *a;
}

std::array<double, 3> vec3(const context& c, const toml::node& n, const std::string& what) {
    const toml::array& a = array(c, n, what, 3);
    if (a.size() != 3) c.fail(n, what + " must be three numbers [x, y, z]");
    return {float_number(c, a[0], what), float_number(c, a[1], what), float_number(c, a[2], what)};
}

std::pair<int, std::array<double, 3>> value(const context& c, const toml::node& n, const std::string& what) {
    if (n.is_array()) return {3, vec3(c, n, what)};
    return {1, {float_number(c, n, what), 0.0, 0.0}};
}

time_range read_range(const context& c, const table_reader& r, bool finite) {
    time_range range;
    const toml::node* from = r.find("from");
    const toml::node* until = r.find("until");
    if (finite && (!from || !until)) c.fail(r.node(), "a camera row needs 'from' and 'until'");
    if (from) range.from = number(c, *from, "from");
    if (until) range.until = number(c, *until, "until");
    if (const toml::node* b = r.find("bounds")) {
        const std::string s = text(c, *b, "bounds");
        if (s.size() != 2 || (s[0] != '[' && s[0] != '(') || (s[1] != ']' && s[1] != ')'))
            c.fail(*b, "bounds must be \"[)\", \"(]\", \"[]\" or \"()\", not \"" + s + "\"");
        range.from_inclusive = s[0] == '[';
        range.until_inclusive = s[1] == ']';
    }
    const bool empty = range.from > range.until ||
                       (range.from == range.until && !(range.from_inclusive && range.until_inclusive));
    if (empty) c.fail(from ? *from : r.node(), "the range ends before it starts");
    return range;
}

file_place context::place_of(const toml::node& n, const std::string& written) const {
    file_place at;
    if (!folder) return at; // the built-in piece: its files are the program's own, as before
    at.line = std::max<long>(1, static_cast<long>(n.source().begin.line));
    at.column = std::max<long>(1, static_cast<long>(n.source().begin.column));
    if (fs::path(written).is_absolute()) return at;
    std::error_code no_working;
    const fs::path working = fs::current_path(no_working);
    std::error_code unknown;
    if (folder && !(!no_working && fs::equivalent(*folder, working, unknown))) at.folders.push_back(folder->string());
    at.folders.push_back(no_working ? std::string(".") : working.string());
    return at;
}

bool in_order(const time_range& earlier, const time_range& later) {
    return earlier.until < later.from ||
           (earlier.until == later.from && !(earlier.until_inclusive && later.from_inclusive));
}

std::string time_text(double t) {
    return number_text::shortest(t);
}

std::string overlap(const time_range& earlier, const time_range& later) {
    if (earlier.until == later.from) return ": both hold " + time_text(later.from);
    const std::string start = std::isinf(later.from) ? "it has no start" : "it starts at " + time_text(later.from);
    const std::string end = std::isinf(earlier.until) ? "has no end" : "ends at " + time_text(earlier.until);
    return ": " + start + ", the one above " + end;
}

} // namespace piece::reading
