#pragma once

#include "core/exceptions.hpp"

namespace logger {

class log_error : public exception_base {
public:
    using exception_base::exception_base;
};

} // namespace logger
