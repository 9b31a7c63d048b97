// Where the sound of a video frame lies: the frame-to-sample arithmetic
// that every player and saver uses, for every kind of movie.
#ifndef TWR_SOURCES_AUDIO_FRAMES_H
#define TWR_SOURCES_AUDIO_FRAMES_H

#include "sources/movie_source.h"

// The sample at which frame n starts: the integer part of
// nAudioRate x nScale x n / (nAudioScale x nRate), the two products taken
// as unsigned 32-bit numbers and the quotient in double precision.
int AudioSampleAtFrame(const MovieSource *m, int n);
// The samples of frame n: the start of frame n + 1 less the start of
// frame n, both in double precision.
int AudioSamplesInFrame(const MovieSource *m, int n);

#endif
