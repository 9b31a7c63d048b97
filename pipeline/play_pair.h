// Playing the current pair in the view window: fetch, adjust, compose and
// draw frame after frame straight into the view, paced against the
// multimedia timer (a frame skipped when the loop falls more than two
// frames behind), with the sound of one movie, the user interface kept
// alive by pumping every message.
#ifndef TWR_PIPELINE_PLAY_PAIR_H
#define TWR_PIPELINE_PLAY_PAIR_H

#include "state/app_state.h"

// The timeSetEvent callback of every play loop: one tick.
void CALLBACK PlaybackTimerProc(UINT id, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);

// 1 when the user cancelled (or no timer is available), 0 when the range
// was played to its end.
int PlayPair(StereoPair *pair);

// The frame-position bar's thumb moved to g_nFrame, repainted when the
// queue is next empty (the play loops, which pump their messages).
void MovePositionThumb();

// Called with each frame shown (after it was drawn), when set: lets tests
// see the frames and slow the loop down.
extern void (*g_pfnPlayFrameHook)(int frame);

#endif
