#include "core/exceptions.hpp"
#include "gl/api_error.hpp"
#include "gl/program_object.hpp"
#include "gl/shader_file.hpp"
#include "logger/log_manager.hpp"
#include "platform/gl_api.hpp"
#include "support/capture_logger.hpp"
#include "support/gl_context.hpp"
#include "support/gl_entry.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

const char* const vertex_source =
    "#version 330 core\n"
    "in vec3 attribute_position;\n"
    "uniform mat4 view_to_clip;\n"
    "void main() { gl_Position = view_to_clip * vec4(attribute_position, 1.0); }\n";
const char* const fragment_source = "#version 330 core\n"
                                    "out vec4 colour;\n"
                                    "void main() { colour = vec4(1.0); }\n";
const char* const broken_source = "#version 330 core\nvoid main() { this is not glsl }\n";

int calls = 0;

GLint attached_count(GLuint program) {
    GLint count = -1;
    glapi::glGetProgramiv(program, GL_ATTACHED_SHADERS, &count);
    return count;
}

class ShaderObjects : public ::testing::Test {
protected:
    test_support::gl_context context;
};

TEST_F(ShaderObjects, CompileRecordsStatusLogAndSource) {
    shader_object good(shader_object::vertex, vertex_source, true);
    EXPECT_NE(good.id(), 0u);
    EXPECT_EQ(good.compile_status(), GL_TRUE);
    EXPECT_EQ(good.source(), vertex_source);
    GLint length = -1;
    glapi::glGetShaderiv(good.id(), GL_INFO_LOG_LENGTH, &length);
    ASSERT_EQ(length, 0) << "this driver reports a log for a clean compile";
    EXPECT_EQ(good.info_log(), "<empty>");

    shader_object broken(shader_object::fragment);
    EXPECT_EQ(broken.compile_status(), 0);
    EXPECT_EQ(broken.info_log(), "");
    broken.source(broken_source);
    EXPECT_EQ(broken.compile_status(), 0) << "source() must not compile";
    EXPECT_FALSE(broken.compile());
    EXPECT_EQ(broken.compile_status(), GL_FALSE);
    EXPECT_NE(broken.info_log(), "<empty>");
    EXPECT_NE(broken.info_log().find("error"), std::string::npos) << broken.info_log();
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(ShaderObjects, CompileShaderFileLogsOutcomeAndCompileLog) {
    test_support::temp_dir dir;
    const std::string good_path = dir.write("shaders/cube.frag", fragment_source).string();
    const std::string missing_path = (dir.path() / "shaders/missing.vert").string();
    auto captured = std::make_shared<test_support::capture_log>();
    {
        logger::log_manager log([] { return 1.5; });
        log.add_logger(std::make_unique<test_support::capture_logger>(captured, logger::level::info));
        const shader_object good = compile_shader_file(shader_object::fragment, good_path, log);
        EXPECT_EQ(good.compile_status(), GL_TRUE);
        EXPECT_EQ(good.source(), fragment_source);
        const shader_object missing = compile_shader_file(shader_object::vertex, missing_path, log);
        EXPECT_EQ(missing.compile_status(), GL_FALSE);
        EXPECT_EQ(missing.source(), "");
        ASSERT_NE(missing.info_log(), "<empty>");

        // The driver refuses an unknown kind, which surfaces as a creation failure and logs nothing.
        const GLenum not_a_kind = 0x1234;
        try {
            compile_shader_file(not_a_kind, good_path, log);
            ADD_FAILURE() << "no exception";
        } catch (const runtime_error& e) {
            EXPECT_NE(dynamic_cast<const gl::api_error*>(&e), nullptr);
            EXPECT_STREQ(e.what(), "shader_object::shader_object(): Shader creation failed.");
        }
        EXPECT_EQ(test_support::gl_error(), GL_INVALID_ENUM);

        const std::vector<std::string> expected{
            "Compiling fragment shader from '" + good_path + "'... Success.", "Compile log:\n<empty>",
            "Unable to read shader source from '" + missing_path + "'.",
            "Compiling vertex shader from '" + missing_path + "'... Fail.",
            "Compile log:\n" + missing.info_log()};
        EXPECT_TRUE(captured->wait_for_message(expected.back()));
        EXPECT_EQ(captured->messages(), expected);
    }
}

TEST_F(ShaderObjects, CompileMessageNamesEveryKind) {
    EXPECT_EQ(compile_message(shader_object::geometry, "a.geom", true),
              "Compiling geometry shader from 'a.geom'... Success.");
    EXPECT_EQ(compile_message(shader_object::tess_control, "t", false),
              "Compiling tessellation control shader from 't'... Fail.");
    EXPECT_EQ(compile_message(shader_object::tess_evaluation, "t", true),
              "Compiling tessellation evaluation shader from 't'... Success.");
    EXPECT_EQ(compile_message(shader_object::compute, "c", true),
              "Compiling compute shader from 'c'... Success.");
    EXPECT_EQ(compile_message(0x1234, "x", false), "Compiling  shader from 'x'... Fail.");
}

TEST_F(ShaderObjects, LinkDetachAndDetachAll) {
    program_object program;
    const GLuint vs = program.attach(shader_object(shader_object::vertex, vertex_source, true));
    const GLuint fs = program.attach(shader_object(shader_object::fragment, fragment_source, true));
    EXPECT_EQ(program.shaders().size(), 2u);
    ASSERT_TRUE(program.link()) << program.info_log();
    EXPECT_EQ(program.link_status(), GL_TRUE);
    EXPECT_FALSE(program.info_log().empty());

    const GLuint unknown = vs + fs + 100;
    try {
        program.detach(unknown);
        ADD_FAILURE() << "no exception";
    } catch (const invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()), "program_object::detach(): Program has no shader with id '" +
                                             std::to_string(unknown) + "'.");
    }
    EXPECT_EQ(program.shaders().size(), 2u);
    EXPECT_EQ(attached_count(program.id()), 2);

    {
        const shader_object detached = program.detach(vs);
        EXPECT_EQ(detached.id(), vs);
        EXPECT_EQ(glapi::glIsShader(vs), GL_TRUE);
        EXPECT_EQ(program.shaders().count(vs), 0u);
        EXPECT_EQ(attached_count(program.id()), 1);
    }
    EXPECT_EQ(glapi::glIsShader(vs), GL_FALSE) << "the returned object owned the shader";

    program.detach_all();
    EXPECT_TRUE(program.shaders().empty());
    EXPECT_EQ(attached_count(program.id()), 0);
    EXPECT_EQ(glapi::glIsShader(fs), GL_FALSE);
    EXPECT_EQ(program.link_status(), GL_TRUE);
    program.use();
    GLint current = 0;
    glapi::glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), program.id());
    EXPECT_GE(program.attrib_location("attribute_position"), 0);
    EXPECT_GE(program.uniform_location("view_to_clip"), 0);
    EXPECT_EQ(program.uniform_location("not_there"), -1);
    EXPECT_EQ(program.attrib_location("not_there"), -1);

    program.attach(shader_object(shader_object::vertex, vertex_source, true));
    EXPECT_EQ(attached_count(program.id()), 1);
    glapi::glUseProgram(0);
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(ShaderObjects, BrokenProgramKeepsDriverLog) {
    program_object program;
    program.attach(shader_object(shader_object::fragment, fragment_source, true));
    program.attach(shader_object(shader_object::fragment,
                                 "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(0); }\n", true));
    EXPECT_FALSE(program.link());
    EXPECT_EQ(program.link_status(), GL_FALSE);
    EXPECT_NE(program.info_log(), "<empty>");
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(ShaderObjects, MovesTransferEverythingAndLeaveNothingToDelete) {
    shader_object first(shader_object::vertex, vertex_source, true);
    const GLuint first_id = first.id();
    shader_object moved(std::move(first));
    EXPECT_EQ(moved.id(), first_id);
    EXPECT_EQ(moved.compile_status(), GL_TRUE);
    EXPECT_EQ(moved.source(), vertex_source);
    EXPECT_EQ(first.id(), 0u);
    EXPECT_EQ(first.compile_status(), 0);
    EXPECT_EQ(first.source(), "");
    EXPECT_EQ(first.info_log(), "");

    shader_object target(shader_object::fragment);
    const GLuint target_id = target.id();
    target = std::move(moved);
    EXPECT_EQ(target.id(), first_id);
    EXPECT_EQ(glapi::glIsShader(target_id), GL_FALSE) << "assignment deletes the target's own shader";
    shader_object& alias = target;
    target = std::move(alias);
    EXPECT_EQ(target.id(), first_id);
    EXPECT_EQ(target.source(), vertex_source);

    // Destroying a moved-from shader or program makes no GL call at all.
    std::optional<shader_object> moved_from_shader(std::move(first));
    std::optional<program_object> moved_from_program(std::in_place);
    moved_from_program->attach(std::move(target));
    const program_object taken(std::move(*moved_from_program));
    EXPECT_EQ(taken.shaders().size(), 1u);
    EXPECT_EQ(moved_from_program->id(), 0u);
    EXPECT_TRUE(moved_from_program->shaders().empty());
    calls = 0;
    {
        const test_support::scoped_gl_entry delete_shader(
            glapi::glDeleteShader, +[](GLuint) { ++calls; });
        const test_support::scoped_gl_entry delete_program(
            glapi::glDeleteProgram, +[](GLuint) { ++calls; });
        const test_support::scoped_gl_entry detach(
            glapi::glDetachShader, +[](GLuint, GLuint) { ++calls; });
        moved_from_shader.reset();
        moved_from_program.reset();
    }
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

} // namespace
