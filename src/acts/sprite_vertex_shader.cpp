#include "acts/sprite_vertex_shader.hpp"

#include "core/exceptions.hpp"

#include <regex>
#include <string>
#include <vector>

namespace {

// The text after a first "#version" line, and that line.
struct versioned {
    std::string version;
    std::string rest;
    int rest_line = 1; // the line number of the rest's first line
};

versioned split_version(std::string_view source) {
    versioned out;
    const std::size_t start = source.find_first_not_of(" \t");
    if (start != std::string_view::npos && source.substr(start, 8) == "#version") {
        const std::size_t end = source.find('\n');
        out.version = std::string(source.substr(0, end));
        out.rest = end == std::string_view::npos ? std::string() : std::string(source.substr(end + 1));
        out.rest_line = 2;
    } else {
        out.rest = std::string(source);
    }
    return out;
}

// `text` with every match of `pattern` replaced by what `replace` makes of it.
template <typename Replace>
std::string replace_all(const std::string& text, const std::regex& pattern, Replace replace) {
    std::string out;
    auto last = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        out.append(last, (*it)[0].first);
        out += replace(*it);
        last = (*it)[0].second;
    }
    out.append(last, text.cend());
    return out;
}

// Only the line breaks of `text`, so that what follows keeps its line numbers.
std::string line_breaks_of(const std::string& text) {
    return std::string(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), '\n');
}

std::string collapse_spaces(const std::string& text) {
    return std::regex_replace(text, std::regex(R"(\s+)"), " ");
}

// Where the body of `void name(...)` ends in `text`: the index past its closing brace.
std::pair<std::size_t, std::size_t> function_body(const std::string& text, const std::string& name) {
    std::smatch found;
    if (!std::regex_search(text, found, std::regex(R"(\bvoid\s+)" + name + R"(\s*\([^)]*\)\s*\{)")))
        return {std::string::npos, std::string::npos};
    const auto open = static_cast<std::size_t>(found.position(0) + found.length(0)) - 1;
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{') ++depth;
        if (text[i] == '}' && --depth == 0) return {open, i + 1};
    }
    return {open, text.size()};
}

[[noreturn]] void refuse(const std::string& why) {
    throw runtime_error("The particle geometry shader cannot be drawn as instanced quads here (no geometry "
                        "shaders): " + why + ".");
}

} // namespace

