#pragma once

#include "core/exceptions.hpp"

namespace gl {

// Failure of the GL object layer to obtain an object from the driver.
class api_error : public ::runtime_error {
public:
    using ::runtime_error::runtime_error;
};

} // namespace gl
