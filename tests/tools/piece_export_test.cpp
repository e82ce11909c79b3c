// piece_export as a program: the files each piece names, pinned; a copy whose detected tracks are the events
// the players find at start-up, to the bit; a piece without them copied byte for byte; the reader's refusals
// with status 1 and usage errors with status 2.

#include "logger/log_manager.hpp"
#include "piece/read_piece.hpp"
#include "player/detected_tracks.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "support/wav.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string program = std::string(ENGINE_BINARY_DIR) + "/piece_export";

struct result {
    int status;
    std::string out;
    std::string err;
};

result run(const std::vector<std::string>& args, const fs::path& cwd) {
    test_support::child_process child(program, args, cwd);
    EXPECT_TRUE(child.wait(60s));
    return {child.status(), child.out(), child.err()};
}

std::string lines(const std::vector<std::string>& files) {
    std::string out;
    for (const std::string& f : files) out += f + "\n";
    return out;
}

TEST(PieceExport, ListsExactlyTheFilesEachPieceNames) {
    const std::vector<std::string> cloister_shaders{
        "shaders/cloister_mist/particles.frag", "shaders/cloister_mist/particles.geom",
        "shaders/cloister_mist/scene.frag", "shaders/cloister_mist/scene.vert", "shaders/particles.vert"};
    const std::vector<std::string> model{"assets/toristin.mtl", "assets/toristin.obj", "assets/toristin_diffuse.png",
                                         "assets/toristin_normal.png", "assets/toristin_specular.png"};
    std::vector<std::string> cloister{"assets/dat_bass.wav", "assets/kukka1.png", "assets/kukka3.png",
                                      "assets/taplat.png"};
    cloister.insert(cloister.end(), model.begin(), model.end());
    cloister.insert(cloister.end(), {"assets/valo.png", "assets/valo2.png"});
    cloister.insert(cloister.end(), cloister_shaders.begin(), cloister_shaders.end());
    // The courtyard, a scene act of the night drive: its piece file, model, extra model and stock shaders.
    std::vector<std::string> night{"assets/dat_bass.wav", "assets/koala.jpg", "assets/kukka1.png", "assets/kukka2.png",
                                   "assets/kukka3.png", "assets/star.png", "assets/taplat.png", "assets/taplat2.png",
                                   "assets/teksti.mtl", "assets/teksti.obj"};
    night.insert(night.end(), model.begin(), model.end());
    night.insert(night.end(),
                 {"assets/valo.png", "assets/valo2.png", "assets/valo3.png", "pieces/courtyard.toml", "shaders/cube.frag",
                  "shaders/cube.vert", "shaders/night_drive/drive.frag", "shaders/night_drive/glitch.frag",
                  "shaders/night_drive/grade.frag", "shaders/night_drive/iris.glsl", "shaders/night_drive/scan.glsl",
                  "shaders/night_drive/streaks.frag", "shaders/night_drive/title.frag", "shaders/particles.frag",
                  "shaders/particles.geom", "shaders/particles.vert"});
    const std::pair<const char*, const std::vector<std::string>*> cases[] = {
        {"pieces/cloister_mist.toml", &cloister}, {"pieces/night_drive.toml", &night}};
    for (const auto& [piece, files] : cases) {
        SCOPED_TRACE(piece);
        const result r = run({"--files", piece}, ENGINE_SOURCE_DIR);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, lines(*files));
    }
}

