#pragma once

#include "passes/fullscreen_pass.hpp"
#include "piece/piece.hpp"

#include <memory>
#include <optional>
#include <span>
#include <string>

namespace logger {
class log_manager;
}

// One full-screen program of a piece (a buffer's, an act's, a transition's or a post pass's), made from the
// file the piece names, and the last build of it that worked.
class pass_program {
public:
    // `source`: the engine's own text instead of the file's (a crossfade).
    pass_program(const piece::named_file* named, passes::pass_kind made_as, const char* source = nullptr);

    // A transition into an act without a file of its own.
    static pass_program crossfade();

    // Reads the file and builds it. At start-up a failure throws runtime_error naming the piece's line and
    // the shader's file and lines; later it is logged as an error and the last good build stays.
    void build(const piece::piece_data& piece, std::span<const passes::named_uniform> extras,
               const std::shared_ptr<const passes::black_texture>& black, logger::log_manager& log, bool at_start);
    // Whether a saved file of this name is this program's file ("./x.frag" is "x.frag").
    bool made_from(const std::string& file) const;

    // The last build that worked: every program built at start-up, or the act was not made.
    const passes::fullscreen_pass& pass() const { return *built; }
    bool engine_made() const { return builtin != nullptr; }
    bool failing() const { return failed; }
    const std::string& error() const { return first_error; }

private:
    const piece::named_file* file;
    passes::pass_kind kind;
    const char* builtin;
    std::optional<passes::fullscreen_pass> built;
    bool failed = false;
    std::string first_error; // the first message of the last failed build
};
