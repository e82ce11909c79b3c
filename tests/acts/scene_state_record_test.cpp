// The built-in piece's CPU path, step by step at 60 steps a second from 0 to 76 s, against a record of
// every step's full state made before the production became data. A change of one bit anywhere (timeline
// values, event tracks, emitters, particles, camera) changes a second's hash; the failure names the second.

#include "acts/scene_frame.hpp"
#include "piece/builtin_piece.hpp"
#include "player/camera.hpp"
#include "player/replay.hpp"
#include "sound/sound_state.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path record_file = fs::path(ENGINE_SOURCE_DIR) / "tests/acts/scene_state_record.txt";

// FNV-1a over the bytes of every value fed in.
class state_hash {
public:
    template <typename T>
    void add(const T& value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (const unsigned char b : bytes) {
            h ^= b;
            h *= 1099511628211ull;
        }
    }
    template <typename T>
    void add_all(const std::vector<T>& values) {
        add(values.size());
        for (const T& v : values) add(v);
    }
    std::uint64_t value() const { return h; }

private:
    std::uint64_t h = 14695981039346656037ull;
};

void add_camera(state_hash& h, const camera& c) {
    h.add(c.position);
    h.add(c.tilt);
    h.add(c.pan);
    h.add(c.distance);
    h.add(c.world_to_clip);
    h.add(c.target_to_clip);
    h.add(c.view_to_clip);
    h.add(c.target_to_view);
    h.add(c.world_to_target);
}

void add_particles(state_hash& h, const particle_system& p) {
    h.add_all(p.positions);
    h.add_all(p.velocities);
    h.add(p.alive.size());
    for (const bool a : p.alive) h.add(static_cast<unsigned char>(a));
    h.add_all(p.brightness);
    h.add_all(p.sizes);
    h.add_all(p.fade_rates);
    for (const particle_vertex& v : p.vertices) {
        h.add(v.position);
        h.add(v.texture_index);
        h.add(v.brightness);
        h.add(v.particle_size);
    }
    h.add_all(p.live_run_firsts);
    h.add_all(p.live_run_counts);
}

void add_scene(state_hash& h, const scene_state& s) {
    h.add(s.t);
    h.add(s.light_positions);
    h.add(s.light_intensities);
    h.add(s.ambient);
    h.add(s.desaturate);
    h.add(s.fade);
    h.add(s.model);
}

// The burst bookkeeping: the last burst of each emitter name (up to 16, the rest 0), then the slot
// counters of the sections' emitters.
void add_bursts(state_hash& h, const std::vector<double>& last_burst, const std::vector<std::int64_t>& counters) {
    std::vector<double> last(16, 0.0);
    for (std::size_t i = 0; i < last_burst.size() && i < last.size(); ++i) last[i] = last_burst[i];
    for (const double v : last) h.add(v);
    for (const std::int64_t c : counters) h.add(c);
}

constexpr int fps = 60;
constexpr std::int64_t last_frame = 76 * fps;

// One line per second: "<second> <hash of its steps' hashes>", then "all <hash of every step>".
std::vector<std::string> run_record() {
    sound_state tracks;
    tracks.set_offset(0.0);
    camera cam(1.0f, 0.1f, 100.0f, 1.0f, 1.0f);
    cam.set_position({0.0f, 0.0f, 0.0f});
    const piece::piece_data courtyard = piece::builtin_piece();
    particle_system particles(courtyard.pool_size);
    emitter_state emitters(courtyard);
    std::mt19937 rng;
    double previous = 0.0;

    std::vector<std::string> lines;
    state_hash second;
    state_hash all;
    for (std::int64_t k = 0; k <= last_frame; ++k) {
        const double t = replay::frame_time(k, fps);
        const scene_state s = advance_scene(courtyard, t, previous, tracks, cam, particles, emitters, rng);
        previous = t;

        state_hash step;
        add_scene(step, s);
        add_camera(step, cam);
        add_particles(step, particles);
        std::vector<double> last(emitters.last_burst.begin(), emitters.last_burst.end());
        std::vector<std::int64_t> counters;
        for (const auto& section : emitters.counters) counters.insert(counters.end(), section.begin(), section.end());
        add_bursts(step, last, counters);
        std::mt19937 next = rng;
        step.add(next());

        second.add(step.value());
        all.add(step.value());
        if ((k + 1) % fps == 0 || k == last_frame) {
            std::ostringstream line;
            line << k / fps << ' ' << std::hex << std::setw(16) << std::setfill('0') << second.value();
            lines.push_back(line.str());
            second = state_hash{};
        }
    }
    std::ostringstream line;
    line << "all " << std::hex << std::setw(16) << std::setfill('0') << all.value();
    lines.push_back(line.str());
    return lines;
}

TEST(scene_state_record, every_step_of_the_built_in_piece_matches_the_record) {
    const std::vector<std::string> now = run_record();
    // Written next to the build for a look (or a new record), never into the repository.
    {
        std::ofstream out(fs::path(ENGINE_BINARY_DIR) / "scene_state_record.txt");
        for (const std::string& l : now) out << l << '\n';
    }
    std::ifstream in(record_file);
    ASSERT_TRUE(in) << "no record at " << record_file;
    std::vector<std::string> recorded;
    for (std::string l; std::getline(in, l);) recorded.push_back(l);
    ASSERT_EQ(recorded.size(), now.size());
    for (std::size_t i = 0; i < now.size(); ++i)
        ASSERT_EQ(now[i], recorded[i]) << "the state first differs in second " << i;
}

} // namespace
