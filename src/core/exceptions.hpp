#pragma once
// The engine's own exception tree. Every message starts with the qualified name of the
// throwing function and "(): "; what() returns the message unchanged.

#include <stdexcept>
#include <string>

class exception_base : public std::runtime_error {
public:
    explicit exception_base(const std::string& message) : std::runtime_error(message) {}
};

class runtime_error : public exception_base {
public:
    using exception_base::exception_base;
};

class invalid_argument : public exception_base {
public:
    using exception_base::exception_base;
};
