// The engine's OBJ/MTL parser against the plain string-stream reader in tests/support: same vertices bit
// for bit, same triangles, same errors with the same line numbers, same materials.

#include "model/line_scanner.hpp"
#include "model/obj_parser.hpp"
#include "support/obj_text_generator.hpp"
#include "support/parser_difference.hpp"
#include "support/reference_obj_parser.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

using test_support::mtl_difference;
using test_support::obj_difference;
using test_support::same_bytes;

// Numbers as a stream sees them: the edges of its grammar, of float's range and of rounding.
const std::vector<std::string> odd_numbers = {
    "0",
    "-0",
    "+0",
    "00012",
    "1.",
    ".5",
    "-.5",
    "+.5",
    ".",
    "-",
    "+",
    "+-1",
    "-+1",
    "1e",
    "1e+",
    "1e-",
    "1E5",
    "1e+5",
    "1e-5",
    "e5",
    ".e5",
    "0e5",
    "1.5.3",
    "1e5e3",
    "1e5.3",
    "1.e2",
    "0x10",
    "0X1p3",
    "inf",
    "-inf",
    "nan",
    "NaN",
    "infinity",
    "1e39",
    "-1e39",
    "3.4028235e38",
    "3.40282357e38",
    "3.4028236e38",
    "1e-38",
    "1.17549435e-38",
    "1e-39",
    "1.4e-45",
    "7e-46",
    "7.1e-46",
    "1e-46",
    "1e-50",
    "-1e-50",
    "1e-400",
    "1e400",
    "99999999999999999999999999",
    "0.000000000000000000000000000000000000000000001",
    "16777217",
    "16777216.5",
    "0.1",
    "0.30000001192092896",
    "1,5",
    "1;2",
    "٣",
    "1\xc2\xa0"
    "2",
    "--1",
    "123456789012345678901234567890e-20",
    "9223372036854775807",
    "9223372036854775808",
    "-9223372036854775808",
    "-9223372036854775809",
    "18446744073709551616",
};

const std::vector<std::string> separators = {" ", "  ", "\t", "\v", "\f", "\r", " \r ", "/", "//", ""};

std::string pick(std::mt19937& rng, const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
}

// A random number in one of many spellings: digits around a point, exponents, signs, leading zeros.
std::string random_number(std::mt19937& rng) {
    std::uniform_int_distribution<int> coin(0, 9);
    std::string text;
    if (coin(rng) < 2) text += coin(rng) < 5 ? "-" : "+";
    if (coin(rng) == 0) text += std::string(static_cast<std::size_t>(coin(rng)), '0');
    const int digits = std::uniform_int_distribution<int>(0, 24)(rng);
    const int point = std::uniform_int_distribution<int>(-1, digits)(rng);
    for (int i = 0; i < digits; ++i) {
        if (i == point) text += '.';
        text += static_cast<char>('0' + coin(rng));
    }
    if (point == digits) text += '.';
    if (coin(rng) < 3) {
        text += coin(rng) < 5 ? 'e' : 'E';
        if (coin(rng) < 6) text += coin(rng) < 5 ? "-" : "+";
        text += std::to_string(std::uniform_int_distribution<int>(0, 60)(rng));
    }
    return text;
}

// Decimal spellings right at or next to the point halfway between two neighbouring floats, where a
// conversion that is not correctly rounded goes wrong.
std::string near_halfway(std::mt19937& rng) {
    const auto bits = std::uniform_int_distribution<std::uint32_t>(0, 0x7f7ffffe)(rng);
    float low;
    std::memcpy(&low, &bits, sizeof low);
    const double middle =
        (static_cast<double>(low) + static_cast<double>(std::nextafter(low, FLT_MAX))) / 2.0;
    char text[64];
    const int precision = std::uniform_int_distribution<int>(6, 40)(rng);
    std::snprintf(text, sizeof text, "%.*g", precision, middle);
    return text;
}

std::string random_float_text(std::mt19937& rng) {
    switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
    case 0:
        return pick(rng, odd_numbers);
    case 1:
        return near_halfway(rng);
    default:
        return random_number(rng);
    }
}

