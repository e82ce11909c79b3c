#pragma once
// Numbers to text and back as std::to_chars and std::from_chars give them, for every target: where the
// standard library lacks their floating-point forms (the browser build's), through the C library with the
// same results.

#include <optional>
#include <string>
#include <string_view>

namespace number_text {

// value as printf's "%.<precision>f" writes it (precision 0 to 17), into [first, last); the end written,
// or null when it does not fit.
char* fixed(char* first, char* last, double value, int precision);

// The shortest text that reads back as value: to_chars' plain form, fixed or scientific, whichever is shorter
// (fixed on a tie), "inf", "-inf" or "nan" for those.
std::string shortest(double value);
// shortest through snprintf and strtod alone.
std::string shortest_libc(double value);

// The whole of text as from_chars reads a double in its general form (no leading '+' or white space);
// nothing for any other text or a value beyond double's range.
std::optional<double> parse(std::string_view text);
// parse through strtod alone.
std::optional<double> parse_libc(std::string_view text);

} // namespace number_text
