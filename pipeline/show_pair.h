// Showing the current pair: the frame position brought into the pair's
// range, both eye frames fetched, the per-frame hooks run, the pair line
// written into the main window's title and the composed frame rebuilt for
// the display mode. The view then repaints from it.
#ifndef TWR_PIPELINE_SHOW_PAIR_H
#define TWR_PIPELINE_SHOW_PAIR_H

#include "state/app_state.h"

// 0 when shown, and when a negative offset was repaired (nothing shown this
// time); 1 when a frame could not be fetched or the two differ in size.
int ShowCurrentPair(StereoPair *pair);
// Recomposes from the frames already fetched (after an offset nudge).
// Returns 1.
int ComposeDisplayFrame(StereoPair *pair);
// Length and position only (with wrapping), and the position bar. Returns 0.
int ClampFramePosition(StereoPair *pair);
// Length, position (without wrapping) and the fetch, nothing shown; 0, or 1
// when the fetch failed.
int FetchPairAtPosition(StereoPair *pair);

// The frames just fetched into both records' pCurrent must agree in width,
// height and bit count before anything draws them side by side (the
// smaller one would be read past its end). True when they do not, or when
// either is missing.
bool PairFramesDiffer(const MovieSource *left, const MovieSource *right);
// The same check where a user can see its answer: 0 when they agree;
// otherwise 1, with the "sizes differ" box when both frames exist. Every
// display of a pair checks this before it starts; a full-screen window
// that draws over everything refuses silently with PairFramesDiffer.
int RefusePairOfTwoSizes(const MovieSource *left, const MovieSource *right);

// Frees g_pComposed (before a new pair is opened, and at exit).
void FreeComposedFrame();

#endif
