#include "demo_live/piece_reload.hpp"

#include "acts/piece_act.hpp"
#include "core/core_module.hpp"
#include "model/obj_model.hpp"
#include "piece/piece_error.hpp"
#include "piece/read_piece.hpp"
#include "player/detected_tracks.hpp"
#include "player/player.hpp"
#include "sound/music_decode.hpp"
#include "sound/playable_music.hpp"

#include <exception>
#include <optional>
#include <utility>

namespace live {
namespace {

bool same_sprites(const std::vector<piece::sprite>& a, const std::vector<piece::sprite>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].file != b[i].file || a[i].alpha != b[i].alpha || a[i].sampler != b[i].sampler ||
            a[i].unit != b[i].unit || a[i].texture_index != b[i].texture_index)
            return false;
    }
    return true;
}

// Whether an act made for `a` draws `b` as well: the same GL objects (model, textures, programs, pool).
// A piece of acts, buffers or post passes is always made anew: its act holds its parts.
bool same_assets(const piece::piece_data& a, const piece::piece_data& b) {
    return !a.composed() && !b.composed() && a.model == b.model && a.extra_model == b.extra_model && a.scene_shaders == b.scene_shaders &&
           a.particle_shaders == b.particle_shaders && a.pool_size == b.pool_size &&
           same_sprites(a.sprites, b.sprites);
}

// "<file>:<line>:<column>" at the front of a piece_error's message, else the file alone.
std::string location(const std::string& message, const std::string& file) {
    if (message.rfind(file + ":", 0) != 0) return file;
    std::size_t at = file.size();
    for (int field = 0; field < 2; ++field) {
        if (at >= message.size() || message[at] != ':') return file;
        std::size_t digits = at + 1;
        while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9')
            ++digits;
        if (digits == at + 1) return file;
        at = digits;
    }
    return message.substr(0, at);
}

piece_act& act_of(player& host) {
    return dynamic_cast<piece_act&>(*host.act);
}

} // namespace

piece_watch::piece_watch(const std::filesystem::path& file, logger::log_manager& log)
    : path(file)
    , watched_name((file.has_parent_path() ? file.parent_path().string() : std::string(".")) + "/" +
                   file.filename().string())
    , watch(file.has_parent_path() ? file.parent_path().string() : std::string("."), "the piece file", log) {}

bool piece_watch::saved() {
    bool seen = false;
    for (const std::string& f : watch.saved_files())
        seen = seen || f == watched_name;
    return seen;
}

piece_reload reload_piece(player& host, const std::filesystem::path& file) {
    piece_reload outcome;
    piece::piece_data next;
    try {
        next = piece::read_piece_file(file);
        find_detected_tracks(next, host.core->log_manager, &host.piece);
    } catch (const std::exception& e) {
        outcome.error = e.what();
        outcome.where = location(outcome.error, file.string());
        return outcome;
    }
    logger::log_manager& log = host.core->log_manager;
    // Other music is heard from the reload on, as its detected tracks are found in it: decoded first, so
    // that music that cannot be is an error like one in the file.
    std::optional<sound::playable_music> music;
    if (next.music != host.piece.music) {
        try {
            music = sound::load_playable_music(next.music);
        } catch (const sound::music_error& e) {
            outcome.error = "Unable to load music from '" + next.music + "': " + e.what();
            outcome.where = file.string();
            return outcome;
        }
    }

    if (same_assets(host.piece, next)) {
        host.piece = std::move(next);
        act_of(host).piece_replaced();
    } else {
        // The act reads the host's piece: the new one is put in place while the new act is made from it,
        // and taken back if that fails. The old model gave its arrays to the GL: it is loaded anew.
        piece::piece_data previous = std::exchange(host.piece, std::move(next));
        outcome.replay_needed = true; // a failed load may have left other textures bound
        try {
            std::unique_ptr<obj_model> model =
                host.piece.acts.empty() ? load_obj(host.piece.model, &log) : std::make_unique<obj_model>();
            std::unique_ptr<abstract_act> act = host.make_act(model.get());
            for (auto& entry : host.timeline.entries) {
                if (entry.second == host.act.get()) entry.second = act.get();
            }
            host.stepped_act = nullptr;
            host.act = std::move(act); // the old act goes before the old model it draws
            host.model = std::move(model);
            outcome.act_rebuilt = true;
        } catch (const std::exception& e) {
            host.piece = std::move(previous);
            if (auto* scene = dynamic_cast<piece_act*>(host.act.get())) scene->piece_replaced();
            outcome.error = e.what();
            outcome.where = location(outcome.error, file.string());
            return outcome;
        }
    }
    host.sound_state.set_tracks(host.piece.tracks);
    outcome.applied = true;
    if (music) {
        outcome.music_replaced = true;
        try {
            host.replace_music(std::move(*music));
            log.info("Piece reload: the music is now '" + host.piece.music + "'.");
        } catch (const std::exception& e) {
            log.error("Piece reload: '" + host.piece.music + "' cannot be played: " + e.what());
        }
    }
    outcome.replay_needed = true;
    return outcome;
}

} // namespace live
