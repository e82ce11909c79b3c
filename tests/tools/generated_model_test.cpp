#include "generated_assets.hpp"

#include "piece/builtin_piece.hpp"
#include "piece/camera_rows.hpp"
#include "model/obj_parser.hpp"

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using corners = std::array<glm::dvec3, 3>;

// Every line must be one the loader reads as intended: short, and a comment, a vertex, a texture
// coordinate, a normal or a triangle of p/t/n corners.
void expect_loader_subset(const std::filesystem::path& file) {
    static const std::regex allowed(
        R"(#.*|v( -?\d+\.\d+){3}|vt( -?\d+\.\d+){2}|vn( -?\d+\.\d+){3}|f( \d+/\d+/\d+){3})");
    std::ifstream in(file);
    std::string line;
    int number = 0;
    int rejected = 0;
    while (std::getline(in, line)) {
        ++number;
        const bool ok = line.size() < 127 && (line.empty() || std::regex_match(line, allowed));
        if (!ok && ++rejected <= 5) ADD_FAILURE() << file.filename() << ":" << number << ": " << line;
    }
    EXPECT_GT(number, 0);
}

// Loads through the engine's own parser, which also rejects any index out of range.
obj_mesh load(const std::filesystem::path& file) {
    std::ifstream in(file);
    return parse_obj(in);
}

std::vector<corners> triangles_of(const obj_mesh& mesh) {
    std::vector<corners> result;
    for (const triangle& t : mesh.triangles) {
        corners c;
        for (int k = 0; k < 3; ++k) c[k] = glm::dvec3(mesh.vertices[t.indices[k]].position);
        result.push_back(c);
    }
    return result;
}

glm::dvec3 closest_point(const glm::dvec3& p, const corners& t) {
    const glm::dvec3 a = t[0], b = t[1], c = t[2];
    const glm::dvec3 ab = b - a, ac = c - a, ap = p - a;
    const double d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    const glm::dvec3 bp = p - b;
    const double d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
    const glm::dvec3 cp = p - c;
    const double d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const double denom = 1.0 / (va + vb + vc);
    return a + ab * (vb * denom) + ac * (vc * denom);
}

// Triangles bucketed by unit cells (bounds widened by `reach`) for nearest-distance queries.
class triangle_grid {
public:
    triangle_grid(const std::vector<corners>& tris, double reach) : all(tris), reach(reach) {
        for (std::size_t i = 0; i < tris.size(); ++i) {
            glm::dvec3 lo(1e9), hi(-1e9);
            for (const glm::dvec3& p : tris[i]) {
                lo = glm::min(lo, p);
                hi = glm::max(hi, p);
            }
            for (long x = cell(lo.x - reach); x <= cell(hi.x + reach); ++x)
                for (long y = cell(lo.y - reach); y <= cell(hi.y + reach); ++y)
                    for (long z = cell(lo.z - reach); z <= cell(hi.z + reach); ++z) cells[{x, y, z}].push_back(i);
        }
    }
    // Distance to the nearest triangle, or `reach` when none is closer.
    double distance(const glm::dvec3& p) const {
        double best = reach;
        const auto it = cells.find({cell(p.x), cell(p.y), cell(p.z)});
        if (it == cells.end()) return best;
        for (const std::size_t i : it->second) best = std::min(best, glm::length(p - closest_point(p, all[i])));
        return best;
    }

private:
    static long cell(double v) { return static_cast<long>(std::floor(v)); }
    const std::vector<corners>& all;
    double reach;
    std::map<std::array<long, 3>, std::vector<std::size_t>> cells;
};

class GeneratedModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        courtyard = new obj_mesh(load(tools_test::generated_assets() / "toristin.obj"));
        courtyard_triangles = new std::vector<corners>(triangles_of(*courtyard));
    }
    static void TearDownTestSuite() {
        delete courtyard_triangles;
        delete courtyard;
    }
    static obj_mesh* courtyard;
    static std::vector<corners>* courtyard_triangles;
};
obj_mesh* GeneratedModel::courtyard = nullptr;
std::vector<corners>* GeneratedModel::courtyard_triangles = nullptr;

TEST_F(GeneratedModel, BothModelsUseOnlyTheLoadersSubsetAndAreSubstantial) {
    const auto dir = tools_test::generated_assets();
    expect_loader_subset(dir / "toristin.obj");
    expect_loader_subset(dir / "teksti.obj");
    EXPECT_GE(courtyard->triangles.size(), 20000u);
    EXPECT_LE(courtyard->triangles.size(), 60000u);
    EXPECT_GT(load(dir / "teksti.obj").triangles.size(), 100u);
}

