#include "finishes.hpp"
#include "pillar.hpp"
#include "scene.hpp"
#include "shapes.hpp"

#include <tuple>
#include <vector>

namespace asset_gen {

namespace {

// Court bounds: the floor, and the inner faces of the enclosing walls.
constexpr double floor_x0 = -9.0, floor_x1 = 12.0, floor_z0 = -9.0, floor_z1 = 17.0;
constexpr double wall_x0 = -8.5, wall_x1 = 11.5, wall_z0 = -8.5, wall_z1 = 16.5;
constexpr double wall_thickness = 0.5, wall_height = 6.0;

// The arcade runs along the north side (z = arcade_z0) and down the east side; columns line the west.
constexpr double arcade_x0 = -2.5, arcade_x1 = 7.5, arcade_z0 = -3.5, arcade_z1 = 6.5;
constexpr int arcade_bays = 4;
constexpr double arcade_depth = 0.5, arcade_top = 4.6, cornice_top = 4.85, cornice_overhang = 0.1;

// The altar: four steps around (altar_x, altar_z), the top just below the lamp bowls and spray points.
constexpr double altar_x = 2.45, altar_z = 2.525;
constexpr double step_rise = 0.475, step_inset = 0.4;
constexpr double base_half_x = 3.1, base_half_z = 2.025;

void paving(mesh& m) {
    plane(m, floor_paving, {floor_x0, 0.0, floor_z1}, {1, 0, 0}, floor_x1 - floor_x0, {0, 0, -1}, floor_z1 - floor_z0,
          0.5);
}

// Pilaster centres along a wall from a to b, three units apart, clear of the corners.
std::vector<double> pilaster_stations(double a, double b) {
    std::vector<double> result;
    for (double s = a + 1.5; s <= b - 1.0; s += 3.0) result.push_back(s);
    return result;
}

void enclosure(mesh& m) {
    const double t = wall_thickness;
    const double h = wall_height;
    // North and south walls run the full width; west and east fit between them.
    box(m, wall_masonry, {floor_x0, 0, wall_z0 - t}, {floor_x1, h, wall_z0}, all_faces & ~neg_y, 1.0);
    box(m, wall_masonry, {floor_x0, 0, wall_z1}, {floor_x1, h, wall_z1 + t}, all_faces & ~neg_y, 1.0);
    box(m, wall_masonry, {wall_x0 - t, 0, wall_z0}, {wall_x0, h, wall_z1}, pos_x | neg_x | pos_y, 1.0);
    box(m, wall_masonry, {wall_x1, 0, wall_z0}, {wall_x1 + t, h, wall_z1}, pos_x | neg_x | pos_y, 1.0);

    constexpr double plinth_top = 0.45, plinth_depth = 0.12;
    constexpr double cornice_bottom = 5.5, cornice_depth = 0.3;
    constexpr double pilaster_half = 0.3, pilaster_depth = 0.22;
    for (const auto& [y0, y1, d] : {std::tuple{0.0, plinth_top, plinth_depth}, std::tuple{cornice_bottom, h, cornice_depth}}) {
        const unsigned under = y0 > 0.0 ? neg_y : 0u;
        box(m, limestone_blocks, {wall_x0, y0, wall_z0}, {wall_x1, y1, wall_z0 + d}, pos_z | pos_y | under, 0.5);
        box(m, limestone_blocks, {wall_x0, y0, wall_z1 - d}, {wall_x1, y1, wall_z1}, neg_z | pos_y | under, 0.5);
        box(m, limestone_blocks, {wall_x0, y0, wall_z0 + d}, {wall_x0 + d, y1, wall_z1 - d}, pos_x | pos_y | under, 0.5);
        box(m, limestone_blocks, {wall_x1 - d, y0, wall_z0 + d}, {wall_x1, y1, wall_z1 - d}, neg_x | pos_y | under, 0.5);
    }
    const double p = pilaster_half;
    const double d = pilaster_depth;
    for (const double x : pilaster_stations(wall_x0, wall_x1)) {
        box(m, limestone_blocks, {x - p, 0, wall_z0}, {x + p, cornice_bottom, wall_z0 + d}, pos_z | pos_x | neg_x, 0.5);
        box(m, limestone_blocks, {x - p, 0, wall_z1 - d}, {x + p, cornice_bottom, wall_z1}, neg_z | pos_x | neg_x, 0.5);
    }
    for (const double z : pilaster_stations(wall_z0, wall_z1)) {
        box(m, limestone_blocks, {wall_x0, 0, z - p}, {wall_x0 + d, cornice_bottom, z + p}, pos_x | pos_z | neg_z, 0.5);
        box(m, limestone_blocks, {wall_x1 - d, 0, z - p}, {wall_x1, cornice_bottom, z + p}, neg_x | pos_z | neg_z, 0.5);
    }
}

// One side of the arcade: columns at start + k * bay along `along`, arches between them, blocks over the
// end columns. `first_column` skips a corner column that another side already stands on.
void arcade_side(mesh& m, glm::dvec3 start, glm::dvec3 along, double bay, int first_column) {
    for (int k = first_column; k <= arcade_bays; ++k) {
        const glm::dvec3 p = start + along * (bay * k);
        column(m, p.x, p.z);
    }
    const double r = 0.5 * bay - 0.25;
    const double inset = 0.5 * arcade_depth;
    for (int k = 0; k < arcade_bays; ++k) {
        const double c0 = bay * k;
        const double s0 = k == 0 ? c0 + inset : c0;
        const double s1 = k == arcade_bays - 1 ? c0 + bay - inset : c0 + bay;
        arch(m, limestone_blocks,
             {start, along, s0, s1, c0 + 0.5 * bay, r, column_height, arcade_top, arcade_depth, c0, bay}, bay > 2.2 ? 32 : 24);
    }
    for (const int k : {0, arcade_bays}) {
        if (k < first_column) continue;
        const glm::dvec3 p = start + along * (bay * k);
        box(m, limestone_blocks, {p.x - inset, column_height, p.z - inset}, {p.x + inset, arcade_top, p.z + inset},
            pos_x | neg_x | pos_z | neg_z, 0.5);
    }
}

void arcade(mesh& m) {
    const double bay_x = (arcade_x1 - arcade_x0) / arcade_bays;
    const double bay_z = (arcade_z1 - arcade_z0) / arcade_bays;
    arcade_side(m, {arcade_x0, 0, arcade_z0}, {1, 0, 0}, bay_x, 0);
    arcade_side(m, {arcade_x1, 0, arcade_z0}, {0, 0, 1}, bay_z, 1);
    // The west side is a colonnade without arches, so the high shot from the north-west corner sees
    // the altar over it.
    for (int k = 1; k <= arcade_bays; ++k) {
        column(m, arcade_x0, arcade_z0 + bay_z * k);
        finial(m, arcade_x0, arcade_z0 + bay_z * k);
    }

    const double w = 0.5 * arcade_depth + cornice_overhang;
    const double y0 = arcade_top;
    const double y1 = cornice_top;
    box(m, limestone_blocks, {arcade_x0 - w, y0, arcade_z0 - w}, {arcade_x1 + w, y1, arcade_z0 + w}, all_faces, 0.5);
    box(m, limestone_blocks, {arcade_x1 - w, y0, arcade_z0 + w}, {arcade_x1 + w, y1, arcade_z1 + w}, all_faces & ~neg_z,
        0.5);
}

void altar(mesh& m) {
    for (int k = 0; k < 4; ++k) {
        const double hx = base_half_x - step_inset * k;
        const double hz = base_half_z - step_inset * k;
        box(m, limestone_blocks, {altar_x - hx, step_rise * k, altar_z - hz},
            {altar_x + hx, step_rise * (k + 1), altar_z + hz}, all_faces & ~neg_y, 0.5);
    }
    const double top = 4 * step_rise;
    // The two lamps from which the moving lights rise; their bowls sit just below the spray points.
    lamp_stand(m, 0.9, top, 2.2, 2.9);
    lamp_stand(m, 4.0, top, 2.41, 2.75);
}

// A pair of columns marking the southern approach, behind the opening shot's camera.
void gate_columns(mesh& m) {
    for (const double x : {-0.5, 5.5}) {
        column(m, x, 14.5);
        finial(m, x, 14.5);
    }
}

} // namespace

mesh build_courtyard() {
    mesh m;
    paving(m);
    enclosure(m);
    arcade(m);
    altar(m);
    gate_columns(m);
    return m;
}

} // namespace asset_gen
