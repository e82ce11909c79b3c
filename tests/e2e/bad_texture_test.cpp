// Broken texture files, the sprites and the courtyard's maps: the start is refused with the file named.

#include "e2e/bad_input.hpp"

namespace {

using namespace bad_input;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

class BadTexture : public ::testing::TestWithParam<case_t> {};

TEST_P(BadTexture, RefusesNamingTheFile) { run_case(GetParam()); }

// The name without its extension, for the case name.
std::string stem_of(const std::string& file) { return file.substr(0, file.find('.')); }

std::vector<case_t> cases() {
    std::vector<case_t> list;
    for (const std::string file : {"star.png", "koala.jpg", "kukka1.png", "kukka2.png", "kukka3.png", "valo.png",
                                   "valo2.png", "valo3.png", "taplat.png", "taplat2.png", "toristin_diffuse.png",
                                   "toristin_specular.png", "toristin_normal.png"}) {
        const std::string path = "assets/" + file;
        const bool map = file.rfind("toristin_", 0) == 0;
        // The courtyard's maps are read only through its real material file.
        const auto with = [path, map](const std::string& content) -> std::function<void(const run_folder&)> {
            return [path, map, content](const run_folder& folder) {
                if (map) folder.write("assets/toristin.mtl", source_file("assets/toristin.mtl"));
                folder.write(path, content);
            };
        };
        const std::string whole = source_file(path);
        const std::string message = "gl::texture_2d::from_file(): Unable to load texture data from '" + path + "'.";
        list.insert(list.end(), {
            {stem_of(file) + "_missing",
             [path, map](const run_folder& folder) {
                 if (map) folder.write("assets/toristin.mtl", source_file("assets/toristin.mtl"));
                 folder.remove(path);
             },
             false, message},
            {stem_of(file) + "_zero_bytes", with(""), false, message},
            {stem_of(file) + "_truncated", with(whole.substr(0, whole.size() / 2)), false, message},
            // Text that starts like a PNM header, which the decoder before half accepted.
            {stem_of(file) + "_not_an_image", with("P6 this is not an image\n"), false, message},
        });
    }
    // A crafted JPEG that made the decoder before read out of bounds and end the program with SIGSEGV.
    const std::string crafted = source_file("tests/fuzz/corpus/image/jpeg-huffman-oob-read.jpg");
    list.push_back({"koala_crafted_huffman_tables", file_written("assets/koala.jpg", crafted), false,
                    "gl::texture_2d::from_file(): Unable to load texture data from 'assets/koala.jpg'."});
    return list;
}

INSTANTIATE_TEST_SUITE_P(Textures, BadTexture, ::testing::ValuesIn(cases()), case_name);

} // namespace
