#pragma once

class player;

// One part of the production. The player hands itself to render every frame; begin is called once,
// on the first frame after the act's scheduled start.
class abstract_act {
public:
    virtual ~abstract_act() = default;
    virtual void render(player& p) = 0;
    virtual void begin() = 0;
};
