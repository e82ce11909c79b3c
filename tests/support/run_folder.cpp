#include "support/run_folder.hpp"

namespace test_support {

namespace fs = std::filesystem;

std::string small_config(const std::string& title, int width, int height) {
    return "[display]\nscreen_width = " + std::to_string(width) +
           "\nscreen_height = " + std::to_string(height) + "\ntitle = " + title +
           "\nfullscreen = 0\n\n[camera]\nx = 0\ny = 3\nz = 10\ntilt = 0.1\npan = 0\ndistance = 1\n"
           "fov_y_degrees = 60\nnear_clip = 0.05\nfar_clip = 100\n";
}

run_folder::run_folder() {
    const fs::path source = ENGINE_SOURCE_DIR;
    fs::create_directory_symlink(source / "shaders", dir.path() / "shaders");
    fs::create_directory(dir.path() / "assets");
    if (fs::exists(source / "assets")) {
        for (const auto& entry : fs::directory_iterator(source / "assets")) {
            fs::create_symlink(entry.path(), dir.path() / "assets" / entry.path().filename());
        }
    }
}

fs::path run_folder::write(const std::string& name, const std::string& content) const {
    return dir.write(name, content);
}

void run_folder::remove(const std::string& name) const {
    std::error_code ignored;
    fs::remove(dir.path() / name, ignored);
}

std::string run_folder::read(const std::string& name) const {
    return read_file(dir.path() / name);
}

void run_folder::copy_shaders() const {
    remove("shaders");
    std::filesystem::copy(std::filesystem::path(ENGINE_SOURCE_DIR) / "shaders", path() / "shaders",
                          std::filesystem::copy_options::recursive);
}

} // namespace test_support
