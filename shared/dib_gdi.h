// Frame operations that go through GDI.
#ifndef TWR_SHARED_DIB_GDI_H
#define TWR_SHARED_DIB_GDI_H

#include "shared/packed_dib.h"

// A logical palette of the frame's colour table, for frames of 8 bits or
// fewer; null for deeper frames (they need none) and on failure.
HPALETTE CreateDibPalette(HWND owner, const PackedDib *frame, BYTE entryFlags);

#endif
