// Frame conversions that need no GDI: YUY2 to 24 bits, the straight 24-bit
// copies of 24- and 32-bit frames, deinterlacing, the crop region of one
// eye, and the resize for saving (area-averaging reduction, bilinear
// enlargement). The GDI conversions are in shared/dib_gdi.h.
#ifndef TWR_SHARED_FRAME_CONVERSIONS_H
#define TWR_SHARED_FRAME_CONVERSIONS_H

#include "shared/packed_dib.h"

enum { kFourccYuy2 = 0x32595559 };  // 'YUY2'

// Converts rows of YUY2 pixel pairs (Y0 U Y1 V) to 24-bit pixels (BT.601,
// limited range). After each row the destination and the source advance by
// their skip: the bytes between the end of one row and the start of the
// next.
void Yuy2ToRgb24(BYTE *dst, const BYTE *src, int pairs, int rows, int dstSkip, int srcSkip);

// The conversions into an existing 24-bit target that need no GDI: YUY2,
// and uncompressed 24- and 32-bit frames stored either way up. The target
// is rewritten bottom-up at the source's size. False (target unchanged)
// for other formats or a target too small for the source.
bool ConvertFrameTo24Direct(PackedDib *target, const PackedDib *source);

// Converts the source frame (any format on Windows, through GDI; the
// formats above elsewhere) into the existing 24-bit target, which becomes a
// bottom-up frame of the source's size. False (target unchanged) when
// either is null, the target is too small or the format cannot be read.
bool ConvertFrameTo24(PackedDib *target, const PackedDib *source);

// Replaces, in place, every even row 2k (k = 1 .. height/2 - 1, rows
// counted from the first in memory) by the average of its two neighbours:
// the duplicated field of the "フィールドを複製" open option. 24 and 32
// bits only; returns the rows changed.
int DeinterlaceFields(PackedDib *frame, int bitCount);

// The region of one eye that the savers take: the crop origins are those
// of ShiftToCropMargins (right column, right row, left column, left row);
// flag 1 takes the right image's, 0 the left's. An applied trimming
// rectangle (top-down in the common region; null when none is applied)
// replaces the common region.
// Rows count from the first in memory.
struct CropRegion {
    int x, y, width, height;
};
CropRegion EyeCropRegion(int frameWidth, int frameHeight, const int *margins, const RECT *trim, int flag,
                         bool clampRowOrigin);

// A new 24-bit frame of width x height holding the eye's crop region
// reduced by area averaging (13-bit weights). Null when the region is not
// inside the frame or memory is short.
PackedDib *ReduceDib24ByArea(const PackedDib *frame, int width, int height, CropRegion region);

// A new 24-bit frame of width x height holding the crop region enlarged
// bilinearly (14-bit positions, 8-bit fractions).
PackedDib *ResampleDib24(const PackedDib *frame, int width, int height, const int *margins, const RECT *trim,
                         int flag);
PackedDib *ResampleRegion24(const PackedDib *frame, int width, int height, CropRegion region);

#endif
