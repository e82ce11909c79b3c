#include "piece/text_bounds.hpp"

#include "piece/piece_error.hpp"

#include <cctype>

namespace piece::reading {

namespace {

bool bare(char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '-';
}

bool blank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r';
}

// A pass over the text that knows just enough TOML: strings and comments, headers at the start of a line
// outside any value, runs of parts joined by dots (keys, and numbers, which have at most two parts), and
// the characters that start a value.
class scanner {
public:
    scanner(std::string_view text, const std::string& file)
        : s(text)
        , file(file) {}

    void run() {
        bool line_start = true;
        int depth = 0; // brackets and braces open in a value
        while (i < s.size()) {
            const char ch = s[i];
            if (ch == '\n') {
                line_start = true;
                step();
                continue;
            }
            if (blank(ch)) {
                step();
                continue;
            }
            const long l = line;
            const long col = column;
            if (ch == '#') {
                while (i < s.size() && s[i] != '\n')
                    step();
            } else if (ch == '[' && line_start && depth == 0) {
                step(peek(1) == '[' ? 2 : 1);
                skip_blanks();
                if (at_part()) add(tables, chain("a table name"), max_named_tables, l, col, tables_passed);
            } else if (at_part()) {
                const std::size_t parts = chain("a dotted key");
                skip_blanks();
                if (peek() == '=' && parts > 1)
                    add(tables, parts - 1, max_named_tables, l, col, tables_passed);
            } else {
                if (ch == '[' || ch == '{')
                    ++depth;
                else if ((ch == ']' || ch == '}') && depth > 0)
                    --depth;
                if (ch == '=' || ch == ',' || ch == '[' || ch == '{')
                    add(values, 1, max_values, l, col, values_passed);
                step();
            }
            line_start = false;
        }
    }

private:
    std::string_view s;
    const std::string& file;
    std::size_t i = 0;
    long line = 1;
    long column = 1;
    std::size_t tables = 0;
    std::size_t values = 0;

    char peek(std::size_t ahead = 0) const { return i + ahead < s.size() ? s[i + ahead] : '\0'; }
    bool at(std::string_view what) const { return s.substr(i, what.size()) == what; }
    void step(std::size_t n = 1) {
        for (; n > 0 && i < s.size(); --n, ++i) {
            if (s[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
    }
    void skip_blanks() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            step();
    }
    bool at_part() const { return bare(peek()) || peek() == '"' || peek() == '\''; }

    static std::string tables_passed() {
        return "the piece names more than " + std::to_string(max_named_tables) +
               " tables in headers and dotted keys";
    }
    static std::string values_passed() {
        return "the piece holds more than " + std::to_string(max_values) + " values";
    }

    // The message is made only when it is needed: values are counted for every comma.
    void add(std::size_t& counter, std::size_t n, std::size_t most, long l, long col,
             std::string (*what)()) const {
        counter += n;
        if (counter > most) throw piece_error(file, l, col, what());
    }

    // A string's end as toml++ finds it (a one-line string that is not closed ends with its line).
    void string() {
        const char quote = peek();
        const bool escapes = quote == '"';
        if (at(quote == '"' ? "\"\"\"" : "'''")) {
            step(3);
            while (i < s.size()) {
                if (escapes && s[i] == '\\' && peek(1) != '\n') {
                    step(2);
                } else if (peek() == quote && peek(1) == quote && peek(2) == quote) {
                    step(3);
                    for (int more = 0; more < 2 && peek() == quote; ++more)
                        step(); // quotes inside the string
                    return;
                } else {
                    step();
                }
            }
            return;
        }
        step();
        while (i < s.size() && s[i] != '\n') {
            if (escapes && s[i] == '\\' && peek(1) != '\n') {
                step(2);
            } else if (s[i] == quote) {
                step();
                return;
            } else {
                step();
            }
        }
    }

    // Parts joined by dots, `what` if it is too deep: the count of parts.
    std::size_t chain(const char* what) {
        const long l = line;
        const long col = column;
        std::size_t parts = 0;
        while (true) {
            if (bare(peek())) {
                while (bare(peek()))
                    step();
            } else {
                string();
            }
            if (++parts > max_key_parts)
                throw piece_error(file, l, col,
                                  std::string(what) + " of more than " + std::to_string(max_key_parts) +
                                      " parts");
            skip_blanks();
            if (peek() != '.') return parts;
            step();
            skip_blanks();
            if (!at_part()) return parts;
        }
    }
};

} // namespace

void check_text_bounds(std::string_view text, const std::string& file) {
    scanner(text, file).run();
}

} // namespace piece::reading
