// Which sound samples belong to which video frame: the arithmetic every
// player and saver uses for a movie's sound, whatever its kind.
#ifndef TWR_SOURCES_PLUGIN_AUDIO_H
#define TWR_SOURCES_PLUGIN_AUDIO_H

#include "sources/movie_source.h"

// The sample at which frame n starts: the integer part of nAudioRate x
// nScale x n / (nAudioScale x nRate), the products in 64 bits (the same
// results as 32-bit products wherever those do not overflow), the quotient
// in double precision. 0 without a time base.
int AudioSampleAtFrame(const MovieSource *m, int n);
// The samples of frame n: with c = nAudioRate x nScale and b = 1 /
// (nAudioScale x nRate), the integer part of (n + 1) x c x b minus that of
// n x c x b.
int AudioSamplesInFrame(const MovieSource *m, int n);

#endif
