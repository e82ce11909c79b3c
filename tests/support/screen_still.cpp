#include "support/screen_still.hpp"

#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "x_close/x_window.hpp"

namespace test_support {

using namespace std::chrono_literals;

std::string screen_still(const std::string& title) {
    const auto place = x_window::place(title);
    if (!place) return {};
    const temp_dir dir;
    const auto file = dir.path() / "still.rgb";
    const std::string crop = std::to_string(place->width) + "x" + std::to_string(place->height) + "+" +
                             std::to_string(place->x) + "+" + std::to_string(place->y);
    child_process import("import",
                         {"-silent", "-window", "root", "-crop", crop, "-depth", "8", "rgb:" + file.string()},
                         dir.path());
    if (!import.wait(30s) || import.status() != 0) return {};
    return read_file(file);
}

double luminance_variance(const std::string& rgb) {
    const std::size_t n = rgb.size() / 3;
    if (n == 0) return 0.0;
    double sum = 0.0;
    double squares = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto byte = [&](std::size_t k) {
            return static_cast<double>(static_cast<unsigned char>(rgb[k]));
        };
        const double l = (byte(3 * i) + byte(3 * i + 1) + byte(3 * i + 2)) / 3.0;
        sum += l;
        squares += l * l;
    }
    const double mean = sum / static_cast<double>(n);
    return squares / static_cast<double>(n) - mean * mean;
}

} // namespace test_support
