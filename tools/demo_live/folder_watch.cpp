#include "demo_live/folder_watch.hpp"

#include "core/exceptions.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace live {

folder_watch::folder_watch(const std::string& watched)
    : folder(watched)
    , fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd < 0)
        throw runtime_error(std::string("folder_watch::folder_watch(): inotify: ") + std::strerror(errno));
    // A file written in place is complete when it is closed; a renamed one when it arrives.
    if (inotify_add_watch(fd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        const int error = errno;
        close(fd);
        throw runtime_error("folder_watch::folder_watch(): Cannot watch '" + folder +
                            "': " + std::strerror(error));
    }
}

folder_watch::~folder_watch() {
    close(fd);
}

std::vector<std::string> folder_watch::saved_files() {
    std::vector<std::string> files;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break; // EAGAIN: nothing more queued
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0) {
                const std::string file = folder + "/" + event->name;
                if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // An editor's temporary file that was renamed over the real one is gone by now.
    std::erase_if(files, [](const std::string& file) {
        struct stat status {};
        return stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode);
    });
    return files;
}

} // namespace live
