#pragma once
// The value of a float token as std::num_get gives it in the classic locale, once the token's characters
// are known (optional sign, digits with at most one point, an exponent): correctly rounded; a value
// beyond float's range gives +-FLT_MAX and fails; characters that are no whole number give 0 and fail;
// a value below float's smallest normal is its rounded subnormal or zero and does not fail.

struct float_token {
    float value = 0.0f;
    bool ok = false;
};

// The fast way where the library has floating-point from_chars, else read_float_token_libc.
float_token read_float_token(const char* first, const char* last);
// The same through the C library's strtof alone, for standard libraries without floating-point from_chars.
float_token read_float_token_libc(const char* first, const char* last);
