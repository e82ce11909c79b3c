#include "gl/glsl_dialect.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using glsl::dialect;
using glsl::for_dialect;

const std::string es_head = "#version 300 es\nprecision highp float;\nprecision highp int;\n"
                            "precision highp sampler2D;\n#line 2\n";

TEST(GlslDialect, EsGetsItsVersionAndPrecisionsWithTheLineNumbersKept) {
    const struct {
        std::string written;
        std::string es;
    } rows[] = {
        {"#version 330 core\nin vec3 p;\n", es_head + "in vec3 p;\n"},
        {"#version 330\r\nvoid main() {}\n", es_head + "void main() {}\n"},
        {"#version 330 core", es_head},
        // Not a leading 3.30 version line: left for the compiler to judge.
        {"// shader\n#version 330 core\n", "// shader\n#version 330 core\n"},
        {"#version 410 core\n", "#version 410 core\n"},
        {"#version 330 compatibility\n", "#version 330 compatibility\n"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(for_dialect(row.written, dialect::es_300), row.es) << row.written;
}

TEST(GlslDialect, DesktopSourcesStayByteForByte) {
    for (const std::string text : {"#version 330 core\nin vec3 p;\n", "#version 330\r\n", "x"})
        EXPECT_EQ(for_dialect(text, dialect::desktop_330), text);
    EXPECT_EQ(glsl::target, dialect::desktop_330);
}

} // namespace
