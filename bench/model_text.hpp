#pragma once

#include <cstddef>
#include <filesystem>

// Writes a triangulated OBJ model of the given number of triangles (even) to path: a rolling height
// field with tiled texture coordinates and a table of shared normals, every face "f p/t/n p/t/n p/t/n",
// as exporters write them. The same count always gives the same bytes. Returns the file size.
std::size_t write_model_text(const std::filesystem::path& path, std::size_t triangle_count);
