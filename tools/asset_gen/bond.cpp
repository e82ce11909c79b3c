#include "bond.hpp"

#include "rng.hpp"

#include <algorithm>
#include <cmath>

namespace asset_gen {

bond::bond(double size_, std::vector<double> rows, std::vector<std::vector<double>> joints_)
    : size(size_), heights(std::move(rows)), joints(std::move(joints_)) {
    double top = 0.0;
    for (const double h : heights) {
        tops.push_back(top);
        top += h;
    }
    for (auto& row : joints) {
        for (double& j : row) j = j - size * std::floor(j / size);
        std::sort(row.begin(), row.end());
    }
}

bond::hit bond::at(double x, double y) const {
    y = y - size * std::floor(y / size);
    x = x - size * std::floor(x / size);
    std::size_t r = 0;
    while (r + 1 < tops.size() && y >= tops[r + 1]) ++r;
    const double into = y - tops[r];
    double d = std::min(into, heights[r] - into);
    const auto& row = joints[r];
    int index = 0;
    for (std::size_t k = 0; k < row.size(); ++k) {
        const double dx = std::abs(x - row[k]);
        d = std::min(d, std::min(dx, size - dx));
        if (row[k] <= x) index = static_cast<int>(k) + 1;
    }
    if (index == static_cast<int>(row.size())) index = 0; // past the last border: the block that wraps
    return {d, static_cast<int>(r) * 64 + index, into / heights[r]};
}

bond random_bond(double size, const std::vector<double>& rows, int blocks_per_row, double spread, unsigned seed) {
    rng random(seed);
    std::vector<std::vector<double>> joints;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<double> widths;
        double total = 0.0;
        for (int b = 0; b < blocks_per_row; ++b) {
            widths.push_back(random.uniform(1.0 - spread, 1.0 + spread));
            total += widths.back();
        }
        double x = random.uniform(0.0, size);
        std::vector<double> row;
        for (const double w : widths) {
            row.push_back(x);
            x += w * size / total;
        }
        joints.push_back(row);
    }
    return bond(size, rows, joints);
}

} // namespace asset_gen
