#pragma once
// The music the player holds, as one channel of float samples: what the music texture is made from.

#include <vector>

class player;

struct music_samples {
    std::vector<float> mono; // the channels' mean, -1 to 1, from the music's first sample
    int rate = 44100;

    // The host's decoded music in any of SDL's sample formats; none held: no samples at 44.1 kHz.
    static music_samples of(const player& host);
};
