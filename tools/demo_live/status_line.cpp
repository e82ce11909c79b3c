#include "demo_live/status_line.hpp"

#include <cstdio>

namespace live {

std::string status_text(const status& s) {
    char loop[64] = "no loop";
    if (s.loop_start && s.loop_end) {
        std::snprintf(loop, sizeof loop, "loop %.2f-%.2f", *s.loop_start, *s.loop_end);
    } else if (s.loop_start) {
        std::snprintf(loop, sizeof loop, "loop %.2f-", *s.loop_start);
    }
    char text[192];
    std::snprintf(text, sizeof text, "%.2f s | %s | x%g | %s | %.0f fps%s", s.time,
                  s.playing ? "playing" : "paused", s.speed, loop, s.frames_per_second,
                  s.shader_failing ? " | shader error" : "");
    std::string line = text;
    if (s.shader_failing && !s.shader_error.empty()) line += " " + s.shader_error;
    return s.piece_error.empty() ? line : line + " | piece error " + s.piece_error;
}

} // namespace live
