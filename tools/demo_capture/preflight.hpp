#pragma once
// Checks made before any frame is rendered, so that a long capture cannot fail at its end.

#include <filesystem>
#include <optional>
#include <string>

namespace capture {

// The first executable file `name` in the folders of $PATH, or nothing.
std::optional<std::filesystem::path> find_on_path(const std::string& name);

// Creates the folder (and its parents) if needed and proves that a file can be created in it. Throws
// runtime_error naming the folder when not.
void require_writable_folder(const std::filesystem::path& folder);

// Proves that `file` can be written (its folder is created if needed), leaving an existing file as it was
// and no file where there was none. Throws runtime_error naming the file when not.
void require_writable_file(const std::filesystem::path& file);

} // namespace capture
