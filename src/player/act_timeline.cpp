#include "player/act_timeline.hpp"

void act_timeline::add_act(abstract_act* act, double start) {
    entries.emplace_back(start, act);
}

abstract_act* act_timeline::current_act(double t) {
    if (entries.empty()) {
        return nullptr;
    }
    const std::int32_t n = static_cast<std::int32_t>(entries.size()) - 1;
    const std::int32_t i = current;
    if (i < n && t > entries[i + 1].first) {
        current = i + 1;
        abstract_act* const act = entries[current].second;
        act->begin();
        return act;
    }
    return entries[i < 0 ? 0 : i].second;
}
