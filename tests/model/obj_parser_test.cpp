#include "model/obj_parser.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace {

obj_mesh obj(const std::string& text) {
    std::istringstream in(text);
    return parse_obj(in);
}

std::vector<mtl_material> mtl(const std::string& text) {
    std::istringstream in(text);
    return parse_mtl(in);
}

// The line number and reason parse_obj rejects the text with; {0, ""} when it accepts it.
std::pair<std::size_t, std::string> rejection(const std::string& text) {
    try {
        obj(text);
    } catch (const obj_parse_error& e) {
        return {e.line, e.reason};
    }
    return {0, ""};
}

const std::string unit_lists = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                               "vt 0.25 0.75\nvt 1 0 0.5\n"
                               "vn 0 0 1\nvn 0 1 0\n";

TEST(ObjParser, EmptyAndFacelessTextsGiveEmptyMesh) {
    for (const char* text : {"", "\n\n\r\n", "v 1 2 3\nvt 0 0\nvn 0 0 1\n", "# comment only"}) {
        const obj_mesh mesh = obj(text);
        EXPECT_TRUE(mesh.vertices.empty()) << text;
        EXPECT_TRUE(mesh.triangles.empty()) << text;
    }
}

TEST(ObjParser, EveryCornerBecomesItsOwnVertex) {
    const obj_mesh mesh = obj(unit_lists + "f 2/1/1 3/2/2 1/1/1\nf 4/2/2 4/2/2 2/1/1\n");
    ASSERT_EQ(mesh.vertices.size(), 6u);
    ASSERT_EQ(mesh.triangles.size(), 2u) << "a triangle without area stays";
    EXPECT_EQ(mesh.triangles[0].indices, (std::array<std::uint32_t, 3>{0, 1, 2}));
    EXPECT_EQ(mesh.triangles[1].indices, (std::array<std::uint32_t, 3>{3, 4, 5}));

    const model_vertex& first = mesh.vertices[0];
    EXPECT_EQ(first.position, glm::vec3(1, 0, 0));
    EXPECT_EQ(first.normal, glm::vec3(0, 0, 1));
    EXPECT_EQ(first.uv, glm::vec2(0.25f, 0.25f)) << "v is stored as 1 - v";
    EXPECT_EQ(mesh.vertices[1].position, glm::vec3(0, 1, 0));
    EXPECT_EQ(mesh.vertices[1].normal, glm::vec3(0, 1, 0));
    EXPECT_EQ(mesh.vertices[1].uv, glm::vec2(1, 1)) << "a third texture value is ignored";
    EXPECT_EQ(mesh.vertices[5].position, glm::vec3(1, 0, 0));
}

TEST(ObjParser, NumbersReadAsStreamsReadThem) {
    const obj_mesh mesh = obj("v 1e3 -2.5e-1 .5\nv\t+4 5. 6\nvt 0.1 0.3\nvn 1 2 3\nf 1/1/1 2/1/1 1/1/1\n");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[0].position, glm::vec3(1000.0f, -0.25f, 0.5f));
    EXPECT_EQ(mesh.vertices[1].position, glm::vec3(4.0f, 5.0f, 6.0f)) << "a tab also separates the keyword";
    float v = 0;
    std::istringstream("0.3") >> v;
    EXPECT_EQ(mesh.vertices[0].uv.y, 1.0f - v);
}

TEST(ObjParser, OtherLinesAreSkipped) {
    const std::string skipped = "# Blender export\nmtllib scene.mtl\no Cube\ng part\ns off\nusemtl Material\n"
                                "vp 9 9 9\n  vp 9 9 9\nl 1 2\n";
    const obj_mesh mesh = obj(skipped + unit_lists + "f 1/1/1 2/1/1 3/1/1\n");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[0].position, glm::vec3(0, 0, 0)) << "vp lines add no position";
}

