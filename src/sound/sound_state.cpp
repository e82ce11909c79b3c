#include "sound/sound_state.hpp"

#include "piece/builtin_piece.hpp"

#include <algorithm>
#include <cmath>
#include <iostream>

sound_state::sound_state()
    : sync_offset(0.0) {
    set_tracks(piece::builtin_piece().tracks);
    std::cout << "sound state initialized\n" << std::flush;
}

sound_state::sound_state(const std::vector<piece::track>& tracks)
    : sync_offset(0.0) {
    set_tracks(tracks);
}

void sound_state::set_tracks(const std::vector<piece::track>& tracks) {
    const std::size_t n = tracks.size();
    cursors.assign(n, 0);
    values.assign(n, {});
    starts.assign(n, {});
    ends.assign(n, {});
    for (std::size_t k = 0; k < n; ++k) {
        for (const piece::event& e : piece::events_of(tracks[k])) {
            starts[k].push_back(e.start);
            ends[k].push_back(e.end);
            values[k].push_back(e.value);
        }
    }
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
    const std::size_t track_count = ends.size();
    std::vector<double> result(track_count, 0.0);
    for (std::size_t k = 0; k < track_count; ++k) {
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