std::string random_index(std::mt19937& rng) {
    std::uniform_int_distribution<int> coin(0, 19);
    switch (coin(rng)) {
    case 0:
        return pick(rng, odd_numbers);
    case 1:
        return "-" + std::to_string(coin(rng));
    case 2:
        return "+" + std::to_string(coin(rng));
    case 3:
        return "";
    default:
        return std::to_string(std::uniform_int_distribution<int>(0, 12)(rng));
    }
}

// One line of an OBJ file, mostly well formed, sometimes bent in every way a file can be.
std::string random_obj_line(std::mt19937& rng) {
    std::uniform_int_distribution<int> coin(0, 19);
    const int kind = coin(rng);
    std::string line;
    if (kind < 12) {
        const char* keys[] = {"v ", "vt ", "vn ", "v\t", "vt", "vn", "v", "vp ", " v ", "V "};
        line = keys[kind < 9 ? kind % 3 : coin(rng) % 10];
        const int count = std::uniform_int_distribution<int>(0, 4)(rng);
        for (int i = 0; i < count; ++i)
            line += (i ? pick(rng, separators) : "") + random_float_text(rng);
    } else if (kind < 18) {
        line = coin(rng) == 0 ? "f" : "f ";
        const int corners = std::uniform_int_distribution<int>(coin(rng) == 0 ? 0 : 3, 4)(rng);
        for (int i = 0; i < corners; ++i) {
            if (i) line += coin(rng) < 17 ? " " : pick(rng, separators);
            line += random_index(rng);
            line += coin(rng) < 18 ? "/" : pick(rng, separators);
            line += random_index(rng);
            line += coin(rng) < 18 ? "/" : pick(rng, separators);
            line += random_index(rng);
        }
    } else {
        const char* others[] = {"# comment 1 2 3", "g group", "s 1", "usemtl m", "", "\r", "o v 1 2"};
        line = others[coin(rng) % 7];
    }
    if (coin(rng) == 0) line += pick(rng, separators) + pick(rng, odd_numbers);
    return line;
}

std::string random_mtl_line(std::mt19937& rng) {
    std::uniform_int_distribution<int> coin(0, 19);
    const char* keys[] = {"Kd", "Ks",  "Ns",     "map_Kd", "map_Ks", "map_Bump",
                          "kd", "Kd1", "newmtl", "# Kd",   ""};
    std::string line = keys[coin(rng) % 11];
    const int count = std::uniform_int_distribution<int>(0, 4)(rng);
    for (int i = 0; i < count; ++i) {
        line += pick(rng, separators);
        line += coin(rng) < 3 ? "tex/" + std::to_string(coin(rng)) + ".png" : random_float_text(rng);
    }
    return line;
}

template <typename Line> std::string random_document(std::mt19937& rng, Line line, int lines) {
    std::uniform_int_distribution<int> coin(0, 19);
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += line(rng);
        if (i + 1 < lines || coin(rng) < 15) text += coin(rng) < 3 ? "\r\n" : "\n";
    }
    return text;
}

// A stream that cannot seek and hands its text out a few bytes at a time, like a pipe.
class trickle_buffer : public std::streambuf {
public:
    explicit trickle_buffer(std::string text)
        : text(std::move(text)) {}

protected:
    int_type underflow() override {
        if (offset >= text.size()) return traits_type::eof();
        const std::size_t n = std::min<std::size_t>(7, text.size() - offset);
        char* at = text.data() + offset;
        setg(at, at, at + n);
        offset += n;
        return traits_type::to_int_type(*at);
    }

private:
    std::string text;
    std::size_t offset = 0;
};

} // namespace

TEST(ObjParserDifferential, ScannerReadsFloatsAsTheStreamDoes) {
    std::mt19937 rng(12345);
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        // The number, then a word: the word shows where the number's reading stopped.
        const std::string text = random_float_text(rng) + (i % 3 == 0 ? " tail" : "tail");
        float ours = -1.0f;
        float theirs = -1.0f;
        std::string ours_rest = "unread";
        std::string theirs_rest = "unread";
        line_scanner scanner(text.data(), text.data() + text.size());
        scanner >> ours >> ours_rest;
        std::istringstream stream(text);
        stream >> theirs >> theirs_rest;
        ASSERT_TRUE(same_bytes(ours, theirs)) << '"' << text << "\": " << ours << " vs " << theirs;
        ASSERT_EQ(scanner.failed(), stream.fail()) << '"' << text << '"';
        ASSERT_EQ(ours_rest, theirs_rest) << '"' << text << '"';
        ++checked;
    }
    EXPECT_EQ(checked, 200000);
}

