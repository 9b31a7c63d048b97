// State owned by the stereo pipeline and read by its kernels.
#ifndef TWR_PIPELINE_PIPELINE_STATE_H
#define TWR_PIPELINE_PIPELINE_STATE_H

#include "shared/wintypes.h"

// Chroma key of display mode 6: the key colour (red in the low byte) and
// the tolerance 0-30, set by the chroma-key dialog.
extern COLORREF g_rgbChromaKey;
extern int g_nChromaTolerance;

// Size of the pair as last shown (the default size of the next save) and
// the view's scale in percent.
extern int g_nShownWidth, g_nShownHeight;
extern int g_nViewScale;

#endif
