#include "player/detected_tracks.hpp"

#include "logger/log_manager.hpp"
#include "music/detect_events.hpp"
#include "sound/music_decode.hpp"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

// The detection keeps its hits min_gap apart; an event longer than that gap ends where the next one
// starts, so that a track's events never overlap. The events move from the music's time to the piece's,
// whose 0 is `music_start` of the music.
std::vector<piece::event> as_track(const std::vector<music::event>& found, double music_start) {
    std::vector<piece::event> events;
    events.reserve(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        const double end = i + 1 < found.size() && found[i + 1].start < found[i].end ? found[i + 1].start : found[i].end;
        if (found[i].start < end)
            events.push_back({found[i].start - music_start, end - music_start, found[i].value});
    }
    return events;
}

// The events `playing` found for `spec` in the same music, or nullptr.
const std::vector<piece::event>* known_events(const piece::piece_data& p, const music::detect_spec& spec,
                                              const piece::piece_data* playing) {
    if (playing == nullptr || playing->music != p.music || playing->music_start != p.music_start)
        return nullptr;
    for (const piece::track& t : playing->tracks) {
        if (const auto* d = std::get_if<piece::detected_events>(&t.source); d != nullptr && d->spec == spec)
            return &d->events;
    }
    return nullptr;
}

} // namespace

void find_detected_tracks(piece::piece_data& p, logger::log_manager& log, const piece::piece_data* playing) {
    // The tracks to find and the ones the playing piece already found; `p` changes only once all is found.
    std::vector<music::detect_spec> specs;
    std::vector<piece::detected_events*> targets;
    std::vector<const std::string*> names;
    std::vector<std::pair<piece::detected_events*, const std::vector<piece::event>*>> kept;
    for (piece::track& t : p.tracks) {
        if (auto* d = std::get_if<piece::detected_events>(&t.source)) {
            if (const std::vector<piece::event>* known = known_events(p, d->spec, playing)) {
                kept.emplace_back(d, known);
            } else {
                specs.push_back(d->spec);
                targets.push_back(d);
                names.push_back(&t.name);
            }
        }
    }
    std::vector<std::vector<music::event>> found;
    double seconds = 0.0;
    if (!specs.empty()) {
        const auto started = std::chrono::steady_clock::now();
        sound::decoded_music music;
        try {
            music = sound::decode_music_file(p.music);
            const std::size_t frames =
                music.channels > 0 ? music.samples.size() / static_cast<std::size_t>(music.channels) : 0;
            found = music::detect_tracks(music.samples.data(), frames, music.channels, music.rate, specs);
        } catch (const sound::music_error& e) {
            throw std::runtime_error("Unable to load music from '" + p.music + "': " + e.what());
        } catch (const music::detect_error& e) {
            // The specs were checked when the piece was read: what is left is music the detection cannot take.
            throw detection_error("No events can be found in '" + p.music + "' for the track '" + *names.front() +
                                  "' (the music itself plays): " + e.what() + ".");
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }

    for (const auto& [target, known] : kept)
        target->events = *known;
    if (targets.empty()) return;
    std::string counts;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        targets[i]->events = as_track(found[i], p.music_start);
        counts += (i ? ", " : "") + *names[i] + " " + std::to_string(targets[i]->events.size());
    }
    char took[32];
    std::snprintf(took, sizeof took, "%.2f", seconds);
    log.info("Detected " + std::to_string(targets.size()) + (targets.size() == 1 ? " event track" : " event tracks") +
             " in '" + p.music + "' in " + took + " s: " + counts + " events.");
}
