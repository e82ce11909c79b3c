#pragma once

#include "core/exceptions.hpp"

namespace platform {

// Failures of the platform and sound layers (GLFW, windows, monitors, SDL audio).
class platform_error : public ::runtime_error {
public:
    using ::runtime_error::runtime_error;
};

} // namespace platform