std::string sprite_vertex_shader(std::string_view vertex_source, std::string_view geometry_source) {
    const versioned vertex = split_version(vertex_source);
    const versioned geometry = split_version(geometry_source);

    // The vertex shader's output block becomes a plain struct variable the geometry part reads.
    static const std::regex out_block(R"(\bout\s+(\w+)\s*\{([^}]*)\}\s*(\w+)\s*;)");
    static const std::regex qualifiers(R"(\b(flat|smooth|noperspective|centroid)\b)");
    std::string block_type;
    std::string block_name;
    std::string vertex_part = replace_all(vertex.rest, out_block, [&](const std::smatch& m) {
        block_type = m[1];
        block_name = m[3];
        return "struct " + block_type + " {" + std::regex_replace(m[2].str(), qualifiers, "") + "}; " + block_type +
               " " + block_name + ";";
    });
    vertex_part = std::regex_replace(vertex_part, std::regex(R"(\bgl_Position\b)"), "sprite_vertex_position");
    vertex_part = std::regex_replace(vertex_part, std::regex(R"(\bvoid\s+main\s*\()"), "void sprite_vertex_main(");
    std::vector<std::string> vertex_uniforms;
    static const std::regex uniform(R"(\buniform\s+[^;{]+;)");
    for (std::sregex_iterator it(vertex_part.begin(), vertex_part.end(), uniform), end; it != end; ++it)
        vertex_uniforms.push_back(collapse_spaces((*it)[0]));

    std::string geometry_part = geometry.rest;
    static const std::regex layout_in(R"(\blayout\s*\(([^)]*)\)\s*in\s*;)");
    static const std::regex layout_out(R"(\blayout\s*\(([^)]*)\)\s*out\s*;)");
    bool takes_points = false;
    geometry_part = replace_all(geometry_part, layout_in, [&](const std::smatch& m) {
        takes_points = takes_points || std::regex_search(m[1].str(), std::regex(R"(\bpoints\b)"));
        return line_breaks_of(m[0]);
    });
    if (!takes_points) refuse("it must take points (layout(points) in;)");
    bool makes_quads = false;
    geometry_part = replace_all(geometry_part, layout_out, [&](const std::smatch& m) {
        std::smatch most;
        const std::string layout = m[1];
        if (std::regex_search(layout, std::regex(R"(\btriangle_strip\b)")) &&
            std::regex_search(layout, most, std::regex(R"(\bmax_vertices\s*=\s*(\d+))")) && most[1].length() <= 2 &&
            std::stoi(most[1]) <= 4)
            makes_quads = true;
        return line_breaks_of(m[0]);
    });
    if (!makes_quads) refuse("it must make a triangle strip of at most 4 vertices");

    static const std::regex in_block(R"(\bin\s+(\w+)\s*\{[^}]*\}\s*(\w+)\s*\[\s*\d*\s*\]\s*;)");
    std::string geometry_block_name;
    geometry_part = replace_all(geometry_part, in_block, [&](const std::smatch& m) {
        if (m[1] != block_type) refuse("its input block '" + m[1].str() + "' is not the vertex shader's output block");
        geometry_block_name = m[2];
        return line_breaks_of(m[0]);
    });
    if (!geometry_block_name.empty())
        geometry_part = std::regex_replace(geometry_part, std::regex(R"(\b)" + geometry_block_name + R"(\s*\[\s*0\s*\])"),
                                           block_name);
    geometry_part = std::regex_replace(geometry_part, std::regex(R"(\bgl_in\s*\[\s*0\s*\]\s*\.\s*gl_Position\b)"),
                                       "sprite_vertex_position");
    // A uniform both shaders declare is declared once.
    geometry_part = replace_all(geometry_part, uniform, [&](const std::smatch& m) {
        const bool twice =
            std::find(vertex_uniforms.begin(), vertex_uniforms.end(), collapse_spaces(m[0])) != vertex_uniforms.end();
        return twice ? line_breaks_of(m[0]) : m[0].str();
    });
    geometry_part =
        std::regex_replace(geometry_part, std::regex(R"(\bvoid\s+main\s*\()"), "void sprite_geometry_main(");
    // EmitVertex returns from the geometry main at this vertex's corner, so it must be called there.
    const auto [body_start, body_end] = function_body(geometry_part, "sprite_geometry_main");
    if (body_start == std::string::npos) refuse("it has no main");
    const std::regex emit(R"(\bEmitVertex\b)");
    for (std::sregex_iterator it(geometry_part.begin(), geometry_part.end(), emit), end; it != end; ++it) {
        const auto at = static_cast<std::size_t>(it->position(0));
        if (at < body_start || at >= body_end) refuse("it calls EmitVertex outside its main");
    }

    return vertex.version + "\n" +
           "vec4 sprite_vertex_position;\n"
           "int sprite_corner;\n"
           "int sprite_emitted;\n"
           "bool sprite_corner_reached;\n"
           "#line " + std::to_string(vertex.rest_line) + " 0\n" +
           vertex_part + "\n" +
           "#define EmitVertex() if (sprite_emitted++ == sprite_corner) { sprite_corner_reached = true; return; }\n"
           "#define EndPrimitive()\n"
           "#line " + std::to_string(geometry.rest_line) + " 1\n" +
           geometry_part + "\n" +
           "void main() {\n"
           "    sprite_corner = gl_VertexID;\n"
           "    sprite_emitted = 0;\n"
           "    sprite_corner_reached = false;\n"
           "    sprite_vertex_main();\n"
           "    sprite_geometry_main();\n"
           "    // A corner the geometry stage would not have emitted falls outside the view.\n"
           "    if (!sprite_corner_reached) gl_Position = vec4(0.0, 0.0, 2.0, 1.0);\n"
           "}\n";
}
