#pragma once
// A piece as plain data: everything that makes the production (assets, event tracks, sections with their
// emitters and lights, burst presets, curves of the scene values, camera rows), read from a piece file by
// read_piece and evaluated at t by the functions of this folder. No GL, no I/O.

#include "music/detect_events.hpp"

#include <glm/vec3.hpp>

#include <array>
#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace piece {

// A span of time with each bound either in or out; an absent bound is infinite.
struct time_range {
    double from = -std::numeric_limits<double>::infinity();
    double until = std::numeric_limits<double>::infinity();
    bool from_inclusive = true;
    bool until_inclusive = false;

    bool holds(double t) const {
        return (from_inclusive ? from <= t : from < t) && (until_inclusive ? t <= until : t < until);
    }
};

struct event {
    double start; // exclusive
    double end;   // exclusive
    double value;
};

// A track written out as its events, in time order, none overlapping.
struct event_list {
    std::vector<event> events;
};

// A track found in the piece's music: what to look for, and the events found, which the player fills
// at start-up (empty until then).
struct detected_events {
    music::detect_spec spec;
    std::vector<event> events;
};

// Where a track's events come from; a new kind of track is one more alternative.
using track_source = std::variant<event_list, detected_events>;

struct track {
    std::string name;
    track_source source;
};

// The events of a track, whatever its source.
const std::vector<event>& events_of(const track& t);
// Whether any track of the list is found in the music.
bool has_detected_tracks(const std::vector<track>& tracks);

struct burst_preset {
    std::string name;
    std::size_t count = 1;
    double speed = 0.0;
    double size = 0.0;
    double brightness = 0.0;
    double position_jitter = 0.0;
    double velocity_jitter = 0.0;
    double size_jitter = 0.0;
    double brightness_jitter = 0.0;
    double fade = 0.0;
    double gravity = 3.0; // units/s^2 pulling down (negative: up)
};

// Where the piece names a file, for the message when the file cannot be read: the place of its path in
// the piece file and the folders it was looked for in, in order (none for an absolute path). Line 0: the
// path is named by no piece file (the built-in piece's are looked for in the working directory alone).
struct file_place {
    long line = 0;
    long column = 0;
    std::vector<std::string> folders;
};

struct sprite {
    std::string name;
    std::string file; // resolved
    file_place file_at;
    bool alpha = true; // "rgba"; "rgb" otherwise
    std::optional<std::string> sampler;
    int unit = 0;          // texture unit, with a sampler
    // What the particle records carry until the particle program is known: position among the sprites
    // with a sampler. The act replaces it by the place of the sampler among those the program declares.
    int texture_index = -1;
    long line = 1;          // where the sprite is written, for messages found only with a GL context
    long column = 1;
};

struct key {
    double t;
    std::array<double, 3> value; // components past the curve's count are 0
};

// A vec3 that is constant, or keyed over time (at least two keys, t increasing) as a curve's keys are.
struct keyed_vec3 {
    glm::vec3 constant{0.0f};
    std::vector<key> keys; // empty: constant
};

struct emitter {
    std::string name;
    std::size_t id = 0;    // emitters of one name share their last burst time, across sections
    std::size_t block = 0; // index of the block of slots
    std::size_t track = 0; // index into piece::tracks
    double interval = 0.0;
    keyed_vec3 origin;
    keyed_vec3 direction;
    std::size_t sprite = 0; // index into piece::sprites, one with a sampler
    std::size_t preset = 0; // index into piece::presets
};

struct section {
    time_range range;
    std::vector<emitter> emitters;
    // The block whose lowest live particle is light 1 / light 2; none: the curves' lights.
    std::array<std::optional<std::size_t>, 2> light_blocks{};
    // Each light's colour, times the particle's brightness: its intensity.
    std::array<std::array<double, 3>, 2> light_colors{{{1.0, 1.0, 1.0}, {1.0, 1.0, 1.0}}};
};

// value = rise * (t - zero_at) / over, in double, rounded to float.
struct ramp {
    double zero_at = 0.0;
    double rise = 0.0;
    double over = 1.0;
};

// An envelope on every event of a track: from 0 up to the event's value times `scale` over `attack`,
// held until the event ends, back to 0 over `release`. The latest event that has started holds the
// value alone (a hit cuts the tail of the one before it). In double, rounded to float.
struct follow {
    std::size_t track = 0; // index into piece::tracks
    double attack = 0.0;
    double release = 0.0;
    std::array<double, 3> scale{1.0, 1.0, 1.0}; // components past the curve's count are 0
};

struct segment {
    time_range range;
    std::variant<std::array<double, 3>, std::vector<key>, ramp, follow> rule; // constant, keys, ramp, follow
};

