#include "demo_live/folder_watch.hpp"

#include "core/exceptions.hpp"
#include "logger/log_manager.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace live {

folder_watch::folder_watch(const std::string& watched, const std::string& purpose,
                           logger::log_manager& records)
    : folder(watched)
    , what(purpose)
    , log(records)
    , fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd < 0)
        throw runtime_error(std::string("folder_watch::folder_watch(): inotify: ") + std::strerror(errno));
    if (!add_watch()) {
        const int error = errno;
        close(fd);
        throw runtime_error("folder_watch::folder_watch(): Cannot watch '" + folder +
                            "': " + std::strerror(error));
    }
}

bool folder_watch::add_watch() {
    // A file written in place is complete when it is closed; a renamed one when it arrives. The folder
    // moved away is let go at once; removed, the kernel lets it go (IN_IGNORED).
    watch = inotify_add_watch(fd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVE_SELF | IN_ONLYDIR);
    return watch >= 0;
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
            // Events of a watch let go earlier, queued before it went, are stale.
            const bool current = event->wd == watch;
            if (current && (event->mask & (IN_IGNORED | IN_MOVE_SELF)) != 0) {
                if ((event->mask & IN_MOVE_SELF) != 0) inotify_rm_watch(fd, watch);
                watch = -1;
                log.warning("The folder '" + folder + "' is gone: saves of " + what +
                            " in it are not seen until it is back.");
            } else if (current && event->len > 0) {
                const std::string file = folder + "/" + event->name;
                if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (watch < 0 && add_watch()) {
        // Made again, by a copy perhaps still under way: what is there now is new, the rest is seen saved.
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            found.push_back(folder + "/" + entry.path().filename().string());
        std::sort(found.begin(), found.end());
        for (const std::string& file : found) {
            if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
        }
        log.info("The folder '" + folder + "' is back: watching it for " + what + " again.");
    }
    // An editor's temporary file that was renamed over the real one is gone by now.
    std::erase_if(files, [](const std::string& file) {
        struct stat status {};
        return stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode);
    });
    return files;
}

} // namespace live
