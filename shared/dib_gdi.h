// Frame operations that go through GDI: the 24-bit conversion of frames in
// any format, the stretches used by the alignment dialogs and the savers,
// centring on a black canvas, the palette of frames of 8 bits or fewer and
// clearing a window. All draw into a DIB section made on the main
// window's DC and read the pixels back.
#ifndef TWR_SHARED_DIB_GDI_H
#define TWR_SHARED_DIB_GDI_H

#include "shared/frame_conversions.h"
#include "shared/packed_dib.h"

// A logical palette of the frame's colour table, for frames of 8 bits or
// fewer; null for deeper frames (they need none) and on failure.
HPALETTE CreateDibPalette(HWND owner, const PackedDib *frame, BYTE entryFlags);

// A new 24-bit frame of width x height holding the source rectangle that
// starts at (x1, y1) when flag is set, else at (x2, y2), and measures
// (source width - x1 - x2) x (source height - y1 - y2), stretched.
PackedDib *StretchDibToNew24(HWND owner, const PackedDib *source, int width, int height, int x1, int y1, int x2,
                             int y2, int flag);
// The same for the crop region of one eye (margins in the order of
// ShiftToCropMargins, the applied trimming or null; flag 1 the right image,
// 0 the left).
PackedDib *StretchDibToNew24Region(HWND owner, const PackedDib *source, int width, int height, const int *margins,
                                   const RECT *trim, int flag);
// The crop region of one eye at width x height (the region's own size when
// either is 0): reduced by area averaging or enlarged bilinearly; frames of
// other bit counts through StretchDibForSave. Null on failure.
PackedDib *ResizeFrameForSave(HWND owner, const PackedDib *frame, int width, int height, const int *margins,
                              const RECT *trim, int flag);
// The same through a GDI HALFTONE stretch.
PackedDib *StretchDibForSave(HWND owner, const PackedDib *frame, int width, int height, const int *margins,
                             const RECT *trim, int flag);

// A new zero-filled 24-bit frame of width x height with the source drawn
// centred. The source is freed in any case.
PackedDib *CentreDibOnCanvas(HWND owner, PackedDib *source, int width, int height);

// Fills the window's client rectangle with black.
void ClearWindowBlack(HWND window);

#endif
