#include "demo_capture/preflight.hpp"

#include "core/exceptions.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace capture {

namespace fs = std::filesystem;

std::optional<fs::path> find_on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return std::nullopt;
    const std::string folders = path;
    std::size_t from = 0;
    while (from <= folders.size()) {
        std::size_t colon = folders.find(':', from);
        if (colon == std::string::npos) colon = folders.size();
        // An empty entry means the current folder.
        const fs::path folder = colon == from ? fs::path(".") : fs::path(folders.substr(from, colon - from));
        const fs::path candidate = folder / name;
        std::error_code error;
        if (fs::is_regular_file(candidate, error) && access(candidate.c_str(), X_OK) == 0) return candidate;
        from = colon + 1;
    }
    return std::nullopt;
}

namespace {

void create_folder(const fs::path& folder, const std::string& what) {
    if (folder.empty()) return;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        throw runtime_error("capture::" + what + "(): Cannot create the folder '" + folder.string() +
                            "': " + (error ? error.message() : "a file is in the way") + ".");
    }
}

} // namespace

void require_writable_folder(const fs::path& folder) {
    create_folder(folder, "require_writable_folder");
    std::string probe = (folder / ".demo_capture_XXXXXX").string();
    const int fd = mkstemp(probe.data());
    if (fd < 0) {
        throw runtime_error("capture::require_writable_folder(): Cannot write into '" + folder.string() +
                            "': " + std::strerror(errno) + ".");
    }
    close(fd);
    unlink(probe.c_str());
}

void require_writable_file(const fs::path& file) {
    create_folder(file.parent_path(), "require_writable_file");
    const bool existed = fs::exists(file);
    // Opening for appending neither truncates nor alters a file that is there.
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw runtime_error("capture::require_writable_file(): Cannot write '" + file.string() +
                            "': " + std::strerror(errno) + ".");
    }
    close(fd);
    if (!existed) unlink(file.c_str());
}

} // namespace capture
