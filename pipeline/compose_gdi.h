// Side-by-side and over/under composition through GDI, at any size.
#ifndef TWR_PIPELINE_COMPOSE_GDI_H
#define TWR_PIPELINE_COMPOSE_GDI_H

#include "shared/packed_dib.h"

// The output is made by the caller at the final size (side by side: two
// eye widths by one height; over/under: one width by two heights). scale 1
// stretches each eye's region to eyeWidth x eyeHeight, scale 0 copies it
// 1:1. Returns the output, or null when the drawing surface cannot be made
// (after telling the user).
PackedDib *ComposeSideBySide(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                             int eyeWidth, int eyeHeight, int scale);
PackedDib *ComposeOverUnder(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                            int eyeWidth, int eyeHeight, int scale);

#endif
