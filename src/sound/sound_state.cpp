#include "sound/sound_state.hpp"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <span>

namespace {

struct event {
    double start;
    double end;
    double value;
};

// Beat markers last three hundredths of a second. The end is the decimal start + 0.03, built from whole
// hundredths so it is the double nearest that decimal (15.33 + 0.03 in binary would not be).
constexpr double marker_hundredths = 3.0;

constexpr event track_0[] = {
    {0.5, 0.6, 123}, {0.9, 1.1, 10}, {1.5, 1.8, 54}, {3.4, 3.5, 12}, {3.7, 5.0, 53},
};

constexpr event track_1[] = {
    {0.1, 0.6, 21},
    {1.2, 1.3, 12},
    {2.2, 3.0, 56},
    {3.1, 4.0, 49},
};

constexpr double track_2_starts[] = {
    0.0,   8.0,   15.33, 17.67, 21.25, 26.43, 27.59, 28.57, 29.32, 30.32, 31.23, 32.22,  33.18,
    34.15, 35.11, 36.07, 36.82, 37.2,  37.97, 38.74, 39.51, 40.28, 41.05, 41.82, 42.59,  43.36,
    44.13, 44.9,  45.67, 46.44, 52.39, 53.16, 53.93, 54.7,  55.47, 56.24, 57.01, 57.77,  58.54,
    63.35, 64.12, 64.89, 65.66, 66.43, 67.2,  67.97, 68.73, 69.5,  70.27, 71.04, 71.81,  72.58,
    73.35, 74.89, 75.88, 76.84, 78.08, 82.88, 84.18, 88.17, 91.57, 96.51, 97.97, 100.95, 104.65,
};

constexpr double track_3_starts[] = {
    4.0,   12.0,  16.0,  18.68, 23.04, 27.03, 27.96, 28.94, 29.9,  30.86, 31.64, 32.79,  33.76,
    34.52, 35.49, 36.42, 36.82, 37.59, 38.36, 39.13, 39.9,  40.67, 41.44, 42.2,  42.97,  43.74,
    44.51, 44.9,  45.28, 46.05, 46.82, 52.77, 53.54, 54.31, 55.08, 55.85, 56.62, 57.39,  58.16,
    58.93, 63.73, 64.5,  65.27, 66.04, 66.81, 67.58, 68.35, 69.12, 69.89, 70.66, 71.43,  72.2,
    72.97, 73.73, 75.29, 76.46, 77.45, 82.26, 83.51, 87.5,  90.88, 92.27, 97.24, 100.18, 103.59,
};

} // namespace

sound_state::sound_state()
    : sync_offset(0.0)
    , cursors(track_count, 0)
    , values(track_count)
    , starts(track_count)
    , ends(track_count) {
    const auto add_events = [this](int k, std::span<const event> events) {
        for (const event& e : events) {
            starts[k].push_back(e.start);
            ends[k].push_back(e.end);
            values[k].push_back(e.value);
        }
    };
    const auto add_markers = [this](int k, std::span<const double> marker_starts) {
        for (const double s : marker_starts) {
            starts[k].push_back(s);
            ends[k].push_back((std::round(s * 100.0) + marker_hundredths) / 100.0);
            values[k].push_back(1.0);
        }
    };
    add_events(0, track_0);
    add_events(1, track_1);
    add_markers(2, track_2_starts);
    add_markers(3, track_3_starts);

    std::cout << "sound state initialized\n" << std::flush;
}

void sound_state::set_offset(double t) {
    sync_offset = t;
}

double sound_state::get_offset() const {
    return sync_offset;
}

void sound_state::rewind() {
    std::fill(cursors.begin(), cursors.end(), 0);
}

std::vector<double> sound_state::at(double t) {
    std::vector<double> result(track_count, 0.0);
    for (int k = 0; k < track_count; ++k) {
        const std::vector<double>& track_ends = ends[k];
        const auto n = static_cast<std::int32_t>(track_ends.size());
        std::int32_t i = cursors[k];
        if (i >= n) {
            continue;
        }
        if (t > track_ends[i] + sync_offset) {
            while (i < n && t > track_ends[i] + sync_offset) {
                ++i;
            }
            cursors[k] = i;
            if (i == n) {
                continue;
            }
        }
        if (track_ends[i] + sync_offset > t && t > starts[k][i] + sync_offset) {
            result[k] = values[k][i];
        }
    }
    return result;
}
