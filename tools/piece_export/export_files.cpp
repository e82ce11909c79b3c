#include "export_files.hpp"

#include "model/model_file.hpp"
#include "piece/named_files.hpp"
#include "piece/unread_file.hpp"

#include <algorithm>

namespace {

std::string where(const piece::named_path& n) {
    if (n.line == 0) return n.piece;
    return n.piece + ":" + std::to_string(n.line) + ":" + std::to_string(n.column);
}

// The material file the loader takes for the model (none when it finds none: the model plays with the
// default material) and the maps it names, which the loader must open. The model is a copy: `files` grows.
void add_model_parts(piece::named_path model, std::vector<piece::named_path>& files) {
    const model_file read = read_model_file(model.file, [](const std::string&) {});
    if (read.material_file.empty()) return;
    files.push_back({read.material_file, model.piece, model.line, model.column});
    for (const mtl_material& material : read.materials) {
        for (const auto* map : {&material.diffuse_map, &material.specular_map, &material.normal_map}) {
            if (!*map) continue;
            if (!piece::readable_file(**map))
                throw missing_file(where(model) + ": the map '" + **map + "' that '" + read.material_file +
                                   "' names cannot be read");
            files.push_back({**map, model.piece, model.line, model.column});
        }
    }
}

} // namespace

std::vector<std::string> export_files(const piece::piece_data& p) {
    std::vector<piece::named_path> named = piece::files_named(p);
    for (std::size_t i = 0, count = named.size(); i < count; ++i) {
        if (!piece::readable_file(named[i].file))
            throw missing_file(where(named[i]) + ": the file '" + named[i].file + "' cannot be read");
        if (named[i].model) add_model_parts(named[i], named);
    }
    std::vector<std::string> files;
    for (const piece::named_path& n : named) {
        if (n.file.find_first_of("\n\r") != std::string::npos)
            throw missing_file(where(n) + ": the path of '" + n.file +
                               "' has a line break, which a list of lines cannot hold");
        files.push_back(n.file);
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}