TEST(ObjParser, LongLinesAreReadWholeAndReadingGoesOn) {
    std::string exact = "v 1 2 3";
    exact.resize(127, ' ');
    const std::string long_number = "v 1." + std::string(300, '0') + "1 2 3";
    const std::string long_comment = "#" + std::string(5000, 'x');
    const obj_mesh mesh = obj(exact + "\n" + long_comment + "\n" + long_number + "\nvt 0 0\nvn 0 0 1\n" +
                              "f 1/1/1 2/1/1 1/1/1\n");
    ASSERT_EQ(mesh.vertices.size(), 3u);
    EXPECT_EQ(mesh.vertices[0].position, glm::vec3(1, 2, 3));
    EXPECT_EQ(mesh.vertices[1].position, glm::vec3(1, 2, 3));
}

TEST(ObjParser, CrlfExportMatchesLfExport) {
    const std::string lf = "# exported\nmtllib quad.mtl\no Quad\n" + unit_lists +
                           "usemtl Mat\ns 1\n\n"
                           "f 1/1/1 2/2/1 4/1/2 3/2/2\nf 1/1/1 3/2/1 4/1/1\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const obj_mesh a = obj(lf);
    const obj_mesh b = obj(crlf);
    ASSERT_EQ(a.vertices.size(), 9u);
    ASSERT_EQ(b.vertices.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(a.vertices[i].position, b.vertices[i].position);
        EXPECT_EQ(a.vertices[i].normal, b.vertices[i].normal);
        EXPECT_EQ(a.vertices[i].uv, b.vertices[i].uv);
    }
}

TEST(ObjParser, UnusableFacesAreRejectedWithTheirLine) {
    // The face sits on line 10 of unit_lists + "\n" + face (8 list lines, one blank line).
    const std::vector<std::pair<std::string, std::string>> cases{
        {"f 0/1/1 1/1/1 2/1/1", "face index out of range"},
        {"f 1/1/1 -5/1/1 2/1/1", "face index out of range"},
        {"f 1/1/1 2/1/1 5/1/1", "face index out of range"},
        {"f 1/3/1 2/1/1 3/1/1", "face index out of range"},
        {"f 1/1/1 2/1/3 3/1/1", "face index out of range"},
        {"f 1/1/1 2/1/1 3/1/-3", "face index out of range"},
        {"f 1//1 2//1 3//0", "face index out of range"},
        {"f 1/1/1 2/1/1 3/1/1/1", "malformed face corner"},
        {"f 1/1/1 2/ 3/1/1", "malformed face corner"},
        {"f 1x1x1 2/1/1 3/1/1", "malformed face corner"},
        {"f a/b/c 1/1/1 2/1/1", "malformed face corner"},
        {"f 1/1/1 2/1/1 99999999999999999999/1/1", "malformed face corner"},
    };
    for (const auto& [face, reason] : cases) {
        EXPECT_EQ(rejection(unit_lists + "\n" + face + "\n"), std::make_pair(std::size_t{10}, reason))
            << face;
    }
    EXPECT_EQ(rejection("v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 2/1/1\nv 1 1 1\n"),
              std::make_pair(std::size_t{4}, std::string("face index out of range")))
        << "only lists read so far count";
    EXPECT_EQ(rejection("v 0 0 0\r\n\r\nvt 0 0\r\nvn 0 0 1\r\nf 1/1/1 1/1/1 1/1/0\r\n"),
              std::make_pair(std::size_t{5}, std::string("face index out of range")));
}

// The triangle limit at its boundary, with a limit of 4 in place of every model's 4 million: as many
// triangles as the limit are read, and the line that brings one more is refused, whether it is a triangle
// or a polygon whose pieces would pass it.
TEST(ObjParser, TheTriangleLimitTakesExactlyItsCountAndRefusesOneMore) {
    constexpr std::size_t limit = 4;
    // Seven corners of a convex heptagon on lines 1 to 7; faces from line 8 on.
    std::string corners;
    for (int i = 0; i < 7; ++i)
        corners += "v " + std::to_string(std::cos(i * 0.8975979)) + " " + std::to_string(std::sin(i * 0.8975979)) + " 0\n";
    const std::string triangle = "f 1 2 3\n";
    const std::string pentagon = "f 1 2 3 4 5\n";  // 3 triangles
    const std::string hexagon = "f 1 2 3 4 5 6\n"; // 4
    const std::string heptagon = "f 1 2 3 4 5 6 7\n"; // 5
    const struct {
        std::string faces;
        std::size_t refused_at; // 0: read, with `limit` triangles
    } cases[] = {
        {triangle + triangle + triangle + triangle, 0},
        {triangle + triangle + triangle + triangle + triangle, 12},
        {hexagon, 0},
        {heptagon, 8},
        {triangle + pentagon, 0},
        {pentagon + triangle, 0},
        {triangle + triangle + pentagon, 10},
        {pentagon + triangle + triangle, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faces);
        try {
            EXPECT_EQ(parse_obj(corners + c.faces, limit).triangles.size(), limit);
            EXPECT_EQ(c.refused_at, 0u) << "read";
        } catch (const obj_parse_error& e) {
            EXPECT_EQ(e.line, c.refused_at);
            EXPECT_EQ(e.reason, "more than 4 triangles, the limit for a model");
        }
    }
}

