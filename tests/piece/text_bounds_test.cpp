// The bounds checked on a piece's text before toml++ reads it: deep dotted keys and table names (which
// overflowed the stack), many named tables (quadratic time) and many values (memory), each refused at
// its place; and what looks like them in strings and comments is not counted.

#include "piece/read_piece.hpp"
#include "piece/text_bounds.hpp"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

// Every allocation of this test binary is counted, so that a test can see the most memory held at once.
namespace {

std::atomic<std::size_t> live_bytes{0};
std::atomic<std::size_t> peak_bytes{0};

void* counted(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    const std::size_t now = live_bytes += malloc_usable_size(p);
    std::size_t peak = peak_bytes.load();
    while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void uncounted(void* p) noexcept {
    if (p == nullptr) return;
    live_bytes -= malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(std::size_t n) {
    return counted(n);
}
void* operator new[](std::size_t n) {
    return counted(n);
}
void operator delete(void* p) noexcept {
    uncounted(p);
}
void operator delete[](void* p) noexcept {
    uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    uncounted(p);
}

namespace {

using piece::reading::check_text_bounds;

std::string dotted(std::size_t parts, const std::string& part = "a") {
    std::string key = part;
    for (std::size_t i = 1; i < parts; ++i)
        key += "." + part;
    return key;
}

std::string lines(const std::string& before, std::size_t count, const std::string& after) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += before + std::to_string(i) + after + "\n";
    return text;
}

// `x = [0,0,...,0,]` with `count` zeros.
std::string zeros(std::size_t count) {
    std::string text = "x = [";
    for (std::size_t i = 0; i < count; ++i)
        text += "0,";
    return text + "]\n";
}

std::string refusal(const std::string& text) {
    try {
        check_text_bounds(text, "t.toml");
    } catch (const piece::piece_error& e) {
        return e.what();
    }
    return "accepted";
}

TEST(text_bounds, each_bound_is_refused_where_it_is_passed_and_not_before) {
    const std::string deep_key = "a dotted key of more than 32 parts";
    const std::string deep_table = "a table name of more than 32 parts";
    const std::string tables = "the piece names more than 10000 tables in headers and dotted keys";
    const std::string values = "the piece holds more than 500000 values";
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"x = 1\n" + dotted(32) + " = 1\n", "accepted"},
        {"x = 1\n" + dotted(33) + " = 1\n", "t.toml:2:1: " + deep_key},
        {"x = 1\n" + dotted(50000) + " = 1\n", "t.toml:2:1: " + deep_key}, // overflowed toml++'s stack
        {"[" + dotted(33) + "]\n", "t.toml:1:2: " + deep_table},
        {"[[ " + dotted(33, "'q'") + " ]]\n", "t.toml:1:4: " + deep_table},
        {"x = { y = 1, " + dotted(33, "\"b c\"") + " = 2 }\n", "t.toml:1:14: " + deep_key},
        {"x = 1.5\nt = 1979-05-27T07:32:00.25Z\n", "accepted"},
        // Dots in strings and comments are no keys; a line in a string that looks like a header is none.
        {"name = \"" + dotted(40) + "\"\n# " + dotted(40) + "\ns = '''\n[" + dotted(40) + "]\n'''\n",
         "accepted"},
        {"s = \"\\\"" + dotted(40) + "\"\n", "accepted"},
        // The quadratic file, smaller: 10000 tables are read, the next one is refused.
        {lines("k", 5000, ".a = 1") + lines("kLAST.b", 5000, " = 1"), "accepted"},
        {lines("k", 5000, ".a = 1") + lines("kLAST.b", 5001, " = 1"), "t.toml:10001:1: " + tables},
        {lines("[[k", 10001, "]]"), "t.toml:10001:1: " + tables},
        {lines("[k", 5000, ".a.b]"), "t.toml:3334:1: " + tables},  // three tables each
        {lines("k", 1000, "." + dotted(10) + " = 1"), "accepted"}, // ten each: the tables gone through
        {lines("k", 1000, "." + dotted(10) + " = 1") + "[[rows]]\n", "t.toml:1001:1: " + tables},
        // The key's value, the array and one per comma.
        {zeros(499998), "accepted"},
        {zeros(499999), "t.toml:1:1000003: " + values},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        EXPECT_EQ(refusal(c.text), c.expected);
    }
}

TEST(text_bounds, a_four_megabyte_array_is_refused_before_it_takes_memory) {
    const std::string text =
        "[piece]\nname = \"t\"\nlength = 10\n[assets]\nmodel = \"m.obj\"\nmusic = \"m.wav\"\n" +
        zeros(piece::max_file_bytes / 2 - 50);
    const std::size_t before = live_bytes;
    peak_bytes = before;
    std::string message = "accepted";
    try {
        piece::read_piece_text(text, "t.toml");
    } catch (const piece::piece_error& e) {
        message = e.what();
    }
    // The reader holds a copy of the text; toml++ held 171 MiB of nodes for this one.
    EXPECT_LT(peak_bytes - before, 2 * text.size());
    EXPECT_EQ(message, "t.toml:7:999995: the piece holds more than 500000 values");
}

} // namespace
