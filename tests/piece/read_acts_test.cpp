// The tables of a piece made of acts, buffers and post passes: what a good file gives, and one table of
// bad snippets, each refused with its file, line, column and reason.

#include "piece/read_piece.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <tuple>

namespace {

// 5 lines; every snippet below starts on line 6.
const std::string head = "[piece]\n"
                         "name = \"night\"\n"
                         "length = 60\n"
                         "[assets]\n"
                         "music = \"m.wav\"\n";

const std::string trails = "[[buffers]]\nname = \"trails\"\nshader = \"trails.frag\"\nchannels = [\"trails\", \"music\"]\n";

std::string shader_act(const std::string& name, double from, double until, const std::string& more = "") {
    return "[[acts]]\nname = \"" + name + "\"\nfrom = " + std::to_string(from) + "\nuntil = " + std::to_string(until) +
           "\nshader = \"" + name + ".frag\"\n" + more;
}

piece::piece_data read(const std::string& text) {
    return piece::read_piece_text(text, "n.toml");
}

TEST(read_acts, a_piece_of_buffers_acts_and_post_passes) {
    const piece::piece_data p =
        read(head + trails + "format = \"rgba16f\"\nscale = 0.5\n" +
             shader_act("tunnel", 0, 20, "channels = [\"music\", \"trails\", \"logo.png\"]\n") +
             shader_act("logo", 18, 60, "offset = 6\ntransition = { shader = \"wipe.glsl\" }\n") +
             "[[post]]\nshader = \"grade.frag\"\nchannels = [\"frame\"]\nfrom = 30\n");
    ASSERT_EQ(p.buffers.size(), 1u);
    EXPECT_TRUE(p.buffers[0].feedback);
    EXPECT_EQ(p.buffers[0].format, piece::buffer_format::rgba16f);
    EXPECT_EQ(p.buffers[0].scale, 0.5);
    EXPECT_EQ(p.buffers[0].channels[1].from, piece::channel::source::music);
    ASSERT_EQ(p.acts.size(), 2u);
    const auto& tunnel = p.acts[0].channels;
    EXPECT_EQ(tunnel[1].from, piece::channel::source::buffer);
    EXPECT_EQ(tunnel[2].from, piece::channel::source::image);
    EXPECT_EQ(tunnel[2].image.file, "logo.png");
    EXPECT_EQ(tunnel[3].from, piece::channel::source::none);
    // The overlap is the transition's span; a crossfade where none is named.
    ASSERT_TRUE(p.acts[1].transition);
    EXPECT_EQ(p.acts[1].transition->over, 2.0);
    EXPECT_EQ(p.acts[1].transition->shader->file, "wipe.glsl");
    EXPECT_EQ(p.acts[1].offset, 6.0);
    EXPECT_FALSE(p.acts[0].transition);
    ASSERT_EQ(p.post.size(), 1u);
    EXPECT_FALSE(p.post[0].range.holds(29.9));
    EXPECT_TRUE(p.post[0].range.holds(30.0));
    EXPECT_TRUE(p.model.empty());

    const piece::piece_data crossfade = read(head + shader_act("a", 0, 10) + shader_act("b", 8, 20));
    ASSERT_TRUE(crossfade.acts[1].transition);
    EXPECT_EQ(crossfade.acts[1].transition->over, 2.0);
    EXPECT_FALSE(crossfade.acts[1].transition->shader);
}

TEST(read_acts, what_cannot_be_played_is_refused_where_it_is_written) {
    for (const auto& [snippet, message] : {
             std::tuple{trails + "format = \"rgb8\"\n",
                        "n.toml:10:10: format must be \"rgba8\", \"rgba16f\" or \"rgba32f\", not \"rgb8\""},
             {trails + "scale = 5\n", "n.toml:10:9: scale must be above 0 and at most 4"},
             {trails + shader_act("a", 0, 10, "channels = [\"trials\"]\n"),
              "n.toml:15:13: the channel 'trials' names no buffer, \"music\" or image file (.png, .jpg); did you "
              "mean 'trails'?"},
             // A buffer reads a later one before it is drawn: a cycle.
             {"[[buffers]]\nname = \"a\"\nshader = \"a.frag\"\nchannels = [\"b\"]\n"
              "[[buffers]]\nname = \"b\"\nshader = \"b.frag\"\nchannels = [\"a\"]\n",
              "n.toml:9:13: the buffer 'b' is read before it is drawn in the frame (buffers are drawn in order; "
              "only a buffer itself reads its previous frame)"},
             {shader_act("a", 0, 10, "channels = [\"frame\"]\n"),
              "n.toml:11:13: \"frame\" is the picture so far, which only post passes read"},
             {shader_act("a", 5, 10) + shader_act("b", 2, 12),
              "n.toml:11:1: acts out of order: 'b' starts at 2, not after 'a' (from 5)"},
             {shader_act("a", 0, 10) + shader_act("b", 10, 12, "transition = { over = 1 }\n"),
              "n.toml:16:14: a transition without an overlap: 'b' starts at 10, after 'a' ends at 10"},
             {shader_act("a", 0, 10) + shader_act("b", 8, 12, "transition = { over = 1.5 }\n"),
              "n.toml:16:14: the transition is over 1.5 seconds, but 'b' overlaps 'a' by 2 (8 to 10)"},
             {shader_act("a", 0, 10) + shader_act("b", 4, 8),
              "n.toml:11:1: 'b' (4 to 8) lies within 'a' (0 to 10): an act that overlaps the one before must end "
              "after it"},
             {shader_act("a", 0, 10) + shader_act("b", 8, 20) + shader_act("c", 9, 30),
              "n.toml:16:1: 'c' (from 9) overlaps 'a' (until 10): an act may overlap only the act before it"},
             {shader_act("a", 0, 10) + "[[sections]]\n",
              "n.toml:11:1: a piece with acts draws no scene of its own: its sections belong in the piece of a scene "
              "act"},
             {"[[post]]\nshader = \"p.frag\"\nchannels = [\"frame\", \"x\", \"y\", \"z\", \"w\"]\n",
              "n.toml:8:12: channels has more than 4 entries"},
         }) {
        try {
            read(head + snippet);
            ADD_FAILURE() << "accepted:\n" << snippet;
        } catch (const piece::piece_error& e) {
            EXPECT_EQ(std::string(e.what()), message) << snippet;
        }
    }
}

// A scene act's piece is read from beside the piece that names it, one level deep only.
TEST(read_acts, a_scene_act_reads_its_piece_one_level_deep) {
    const test_support::temp_dir dir;
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir.path() / name) << text;
    };
    write("inner.toml", "[piece]\nname = \"inner\"\nlength = 30\n[assets]\nmodel = \"m.obj\"\nmusic = \"m.wav\"\n");
    write("outer.toml", head + "[[acts]]\nname = \"in\"\nfrom = 0\nuntil = 10\npiece = \"inner.toml\"\noffset = 6\n");
    const piece::piece_data outer = piece::read_piece_file(dir.path() / "outer.toml");
    ASSERT_TRUE(outer.acts[0].scene);
    EXPECT_EQ(outer.acts[0].scene->name, "inner");
    EXPECT_EQ(outer.acts[0].offset, 6.0);

    // Each outer piece names, in a scene act, a piece that cannot be one.
    write("graded.toml", "[piece]\nname = \"inner\"\nlength = 30\n[assets]\nmodel = \"m.obj\"\nmusic = \"m.wav\"\n"
                         "[[post]]\nshader = \"grade.frag\"\n");
    // A folder is refused at once (a pipe or device named so could be waited on for ever).
    std::filesystem::create_directory(dir.path() / "sub");
    const std::string d = dir.path().string() + "/";
    for (const auto& [named, message] : {
             std::pair{"graded.toml", d + "in.toml:10:9: the piece of a scene act plays one scene: '" + d +
                                          "graded.toml' has acts, buffers or post passes, which only the piece "
                                          "played may have"},
             {"gone.toml", d + "in.toml:10:9: the piece 'gone.toml' is not there"},
             {"sub", d + "sub:1:1: not a file"},
             {"outer.toml", d + "outer.toml:10:9: a scene act inside a scene act's piece: scene acts nest one level "
                                "only"},
         }) {
        write("in.toml", head + "[[acts]]\nname = \"in\"\nfrom = 0\nuntil = 10\npiece = \"" + named + "\"\n");
        try {
            piece::read_piece_file(dir.path() / "in.toml");
            ADD_FAILURE() << named << " was accepted";
        } catch (const piece::piece_error& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

} // namespace
