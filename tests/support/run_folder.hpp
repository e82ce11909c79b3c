#pragma once
// A scratch copy of the program's run folder: config.ini written by the test, links to the
// repository's shaders/ and to every generated asset, so one file at a time can be replaced or broken.

#include "support/temp_dir.hpp"

#include <filesystem>
#include <string>

namespace test_support {

// A config.ini for a small windowed run with the given title.
std::string small_config(const std::string& title, int width = 320, int height = 240);

class run_folder {
public:
    run_folder();
    const std::filesystem::path& path() const { return dir.path(); }
    // Writes (replacing any link) a file relative to the folder.
    std::filesystem::path write(const std::string& name, const std::string& content) const;
    void remove(const std::string& name) const;
    std::string read(const std::string& name) const;
    // shaders/ as a folder of copies (subfolders included) in place of the link, so that one can be edited.
    void copy_shaders() const;

private:
    temp_dir dir;
};

} // namespace test_support
