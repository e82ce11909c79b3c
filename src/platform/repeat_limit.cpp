#include "platform/repeat_limit.hpp"

namespace platform {

repeat_limit::verdict repeat_limit::count(const std::string& text) {
    auto found = seen.find(text);
    if (found == seen.end()) {
        if (seen.size() >= tracked_texts) return verdict::pass;
        found = seen.emplace(text, 0).first;
    }
    const std::size_t times = ++found->second;
    if (times < allowed) return verdict::pass;
    if (times == allowed) return verdict::pass_last;
    found->second = allowed + 1; // stays put however long the fault lasts
    return verdict::drop;
}

} // namespace platform
