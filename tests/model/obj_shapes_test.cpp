// One small hand-written file per shape of OBJ file the loader takes beyond plain triangles.

#include "model/model_file.hpp"
#include "model/obj_parser.hpp"
#include "support/temp_dir.hpp"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// A tent: two faces meeting at the ridge x = 0, each rising to it at 45 degrees.
const std::string tent = "v -1 0 0\nv 0 1 0\nv 0 1 -1\nv -1 0 -1\nv 1 0 0\nv 1 0 -1\n";

// The triangles' total area; each must face +z (or -z for facing = -1).
float area(const obj_mesh& mesh, float facing = 1.0f) {
    float sum = 0.0f;
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
        const glm::vec3 a = mesh.vertices[3 * t].position;
        const glm::vec3 n =
            glm::cross(mesh.vertices[3 * t + 1].position - a, mesh.vertices[3 * t + 2].position - a);
        EXPECT_GT(facing * n.z, 0.0f) << "triangle " << t << " keeps the polygon's winding";
        sum += glm::length(n) / 2.0f;
    }
    return sum;
}

TEST(ObjShapes, CornerFormsMixAndMissingPartsAreFilledIn) {
    const obj_mesh mesh = parse_obj(
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.25\nvn 0 0 1\nf 1 2 3\nf 1/1 2/1 3/1\nf 1//1 2//1 3//1\n"
        "f 1/1/1 2/1/1 3/1/1\n");
    ASSERT_EQ(mesh.triangles.size(), 4u);
    EXPECT_EQ(mesh.vertices[0].uv, glm::vec2(0.0f)) << "no texture coordinate";
    EXPECT_EQ(mesh.vertices[3].uv, glm::vec2(0.5f, 0.75f));
    for (const model_vertex& v : mesh.vertices)
        EXPECT_EQ(v.normal, glm::vec3(0, 0, 1));
    EXPECT_EQ(mesh.file_normals, 6u);
    EXPECT_EQ(mesh.computed_normals, 6u);
    EXPECT_EQ(mesh.file_uvs, 6u);
    EXPECT_EQ(mesh.missing_uvs, 6u);
}

TEST(ObjShapes, ComputedNormalsAreSmoothUnlessSmoothingIsOff) {
    const glm::vec3 left = glm::normalize(glm::vec3(-1, 1, 0));
    const glm::vec3 right = glm::normalize(glm::vec3(1, 1, 0));
    // One triangle on the left, two as large on the right; all three meet at (0, 1, -1).
    const std::string faces = "f 1 2 3\nf 5 6 3\nf 5 3 2\n";
    const obj_mesh smooth = parse_obj(tent + faces);
    EXPECT_LT(glm::distance(smooth.vertices[2].normal, glm::normalize(left + 2.0f * right)), 1e-6f);
    EXPECT_LT(glm::distance(smooth.vertices[1].normal, glm::vec3(0, 1, 0)), 1e-6f);
    EXPECT_LT(glm::distance(smooth.vertices[0].normal, left), 1e-6f) << "only the left face at the eave";

    const obj_mesh flat = parse_obj(tent + "s off\n" + faces);
    EXPECT_LT(glm::distance(flat.vertices[1].normal, left), 1e-6f);
    EXPECT_LT(glm::distance(flat.vertices[8].normal, right), 1e-6f);
    EXPECT_EQ(parse_obj(tent + "s 0\n" + faces).vertices[1].normal, flat.vertices[1].normal);
    EXPECT_EQ(parse_obj(tent + "s off\ns 1\n" + faces).vertices[1].normal, smooth.vertices[1].normal);
}

