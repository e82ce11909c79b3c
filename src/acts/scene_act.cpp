#include "acts/scene_act.hpp"

#include "core/core_module.hpp"
#include "model/obj_model.hpp"
#include "player/player.hpp"
#include "player/replay.hpp"

#include <cmath>

scene_act::scene_act(player& host, std::shared_ptr<const piece::piece_data> piece_played)
    : played(std::move(piece_played))
    , model(load_obj(played->model, &host.core->log_manager))
    , lens(host.camera)
    , view(host.camera)
    , start_position(host.camera_start.position)
    , start_pan(host.camera_start.pan)
    , start_tilt(host.camera_start.tilt)
    , start_distance(host.camera_start.distance)
    , tracks(played->tracks) {
    rewind();
    scene = std::make_unique<piece_act>(model.get(), host, *played, piece_act::scene_binding{&view, &tracks, &rng});
}

void scene_act::step(double t) {
    if (view.aspect != lens.aspect) view.set_aspect(lens.aspect);
    if (view.fov_y != lens.fov_y) view.set_fov_y(lens.fov_y);
    constexpr int fps = replay::default_fps;
    const double frame = std::nearbyint(t * fps);
    if (std::abs(t * fps - frame) < on_frame * fps) t = replay::frame_time(static_cast<std::int64_t>(frame), fps);
    if (!begun) {
        scene->begin();
        begun = true;
        for (std::int64_t k = 0; replay::frame_time(k, fps) < t; ++k)
            scene->step_at(replay::frame_time(k, fps));
    }
    scene->step_at(t);
}

void scene_act::draw(player& host) {
    // Other acts share the GL state: the clear colour and the sprites' units are set again each time.
    scene->draw_state_unset = true;
    scene->draw(host);
}

void scene_act::rewind() {
    view.set_position(start_position);
    view.set_pan(start_pan);
    view.set_tilt(start_tilt);
    view.set_distance(start_distance);
    tracks.rewind();
    rng.seed(std::mt19937::default_seed);
    if (scene) scene->rewind();
    begun = false;
}
