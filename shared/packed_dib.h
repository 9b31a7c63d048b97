// Packed DIB frame buffers: a BITMAPINFOHEADER, its colour table and the
// bottom-up pixel rows back to back in one locked global memory block.
// Every frame, composed picture and saved image of the program is one.
#ifndef TWR_SHARED_PACKED_DIB_H
#define TWR_SHARED_PACKED_DIB_H

#include "shared/wintypes.h"

typedef BITMAPINFOHEADER PackedDib;

// Spare bytes after the rows of every block CreateDib makes: room for the
// header, a 256-entry colour table and 136 bytes more.
enum { kDibSlackBytes = 1200, kDibMaxSide = 32767 };

// Bit counts 9-24 become 24. Returns null for an unsupported bit count, a
// side outside 1..32767 or short memory. Pixels are cleared only when
// zeroFill is not 0.
PackedDib *CreateDib(int width, int height, int bitCount, int zeroFill);
void FreeDib(PackedDib *dib);

DWORD DibHeaderSize(const PackedDib *dib);
int DibBitCount(const PackedDib *dib);
int DibWidth(const PackedDib *dib);
int DibHeight(const PackedDib *dib);
int DibRowBytes(int width, int bitCount);
// Number of colour-table entries (biClrUsed, or 2^bits up to 8 bits).
int DibColourEntries(const PackedDib *dib);
// Offset of the first pixel row from the header.
DWORD DibBitsOffset(const PackedDib *dib);
DWORD DibTotalSize(const PackedDib *dib);
BYTE *FindDibBits(const PackedDib *dib);
// Address of row k counted from the first row in memory (24 or 32 bits).
inline BYTE *DibRow(const PackedDib *dib, int k)
{
    return FindDibBits(dib) + (size_t)k * DibRowBytes(DibWidth(dib), DibBitCount(dib));
}

// A bare 40-byte header in its own block, filled as CreateDib fills one;
// the bit count is kept as given. Freed with FreeDib.
PackedDib *NewBitmapInfoHeader(int width, int height, int bitCount);

// Copies count bytes and returns the address behind the last byte written.
BYTE *CopyBytes(const BYTE *source, int count, BYTE *destination);

// Turns the pair's offsets into the origins of the part common to both
// images, written to margins[0..3] in this order: right-image column,
// right-image row, left-image column, left-image row (rows counted from the
// first row in memory). The common width is made a multiple of 4 unless
// allFrameAdjust (the per-frame alignment mode) is set.
int *ShiftToCropMargins(int *margins, int width, int height, int shiftX, int shiftY, int allFrameAdjust);

#endif
