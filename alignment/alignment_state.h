// State of the alignment subsystem shared with the renderers and the shell.
#ifndef TWR_ALIGNMENT_ALIGNMENT_STATE_H
#define TWR_ALIGNMENT_ALIGNMENT_STATE_H

// Per-frame alignment mode in force: every frame is aligned on its own and
// the crop width is not rounded to a multiple of 4.
extern int g_bAllFrameAdjust;

#endif
