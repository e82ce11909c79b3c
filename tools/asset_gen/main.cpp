// asset_gen: writes every model, texture and the music of the production into one folder.
// Usage: asset_gen <output folder>. The same bytes come out on every run.

#include "atlas.hpp"
#include "mesh.hpp"
#include "music.hpp"
#include "scene.hpp"
#include "sprites.hpp"

#include "piece/builtin_piece.hpp"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

void write_models(const std::filesystem::path& dir) {
    using namespace asset_gen;
    const mesh courtyard = build_courtyard();
    write_obj(dir / "toristin.obj", courtyard, "courtyard with arcade and altar");
    // Map paths are read relative to the program's working folder, the repository root.
    write_mtl(dir / "toristin.mtl", {"courtyard_stone", {1.0, 1.0, 1.0}, {0.6, 0.6, 0.6}, 32.0,
                                     "assets/toristin_diffuse.png", "assets/toristin_specular.png",
                                     "assets/toristin_normal.png"});
    const mesh emblem = build_emblem();
    write_obj(dir / "teksti.obj", emblem, "extruded lettering");
    write_mtl(dir / "teksti.mtl", {"lettering_gold", {0.85, 0.65, 0.2}, {0.9, 0.8, 0.5}, 64.0, {}, {}, {}});
    std::cout << "asset_gen: toristin.obj " << courtyard.triangles().size() << " triangles, teksti.obj "
              << emblem.triangles().size() << " triangles\n";
}

} // namespace

namespace {

std::vector<double> track_starts(const piece::piece_data& p, const std::string& name) {
    for (const piece::track& t : p.tracks) {
        if (t.name != name) continue;
        std::vector<double> starts;
        for (const piece::event& e : piece::events_of(t)) starts.push_back(e.start);
        return starts;
    }
    throw std::runtime_error("the built-in piece has no track '" + name + "'");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: asset_gen <output folder>\n";
        return 2;
    }
    try {
        const std::filesystem::path dir = argv[1];
        std::filesystem::create_directories(dir);
        write_models(dir);
        asset_gen::write_atlas(dir / "toristin_diffuse.png", dir / "toristin_specular.png", dir / "toristin_normal.png");
        asset_gen::write_sprites(dir);
        asset_gen::write_koala(dir / "koala.jpg");
        // The drums of the music fall on the starts of the built-in piece's kick and snare tracks, which
        // drive its bursts.
        const piece::piece_data courtyard = piece::builtin_piece();
        asset_gen::write_music(dir / "dat_bass.wav", track_starts(courtyard, "kick"), track_starts(courtyard, "snare"));
    } catch (const std::exception& e) {
        std::cerr << "asset_gen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
