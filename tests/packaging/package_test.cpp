// The Debian package CPack makes of this build tree: its control fields, its contents, no build-tree path
// inside, and lintian's verdict.

#include "support/process.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::child_process;

const std::string name = ENGINE_PACKAGE_NAME;

// Runs a command to its end; its standard output, or a test failure with its standard error.
std::string output_of(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd) {
    child_process process(program, args, cwd);
    const bool ended = process.wait(600s);
    EXPECT_TRUE(ended && process.status() == 0) << program << " failed:\n" << process.out() << process.err();
    return process.out();
}

bool has_line(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(DebianPackage, DependsOnTheLinkedLibrariesAndHoldsTheInstalledLayout) {
    const test_support::temp_dir out;
    output_of(
        CPACK_COMMAND_PATH,
        {"-G", "DEB;TGZ", "--config", ENGINE_BINARY_DIR "/CPackConfig.cmake", "-B", out.path().string()},
        out.path());
    fs::path deb;
    fs::path tarball;
    for (const auto& entry : fs::directory_iterator(out.path())) {
        if (entry.path().extension() == ".deb") deb = entry.path();
        if (entry.path().string().ends_with(".tar.gz")) tarball = entry.path();
    }
    ASSERT_FALSE(deb.empty()) << "no .deb in " << out.path();
    ASSERT_FALSE(tarball.empty()) << "no .tar.gz in " << out.path();
    const std::string listed = output_of("tar", {"-tzf", tarball.string()}, out.path());
    EXPECT_NE(listed.find("/share/doc/" + name + "/LICENSE\n"), std::string::npos) << listed;

    const std::string fields = output_of(
        "dpkg-deb", {"-f", deb.string(), "Package", "Maintainer", "Depends", "Recommends"}, out.path());
    EXPECT_TRUE(has_line(fields, "Package: " + name)) << fields;
    // The maintainer is the build's cache variable.
    const std::string cache = test_support::read_file(ENGINE_BINARY_DIR "/CMakeCache.txt");
    const std::string entry = "\nENGINE_PACKAGE_MAINTAINER:STRING=";
    const std::size_t at = cache.find(entry);
    ASSERT_NE(at, std::string::npos) << "no ENGINE_PACKAGE_MAINTAINER in the cache";
    const std::size_t from = at + entry.size();
    EXPECT_TRUE(has_line(fields, "Maintainer: " + cache.substr(from, cache.find('\n', from) - from)))
        << fields;
    EXPECT_TRUE(has_line(fields, "Recommends: ffmpeg, xvfb, xauth")) << fields;
    // dpkg-shlibdeps read these off the programs.
    for (const char* library : {"libglfw3 (", "libsdl2-2.0-0 (", "libstdc++6 (", "libc6 (", "libx11-6"})
        EXPECT_NE(fields.find(library), std::string::npos) << library << " missing from\n" << fields;

    const fs::path root = out.path() / "root";
    output_of("dpkg-deb", {"-x", deb.string(), root.string()}, out.path());
    const fs::path programs = root / "usr/libexec" / name;
    const fs::path data = root / "usr/share" / name;
    for (const fs::path& file : {root / "usr/bin" / name, programs / "demo", programs / "demo_capture",
                                 programs / "x_close", programs / "play_piece.sh", data / "config.ini",
                                 data / "shaders/particles.geom", data / "assets/toristin.obj",
                                 data / "assets/dat_bass.wav", root / "usr/share/doc" / name / "copyright"}) {
        EXPECT_TRUE(fs::is_regular_file(file)) << fs::relative(file, root) << " missing";
    }
    const std::string copyright = test_support::read_file(root / "usr/share/doc" / name / "copyright");
    EXPECT_EQ(
        copyright.rfind("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n", 0),
        0u);
    EXPECT_TRUE(has_line(copyright, "License: MIT")) << copyright;
    // The programs find everything relative to their working directory or on PATH, never in this tree.
    for (const auto& entry : fs::directory_iterator(programs)) {
        const std::string bytes = test_support::read_file(entry.path());
        for (const char* tree : {ENGINE_SOURCE_DIR, ENGINE_BINARY_DIR})
            EXPECT_EQ(bytes.find(tree), std::string::npos) << entry.path().filename() << " names " << tree;
    }

    // The archive's lintian reports nothing at the level of an error (scripts/install-deps.sh installs it).
    child_process lintian("lintian", {deb.string()}, out.path());
    ASSERT_TRUE(lintian.wait(600s));
    EXPECT_EQ(lintian.status(), 0) << (lintian.status() == 127 ? "lintian is not installed\n" : "")
                                   << lintian.out() << lintian.err();
}

} // namespace
