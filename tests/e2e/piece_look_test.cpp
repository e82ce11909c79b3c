// Copies of the built-in piece played by the real player in a Mesa context: sprites found by their
// samplers' names whatever their place in the list, a light's colour and the sky reaching the programs'
// uniforms, and the music played from the piece's music_start.

#include "acts/piece_act.hpp"
#include "core/core_module.hpp"
#include "demo_capture/frame_grab.hpp"
#include "platform/gl_api.hpp"
#include "player/player.hpp"
#include "support/run_folder.hpp"
#include "support/wav.hpp"
#include "support/xvfb.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

static auto* const xvfb = ::testing::AddGlobalTestEnvironment(new test_support::xvfb_environment);

const std::string courtyard =
    test_support::read_file(std::filesystem::path(ENGINE_SOURCE_DIR) / "pieces/courtyard.toml");

// `text` with the first `from` replaced by `to`.
std::string changed(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The player in a scratch run folder playing `piece` (the built-in one when empty), grabbed at 160x90.
struct production {
    test_support::run_folder folder;
    test_support::scoped_cwd cwd{folder.path()};
    std::unique_ptr<core_module> core;
    std::unique_ptr<player> host;
    std::unique_ptr<capture::frame_grab> grab;

    explicit production(const std::string& piece, bool edited_shaders = false,
                        const std::map<std::string, std::string>& files = {}) {
        std::string config = test_support::small_config("piece-look");
        if (!piece.empty()) config += "\n[piece]\nfile = pieces/look.toml\n";
        folder.write("config.ini", config);
        if (!piece.empty()) folder.write("pieces/look.toml", piece);
        for (const auto& [name, content] : files)
            folder.write(name, content);
        if (edited_shaders) {
            // Both programs take the sky in as well: each adds a trace of it, so the uniform stays active.
            folder.copy_shaders();
            for (const char* file : {"shaders/cube.frag", "shaders/particles.frag"}) {
                std::string text = folder.read(file);
                text = changed(text, "out vec4 fragment_color;",
                               "out vec4 fragment_color;\nuniform vec3 background_color;");
                text = changed(text, "    fragment_color = vec4(",
                               "    fragment_color = vec4(1e-4 * background_color, 0.0) + vec4(");
                folder.write(file, text);
            }
        }
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        core = std::make_unique<core_module>();
        host = std::make_unique<player>(core.get());
        grab = std::make_unique<capture::frame_grab>(*host, 160, 90);
    }
    ~production() {
        grab.reset();
        host.reset();
        core.reset();
    }

    piece_act& act() { return dynamic_cast<piece_act&>(*host->act); }

    // Every frame at `fps` up to t, the last one drawn.
    std::vector<std::uint8_t> play_to(double t, int fps = 10) {
        const auto last = std::llround(t * fps);
        for (std::int64_t k = 0; k < last; ++k)
            grab->skip(capture::frame_grab::frame_time(k, fps));
        std::vector<std::uint8_t> pixels;
        grab->render(capture::frame_grab::frame_time(last, fps), pixels);
        return pixels;
    }

    glm::vec3 uniform(const program_object& program, const char* name) const {
        glm::vec3 v(-1.0f);
        const GLint at = program.uniform_location(name);
        EXPECT_GE(at, 0) << name;
        if (at >= 0) glapi::glGetUniformfv(program.id(), at, &v.x);
        return v;
    }
};

// The stock particle shaders pick kukka1's sampler by index 0: moved to the end of the list, kukka1 keeps
// drawing kukka1, and the opening's flowers look as they do in the built-in piece.
TEST(PieceLook, SpritesAreFoundByTheirSamplersNameNotTheirPlaceInTheList) {
    const std::string kukka1 =
        "[[sprites]]\nname = \"kukka1\"\nfile = \"assets/kukka1.png\"\nchannels = \"rgba\"\n"
        "sampler = \"kukka1\"\nunit = 3\n\n";
    const std::string moved = changed(changed(courtyard, kukka1, ""), "[[tracks]]", kukka1 + "[[tracks]]");
    std::vector<std::uint8_t> built_in;
    {
        production run("");
        built_in = run.play_to(10.0, 60);
    }
    production run(moved);
    EXPECT_EQ(run.act().emitters.texture_indices.back(), 0) << "kukka1 is the shaders' first sampler";
    EXPECT_TRUE(run.play_to(10.0, 60) == built_in) << "the same picture at 10 s";
}

TEST(PieceLook, ASamplerTheParticleShadersDoNotDeclareStopsTheStartWithItsSprite) {
    const std::string piece = changed(courtyard, "sampler = \"taplat2\"", "sampler = \"taplat3\"");
    try {
        production run(piece);
        ADD_FAILURE() << "started";
    } catch (const std::exception& e) {
        EXPECT_NE(
            std::string(e.what()).find(
                "pieces/look.toml:83:1: sprite 'taplat2' names the sampler 'taplat3', which the particle "
                "shaders do not declare (they declare 'kukka1', 'kukka2', 'kukka3', 'valo', 'valo2', "
                "'valo3', 'taplat', 'taplat2')"),
            std::string::npos)
            << e.what();
    }
}

// Light 1 is block 0's lowest particle, thrown by the kick at 28.57 s, coloured; the sky is a uniform of
// both programs.
TEST(PieceLook, ALightsColourAndTheSkyReachTheUniformsOfThePrograms) {
    const std::string piece =
        changed(changed(courtyard, "lights = { light1 = 0, light2 = 1 }",
                        "lights = { light1 = { block = 0, color = [1.0, 0.7, 0.4] }, light2 = 1 }"),
                "block_size = 100\n", "block_size = 100\nbackground = [0.2, 0.6, 1.0]\n");
    production run(piece, true);
    // The frame's lights are the particles as the frame before left them.
    run.play_to(28.7 - 1.0 / 60.0, 60);
    const auto light = run.act().particles.first_alive_in_block(0, 100);
    ASSERT_TRUE(light.has_value());
    const double b = light->brightness;
    run.grab->render(capture::frame_grab::frame_time(std::llround(28.7 * 60), 60));
    EXPECT_EQ(run.uniform(run.act().scene_program, "light1_intensity"),
              glm::vec3(static_cast<float>(b), static_cast<float>(b * 0.7), static_cast<float>(b * 0.4)));
    for (const program_object* program : {&run.act().scene_program, &run.act().particle_program})
        EXPECT_EQ(run.uniform(*program, "background_color"), glm::vec3(0.2f, 0.6f, 1.0f));
}

// Half a second of a 44100 Hz stereo tone (4 bytes a frame); the piece's 0 at 0.25 s of it.
TEST(PieceLook, TheMusicPlaysAndSeeksFromThePiecesMusicStart) {
    const std::string piece =
        changed(changed(courtyard, "block_size = 100\n", "block_size = 100\nmusic_start = 0.25\n"),
                "music = \"assets/dat_bass.wav\"", "music = \"tone.wav\"");
    const std::map<std::string, std::string> tone{
        {"pieces/tone.wav", test_support::wav_bytes(test_support::test_tone(22050), 2, 44100)}};
    {
        production run(piece, false, tone);
        const auto at = [&] { return run.host->music_position - run.host->music_buffer; };
        ASSERT_EQ(run.host->music_spec.freq, 44100);
        EXPECT_EQ(at(), 4 * 11025) << "0.25 s in";
        EXPECT_EQ(run.host->music_remaining.load(), 4u * 11025);
        run.host->seek_music(0.1);
        EXPECT_EQ(at(), 4 * 15435) << "the piece's 0.1 s is the music's 0.35 s";
    }
    try {
        production run(changed(piece, "music_start = 0.25", "music_start = 0.5"), false, tone);
        ADD_FAILURE() << "started past the music's end";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find(
                      "Unable to play music from 'pieces/tone.wav': music_start = 0.5 s is not "
                      "within the music (0.500 s long)."),
                  std::string::npos)
            << e.what();
    }
}

} // namespace
