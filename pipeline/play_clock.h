// The clock of the play loops: the multimedia timer's period, the frame
// that is due after a number of ticks, how long to wait after a shown
// frame and when to skip one, the delay shown in the title, and which
// movie's sound and rate a pair plays by. Pure arithmetic, shared by the
// view's loop and the full-screen loops.
#ifndef TWR_PIPELINE_PLAY_CLOCK_H
#define TWR_PIPELINE_PLAY_CLOCK_H

#include <stdint.h>

// The tick clock of the running loop: counted up by the timer's thread,
// set to 0 by the loop before the timer starts and only read afterwards.
extern volatile int32_t g_nTimerTicks;
// The period of the running loop's timer (ms) and its id (0: none).
extern unsigned g_uTimerPeriod;
extern unsigned g_uTimerId;
// Frames skipped by the running loop (the view's, page-flip and OpenGL
// loops share it).
extern int g_nPlayDrops;

// The timer period: the device's minimum (at least 1, at most its
// maximum), raised to half the frame duration when that is at least as
// large.
unsigned PlayTimerPeriod(unsigned minPeriod, unsigned maxPeriod, int msPerFrame);

// The frames that should have been shown since the timer started:
// trunc(rate x ticks x period / (scale x 1000)); 0 without a time base.
int DueFrame(unsigned rate, unsigned scale, uint32_t ticks, unsigned period);

// Milliseconds to sleep after frame k (counted from the first played) so
// that frame k + 1 is shown at (k + 1) x scale x 1000 / rate ms.
unsigned PacingSleep(int k, unsigned rate, unsigned scale, uint32_t ticks, unsigned period);

// After frame k: skip the next frame when the clock is more than two
// frames ahead, except within the last three frames of the pair.
bool SkipNextFrame(int due, int k, int frameCount);

// The delay the title shows: with due limited to the last playable step,
// due - k - 3 when the loop is more than two frames behind, else 0.
int PlayDelay(int due, int k, int lastStep);

// The first frame of a play: the position, or 0 from the last two frames.
int FirstPlayFrame(int frame, int frameCount);

// True when the right record times the pair and supplies its sound: the
// sound setting names the movie opened as left (0) or as right (1), which
// stays with its file through a left/right exchange.
bool SoundFromRightRecord(int soundlr, int swapped);

#endif
