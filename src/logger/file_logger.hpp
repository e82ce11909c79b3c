#pragma once

#include "logger/ostream_logger.hpp"

#include <fstream>
#include <string>

namespace logger {

// An ostream_logger that owns its file, truncated on opening. A file that cannot be opened
// leaves a logger that silently writes nothing.
class file_logger : public ostream_logger {
public:
    file_logger(const std::string& file_name, level filter) : ostream_logger(file, filter) {
        file.open(file_name, std::ios::out | std::ios::trunc);
    }
    ~file_logger() override { file.close(); }

    bool is_open() const { return file.is_open(); }

private:
    std::ofstream file;
};

} // namespace logger