TEST(MtlParser, KeywordsAreExactAndTheLastOneWithinAMaterialWins) {
    const std::vector<mtl_material> m =
        mtl("# two materials\nnewmtl First\nKd 0.1 0.2 0.3\nKs 1 1 1\nNs 10\nNs 20\n"
            "map_Kd first.png\nillum 2\nKa 9 9 9\nkd 7 7 7\nMap_Kd wrong.png\n"
            "\nnewmtl Second one\n\tKd 0.4 0.5 0.6\r\nmap_Kd -s 2 2 1 -o 0.5 -clamp on assets/diffuse.png\r\n"
            "map_Ks -bm 0.3 assets/specular.png\nmap_Bump normal map.png \nNs 96.078431\n");
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].name, "First");
    EXPECT_EQ(m[0].diffuse_color, glm::vec3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(m[0].specular_color, glm::vec3(1, 1, 1));
    EXPECT_EQ(m[0].glossiness, 20.0f);
    EXPECT_EQ(m[0].diffuse_map, std::optional<std::string>("first.png"));
    EXPECT_EQ(m[1].name, "Second one");
    EXPECT_EQ(m[1].diffuse_color, glm::vec3(0.4f, 0.5f, 0.6f));
    EXPECT_EQ(m[1].specular_color, glm::vec3(0)) << "nothing carries over from the material before";
    EXPECT_EQ(m[1].glossiness, 96.078431f);
    EXPECT_EQ(m[1].diffuse_map, std::optional<std::string>("assets/diffuse.png")) << "options skipped";
    EXPECT_EQ(m[1].specular_map, std::optional<std::string>("assets/specular.png"));
    EXPECT_EQ(m[1].normal_map, std::optional<std::string>("normal map.png")) << "the rest of the line";
}

TEST(MtlParser, AbsentKeywordsKeepInitialValues) {
    const std::vector<mtl_material> m = mtl("newmtl Plain\nKd 1 0.5 0.25\n");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].diffuse_color, glm::vec3(1, 0.5f, 0.25f));
    EXPECT_EQ(m[0].specular_color, glm::vec3(0));
    EXPECT_EQ(m[0].glossiness, 0.0f);
    EXPECT_FALSE(m[0].diffuse_map || m[0].specular_map || m[0].normal_map);

    const std::vector<mtl_material> partial = mtl("Kd 0.5 0.5 0.5\nKd 0.25\nmap_Kd\n");
    ASSERT_EQ(partial.size(), 1u) << "keywords before any newmtl make an unnamed material";
    EXPECT_EQ(partial[0].diffuse_color, glm::vec3(0.25f, 0.5f, 0.5f))
        << "a short line keeps later components";
    EXPECT_EQ(partial[0].diffuse_map, std::optional<std::string>("")) << "named, though with no path";
    EXPECT_TRUE(mtl("# nothing\n").empty());
}

TEST(MaterialPath, FirstObjIsReplaced) {
    EXPECT_EQ(material_path("assets/teksti.obj"), std::optional<std::string>("assets/teksti.mtl"));
    EXPECT_EQ(material_path("objects/a.obj"), std::optional<std::string>("mtlects/a.obj"));
    EXPECT_EQ(material_path("model.txt"), std::nullopt);
    EXPECT_EQ(material_path(""), std::nullopt);
}

} // namespace
