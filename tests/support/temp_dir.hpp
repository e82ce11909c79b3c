#pragma once

#include <filesystem>
#include <string>

namespace test_support {

// A fresh directory under the system's temporary folder, removed with everything in it at the end.
class temp_dir {
public:
    temp_dir();
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::filesystem::path& path() const { return root; }
    // Writes content to path()/name (creating parent folders, replacing any entry there, a link included)
    // and returns the full path.
    std::filesystem::path write(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path root;
};

std::string read_file(const std::filesystem::path& file);

// Writes `content` as a new file at `file`, creating parent folders. An existing entry is removed first, so
// a link in a run folder is replaced, never written through to the file it points at.
void replace_file(const std::filesystem::path& file, const std::string& content);

// Changes the working directory for a scope (the program reads its files relative to it).
class scoped_cwd {
public:
    explicit scoped_cwd(const std::filesystem::path& dir);
    ~scoped_cwd();
    scoped_cwd(const scoped_cwd&) = delete;
    scoped_cwd& operator=(const scoped_cwd&) = delete;

private:
    std::filesystem::path previous;
};

} // namespace test_support
