#include "piece/closest_name.hpp"

#include <algorithm>
#include <cstddef>

namespace piece {

namespace {
constexpr std::size_t longest_name = 256;
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
    // Three rows of the table suffice: a swap looks two rows back.
    const std::size_t n = b.size();
    std::vector<std::size_t> before(n + 1), previous(n + 1), current(n + 1);
    for (std::size_t j = 0; j <= n; ++j) previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= n; ++j) {
            const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            std::size_t best = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) best = std::min(best, before[j - 2] + 1);
            current[j] = best;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[n];
}

std::optional<std::string> closest_name(std::string_view wrong, const std::vector<std::string>& known) {
    if (wrong.size() > longest_name) return std::nullopt;
    const std::size_t allowed = std::max<std::size_t>(2, wrong.size() / 3);
    const std::string* best = nullptr;
    std::size_t best_distance = allowed + 1;
    for (const std::string& name : known) {
        if (name.size() > longest_name || name == wrong) continue;
        const std::size_t length_gap = name.size() > wrong.size() ? name.size() - wrong.size() : wrong.size() - name.size();
        if (length_gap >= best_distance) continue;
        const std::size_t d = edit_distance(wrong, name);
        if (d < best_distance) {
            best_distance = d;
            best = &name;
        }
    }
    if (best == nullptr) return std::nullopt;
    return *best;
}

} // namespace piece