TEST(ObjShapes, PolygonsAreFannedOrEarClippedAndDegenerateOnesLeftOut) {
    const std::string square = "v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\n";
    const obj_mesh fan = parse_obj(square + "f 1 2 3 4\n");
    ASSERT_EQ(fan.triangles.size(), 2u);
    EXPECT_EQ(fan.vertices[3].position, fan.vertices[0].position) << "a fan from the first corner";
    EXPECT_EQ(fan.vertices[5].position, glm::vec3(0, 2, 0));
    EXPECT_FLOAT_EQ(area(fan), 4.0f);

    // An L of area 3; a fan from its first corner would reach over the missing square (area 3.5).
    const obj_mesh ell = parse_obj("v 0 1 0\nv 0 0 0\nv 2 0 0\nv 2 2 0\nv 1 2 0\nv 1 1 0\nf 1 2 3 4 5 6\n");
    ASSERT_EQ(ell.triangles.size(), 4u);
    EXPECT_FLOAT_EQ(area(ell), 3.0f);
    // A wider L wound the other way round, facing -z: clipped in its own orientation, area 6.
    const obj_mesh back = parse_obj("v 0 1 0\nv 0 0 0\nv 4 0 0\nv 4 2 0\nv 2 2 0\nv 2 1 0\nf 6 5 4 3 2 1\n");
    ASSERT_EQ(back.triangles.size(), 4u);
    EXPECT_FLOAT_EQ(area(back, -1.0f), 6.0f);

    // A concave star of 20,000 corners is fanned: clipping its ears would take minutes.
    std::string star;
    std::string face = "f";
    constexpr int points = 20000;
    for (int i = 0; i < points; ++i) {
        const double angle = 6.283185307179586 * i / points;
        const double radius = i % 2 == 0 ? 1.0 : 0.5;
        star += "v " + std::to_string(radius * std::cos(angle)) + " " +
                std::to_string(radius * std::sin(angle)) + " 0\n";
        face += " " + std::to_string(i + 1);
    }
    EXPECT_EQ(parse_obj(star + face + "\n").triangles.size(), static_cast<std::size_t>(points - 2));

    const obj_mesh dropped = parse_obj(square + "f 1 2\nf 1 2 1 2\nf 1 2 3 4\nf 1 1 1\n");
    EXPECT_EQ(dropped.triangles.size(), 3u) << "a triangle stays even without area, as ever";
    EXPECT_EQ(dropped.dropped_faces, 2u);
}

TEST(ObjShapes, NegativeIndicesAndContinuedLinesReadAsTheirPlainForm) {
    const std::string lists = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 1\nvn 0 0 1\n";
    const obj_mesh plain = parse_obj(lists + "f 1/1/1 2/2/1 3/1/1\n");
    const obj_mesh relative = parse_obj(lists + "f -3/-2/-1 \\\n  -2/-1/-1 \\\r\n-1/1/1\nv 5 5 5\n");
    ASSERT_EQ(relative.vertices.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(relative.vertices[i].position, plain.vertices[i].position);
        EXPECT_EQ(relative.vertices[i].uv, plain.vertices[i].uv);
    }
    const obj_mesh tight = parse_obj(lists + "f 1/1/1 2/2/1\\\n3/1/1\n");
    ASSERT_EQ(tight.vertices.size(), 3u) << "the backslash reads as a blank between 2/2/1 and 3/1/1";
    EXPECT_EQ(tight.vertices[2].position, plain.vertices[2].position);
    try {
        parse_obj(lists + "\nf 1 2 3 \\\n -4\n");
        FAIL() << "refused";
    } catch (const obj_parse_error& e) {
        EXPECT_EQ(e.line, 8u) << "the first line of the continued face";
        EXPECT_EQ(e.reason, "face index out of range");
    }
}

