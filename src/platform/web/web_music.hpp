#pragma once
// The music as the page holds it: decoded by the browser before the player starts, played by a Web
// Audio buffer source, its clock the audio context's. web/player.js keeps the JavaScript half.

#include <vector>

namespace web_music {

// Seconds of decoded music; negative when the page could not decode it (the reason is in error_text).
double duration();
int sample_rate();
int channels();
// A copy of the decoded music, interleaved frames of channels() floats; empty before it is decoded or
// when it holds more than 2^28 samples (a piece of hours).
std::vector<float> samples();
// Why the page could not decode the music, as the browser put it.
const char* error_text();
// Plays from `seconds` of the music (paused: only remembers where).
void seek(double seconds);
void play(bool playing);
void stop();
// Seconds of the music at the audio clock's present moment (where it stands while paused).
double position();

} // namespace web_music
