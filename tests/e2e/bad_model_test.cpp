// Broken model and material files. A file that is missing, is no regular file or has no faces leaves that
// part empty and the piece plays on with a warning; a face that cannot be read, a file over the size limit
// or a map that cannot be loaded refuses the start with the file named.

#include "model/obj_model.hpp"
#include "e2e/bad_input.hpp"

namespace {

using namespace bad_input;

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

class BadModel : public ::testing::TestWithParam<case_t> {};

TEST_P(BadModel, PlaysOnOrRefusesWithOneClearMessage) { run_case(GetParam()); }

// The real model file cut just after the first slash of a face line past its middle.
std::string cut_in_a_face(const std::string& file) {
    const std::string text = source_file("assets/" + file);
    return text.substr(0, text.find('/', text.find("\nf ", text.size() / 2)) + 1);
}

// Line number of the face line that cut_in_a_face leaves unfinished.
std::string cut_line(const std::string& file) {
    const std::string text = cut_in_a_face(file);
    return std::to_string(std::count(text.begin(), text.end(), '\n') + 1);
}

std::vector<case_t> cases() {
    std::vector<case_t> list;
    const std::string long_face = "f 1/1/1 2/2/1 3/3/1" + [] {
        std::string more;
        while (more.size() < 10000) more += " 1/1/1";
        return more;
    }();
    for (const std::string stem : {"toristin", "teksti"}) {
        const std::string obj = stem + ".obj";
        const std::string mtl = stem + ".mtl";
        const std::string obj_path = "assets/" + obj;
        const std::string mtl_path = "assets/" + mtl;
        const auto base = stem == "teksti" ? source_file(obj_path) : triangle_obj;
        list.insert(list.end(), {
            {stem + "_obj_missing", file_removed(obj_path), true,
             "WARNING: load_obj(): Unable to open model file '" + obj_path + "'; the model has no faces."},
            {stem + "_obj_empty", file_written(obj_path, ""), true,
             "WARNING: load_obj(): Model file '" + obj_path + "' has no faces."},
            {stem + "_obj_cut_in_a_face", file_written(obj_path, cut_in_a_face(obj)), false,
             "load_obj(): " + obj_path + ":" + cut_line(obj) + ": malformed face corner"},
            {stem + "_obj_garbage", file_written(obj_path, std::string("\x7f" "ELF\x02\x01\x01\0\n\0\0\nf \xff\xfe\n", 17)),
             false, "load_obj(): " + obj_path + ":3: malformed face corner"},
            {stem + "_obj_face_out_of_range", file_written(obj_path, base + "f 1/1/1 2/2/1 99999/1/1\n"), false,
             "load_obj(): " + obj_path + ":"},
            {stem + "_obj_10000_character_line", file_written(obj_path, base + long_face + "\n"), true,
             construction_done},
            {stem + "_mtl_missing", file_removed(mtl_path), true,
             "WARNING: load_obj(): Unable to open material file '" + mtl_path + "'; the model keeps the default material."},
            {stem + "_mtl_empty", file_written(mtl_path, ""), true, construction_done},
            {stem + "_mtl_cut_in_a_path", file_written(mtl_path, "Kd 1 1 1\nmap_Kd assets/sta"), false,
             "gl::texture_2d::from_file(): Unable to load texture data from 'assets/sta'."},
            {stem + "_mtl_garbage", file_written(mtl_path, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff", 17)), true,
             construction_done},
            {stem + "_mtl_10000_character_line", file_written(mtl_path, "map_Kd assets/" + std::string(10000, 'x') + "\n"),
             false, "gl::texture_2d::from_file(): Unable to load texture data from 'assets/xxxxxxxx"},
            {stem + "_mtl_names_a_missing_texture", file_written(mtl_path, "Kd 1 1 1\nmap_Ks assets/missing.png\n"),
             false, "gl::texture_2d::from_file(): Unable to load texture data from 'assets/missing.png'."},
        });
    }
    // What is no regular file reads as a missing one; the loader checks both paths alike.
    list.insert(list.end(), {
        {"toristin_obj_is_a_folder", folder_made("assets/toristin.obj"), true,
         "WARNING: load_obj(): Unable to open model file 'assets/toristin.obj'; the model has no faces."},
        {"toristin_mtl_is_a_folder", folder_made("assets/toristin.mtl"), true,
         "WARNING: load_obj(): Unable to open material file 'assets/toristin.mtl'; the model keeps the default material."},
        {"toristin_obj_links_to_an_endless_device", link_made("assets/toristin.obj", "/dev/zero"), true,
         "WARNING: load_obj(): Unable to open model file 'assets/toristin.obj'; the model has no faces."},
        {"toristin_obj_over_the_size_limit", file_sized("assets/toristin.obj", max_model_file_size + 1), false,
         "load_obj(): assets/toristin.obj: " + std::to_string(max_model_file_size + 1) + " bytes, larger than the " +
             std::to_string(max_model_file_size) + "-byte limit for a model or material file"},
    });
    return list;
}

INSTANTIATE_TEST_SUITE_P(Models, BadModel, ::testing::ValuesIn(cases()), case_name);

} // namespace
