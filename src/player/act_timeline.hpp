#pragma once

#include "player/abstract_act.hpp"

#include <cstdint>
#include <utility>
#include <vector>

// The player's schedule of acts with their start times (core-clock seconds). Does not own the acts.
class act_timeline {
public:
    // Appends without sorting: acts must be added in increasing start order.
    void add_act(abstract_act* act, double start);

    // The act to render at time t. The next act becomes current, and is begun, on the first call with t
    // strictly after its start; at most one act is begun per call, so starts passed together begin on
    // successive calls. Before the first start the first act is returned without being begun.
    // Returns nullptr when no act has been added.
    abstract_act* current_act(double t);

    std::vector<std::pair<double, abstract_act*>> entries;
    std::int32_t current = -1; // index of the act begun most recently
};
