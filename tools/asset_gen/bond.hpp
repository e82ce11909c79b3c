#pragma once

#include <vector>

namespace asset_gen {

// A periodic layout of rectangular blocks in rows (courses), as for paving or masonry, on a square of
// `size` pixels that tiles with itself.
class bond {
public:
    struct hit {
        double joint_distance; // pixels to the nearest joint line
        int block;             // distinct per block of the square
        double row_position;   // 0 at the row's top, 1 at its bottom
    };

    // rows: row heights summing to size; joints: per row, the block borders (any order, any multiple of size).
    bond(double size, std::vector<double> rows, std::vector<std::vector<double>> joints);

    hit at(double x, double y) const;

private:
    double size;
    std::vector<double> tops;
    std::vector<double> heights;
    std::vector<std::vector<double>> joints;
};

// Rows of the given heights, each split into blocks of random widths (between 1 - spread and 1 + spread
// times the mean width `block_count` gives) and shifted by a random offset.
bond random_bond(double size, const std::vector<double>& rows, int blocks_per_row, double spread, unsigned seed);

} // namespace asset_gen
