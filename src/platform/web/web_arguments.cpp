#include "platform/web/web_arguments.hpp"

#include "core/exceptions.hpp"
#include "logger/number_text.hpp"

#include <cmath>
#include <string_view>

web_arguments parse_web_arguments(int argc, const char* const* argv) {
    web_arguments out;
    constexpr int most_arguments = 16;
    if (argc > most_arguments) throw runtime_error("web player: too many arguments.");
    for (int k = 1; k < argc; ++k) {
        const std::string_view word = argv[k];
        const auto value = [&]() -> std::string_view {
            if (k + 1 >= argc) throw runtime_error("web player: " + std::string(word) + " wants a value.");
            return argv[++k];
        };
        if (word == "--piece") {
            if (out.piece) throw runtime_error("web player: --piece is given twice.");
            const std::string_view file = value();
            if (file.empty() || file.size() > 4096) throw runtime_error("web player: --piece wants a file name.");
            out.piece = std::string(file);
        } else if (word == "--at") {
            if (out.at) throw runtime_error("web player: --at is given twice.");
            const std::string_view text = value();
            const std::optional<double> seconds = number_text::parse(text);
            if (!seconds || !std::isfinite(*seconds) || *seconds < 0.0)
                throw runtime_error("web player: --at wants seconds from 0 on, not '" + std::string(text) + "'.");
            out.at = *seconds;
        } else if (word == "--paused") {
            out.paused = true;
        } else {
            throw runtime_error("web player: unknown argument '" + std::string(word) + "'.");
        }
    }
    return out;
}
