#pragma once
// A check of a WAV file's LIST chunks before libsndfile reads them: an entry whose size runs past its
// LIST chunk (a negative size, read as unsigned) sends libsndfile's parser round a loop for ever.

#include "sound/music_source.hpp"

namespace sound {

// False when the content is RIFF or RIFX and an entry of one of its LIST chunks runs past that chunk;
// true for whole lists and for other content. Reads at most the first 4096 chunks and entries, and leaves
// the source's place at the start.
bool riff_lists_hold_together(music_source& source);

} // namespace sound
