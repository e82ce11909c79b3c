#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace asset_gen {

struct vertex {
    glm::dvec3 position;
    glm::dvec3 normal;
    glm::dvec2 uv; // OBJ convention: v = 0 at the bottom row of the image
};

// A triangle soup; each triangle keeps its own three corners, as the loader does.
class mesh {
public:
    // Adds the triangle wound counter-clockwise as seen from the side its normals point to;
    // degenerate triangles are dropped.
    void triangle(const vertex& a, const vertex& b, const vertex& c);
    // a, b, c, d around the quad's edge.
    void quad(const vertex& a, const vertex& b, const vertex& c, const vertex& d);

    const std::vector<std::array<vertex, 3>>& triangles() const { return tris; }

private:
    std::vector<std::array<vertex, 3>> tris;
};

struct material {
    std::string name;
    glm::dvec3 diffuse;
    glm::dvec3 specular;
    double glossiness;
    std::optional<std::string> diffuse_map;
    std::optional<std::string> specular_map;
    std::optional<std::string> normal_map;
};

// Writes "v", "vt", "vn" (shared where equal after rounding) and "f p/t/n" lines, nothing else the
// loader would not understand besides comments. Throws std::runtime_error on write failure.
void write_obj(const std::filesystem::path& file, const mesh& m, const std::string& title);
void write_mtl(const std::filesystem::path& file, const material& mat);

} // namespace asset_gen
