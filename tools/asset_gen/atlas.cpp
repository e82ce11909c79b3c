#include "atlas.hpp"

#include "image.hpp"
#include "surfaces.hpp"

#include <glm/geometric.hpp>

#include <array>
#include <vector>

namespace asset_gen {

namespace {

struct region_recipe {
    surface finish;
    double relief; // height units to pixels: how strongly the height field bends the normals
};

void paint_region(int index, const region_recipe& recipe, image& diffuse, image& specular, image& normal) {
    const int n = region_size;
    const int x0 = (index % 2) * n;
    const int y0 = (index / 2) * n;
    const double scale = design_region / n;
    std::vector<double> height(static_cast<std::size_t>(n) * n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const surface_sample s = recipe.finish((x + 0.5) * scale, (y + 0.5) * scale);
            height[static_cast<std::size_t>(y) * n + x] = s.height;
            for (int c = 0; c < 3; ++c) {
                diffuse.set(x0 + x, y0 + y, c, s.colour[c]);
                specular.set(x0 + x, y0 + y, c, s.gloss);
            }
        }
    }
    // The quadrant tiles with itself, so its gradient wraps around its own borders.
    const auto h = [&](int x, int y) { return height[static_cast<std::size_t>((y + n) % n) * n + (x + n) % n]; };
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const double right = 0.5 * (h(x + 1, y) - h(x - 1, y));
            const double up = 0.5 * (h(x, y - 1) - h(x, y + 1));
            // Gradients are per pixel; a coarser quadrant spans more of the pattern per pixel.
            const double relief = recipe.relief / scale;
            const glm::dvec3 nn = glm::normalize(glm::dvec3{-relief * right, -relief * up, 1.0});
            for (int c = 0; c < 3; ++c) normal.set(x0 + x, y0 + y, c, 0.5 + 0.5 * nn[c]);
        }
    }
}

} // namespace

void write_atlas(const std::filesystem::path& diffuse_file, const std::filesystem::path& specular_file,
                 const std::filesystem::path& normal_file) {
    image diffuse(atlas_size, atlas_size, 3);
    image specular(atlas_size, atlas_size, 3);
    image normal(atlas_size, atlas_size, 3);
    const double n = design_region;
    const std::array<region_recipe, 4> recipes{{
        {floor_slabs(n), 3.0},
        {wall_ashlar(n), 3.0},
        {fluted_marble(n), 6.0},
        {dressed_limestone(n), 3.0},
    }};
    for (int i = 0; i < 4; ++i) paint_region(i, recipes[i], diffuse, specular, normal);
    write_png(diffuse_file, diffuse);
    write_png(specular_file, specular);
    write_png(normal_file, normal);
}

} // namespace asset_gen