// Mono, 4 s at 48 kHz: a short decaying noise burst every 0.25 s from 0.5 s on, twelve in all.
std::vector<std::int16_t> clicks() {
    std::vector<std::int16_t> samples(4 * 48000, 0);
    std::uint32_t noise = 12345;
    for (int k = 0; k < 12; ++k) {
        const auto start = static_cast<std::size_t>((0.5 + 0.25 * k) * 48000);
        for (std::size_t i = 0; i < 2400; ++i) {
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double>(noise >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
            samples[start + i] = static_cast<std::int16_t>(20000.0 * white * std::exp(-static_cast<double>(i) / 400.0));
        }
    }
    return samples;
}

const std::string head = "# A piece of clicks \xc3\xa4\n[piece]\nname = \"clicks\"\nlength = 4\nmusic_start = 0.7\n"
                         "[assets]\nmodel = \"m.obj\"\nmusic = \"clicks.wav\"\n";

TEST(PieceExport, WritesTheDetectedTracksAsTheEventsThePlayersFind) {
    const test_support::temp_dir dir;
    test_support::write_wav(dir.path() / "clicks.wav", clicks(), 1, 48000);
    const std::string typed = "[[tracks]]\nname = \"typed\"\nevents = [[0.1, 0.2, 3]]\n";
    dir.write("piece.toml", head + typed +
                                "[[tracks]]\nname = \"hits\"\n"
                                "detect = { instrument = \"onsets\", min_gap = 0.1, length = 0.5, value = 2.0 }\n"
                                "[[tracks]]\nname = \"high\"\ndetect = { instrument = \"band\", low = 2000, high = 20000 }\n");
    const result r = run({"--write", "out.toml", "piece.toml"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Detected 2 event tracks in './clicks.wav'"), std::string::npos) << r.err;
    const std::string out = test_support::read_file(dir.path() / "out.toml");
    EXPECT_EQ(out.rfind(head + typed + "[[tracks]]\nname = \"hits\"\nevents = [ # found in the music by detect", 0), 0u)
        << out;

    piece::piece_data found = piece::read_piece_file(dir.path() / "piece.toml");
    {
        logger::log_manager log([] { return 0.0; });
        find_detected_tracks(found, log);
    }
    const piece::piece_data written = piece::read_piece_file(dir.path() / "out.toml");
    ASSERT_EQ(written.tracks.size(), 3u);
    EXPECT_EQ(piece::events_of(found.tracks[1]).size(), 12u);
    for (std::size_t t = 0; t < 3; ++t) {
        SCOPED_TRACE(found.tracks[t].name);
        EXPECT_FALSE(piece::has_detected_tracks({written.tracks[t]}));
        const std::vector<piece::event>& want = piece::events_of(found.tracks[t]);
        const std::vector<piece::event>& got = piece::events_of(written.tracks[t]);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got[i].start), std::bit_cast<std::uint64_t>(want[i].start)) << i;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got[i].end), std::bit_cast<std::uint64_t>(want[i].end)) << i;
            EXPECT_EQ(got[i].value, want[i].value) << i;
        }
    }
}

TEST(PieceExport, CopiesAPieceWithoutDetectedTracksByteForByte) {
    const test_support::temp_dir dir;
    const fs::path marked = dir.write("marked.toml", "\xEF\xBB\xBF" + head + "# end\r\n");
    for (const fs::path& piece : {fs::path(ENGINE_SOURCE_DIR) / "pieces/courtyard.toml", marked}) {
        SCOPED_TRACE(piece);
        const result r = run({"--write", (dir.path() / "out.toml").string(), piece.string()}, dir.path());
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(test_support::read_file(dir.path() / "out.toml"), test_support::read_file(piece));
    }
}

TEST(PieceExport, RefusesWithTheReadersWordsAndStatus1OrUsageWithStatus2) {
    const test_support::temp_dir dir;
    dir.write("typo.toml", "[piece]\nnmae = \"x\"\n");
    dir.write("missing.toml", head);
    std::string mapped = head;
    dir.write("mapped.toml", mapped.replace(mapped.find("m.obj"), 5, "mapped.obj"));
    dir.write("mapped.obj", "mtllib mapped.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n");
    dir.write("mapped.mtl", "newmtl a\nmap_Kd gone.png\n");
    dir.write("inner.toml", head + "[[tracks]]\nname = \"k\"\ndetect = { instrument = \"kick\" }\n");
    dir.write("outer.toml", "[piece]\nname = \"o\"\nlength = 4\n[assets]\nmusic = \"clicks.wav\"\n"
                            "[[acts]]\nname = \"inside\"\nfrom = 0\nuntil = 4\npiece = \"inner.toml\"\n");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string first_line;
    } cases[] = {
        {{"--files", "typo.toml"}, 1, "piece_export: typo.toml:2:1: unknown key 'nmae' in [piece]; did you mean 'name'?"},
        {{"--write", "out.toml", "typo.toml"}, 1,
         "piece_export: typo.toml:2:1: unknown key 'nmae' in [piece]; did you mean 'name'?"},
        {{"--files", "missing.toml"}, 1, "piece_export: missing.toml:7:9: the file 'm.obj' cannot be read"},
        {{"--files", "mapped.toml"}, 1,
         "piece_export: mapped.toml:7:9: the map 'gone.png' that './mapped.mtl' names cannot be read"},
        {{"--write", "out.toml", "outer.toml"}, 1,
         "piece_export: outer.toml:6:1: the scene act 'inside' plays './inner.toml', whose tracks are found in its "
         "music; only the piece given is written, so write that piece's tracks as events (music_events finds them)"},
        {{"--write", "out.toml", "nowhere.toml"}, 1, "piece_export: nowhere.toml:1:1: cannot open the file"},
        {{}, 2, "piece_export: no command"},
        {{"--files", "a.toml", "b.toml"}, 2, "piece_export: '--files' with 2 argument(s) is no command"},
        {{"--write", "typo.toml"}, 2, "piece_export: '--write' with 1 argument(s) is no command"},
        {{"--write", "./typo.toml", "typo.toml"}, 2, "piece_export: OUT is the piece itself; the copy goes to another file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const result r = run(c.args, dir.path());
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.first_line);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.find("usage: piece_export") != std::string::npos, c.status == 2) << r.err;
        EXPECT_FALSE(fs::exists(dir.path() / "out.toml"));
    }
}

} // namespace