TEST(ObjShapes, MaterialGroupsGatherTheirTriangles) {
    const std::string lists = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 0 0\nv 6 0 0\nv 5 1 0\n";
    const obj_mesh mesh =
        parse_obj(lists + "f 1 2 3\nusemtl red\nf 4 5 6\nusemtl blue\nf 1 2 3\nusemtl red\nf 1 3 2\n");
    ASSERT_EQ(mesh.groups.size(), 3u);
    EXPECT_EQ(mesh.groups[0].material, "");
    EXPECT_EQ(mesh.groups[1].material, "red");
    EXPECT_EQ(mesh.groups[1].first_triangle, 1u);
    EXPECT_EQ(mesh.groups[1].triangle_count, 2u);
    EXPECT_EQ(mesh.groups[2].material, "blue");
    EXPECT_EQ(mesh.vertices[3].position, glm::vec3(5, 0, 0));
    EXPECT_EQ(mesh.vertices[7].position, glm::vec3(0, 1, 0)) << "red's second face, moved up";
    EXPECT_EQ(mesh.vertices[9].position, glm::vec3(0, 0, 0));
}

TEST(ModelFile, GroupsTakeTheirMaterialsAndMapsAreFoundBesideTheMaterialFile) {
    const test_support::temp_dir dir;
    dir.write("models/m.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl b\nf 1 2 3\nusemtl gone\nf 1 2 3\n");
    dir.write("models/m.mtl", "newmtl a\nKd 1 0 0\nnewmtl b\nKd 0 1 0\nmap_Kd -clamp on tex/b.png\n"
                              "map_Ks models/tex/b.png\n");
    dir.write("models/tex/b.png", "");
    const test_support::scoped_cwd cwd(dir.path());
    std::vector<std::string> warnings;
    const model_file model =
        read_model_file("models/m.obj", [&warnings](const std::string& text) { warnings.push_back(text); });
    ASSERT_EQ(model.materials.size(), 3u) << "a, b and the default";
    EXPECT_EQ(model.group_materials, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(model.materials[1].diffuse_map, std::optional<std::string>("models/tex/b.png"));
    EXPECT_EQ(model.materials[1].specular_map, std::optional<std::string>("models/tex/b.png"))
        << "as written";
    EXPECT_EQ(model.materials[2].diffuse_color, glm::vec3(0));
    EXPECT_EQ(warnings,
              (std::vector<std::string>{
                  "Material 'gone' is not in 'models/m.mtl'; its faces get the default material."}));
}

TEST(ModelFile, TheModelsMtllibIsFollowedWhenNoMaterialFileIsBesideIt) {
    const test_support::temp_dir dir;
    // Two models sharing one material file, lines indented as exporters and hand edits indent them.
    const std::string faces = "mtllib ../shared/materials.mtl\n  v 0 0 0\n\tv 1 0 0\n \t v 0 1 0\n"
                              "\tusemtl b\n\tf 1 2 3\n";
    dir.write("models/one.obj", faces);
    dir.write("models/two.obj", faces);
    dir.write("models/two.mtl", "newmtl b\nKd 0 0 1\n"); // beside the model: it wins
    dir.write("shared/materials.mtl", "newmtl a\n  Kd 1 0 0\nnewmtl b\n\tKd 0 1 0\n");
    const test_support::scoped_cwd cwd(dir.path());
    std::vector<std::string> warnings;
    const auto warn = [&warnings](const std::string& text) { warnings.push_back(text); };

    const model_file one = read_model_file("models/one.obj", warn);
    ASSERT_EQ(one.mesh.triangles.size(), 1u);
    EXPECT_EQ(one.material_file, "models/../shared/materials.mtl");
    ASSERT_EQ(one.group_materials, (std::vector<std::size_t>{1}));
    EXPECT_EQ(one.materials[1].diffuse_color, glm::vec3(0, 1, 0));
    EXPECT_EQ(read_model_file("models/two.obj", warn).materials.at(0).diffuse_color, glm::vec3(0, 0, 1));
    EXPECT_TRUE(warnings.empty()) << warnings.front();

    dir.write("models/three.obj", "mtllib gone.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    EXPECT_EQ(read_model_file("models/three.obj", warn).material_file, "");
    EXPECT_EQ(warnings, (std::vector<std::string>{"Unable to open material file 'models/three.mtl' or the "
                                                  "model's mtllib 'gone.mtl'; the model keeps the default "
                                                  "material."}));
}

} // namespace
