#pragma once
// Watches a folder of shader files with inotify. Editors save by writing a file in place or by renaming a
// new file over the old one, so the folder is watched, not the files: both end in an event for the name.

#include <string>
#include <vector>

namespace live {

class shader_watch {
public:
    // Watches `folder` (a link to a folder is followed). Throws runtime_error when it cannot.
    explicit shader_watch(const std::string& folder);
    ~shader_watch();
    shader_watch(const shader_watch&) = delete;
    shader_watch& operator=(const shader_watch&) = delete;

    // The files saved since the last call that are still there, as "<folder>/<name>", each once, in the
    // order first saved. Never waits.
    std::vector<std::string> saved_files();

private:
    std::string folder;
    int fd = -1;
};

} // namespace live
