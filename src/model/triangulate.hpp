#pragma once
// Splits one polygon of a model file into triangles, with no GL involved.

#include <glm/vec3.hpp>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Appends the triangles of the polygon with these corners (in order, 4 or more) to out, as indices into
// corners, wound as the polygon is: a convex polygon as a fan from its first corner, a concave one by ear
// clipping in the polygon's plane (a fan too beyond 256 corners, where clipping would take too long).
// False, appending nothing, for a degenerate polygon (no area).
bool triangulate_polygon(std::span<const glm::vec3> corners, std::vector<std::array<std::uint32_t, 3>>& out);

// The polygon's area-weighted normal (Newell's method): twice its area long, zero for no area.
glm::vec3 polygon_normal(std::span<const glm::vec3> corners);
