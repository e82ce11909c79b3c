#include "model/obj_model.hpp"
#include "core/exceptions.hpp"
#include "platform/gl_api.hpp"
#include "support/gl_context.hpp"
#include "support/temp_dir.hpp"
#include "support/xvfb.hpp"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

namespace {

const std::string triangle_obj =
    "# made by hand\r\nmtllib a.mtl\r\no Tri\r\nv 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\n"
    "vt 0.25 0.75\r\nvn 0 0 1\r\nusemtl Mat\r\ns off\r\nf 1/1/1 2/1/1 3/1/1\r\n";
const std::string material = "newmtl Mat\r\nNs 32\r\nKd 0.5 0.25 1\r\nKs 0.1 0.2 0.3\r\nillum 2\r\n";

void write_rgba_png(const std::filesystem::path& path, const std::vector<std::uint8_t>& rgba, int width) {
    std::filesystem::create_directories(path.parent_path());
    const int height = static_cast<int>(rgba.size()) / (4 * width);
    if (stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) == 0) std::abort();
}

std::vector<std::uint8_t> texels_rgb(const gl::texture_2d& texture, int count) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(count) * 3);
    texture.bind();
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glapi::glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    glapi::glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::texture_2d::unbind();
    return out;
}

GLint alpha_bits(const gl::texture_2d& texture) {
    GLint bits = -1;
    texture.bind();
    glapi::glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &bits);
    gl::texture_2d::unbind();
    return bits;
}

// Makes a file unwritable even for root (mode 0444 plus the immutable attribute where the file system has
// it) for the guard's lifetime. writable_still() tells whether that worked.
class read_only_file {
public:
    explicit read_only_file(const std::filesystem::path& file)
        : path(file) {
        std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
        if (geteuid() == 0) set_immutable(true);
    }
    ~read_only_file() {
        if (immutable) set_immutable(false);
    }
    read_only_file(const read_only_file&) = delete;
    read_only_file& operator=(const read_only_file&) = delete;

    bool writable_still() const { return std::fstream(path, std::ios::in | std::ios::out).is_open(); }

private:
    void set_immutable(bool on) {
        const int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0) return;
        int flags = 0;
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            if (ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) immutable = on;
        }
        close(fd);
    }

    std::filesystem::path path;
    bool immutable = false;
};

class ObjLoader : public ::testing::Test {
protected:
    test_support::gl_context context;
    test_support::temp_dir dir;
    test_support::scoped_cwd cwd{dir.path()};
};

