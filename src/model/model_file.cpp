#include "model/model_file.hpp"

#include "core/exceptions.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

namespace {

// The whole text of a model or material file; nothing when the path does not lead to a regular file
// or the file cannot be read, since opening a folder succeeds and a device may never end. Reads at most
// the size the file system reports, so the limit bounds what is read even for a file that grows.
std::optional<std::string> read_regular_file(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    if (size > max_model_file_size) {
        throw runtime_error("load_obj(): " + path + ": " + std::to_string(size) + " bytes, larger than the " +
                            std::to_string(max_model_file_size) + "-byte limit for a model or material file");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    file.read(text.data(), static_cast<std::streamsize>(size));
    if (file.bad()) return std::nullopt;
    text.resize(static_cast<std::size_t>(file.gcount())); // shorter when the file shrank meanwhile
    return text;
}

// The map path as written when it leads to a file, else the path relative to the material file's folder
// when that does; as written when neither does, so that the failure names the path the file gives.
std::string map_file(const std::string& written, const std::filesystem::path& material_folder) {
    std::error_code error;
    if (std::filesystem::is_regular_file(written, error) || material_folder.empty()) return written;
    const std::filesystem::path beside = material_folder / written;
    if (std::filesystem::is_regular_file(beside, error)) return beside.string();
    return written;
}

// The index of the material a group's name takes: the first for faces before any usemtl, the named one,
// or the default one (added at the end once) for a name the material file lacks.
class material_lookup {
public:
    explicit material_lookup(std::vector<mtl_material>& materials)
        : materials(materials)
        , named(materials.size()) {}

    std::size_t index_of(const std::string& name, const std::function<void(const std::string&)>& missing) {
        if (name.empty() && named > 0) return 0;
        for (std::size_t i = 0; i < named; ++i) {
            if (materials[i].name == name) return i;
        }
        if (!name.empty() && named > 0) missing(name);
        if (default_index == none) {
            default_index = materials.size();
            materials.emplace_back();
        }
        return default_index;
    }

private:
    static constexpr std::size_t none = ~std::size_t{0};

    std::vector<mtl_material>& materials;
    const std::size_t named; // the material file's materials, first in the list
    std::size_t default_index = none;
};

// The material files to try in order: the model path with "obj" replaced by "mtl", then the model's
// mtllib relative to the model's folder, as the whole rest of its line and (for a line naming several
// files) word by word.
std::vector<std::string> material_candidates(const std::string& model_path, const std::string& mtl_path,
                                             const std::string& library) {
    std::vector<std::string> candidates{mtl_path};
    if (library.empty()) return candidates;
    const std::filesystem::path folder = std::filesystem::path(model_path).parent_path();
    candidates.push_back((folder / library).string());
    std::size_t at = 0;
    while ((at = library.find_first_not_of(" \t", at)) != std::string::npos) {
        const std::size_t stop = std::min(library.find_first_of(" \t", at), library.size());
        if (stop == library.size() && at == 0) break; // one word: tried whole
        candidates.push_back((folder / library.substr(at, stop - at)).string());
        at = stop;
    }
    return candidates;
}

} // namespace

model_file read_model_file(const std::string& path, const std::function<void(const std::string&)>& warn) {
    const std::optional<std::string> mtl_path = material_path(path);
    if (!mtl_path) throw invalid_argument("load_obj(): no material path for '" + path + "'");

    model_file model;
    if (const std::optional<std::string> obj_text = read_regular_file(path)) {
        try {
            model.mesh = parse_obj(*obj_text);
        } catch (const obj_parse_error& e) {
            throw runtime_error("load_obj(): " + path + ":" + std::to_string(e.line) + ": " + e.reason);
        }
        if (model.mesh.triangles.empty()) warn("Model file '" + path + "' has no faces.");
        if (model.mesh.dropped_faces > 0) {
            warn("Model file '" + path + "': left out " + std::to_string(model.mesh.dropped_faces) +
                 " face(s) with fewer than three corners or without area.");
        }
    } else {
        warn("Unable to open model file '" + path + "'; the model has no faces.");
    }

    std::optional<std::string> mtl_text;
    for (const std::string& candidate : material_candidates(path, *mtl_path, model.mesh.material_library)) {
        mtl_text = read_regular_file(candidate);
        if (mtl_text) {
            model.material_file = candidate;
            break;
        }
    }
    if (mtl_text) {
        model.materials = parse_mtl(*mtl_text);
        const std::filesystem::path folder = std::filesystem::path(model.material_file).parent_path();
        for (mtl_material& material : model.materials) {
            for (auto* map : {&material.diffuse_map, &material.specular_map, &material.normal_map}) {
                if (*map) *map = map_file(**map, folder);
            }
        }
    } else if (model.mesh.material_library.empty()) {
        warn("Unable to open material file '" + *mtl_path + "'; the model keeps the default material.");
    } else {
        warn("Unable to open material file '" + *mtl_path + "' or the model's mtllib '" +
             model.mesh.material_library + "'; the model keeps the default material.");
    }

    material_lookup lookup(model.materials);
    for (const obj_group& group : model.mesh.groups) {
        model.group_materials.push_back(lookup.index_of(group.material, [&](const std::string& name) {
            warn("Material '" + name + "' is not in '" + model.material_file +
                 "'; its faces get the default material.");
        }));
    }
    if (model.materials.empty()) model.materials.emplace_back();
    return model;
}
