#include "shapes.hpp"

#include "atlas.hpp"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace asset_gen {

namespace {

// Cut points of [w0, w1] (world coordinate along an axis): every multiple of `cell` inside, then each
// interval split evenly into pieces no longer than `step`.
std::vector<double> cuts(double w0, double w1, double cell, double step) {
    std::vector<double> borders{w0};
    for (double k = std::floor(w0 / cell) + 1.0; k * cell < w1 - 1e-9; k += 1.0) {
        if (k * cell > w0 + 1e-9) borders.push_back(k * cell);
    }
    borders.push_back(w1);
    std::vector<double> result{w0};
    for (std::size_t i = 1; i < borders.size(); ++i) {
        const double len = borders[i] - borders[i - 1];
        const int pieces = std::max(1, static_cast<int>(std::ceil(len / step - 1e-9)));
        for (int p = 1; p <= pieces; ++p) result.push_back(borders[i - 1] + len * p / pieces);
    }
    return result;
}

// Position inside its texture copy of a piece [p0, p1] of the world axis.
std::pair<double, double> local(double p0, double p1, double cell) {
    const double k = std::floor(0.5 * (p0 + p1) / cell);
    return {std::clamp(p0 / cell - k, 0.0, 1.0), std::clamp(p1 / cell - k, 0.0, 1.0)};
}

} // namespace

glm::dvec2 atlas_uv(int region, double a, double b) {
    const double x0 = (region % 2) * region_size;
    const double y0 = (region / 2) * region_size; // image rows from the top
    const double px = x0 + 0.5 + std::clamp(a, 0.0, 1.0) * (region_size - 1);
    const double row = y0 + 0.5 + (1.0 - std::clamp(b, 0.0, 1.0)) * (region_size - 1);
    return {px / atlas_size, 1.0 - row / atlas_size};
}

void plane(mesh& m, const finish& f, glm::dvec3 origin, glm::dvec3 t, double len_t, glm::dvec3 b, double len_b,
           double step) {
    const glm::dvec3 n = glm::normalize(glm::cross(t, b));
    const double wt = glm::dot(origin, t);
    const double wb = glm::dot(origin, b);
    const auto ct = cuts(wt, wt + len_t, f.cell_u, step);
    const auto cb = cuts(wb, wb + len_b, f.cell_v, step);
    for (std::size_t i = 1; i < ct.size(); ++i) {
        const auto [a0, a1] = local(ct[i - 1], ct[i], f.cell_u);
        for (std::size_t j = 1; j < cb.size(); ++j) {
            const auto [b0, b1] = local(cb[j - 1], cb[j], f.cell_v);
            const auto corner = [&](double wt_, double wb_, double a, double bb) {
                return vertex{origin + (wt_ - wt) * t + (wb_ - wb) * b, n, atlas_uv(f.region, a, bb)};
            };
            m.quad(corner(ct[i - 1], cb[j - 1], a0, b0), corner(ct[i], cb[j - 1], a1, b0),
                   corner(ct[i], cb[j], a1, b1), corner(ct[i - 1], cb[j], a0, b1));
        }
    }
}

void box(mesh& m, const finish& f, glm::dvec3 lo, glm::dvec3 hi, unsigned faces, double step) {
    const glm::dvec3 x{1, 0, 0};
    const glm::dvec3 y{0, 1, 0};
    const glm::dvec3 z{0, 0, 1};
    const glm::dvec3 d = hi - lo;
    if (faces & pos_y) plane(m, f, {lo.x, hi.y, hi.z}, x, d.x, -z, d.z, step);
    if (faces & neg_y) plane(m, f, {lo.x, lo.y, lo.z}, x, d.x, z, d.z, step);
    if (faces & pos_z) plane(m, f, {lo.x, lo.y, hi.z}, x, d.x, y, d.y, step);
    if (faces & neg_z) plane(m, f, {hi.x, lo.y, lo.z}, -x, d.x, y, d.y, step);
    if (faces & pos_x) plane(m, f, {hi.x, lo.y, hi.z}, -z, d.z, y, d.y, step);
    if (faces & neg_x) plane(m, f, {lo.x, lo.y, lo.z}, z, d.z, y, d.y, step);
}

