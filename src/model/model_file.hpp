#pragma once
// A model and its materials as the files give them, with no GL involved: what load_obj makes textures
// and buffers of, and what model_info reports.

#include "model/obj_parser.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct model_file {
    obj_mesh mesh;
    // The material file's materials in its order, map paths as they are to be opened, then the default
    // material (black, no maps) when the file has none or a group names one it lacks; never empty.
    std::vector<mtl_material> materials;
    // mesh.groups[i] takes materials[group_materials[i]].
    std::vector<std::size_t> group_materials;
};

// The largest model or material file read, 32 MiB: room for a mesh more than ten times the courtyard's
// 2.5 MB. What it parses into is bounded by the text: 108 bytes of vertices and indices a triangle, which
// takes 8 bytes as "f 1 2 3" (a file of them: about 430 MiB) and 2 bytes as one more corner of a polygon
// (a single polygon line going round its corners again and again: about 1.7 GiB).
inline constexpr std::uintmax_t max_model_file_size = std::uintmax_t{32} << 20;

// Reads an OBJ file and the MTL file whose path is the model path with its first "obj" replaced by
// "mtl". A map path is tried as written (relative to the working directory), then relative to the
// material file's folder. Faces before any usemtl take the material file's first material; a usemtl name
// the file lacks takes the default material.
// A model or material file that is missing, is no regular file (a folder, a device, after following
// links) or cannot be read leaves that part empty; that, a model without faces, left-out faces and
// missing material names are passed to warn.
// Throws invalid_argument for a path without "obj", runtime_error naming the file for one larger than
// max_model_file_size and naming path and line for a face that cannot be used.
model_file read_model_file(const std::string& path, const std::function<void(const std::string&)>& warn);
