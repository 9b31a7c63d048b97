// Side-by-side and over/under composition through GDI, at any size.
#ifndef TWR_PIPELINE_COMPOSE_GDI_H
#define TWR_PIPELINE_COMPOSE_GDI_H

#include "pipeline/compose.h"

// The output is made by the caller at the final size (side by side: two
// eye widths by one height; over/under: one width by two heights). scale 1
// stretches each eye's region to eyeWidth x eyeHeight, scale 0 copies it
// 1:1. The settings give the trimming and (side by side only) the mirror
// variant. The drawing surface is made for window's screen; returns the
// output, or null when it cannot be made (after telling the user in a box
// owned by window).
PackedDib *ComposeSideBySide(const ComposeSettings &cs, HWND window, PackedDib *out, PackedDib *left,
                             PackedDib *right, int rc, int rr, int lc, int lr, int eyeWidth, int eyeHeight, int scale);
PackedDib *ComposeOverUnder(const ComposeSettings &cs, HWND window, PackedDib *out, PackedDib *left,
                            PackedDib *right, int rc, int rr, int lc, int lr, int eyeWidth, int eyeHeight, int scale);

#endif
