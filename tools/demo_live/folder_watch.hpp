#pragma once
// Watches a folder of files (shaders, a piece) with inotify. Editors save by writing a file in place or by
// renaming a new file over the old one, so the folder is watched, not the files: both end in an event for
// the name.

#include <string>
#include <vector>

namespace live {

class folder_watch {
public:
    // Watches `folder` (a link to a folder is followed). Throws runtime_error when it cannot.
    explicit folder_watch(const std::string& folder);
    ~folder_watch();
    folder_watch(const folder_watch&) = delete;
    folder_watch& operator=(const folder_watch&) = delete;

    // The files saved since the last call that are still there, as "<folder>/<name>", each once, in the
    // order first saved. Never waits.
    std::vector<std::string> saved_files();

private:
    std::string folder;
    int fd = -1;
};

} // namespace live
