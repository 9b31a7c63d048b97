// State owned by the stereo pipeline and read by its kernels.
#ifndef TWR_PIPELINE_PIPELINE_STATE_H
#define TWR_PIPELINE_PIPELINE_STATE_H

#include "shared/wintypes.h"

// Chroma key of display mode 6: the key colour (red in the low byte) and
// the tolerance 0-30, set by the chroma-key dialog.
extern COLORREF g_rgbChromaKey;
extern int g_nChromaTolerance;

#endif