void lathe(mesh& m, glm::dvec3 centre, const std::vector<lathe_run>& runs, int segments) {
    for (const lathe_run& run : runs) {
        const auto& pts = run.points;
        const std::size_t n = pts.size();
        // Outward normal of each profile segment in (r, y), averaged at the run's inner points.
        std::vector<glm::dvec2> seg(n - 1);
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const glm::dvec2 d{pts[i + 1].r - pts[i].r, pts[i + 1].y - pts[i].y};
            seg[i] = glm::normalize(glm::dvec2{d.y, -d.x});
        }
        std::vector<glm::dvec2> normal(n);
        std::vector<double> length(n, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            const glm::dvec2 sum = (i > 0 ? seg[i - 1] : glm::dvec2{0}) + (i + 1 < n ? seg[i] : glm::dvec2{0});
            normal[i] = glm::normalize(sum);
            if (i > 0) length[i] = length[i - 1] + std::hypot(pts[i].r - pts[i - 1].r, pts[i].y - pts[i - 1].y);
        }
        const auto at = [&](std::size_t i, int j) {
            const double angle = 2.0 * std::numbers::pi * j / segments;
            const double c = std::cos(angle);
            const double s = std::sin(angle);
            return vertex{centre + glm::dvec3{pts[i].r * c, pts[i].y, pts[i].r * s},
                          glm::dvec3{normal[i].x * c, normal[i].y, normal[i].x * s},
                          atlas_uv(run.surface.region, 1.0 - static_cast<double>(j) / segments,
                                   run.v_offset + length[i] * run.v_scale)};
        };
        for (std::size_t i = 0; i + 1 < n; ++i) {
            for (int j = 0; j < segments; ++j) {
                m.quad(at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
            }
        }
    }
}

void arch(mesh& m, const finish& f, const arch_panel& a, int segments) {
    const glm::dvec3 up{0, 1, 0};
    const glm::dvec3 side = glm::normalize(glm::cross(a.along, up)); // front face normal
    const auto point = [&](double s, double y, double offset) {
        return a.base + s * a.along + glm::dvec3{0, y, 0} + offset * side;
    };
    const auto uv = [&](double s, double y, bool back) {
        const double u = (s - a.tex_origin) / a.tex_width;
        return atlas_uv(f.region, back ? 1.0 - u : u, (y - a.y0) / a.tex_width);
    };
    std::vector<glm::dvec2> arc(segments + 1); // (s, y), from the left foot over the crown to the right foot
    for (int k = 0; k <= segments; ++k) {
        const double phi = std::numbers::pi * (1.0 - static_cast<double>(k) / segments);
        arc[k] = {a.c + a.r * std::cos(phi), a.y0 + a.r * std::sin(phi)};
    }
    for (const double facing : {1.0, -1.0}) {
        const double off = 0.5 * a.depth * facing;
        const glm::dvec3 n = side * facing;
        const bool back = facing < 0;
        const auto v = [&](glm::dvec2 p) { return vertex{point(p.x, p.y, off), n, uv(p.x, p.y, back)}; };
        const glm::dvec2 bottom_left{a.s0, a.y0};
        const glm::dvec2 bottom_right{a.s1, a.y0};
        const glm::dvec2 top_left{a.s0, a.y1};
        const glm::dvec2 top_right{a.s1, a.y1};
        m.triangle(v(bottom_left), v(arc.front()), v(top_left));
        const int half = segments / 2;
        for (int k = 0; k < half; ++k) m.triangle(v(top_left), v(arc[k]), v(arc[k + 1]));
        m.triangle(v(top_left), v(arc[half]), v(top_right));
        for (int k = half; k < segments; ++k) m.triangle(v(top_right), v(arc[k]), v(arc[k + 1]));
        m.triangle(v(arc.back()), v(bottom_right), v(top_right));
    }
    // The soffit faces the arch's centre.
    for (int k = 0; k < segments; ++k) {
        const auto soffit = [&](int i, double offset, double b) {
            const glm::dvec2 inward = glm::normalize(glm::dvec2{a.c, a.y0} - arc[i]);
            return vertex{point(arc[i].x, arc[i].y, offset), inward.x * a.along + glm::dvec3{0, inward.y, 0},
                          atlas_uv(f.region, static_cast<double>(i) / segments, b)};
        };
        const double h = 0.5 * a.depth;
        const double b1 = a.depth / a.tex_width;
        m.quad(soffit(k, -h, 0.0), soffit(k + 1, -h, 0.0), soffit(k + 1, h, b1), soffit(k, h, b1));
    }
}

} // namespace asset_gen
