#include "piece/unread_file.hpp"

#include <filesystem>
#include <fstream>

namespace piece {

bool readable_file(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    return std::ifstream(path, std::ios::binary).is_open();
}

std::string unread_file_place(const piece_data& p, const std::string& path, const file_place& at) {
    if (at.line == 0 || readable_file(path)) return {};
    std::string place = " (named at " + p.file + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
    for (std::size_t i = 0; i < at.folders.size(); ++i)
        place += (i == 0 ? "; looked in '" : "' and '") + at.folders[i];
    return place + (at.folders.empty() ? ")" : "')");
}

std::string with_place(std::string message, const std::string& place) {
    if (place.empty()) return message;
    if (!message.empty() && message.back() == '.') message.pop_back();
    return message + place + ".";
}

} // namespace piece