TEST_F(ObjLoader, ReadsModelMaterialAndMapsRelativeToWorkingDirectory) {
    dir.write("models/a.obj", triangle_obj);
    dir.write("models/a.mtl",
              material + "map_Kd tex/diffuse.png\r\nmap_Ks tex/spec.png\r\nmap_Bump tex/normal.png\r\n");
    const std::vector<std::uint8_t> diffuse{10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255};
    write_rgba_png(dir.path() / "tex/diffuse.png", diffuse, 3);
    write_rgba_png(dir.path() / "tex/spec.png", {1, 2, 3, 4}, 1);
    write_rgba_png(dir.path() / "tex/normal.png", {5, 6, 7, 8}, 1);

    const std::unique_ptr<obj_model> model = load_obj("models/a.obj");
    ASSERT_EQ(model->vertices.size(), 3u);
    ASSERT_EQ(model->triangles.size(), 1u);
    EXPECT_EQ(model->vertices[1].position, glm::vec3(1, 0, 0));
    EXPECT_EQ(model->vertices[2].uv, glm::vec2(0.25f, 0.25f));
    EXPECT_EQ(model->materials[0].diffuse_color, glm::vec3(0.5f, 0.25f, 1.0f));
    EXPECT_EQ(model->materials[0].specular_color, glm::vec3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(model->materials[0].glossiness, 32.0f);
    EXPECT_EQ(texels_rgb(model->materials[0].diffuse_map, 3),
              (std::vector<std::uint8_t>{10, 20, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(alpha_bits(model->materials[0].diffuse_map), 0) << "maps load with three components";
    EXPECT_EQ(texels_rgb(model->materials[0].specular_map, 1), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(texels_rgb(model->materials[0].normal_map, 1), (std::vector<std::uint8_t>{5, 6, 7}));
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(ObjLoader, MissingFilesLeaveThatPartEmpty) {
    dir.write("empty.obj", "");
    dir.write("empty.mtl", material);
    const auto empty = load_obj("empty.obj");
    EXPECT_TRUE(empty->vertices.empty());
    EXPECT_TRUE(empty->triangles.empty());
    EXPECT_EQ(empty->materials[0].glossiness, 32.0f) << "material read for an empty model";

    dir.write("absent.mtl", material);
    const auto absent = load_obj("absent.obj");
    EXPECT_TRUE(absent->vertices.empty());
    EXPECT_EQ(absent->materials[0].diffuse_color, glm::vec3(0.5f, 0.25f, 1.0f)) << "material tried for a missing model";

    dir.write("bare.obj", triangle_obj);
    const auto bare = load_obj("bare.obj");
    EXPECT_EQ(bare->vertices.size(), 3u);
    EXPECT_EQ(bare->materials[0].diffuse_color, glm::vec3(0));
    EXPECT_EQ(bare->materials[0].specular_color, glm::vec3(0));
    EXPECT_EQ(bare->materials[0].glossiness, 0.0f);
    const GLuint names[3] = {bare->materials[0].diffuse_map.id(), bare->materials[0].specular_map.id(), bare->materials[0].normal_map.id()};
    EXPECT_TRUE(names[0] != 0 && names[1] != 0 && names[2] != 0);
    EXPECT_TRUE(names[0] != names[1] && names[1] != names[2] && names[0] != names[2]);
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

TEST_F(ObjLoader, MaterialPathReplacesTheFirstObj) {
    dir.write("objects/a.obj", triangle_obj);
    dir.write("objects/a.mtl", "Ns 1\n");
    dir.write("mtlects/a.obj", "Ns 2\n");
    EXPECT_EQ(load_obj("objects/a.obj")->materials[0].glossiness, 2.0f);

    try {
        load_obj("model.txt");
        ADD_FAILURE() << "no exception";
    } catch (const invalid_argument& e) {
        EXPECT_STREQ(e.what(), "load_obj(): no material path for 'model.txt'");
    }
}

TEST_F(ObjLoader, ReadOnlyMaterialFileIsRead) {
    dir.write("ro.obj", triangle_obj);
    const read_only_file guard(dir.write("ro.mtl", material));
    if (guard.writable_still()) GTEST_SKIP() << "cannot make a file unwritable here";
    EXPECT_EQ(load_obj("ro.obj")->materials[0].glossiness, 32.0f);
}

TEST_F(ObjLoader, ReadsFilesUpTo32MiB) {
    // Files of holes: the model of exactly the limit is read (it has no faces), the material is refused.
    std::filesystem::resize_file(dir.write("big.obj", ""), 32 << 20);
    std::filesystem::resize_file(dir.write("big.mtl", ""), (32 << 20) + 1);
    try {
        load_obj("big.obj");
        ADD_FAILURE() << "no exception";
    } catch (const runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "load_obj(): big.mtl: 33554433 bytes, larger than the 33554432-byte limit for a "
                     "model or material file");
    }
}

TEST_F(ObjLoader, FailuresNameTheirSource) {
    dir.write("bad.obj", "v 0 0 0\nvt 0 0\nvn 0 0 1\n\n# next line is wrong\nf 1/1/1 1/1/1 2/1/1\n");
    try {
        load_obj("bad.obj");
        ADD_FAILURE() << "no exception";
    } catch (const runtime_error& e) {
        EXPECT_STREQ(e.what(), "load_obj(): bad.obj:6: face index out of range");
    }

    dir.write("nomap.obj", triangle_obj);
    dir.write("nomap.mtl", material + "map_Ks missing.png\n");
    try {
        load_obj("nomap.obj");
        ADD_FAILURE() << "no exception";
    } catch (const runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "gl::texture_2d::from_file(): Unable to load texture data from 'missing.png'.");
    }
    EXPECT_EQ(test_support::gl_error(), GL_NO_ERROR);
}

} // namespace
