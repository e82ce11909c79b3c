#pragma once
// Watches a folder of files (shaders, a piece) with inotify. Editors save by writing a file in place or by
// renaming a new file over the old one, so the folder is watched, not the files: both end in an event for
// the name. A folder removed or moved away (`rm -r mine; cp -r backup mine`) is looked for by its name at
// every call and watched again when it is back.

#include <string>
#include <vector>

namespace logger {
class log_manager;
}

namespace live {

class folder_watch {
public:
    // Watches `folder` (a link to a folder is followed) for `what` ("shader files"), the words of the
    // records `log` gets when the folder goes and comes back. Throws runtime_error when it cannot.
    folder_watch(const std::string& folder, const std::string& what, logger::log_manager& log);
    ~folder_watch();
    folder_watch(const folder_watch&) = delete;
    folder_watch& operator=(const folder_watch&) = delete;

    // The files saved since the last call that are still there, as "<folder>/<name>", each once, in the
    // order first saved; when the folder is back after going, every file in it. Never waits.
    std::vector<std::string> saved_files();

private:
    // Watches the folder found by its name now; false when there is none.
    bool add_watch();

    std::string folder;
    std::string what;
    logger::log_manager& log;
    int fd = -1;
    int watch = -1; // -1 while the folder is gone
};

} // namespace live
