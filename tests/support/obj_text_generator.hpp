#pragma once
// Model files of every shape the loader reads, for comparing it with tinyobjloader: generated from a
// seeded engine in the tests and from the fuzzer's bytes.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace test_support {

// Where the generator's decisions come from.
class choice_source {
public:
    virtual ~choice_source() = default;
    // A number in [0, bound).
    virtual unsigned below(unsigned bound) = 0;
    virtual bool exhausted() const = 0;
};

class seeded_choices : public choice_source {
public:
    explicit seeded_choices(std::uint32_t seed)
        : engine(seed) {}
    unsigned below(unsigned bound) override {
        return std::uniform_int_distribution<unsigned>(0, bound - 1)(engine);
    }
    bool exhausted() const override { return false; }

private:
    std::mt19937 engine;
};

// One byte a decision; zeros once the bytes are used up.
class byte_choices : public choice_source {
public:
    byte_choices(const std::uint8_t* data, std::size_t size)
        : data(data)
        , size(size) {}
    unsigned below(unsigned bound) override { return at < size ? data[at++] % bound : 0; }
    bool exhausted() const override { return at >= size; }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

struct generated_face {
    std::size_t corners = 0;
    bool has_uv = false;
    bool has_normal = false;
};

struct generated_obj {
    std::string text;
    std::vector<generated_face> faces; // in file order
};

// Up to max_faces convex polygons of 3 to 12 corners, each on a circle in a plane of its own and with its
// own positions (and texture coordinates and normals when its corner form has them); corners in the
// forms "p", "p/t", "p//n" and "p/t/n", indices absolute or negative; some face lines continued with a
// backslash; "s" lines; materials used in blocks, so that grouping keeps the file's face order.
generated_obj generate_obj(choice_source& choose, std::size_t max_faces);

// Empty when the parser and tinyobjloader agree on the generated file: the same number of triangles, each
// triangle's corners equal in order, and each polygon's triangles using the same corners (positions, and
// texture coordinates and normals where the file gives them); else what differs first.
std::string tinyobj_difference(const generated_obj& model);

} // namespace test_support
