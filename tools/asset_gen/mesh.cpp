#include "mesh.hpp"

#include <glm/geometric.hpp>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <unordered_map>

namespace asset_gen {

void mesh::triangle(const vertex& a, const vertex& b, const vertex& c) {
    const glm::dvec3 face = glm::cross(b.position - a.position, c.position - a.position);
    if (glm::length(face) < 1e-12) return;
    if (glm::dot(face, a.normal + b.normal + c.normal) < 0.0) {
        tris.push_back({a, c, b});
    } else {
        tris.push_back({a, b, c});
    }
}

void mesh::quad(const vertex& a, const vertex& b, const vertex& c, const vertex& d) {
    triangle(a, b, c);
    triangle(a, c, d);
}

namespace {

std::string number(double v, int decimals) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    std::string s(buffer);
    if (s.find_first_not_of("-0.") == std::string::npos) s = s.substr(s[0] == '-' ? 1 : 0);
    return s;
}

// Assigns 1-based indices to distinct lines in order of first use.
class index_table {
public:
    explicit index_table(std::string& lines) : out(lines) {}
    std::size_t operator()(const std::string& line) {
        const auto [it, added] = indices.try_emplace(line, indices.size() + 1);
        if (added) out += line + '\n';
        return it->second;
    }

private:
    std::string& out;
    std::unordered_map<std::string, std::size_t> indices;
};

void write_text(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

} // namespace

void write_obj(const std::filesystem::path& file, const mesh& m, const std::string& title) {
    std::string positions;
    std::string uvs;
    std::string normals;
    std::string faces;
    index_table position_index(positions);
    index_table uv_index(uvs);
    index_table normal_index(normals);
    for (const auto& tri : m.triangles()) {
        faces += 'f';
        for (const vertex& v : tri) {
            const glm::dvec3 n = glm::normalize(v.normal);
            const auto p = position_index("v " + number(v.position.x, 4) + ' ' + number(v.position.y, 4) + ' ' +
                                          number(v.position.z, 4));
            const auto t = uv_index("vt " + number(v.uv.x, 6) + ' ' + number(v.uv.y, 6));
            const auto nn = normal_index("vn " + number(n.x, 4) + ' ' + number(n.y, 4) + ' ' + number(n.z, 4));
            faces += ' ' + std::to_string(p) + '/' + std::to_string(t) + '/' + std::to_string(nn);
        }
        faces += '\n';
    }
    write_text(file, "# " + title + "\n# " + std::to_string(m.triangles().size()) + " triangles\n" + positions +
                         uvs + normals + faces);
}

void write_mtl(const std::filesystem::path& file, const material& mat) {
    const auto triple = [](const glm::dvec3& c) {
        return number(c.x, 4) + ' ' + number(c.y, 4) + ' ' + number(c.z, 4);
    };
    std::string text = "newmtl " + mat.name + "\nKd " + triple(mat.diffuse) + "\nKs " + triple(mat.specular) +
                       "\nNs " + number(mat.glossiness, 2) + '\n';
    if (mat.diffuse_map) text += "map_Kd " + *mat.diffuse_map + '\n';
    if (mat.specular_map) text += "map_Ks " + *mat.specular_map + '\n';
    if (mat.normal_map) text += "map_Bump " + *mat.normal_map + '\n';
    write_text(file, text);
}

} // namespace asset_gen