TEST(ObjParserDifferential, ScannerReadsIntegersAndSkipsAsTheStreamDoes) {
    std::mt19937 rng(777);
    for (int i = 0; i < 50000; ++i) {
        const std::string text = random_index(rng) + pick(rng, separators) + random_index(rng) + " end";
        long long ours[2] = {-7, -7};
        long long theirs[2] = {-7, -7};
        std::string ours_rest;
        std::string theirs_rest;
        line_scanner scanner(text.data(), text.data() + text.size());
        scanner >> ours[0];
        scanner.skip_one();
        scanner >> ours[1] >> ours_rest;
        std::istringstream stream(text);
        stream >> theirs[0];
        stream.get();
        stream >> theirs[1] >> theirs_rest;
        ASSERT_EQ(scanner.failed(), stream.fail()) << '"' << text << '"';
        ASSERT_EQ(ours[0], theirs[0]) << '"' << text << '"';
        ASSERT_EQ(ours[1], theirs[1]) << '"' << text << '"';
        ASSERT_EQ(ours_rest, theirs_rest) << '"' << text << '"';
    }
}

TEST(ObjParserDifferential, HandWrittenCornersAgree) {
    const std::string lists = "v 1 2 3\nv 4 5 6\nvt 0.1 0.2\nvt 0.3 0.4\nvn 0 0 1\n";
    const std::vector<std::string> cases = {
        "",
        "\n",
        "\r\n",
        "\n\n\n",
        "v",
        "v ",
        "vt",
        "vn",
        "v 1",
        "v 1 2 3 4",
        "f 1/1/1 2/2/1 1/2/1",
        "f 1/1/1 2/2/1 1/2/1 2/1/1",
        "f 1 1 1 2 2 1 1 2 1",
        "f 1//1 2//1 1//1",
        "f 1/1/1 2/2/1",
        "f 0/1/1 1/1/1 1/1/1",
        "f -1/1/1 1/1/1 1/1/1",
        "f 3/1/1 1/1/1 1/1/1",
        "f 1/3/1 1/1/1 1/1/1",
        "f +1/+1/+1 +2/+2/+1 1/1/1",
        "f 99999999999999999999/1/1 1/1/1 1/1/1",
        "f 9223372036854775807/1/1 1/1/1 1/1/1",
        "f -9223372036854775808/1/1 1/1/1 1/1/1",
        "f 1/1/1\t2/2/1\v1/1/1",
        "f1/1/1 2/2/1 1/1/1",
        "f 1-1-1 2-2-1 1-1-1",
        "f 1/1/1 2/2/1 1/1/",
        "f 01/01/01 02/02/01 1/1/1",
        "f 1.5/1/1 1/1/1 1/1/1",
        "vt 1 2 3",
        "vt 1",
        "v 1e39 2 3",
        "v 1 x 3",
        "v 1e-50 -1e-50 1e-40",
        "f 1/1/1 2/2/1 1/1/1\r\r",
        "\rf 1/1/1 1/1/1 1/1/1",
        "f 1/1/1 1/1/1 1/1/1\r\nf 1/1/2 1/1/1 1/1/1",
        std::string("v 1\0 2 3", 9),
        std::string(300, 'v') + " 1 2 3",
        "v " + std::string(400, '1') + " 2 3",
    };
    for (const std::string& extra : cases) {
        for (const std::string& text :
             {lists + extra, lists + extra + "\n" + lists + "f 1/1/1 2/2/1 1/1/1\n"}) {
            EXPECT_EQ(obj_difference(text), "") << '"' << text << '"';
        }
        EXPECT_EQ(mtl_difference(extra), "") << '"' << extra << '"';
    }
}

