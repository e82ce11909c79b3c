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
    // The material file read; empty when none could be.
    std::string material_file;
};

// The largest model or material file read, 32 MiB: room for a mesh more than ten times the courtyard's
// 2.5 MB. Loading one within it takes at most about 650 MiB whatever it holds: its text, 108 bytes of
// vertices and indices a triangle up to max_model_triangles (the bound a file of 2-byte polygon corners
// reaches first; past it the file is refused), 12 while a polygon is read, 16 for computed normals and
// regrouping by material. A common export (positions, texture coordinates and normals, triangles and quads,
// several materials) takes about 3 times its size. tests/tools/model_info_test.cpp holds both (1 GiB, 12x).
inline constexpr std::uintmax_t max_model_file_size = std::uintmax_t{32} << 20;

// Reads an OBJ file and the MTL file whose path is the model path with its first "obj" replaced by
// "mtl"; when that cannot be read, the file the model's mtllib names, relative to the model's folder
// (models sharing one material file). A map path is tried as written (relative to the working
// directory), then relative to the material file's folder. Faces before any usemtl take the material
// file's first material; a usemtl name the file lacks takes the default material.
// A model or material file that is missing, is no regular file (a folder, a device, after following
// links) or cannot be read leaves that part empty; that, a model without faces, left-out faces and
// missing material names are passed to warn.
// Throws invalid_argument for a path without "obj", runtime_error naming the file for one larger than
// max_model_file_size and naming path and line for a face that cannot be used.
model_file read_model_file(const std::string& path, const std::function<void(const std::string&)>& warn);
