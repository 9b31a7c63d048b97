// The pair's length and the frame position within it: what every show of
// the pair does first.
#ifndef TWR_PIPELINE_PAIR_POSITION_H
#define TWR_PIPELINE_PAIR_POSITION_H

#include "sources/movie_source.h"

// A negative start offset (left first, then right) or end offset is set to
// 0 and true returned at the first one found; the caller then shows
// nothing this time. False when all three were in range.
bool RepairNegativeOffset(MovieSource *left, MovieSource *right, int *endOffset);

// min(left frames - left start, right frames - right start) - end offset.
int PairFrameCount(const MovieSource *left, const MovieSource *right, int endOffset);

// The position brought into 0..last. With repeat a position past the last
// frame wraps to 0 and a negative one to the last; without, both stop at
// the ends (0 when the pair is empty).
int ClampPositionWrap(int position, int last, int repeat);
// The same without wrapping: above last becomes last, then below 0 is 0.
int ClampPositionNoWrap(int position, int last);

#endif