// A uniform's value over time: the first segment holding t, else the default.
struct curve {
    std::string target; // uniform name
    int components = 1; // 1 (float; fills all three of a vec3) or 3
    std::array<double, 3> default_value{};
    std::vector<segment> segments;
};

enum class camera_rule { linear, smooth };

// A value that is the same over the row, or keyed at the row's two ends.
struct camera_value {
    std::array<double, 3> from{};
    std::array<double, 3> to{};
    bool keyed = false;
};

struct camera_row {
    time_range range; // finite both ends
    camera_value position;
    camera_value tilt;
    camera_value pan;
    // The point the camera looks at, instead of tilt and pan, when `aims`.
    camera_value look_at;
    bool aims = false;
    camera_rule rule = camera_rule::linear;
};

// Acts, buffers and post passes: a piece of several scenes and full-screen shaders. A shader of these is a
// Shadertoy image shader (mainImage); a transition a gl-transitions function (transition(uv)).
struct piece_data;

// A file the piece names, resolved, with where the piece names it (for messages found only later).
struct named_file {
    std::string file;
    long line = 1;
    long column = 1;
};

// What one iChannel of a pass reads.
struct channel {
    enum class source { none, buffer, music, frame, image };
    source from = source::none;
    std::size_t buffer = 0; // index into piece_data::buffers
    named_file image;       // for an image
};

inline constexpr std::size_t channel_count = 4;
using channel_list = std::array<channel, channel_count>;

enum class buffer_format { rgba8, rgba16f, rgba32f };

// Shadertoy's Buffer A-D: drawn once per frame, in order, before the acts; its own name among its
// channels is its previous frame.
struct buffer_pass {
    std::string name;
    named_file shader;
    channel_list channels;
    buffer_format format = buffer_format::rgba8;
    double scale = 1.0; // of the frame's size
    bool feedback = false; // reads its own previous frame
    long line = 1;
    long column = 1;
};

// The largest side of a buffer in pixels.
inline constexpr int max_buffer_side = 8192;

struct transition {
    double over = 0.0;               // the overlap with the act before
    std::optional<named_file> shader; // none: a crossfade
};

struct act {
    std::string name;
    double from = 0.0;
    double until = 0.0;
    double offset = 0.0; // the act's own time is t - from + offset
    std::optional<named_file> shader;         // a full-screen shader act
    std::shared_ptr<piece_data> scene;  // or a scene act: a piece of its own (its detected tracks filled at start-up)
    channel_list channels;
    std::optional<piece::transition> transition; // into this act from the one before, where they overlap
    long line = 1;
    long column = 1;
};

struct post_pass {
    named_file shader;
    channel_list channels;
    time_range range;
};

// What plays after the piece's length: "hold" keeps the last values running until the window closes.
enum class after_end { hold };

// The longest piece a file may hold: every frame is reached by stepping the ones before it.
inline constexpr double max_piece_length = 3600.0; // seconds
// The latest point of the music a piece may start it at.
inline constexpr double max_music_start = 86400.0; // seconds

struct piece_data {
    std::string file; // as named in messages
    std::string name;
    double length = 0.0;
    after_end after = after_end::hold;
    std::size_t pool_size = 1600;
    std::size_t block_size = 100;
    std::array<double, 3> background{0.4, 0.4, 0.4}; // what the frame is cleared to: the sky
    // Where in the music the piece's 0 is: the music plays from here, and detected events are shifted
    // into the piece's time.
    double music_start = 0.0;

    std::string model;
    std::optional<std::string> extra_model;
    std::string music;
    std::array<std::string, 2> scene_shaders{"shaders/cube.vert", "shaders/cube.frag"};
    std::array<std::string, 3> particle_shaders{"shaders/particles.vert", "shaders/particles.geom",
                                                "shaders/particles.frag"};
    // Where each of the files above is named.
    file_place model_at;
    file_place extra_model_at;
    file_place music_at;
    std::array<file_place, 2> scene_shaders_at;
    std::array<file_place, 3> particle_shaders_at;

    std::vector<sprite> sprites;
    std::vector<track> tracks;
    std::vector<burst_preset> presets;
    std::vector<section> sections;
    std::vector<curve> curves;
    std::vector<camera_row> camera;
    std::size_t emitter_ids = 0; // distinct emitter names

    // Without acts the piece is its own scene. With buffers or post passes but no acts, that scene is the
    // one act they draw over.
    std::vector<buffer_pass> buffers;
    std::vector<act> acts;
    std::vector<post_pass> post;
    bool composed() const { return !acts.empty() || !buffers.empty() || !post.empty(); }
    // The piece lasts as long as its music (and so does its one act): set once the music is decoded.
    bool length_of_music = false;
};

} // namespace piece
