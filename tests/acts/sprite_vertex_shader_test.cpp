// The particle shaders joined into one vertex shader for instanced quads (the web player's sprites): what
// it refuses, that the shipped shader pairs compile as one, and that the pictures match the geometry
// shader's.

#include "acts/sprite_vertex_shader.hpp"
#include "core/exceptions.hpp"
#include "gl/program_object.hpp"
#include "gl/shader_object.hpp"
#include "support/capture_folder.hpp"
#include "support/gl_context.hpp"
#include "support/rgb_image.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

std::string file_text(const std::string& path) {
    std::ifstream in(std::string(ENGINE_SOURCE_DIR) + "/" + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string stock_vertex = file_text("shaders/particles.vert");

std::string geometry_with(const std::string& layouts, const std::string& body) {
    return "#version 330 core\n" + layouts +
           "in vec_out { float texture_index; float brightness; float size; } particle[];\n"
           "void corner() { EmitVertex(); }\n"
           "void main() {\n" + body + "}\n";
}

TEST(SpriteVertexShader, RefusesWhatQuadsCannotDraw) {
    const std::string quad_layouts = "layout(points) in;\nlayout(triangle_strip, max_vertices = 4) out;\n";
    const struct {
        std::string geometry;
        std::string why;
    } cases[] = {
        {geometry_with("layout(lines) in;\nlayout(triangle_strip, max_vertices = 4) out;\n", "EmitVertex();"),
         "it must take points (layout(points) in;)"},
        {geometry_with("layout(points) in;\nlayout(triangle_strip, max_vertices = 6) out;\n", "EmitVertex();"),
         "it must make a triangle strip of at most 4 vertices"},
        {geometry_with("layout(points) in;\nlayout(points, max_vertices = 1) out;\n", "EmitVertex();"),
         "it must make a triangle strip of at most 4 vertices"},
        {geometry_with(quad_layouts, "corner();"), "it calls EmitVertex outside its main"},
        {"#version 330 core\n" + quad_layouts + "in other { float size; } p[];\nvoid main() { EmitVertex(); }\n",
         "its input block 'other' is not the vertex shader's output block"},
    };
    for (const auto& c : cases) {
        try {
            sprite_vertex_shader(stock_vertex, c.geometry);
            ADD_FAILURE() << "accepted: " << c.why;
        } catch (const runtime_error& e) {
            EXPECT_EQ(std::string(e.what()),
                      "The particle geometry shader cannot be drawn as instanced quads here (no geometry shaders): " +
                          c.why + ".");
        }
    }
}

// The shipped pairs compile and link with their fragment shaders; a slip in the geometry part is
// reported at its line in the geometry file.
TEST(SpriteVertexShader, ShippedPairsCompileAndErrorsKeepTheirLines) {
    test_support::gl_context context;
    const struct {
        const char* geometry;
        const char* fragment;
    } pairs[] = {{"shaders/particles.geom", "shaders/particles.frag"},
                 {"shaders/cloister_mist/particles.geom", "shaders/cloister_mist/particles.frag"}};
    for (const auto& pair : pairs) {
        shader_object vertex(shader_object::vertex, sprite_vertex_shader(stock_vertex, file_text(pair.geometry)), true);
        ASSERT_EQ(vertex.compile_status(), GL_TRUE) << pair.geometry << ":\n" << vertex.info_log();
        program_object program;
        program.attach(std::move(vertex));
        program.attach(shader_object(shader_object::fragment, file_text(pair.fragment), true));
        EXPECT_TRUE(program.link()) << pair.geometry << ": " << program.info_log();
        EXPECT_GE(program.attrib_location("particle_size"), 0);
    }
    std::string broken = file_text("shaders/particles.geom");
    broken.replace(broken.find("EndPrimitive();"), 15, "EndPrimitive(); no_such_name = 1;");
    const std::size_t line = static_cast<std::size_t>(
        std::count(broken.begin(), broken.begin() + static_cast<std::ptrdiff_t>(broken.find("no_such_name")), '\n') + 1);
    shader_object vertex(shader_object::vertex, sprite_vertex_shader(stock_vertex, broken), true);
    EXPECT_NE(vertex.compile_status(), GL_TRUE);
    EXPECT_NE(vertex.info_log().find(":" + std::to_string(line) + "("), std::string::npos) << vertex.info_log();
}

// Stills with sprites drawn both ways: the same picture but for a few pixels of the quads' diagonals.
TEST(SpriteVertexShader, QuadsDrawTheGeometryShadersPicture) {
    const test_support::capture_folder capture("sprite-quads");
    const struct {
        std::string piece;
        std::string time;
    } cases[] = {{"", "5"}, {std::string(ENGINE_SOURCE_DIR) + "/pieces/cloister_mist.toml", "30"}};
    for (const auto& c : cases) {
        const auto still = [&](const std::string& sprites) {
            const auto out = capture.folder.path() / sprites;
            std::vector<std::string> args{"--sprites", sprites, "--at", c.time, "--size", "320x180", "--out", out.string()};
            if (!c.piece.empty()) args.insert(args.end(), {"--piece", c.piece});
            const auto process = capture.run(args);
            EXPECT_EQ(process->status(), 0) << process->err();
            char name[64];
            std::snprintf(name, sizeof name, "still_%06.2f.png", std::stod(c.time));
            return test_support::rgb_image(out / name);
        };
        const test_support::rgb_image geometry = still("geometry");
        const test_support::rgb_image quads = still("quads");
        ASSERT_EQ(geometry.rgb.size(), quads.rgb.size());
        ASSERT_FALSE(geometry.rgb.empty());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < geometry.rgb.size(); i += 3)
            differing += geometry.rgb[i] != quads.rgb[i] || geometry.rgb[i + 1] != quads.rgb[i + 1] ||
                         geometry.rgb[i + 2] != quads.rgb[i + 2];
        EXPECT_LE(differing, geometry.pixels() / 1000) << c.piece << " at " << c.time;
    }
}

} // namespace
