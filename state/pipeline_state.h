// State owned by the stereo pipeline and read by its kernels.
#ifndef TWR_STATE_PIPELINE_STATE_H
#define TWR_STATE_PIPELINE_STATE_H

#include "shared/packed_dib.h"
#include "shared/wintypes.h"

// Chroma key of display mode 6: the key colour (red in the low byte) and
// the tolerance 0-30, set by the chroma-key dialog.
extern COLORREF g_rgbChromaKey;
extern int g_nChromaTolerance;

// Size of the pair as last shown (the default size of the next save) and
// the view's scale in percent.
extern int g_nShownWidth, g_nShownHeight;
extern int g_nViewScale;

// The composed frame of the current display mode (24 bits, the common
// region's size, twice as wide in mode 7); unfilled in modes 0 and 1. Null
// until the first composition.
extern PackedDib *g_pComposed;

// What the view painted last: the pictures that take part in the trimming
// (their client rectangles) and the row parity of the interlaced picture.
extern int g_nViewImages;
extern RECT g_rcViewImage[3];
extern int g_nFieldParity;

#endif
