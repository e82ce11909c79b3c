#include "support/obj_text_generator.hpp"

#include "model/obj_parser.hpp"

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <tuple>

namespace test_support {
namespace {

// A number with three decimals, which both parsers read to the same float.
std::string decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

double unit(choice_source& choose) {
    return static_cast<double>(choose.below(2001)) / 1000.0 - 1.0;
}

glm::dvec3 direction(choice_source& choose) {
    const glm::dvec3 d(unit(choose), unit(choose), unit(choose) + 0.01);
    return glm::normalize(d);
}

// "p", "p/t", "p//n" or "p/t/n" for list entries counted from 1, absolute or back from the end.
std::string index_text(choice_source& choose, std::size_t one_based, std::size_t count) {
    if (choose.below(2) == 0) return std::to_string(one_based);
    return "-" + std::to_string(count - one_based + 1);
}

} // namespace

generated_obj generate_obj(choice_source& choose, std::size_t max_faces) {
    generated_obj model;
    std::string& text = model.text;
    std::size_t positions = 0;
    std::size_t uvs = 0;
    std::size_t normals = 0;
    int material = 0;
    text = "# generated\n";
    for (std::size_t f = 0; f < max_faces && !choose.exhausted(); ++f) {
        if (choose.below(8) == 0) text += "usemtl m" + std::to_string(material++) + "\n";
        if (choose.below(8) == 0) text += choose.below(2) ? "s off\n" : "s 1\n";

        generated_face face{3 + choose.below(10), choose.below(2) == 1, choose.below(2) == 1};
        // A circle in its own plane: corners evenly spaced with a little jitter stay convex and apart.
        const glm::dvec3 normal = direction(choose);
        const glm::dvec3 helper = std::abs(normal.x) < 0.9 ? glm::dvec3(1, 0, 0) : glm::dvec3(0, 1, 0);
        const glm::dvec3 u = glm::normalize(glm::cross(normal, helper));
        const glm::dvec3 v = glm::cross(normal, u);
        const glm::dvec3 centre(10 * unit(choose), 10 * unit(choose), 10 * unit(choose));
        const double radius = 2.0 + 3.0 * (unit(choose) + 1.0);
        const double step = 2.0 * 3.14159265358979 / static_cast<double>(face.corners);
        const double start = 3.0 * unit(choose);
        for (std::size_t i = 0; i < face.corners; ++i) {
            const double angle = start + step * (static_cast<double>(i) + 0.2 * unit(choose));
            const glm::dvec3 p = centre + radius * (std::cos(angle) * u + std::sin(angle) * v);
            text += "v " + decimal(p.x) + " " + decimal(p.y) + " " + decimal(p.z) + "\n";
            if (face.has_uv)
                text +=
                    "vt " + decimal((unit(choose) + 1) / 2) + " " + decimal((unit(choose) + 1) / 2) + "\n";
            if (face.has_normal) {
                const glm::dvec3 n = direction(choose);
                text += "vn " + decimal(n.x) + " " + decimal(n.y) + " " + decimal(n.z) + "\n";
            }
        }
        positions += face.corners;
        uvs += face.has_uv ? face.corners : 0;
        normals += face.has_normal ? face.corners : 0;

        text += "f";
        for (std::size_t i = 0; i < face.corners; ++i) {
            const std::size_t back = face.corners - i; // this corner's entries are `back` from the end
            text += " " + index_text(choose, positions - back + 1, positions);
            if (face.has_uv || face.has_normal) text += "/";
            if (face.has_uv) text += index_text(choose, uvs - back + 1, uvs);
            if (face.has_normal) text += "/" + index_text(choose, normals - back + 1, normals);
            if (i + 1 < face.corners && choose.below(6) == 0) text += " \\\n ";
        }
        text += "\n";
        model.faces.push_back(face);
    }
    return model;
}

std::string tinyobj_difference(const generated_obj& model) {
    obj_mesh ours;
    try {
        ours = parse_obj(std::string_view(model.text));
    } catch (const obj_parse_error& e) {
        return std::string("ours refuses: ") + e.what();
    }
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    std::string error;
    // tinyobjloader does not continue lines: it reads them joined.
    std::string joined = model.text;
    for (std::size_t at = joined.find("\\\n"); at != std::string::npos; at = joined.find("\\\n", at)) {
        joined.replace(at, 2, " ");
    }
    std::istringstream in(joined);
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, &in, nullptr, true)) {
        return "tinyobjloader refuses: " + error;
    }
    std::vector<tinyobj::index_t> theirs;
    for (const tinyobj::shape_t& shape : shapes) {
        theirs.insert(theirs.end(), shape.mesh.indices.begin(), shape.mesh.indices.end());
    }
    if (3 * ours.triangles.size() != theirs.size()) {
        return "triangles " + std::to_string(ours.triangles.size()) + " vs " +
               std::to_string(theirs.size() / 3);
    }

    // A corner as both can give it: position, then texture coordinate and normal where the file has them.
    using key = std::array<float, 8>;
    std::size_t at = 0;
    for (std::size_t f = 0; f < model.faces.size(); ++f) {
        const generated_face& face = model.faces[f];
        std::vector<key> our_corners;
        std::vector<key> their_corners;
        for (std::size_t k = 0; k < 3 * (face.corners - 2); ++k, ++at) {
            const model_vertex& mine = ours.vertices[at];
            key a{mine.position.x, mine.position.y, mine.position.z, 0, 0, 0, 0, 0};
            key b{};
            const tinyobj::index_t& index = theirs[at];
            for (int c = 0; c < 3; ++c)
                b[c] = attrib.vertices[3 * index.vertex_index + c];
            if (face.has_uv) {
                a[3] = mine.uv.x;
                a[4] = mine.uv.y; // stored as 1 - v
                b[3] = attrib.texcoords[2 * index.texcoord_index];
                b[4] = 1.0f - attrib.texcoords[2 * index.texcoord_index + 1];
            }
            if (face.has_normal) {
                for (int c = 0; c < 3; ++c) {
                    a[5 + c] = mine.normal[c];
                    b[5 + c] = attrib.normals[3 * index.normal_index + c];
                }
            }
            our_corners.push_back(a);
            their_corners.push_back(b);
        }
        if (face.corners > 3) {
            // Both split the polygon their own way; they must use the same corners.
            std::sort(our_corners.begin(), our_corners.end());
            our_corners.erase(std::unique(our_corners.begin(), our_corners.end()), our_corners.end());
            std::sort(their_corners.begin(), their_corners.end());
            their_corners.erase(std::unique(their_corners.begin(), their_corners.end()), their_corners.end());
        }
        if (our_corners != their_corners) return "face " + std::to_string(f) + " corners";
    }
    return "";
}

} // namespace test_support
