// Composition kernels: the left and right eye frames of one time step
// turned into the picture of a stereo display format, the decorations
// drawn on frames, and the tables the kernels read.
//
// Pair kernels take the output (made by the caller at the region's size,
// 24 bits), the two eye frames and the four crop origins in the order of
// ShiftToCropMargins (right column, right row, left column, left row). They
// apply an applied trimming rectangle themselves and return the output, or
// null (writing nothing) when a frame is missing or unusable.
#ifndef TWR_PIPELINE_COMPOSE_H
#define TWR_PIPELINE_COMPOSE_H

#include "shared/packed_dib.h"

// Luma and fast grey of a pixel (blue, green, red bytes).
int PixelLuma(int b, int g, int r);
inline int PixelFastGrey(int g, int r) { return (g + r) / 2; }

PackedDib *ComposeGreyAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeGreyAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeFastAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeFastAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeColourAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeColourAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeInterlace(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeColumnInterlace(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeBlend(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
PackedDib *ComposeChromaKey(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);
// The output is twice the region width: front panel, then back panel.
PackedDib *ComposeIz3d(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr);

// Row interlace rebuilt at another height: a new frame of the region's
// width by outHeight rows (even, at least 2). 24-bit frames only.
PackedDib *ComposeInterlaceScaled(PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr, int outHeight);

// Single-frame kernels, for one frame that carries both views: the first
// view is read from (c2, c3), the second from (dx + c0, dy + c1). swap 1
// takes the second view as the left eye. Each returns a new 24-bit frame.
PackedDib *ComposeGreyAnaglyphSbs(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy, int variant);
PackedDib *ComposeGreySbsYellowBlue(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy, int variant);
PackedDib *ComposeColourAnaglyphSbs(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy, int variant);
PackedDib *ComposeColourSbsYellowBlue(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy, int variant);
PackedDib *ComposeInterlaceSbs(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy);

// Darkens the edges of the common region of both frames in place; with
// blackOutside 1 everything outside each frame's region becomes black.
void ApplySoftBorder(PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr, int blackOutside);
// Draws the frame border of a saved picture in place. Returns 0.
int DrawSaveBorder(PackedDib *picture, int saveLayout);

// table[i] = trunc(255 x (i / 255)^(100 / gammaHundredths)).
void BuildAnaglyphGammaTable(int gammaHundredths, int *table);

// The iZ3D table in linear light from the bytes of its resource (256 rows x
// 512 columns x 3 channels). The result is a locked global block of
// 2 x count bytes, freed with FreeGlobalBlock.
enum { kIz3dTableEntries = 256 * 512 * 3 };
unsigned short *BuildIz3dTable(const unsigned char *bytes, int count);
// The same from the program's "IZ3D" resource (Windows build).
unsigned short *LoadIZ3DTable();

#endif