TEST(ObjParserDifferential, RandomObjDocumentsAgree) {
    std::mt19937 rng(2024);
    const std::string lists = "v 1 2 3\nv 4 5 6\nv 7 8 9\nvt 0.5 0.25\nvt 0.75 1\nvn 0 1 0\nvn 1 0 0\n";
    for (int i = 0; i < 5000; ++i) {
        const int lines = std::uniform_int_distribution<int>(1, 40)(rng);
        const std::string text = (i % 2 ? lists : "") + random_document(rng, random_obj_line, lines);
        ASSERT_EQ(obj_difference(text), "") << "document " << i << ":\n" << text;
    }
}

TEST(ObjParserDifferential, RandomMtlDocumentsAgree) {
    std::mt19937 rng(99);
    for (int i = 0; i < 5000; ++i) {
        const int lines = std::uniform_int_distribution<int>(1, 20)(rng);
        const std::string text = random_document(rng, random_mtl_line, lines);
        ASSERT_EQ(mtl_difference(text), "") << "document " << i << ":\n" << text;
    }
}

TEST(ObjParserDifferential, GeneratedShapesAgreeWithTinyobjloader) {
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        test_support::seeded_choices choices(seed);
        const test_support::generated_obj model = test_support::generate_obj(choices, 30);
        ASSERT_EQ(test_support::tinyobj_difference(model), "") << "seed " << seed << ":\n" << model.text;
    }
}

TEST(ObjParserDifferential, ProductionModelsLoadAsTheFirstLoaderReadThem) {
    for (const char* name : {"toristin.obj", "teksti.obj"}) {
        std::ifstream file(std::string(ENGINE_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
        ASSERT_TRUE(file) << name << ": generate the assets first";
        std::ostringstream text;
        text << file.rdbuf();
        std::istringstream in(text.str());
        const obj_mesh first = reference_parser::parse_obj(in);
        const obj_mesh now = parse_obj(std::string_view(text.str()));
        ASSERT_GT(first.triangles.size(), 1000u) << name;
        ASSERT_EQ(now.vertices.size(), first.vertices.size()) << name;
        ASSERT_EQ(now.triangles.size(), first.triangles.size()) << name;
        EXPECT_EQ(std::memcmp(now.vertices.data(), first.vertices.data(),
                              now.vertices.size() * sizeof(model_vertex)),
                  0)
            << name;
        EXPECT_EQ(std::memcmp(now.triangles.data(), first.triangles.data(),
                              now.triangles.size() * sizeof(triangle)),
                  0)
            << name;
        ASSERT_EQ(now.groups.size(), 1u) << name << ": one draw";
        EXPECT_EQ(now.groups[0].triangle_count, now.triangles.size());
    }
}

TEST(ObjParserDifferential, LargeExportAgrees) {
    // A mesh as an exporter writes it, many thousands of lines long, with faces referring back across it.
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
    std::string text = "# exported\nmtllib big.mtl\no big\n";
    char line[160];
    const int count = 3000;
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\nvt %.4f %.4f\nvn %.9g %.9g %.9g\n",
                      static_cast<double>(coordinate(rng)), static_cast<double>(coordinate(rng)),
                      static_cast<double>(coordinate(rng)), static_cast<double>(coordinate(rng)) / 100.0,
                      static_cast<double>(coordinate(rng)) / 100.0, static_cast<double>(coordinate(rng)),
                      static_cast<double>(coordinate(rng)), static_cast<double>(coordinate(rng)));
        text += line;
        if (i >= 2) {
            std::uniform_int_distribution<int> index(1, i + 1);
            std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", index(rng), index(rng),
                          index(rng), index(rng), index(rng), index(rng), index(rng), index(rng), index(rng));
            text += line;
        }
    }
    EXPECT_EQ(obj_difference(text), "");
    std::istringstream in(text);
    const obj_mesh mesh = parse_obj(in);
    EXPECT_EQ(mesh.triangles.size(), static_cast<std::size_t>(count - 2));

    // The same text through a stream that cannot tell its size.
    ASSERT_GT(text.size(), std::size_t{1} << 17);
    trickle_buffer buffer(text);
    std::istream trickle(&buffer);
    const obj_mesh trickled = parse_obj(trickle);
    ASSERT_EQ(trickled.vertices.size(), mesh.vertices.size());
    EXPECT_EQ(std::memcmp(trickled.vertices.data(), mesh.vertices.data(),
                          mesh.vertices.size() * sizeof(model_vertex)),
              0);
    EXPECT_TRUE(trickle.eof());
}