TEST_F(GeneratedModel, NormalsAreUnitAndFaceTheWayTheTrianglesAreWound) {
    std::size_t disagreeing = 0;
    std::size_t outside_atlas = 0;
    for (const triangle& t : courtyard->triangles) {
        const auto& v = courtyard->vertices;
        const glm::vec3 face = glm::cross(v[t.indices[1]].position - v[t.indices[0]].position,
                                          v[t.indices[2]].position - v[t.indices[0]].position);
        for (const std::uint32_t i : t.indices) {
            EXPECT_NEAR(glm::length(v[i].normal), 1.0f, 2e-3f);
            if (glm::dot(face, v[i].normal) <= 0.0f) ++disagreeing;
            // The engine clamps texture coordinates, so the atlas is never addressed outside [0, 1].
            if (v[i].uv.x < 0.0f || v[i].uv.x > 1.0f || v[i].uv.y < 0.0f || v[i].uv.y > 1.0f) ++outside_atlas;
        }
    }
    EXPECT_EQ(disagreeing, 0u);
    EXPECT_EQ(outside_atlas, 0u);
}

TEST_F(GeneratedModel, CameraPathKeepsClearOfEveryTriangle) {
    constexpr double clearance = 0.3;
    const triangle_grid grid(*courtyard_triangles, clearance);
    const piece::piece_data courtyard = piece::builtin_piece();
    for (double t = 0.001; t <= 75.0; t += 0.002) {
        const auto pose = piece::camera_pose_at(courtyard, t);
        ASSERT_TRUE(pose.has_value()) << t;
        ASSERT_GE(grid.distance(glm::dvec3(pose->position)), clearance) << "camera at t = " << t;
    }
}

TEST_F(GeneratedModel, FloorCoversTheCourtUnderTheWholeFlight) {
    std::vector<corners> floor;
    for (const corners& t : *courtyard_triangles) {
        const glm::dvec3 n = glm::normalize(glm::cross(t[1] - t[0], t[2] - t[0]));
        if (std::all_of(t.begin(), t.end(), [](const glm::dvec3& p) { return std::abs(p.y) < 1e-6; }) && n.y > 0.999) {
            floor.push_back(t);
        }
    }
    const triangle_grid grid(floor, 0.01);
    for (double x = -8.0; x <= 10.0; x += 0.25) {
        for (double z = -8.0; z <= 15.0; z += 0.25) {
            ASSERT_LT(grid.distance({x + 0.01, 0.0, z + 0.01}), 1e-6) << "no floor at x = " << x << ", z = " << z;
        }
    }
}

TEST_F(GeneratedModel, EmittersHoverJustAboveTheAltar) {
    constexpr double reach = 1.2;
    const triangle_grid grid(*courtyard_triangles, reach);
    const piece::piece_data courtyard = piece::builtin_piece();
    for (const piece::section& section : courtyard.sections) {
        for (const piece::emitter& e : section.emitters) {
            const glm::dvec3 origin(e.origin.constant); // the built-in emitters stand still
            EXPECT_GT(grid.distance(origin), 0.04) << "emitter inside geometry at y = " << origin.y;
            double below = reach;
            for (double drop = 0.0; drop < reach && below == reach; drop += 0.01) {
                if (grid.distance(origin - glm::dvec3{0, drop, 0}) < 0.01) below = drop;
            }
            EXPECT_LT(below, 1.15) << "nothing under the emitter at y = " << origin.y;
        }
    }
}

TEST(GeneratedMaterials, CourtyardNamesItsThreeMapsAndTheEmblemNone) {
    const auto dir = tools_test::generated_assets();
    std::ifstream courtyard(dir / "toristin.mtl");
    const std::vector<mtl_material> materials = parse_mtl(courtyard);
    ASSERT_EQ(materials.size(), 1u);
    const mtl_material& material = materials[0];
    EXPECT_GT(glm::length(material.diffuse_color), 0.0f);
    EXPECT_GT(material.glossiness, 0.0f);
    for (const auto& map : {material.diffuse_map, material.specular_map, material.normal_map}) {
        ASSERT_TRUE(map.has_value());
        const std::filesystem::path path = *map;
        EXPECT_EQ(path.parent_path(), "assets");
        EXPECT_TRUE(std::filesystem::exists(dir / path.filename())) << path;
    }
    std::ifstream emblem(dir / "teksti.mtl");
    const std::vector<mtl_material> letterings = parse_mtl(emblem);
    ASSERT_EQ(letterings.size(), 1u);
    const mtl_material& lettering = letterings[0];
    EXPECT_FALSE(lettering.diffuse_map || lettering.specular_map || lettering.normal_map);
    EXPECT_GT(glm::length(lettering.diffuse_color), 0.0f);
}

} // namespace
