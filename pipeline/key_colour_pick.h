// Picking the chroma key's colour with a click: the main window's client
// point mapped to a pixel of the left frame, and that pixel read.
#ifndef TWR_PIPELINE_KEY_COLOUR_PICK_H
#define TWR_PIPELINE_KEY_COLOUR_PICK_H

#include "shared/packed_dib.h"

// The pixel of the left frame under main-window client point (x, y): the
// toolbar's 30 rows and, in display modes 0 and 5, the frame width are
// taken off, then the view scale (percent) applied. Fills the column and
// the row counted from the bottom (the first row in memory) and returns
// true, or false for a point outside the frame of width x height.
bool KeyPickPixel(int x, int y, int displayMode, int frameWidth, int viewScale, int width, int height, int *column,
                  int *row);

// The colour (red in the low byte) at (column, row from the bottom) of a
// 24- or 32-bit frame; false for other frames and points outside.
bool KeyPickColour(const PackedDib *frame, int column, int row, COLORREF *colour);

#endif
