#include "shared/packed_dib.h"

#include "shared/global_memory.h"

#include <stdint.h>
#include <string.h>

int DibRowBytes(int width, int bitCount)
{
    switch (bitCount) {
    case 1: return (width + 31) / 32 * 4;
    case 4: return (width + 7) / 8 * 4;
    case 8: return (width + 3) / 4 * 4;
    case 24: return (3 * width + 3) / 4 * 4;
    case 32: return 4 * width;
    default: return 0;
    }
}

static void FillHeader(PackedDib *h, int width, int height, int bits)
{
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = (WORD)bits;
    h->biCompression = BI_RGB;
    h->biSizeImage = (DWORD)((((int64_t)width * bits + 31) & ~(int64_t)31) / 8 * height);
    h->biXPelsPerMeter = 0;
    h->biYPelsPerMeter = 0;
    h->biClrUsed = 0;
    h->biClrImportant = 0;
}

// Sides are 16-bit quantities; anything outside 1..32767 is refused rather
// than wrapped into a different picture.
static bool ValidSides(int width, int height)
{
    return width >= 1 && width <= kDibMaxSide && height >= 1 && height <= kDibMaxSide;
}

PackedDib *CreateDib(int width, int height, int bitCount, int zeroFill)
{
    if (!ValidSides(width, height))
        return nullptr;
    if (bitCount >= 9 && bitCount <= 24)
        bitCount = 24;
    int rowBytes = DibRowBytes(width, bitCount);
    if (rowBytes == 0)
        return nullptr;
    uint64_t bytes = (uint64_t)rowBytes * (uint64_t)height + kDibSlackBytes;
    if (bytes > 0x7FFFFFFFu)
        return nullptr;
    PackedDib *dib = (PackedDib *)AllocGlobalBlock((size_t)bytes, zeroFill);
    if (!dib)
        return nullptr;
    FillHeader(dib, width, height, bitCount);
    return dib;
}

void FreeDib(PackedDib *dib)
{
    FreeGlobalBlock(dib);
}

PackedDib *NewBitmapInfoHeader(int width, int height, int bitCount)
{
    PackedDib *h = (PackedDib *)AllocGlobalBlock(sizeof(BITMAPINFOHEADER), 0);
    if (!h)
        return nullptr;
    FillHeader(h, (int16_t)width, (int16_t)height, bitCount);
    return h;
}

DWORD DibHeaderSize(const PackedDib *dib) { return dib->biSize; }
int DibBitCount(const PackedDib *dib) { return dib->biBitCount; }
int DibWidth(const PackedDib *dib) { return (int16_t)dib->biWidth; }
int DibHeight(const PackedDib *dib) { return (int16_t)dib->biHeight; }

int DibColourEntries(const PackedDib *dib)
{
    if (dib->biSize >= 36 && dib->biClrUsed != 0)
        return (int)dib->biClrUsed;
    if (dib->biBitCount <= 8)
        return 1 << dib->biBitCount;
    return 0;
}

DWORD DibBitsOffset(const PackedDib *dib)
{
    DWORD offset = dib->biSize + 4 * (DWORD)DibColourEntries(dib);
    // A 40-byte header of a BI_BITFIELDS bitmap is followed by its three
    // colour masks; larger headers carry the masks inside.
    if (dib->biSize == sizeof(BITMAPINFOHEADER) && dib->biCompression == BI_BITFIELDS)
        offset += 3 * sizeof(DWORD);
    return offset;
}

DWORD DibTotalSize(const PackedDib *dib)
{
    return DibBitsOffset(dib) + dib->biSizeImage;
}

BYTE *FindDibBits(const PackedDib *dib)
{
    if (!dib)
        return nullptr;
    BYTE *base = (BYTE *)dib;
    if (dib->biSize == sizeof(BITMAPCOREHEADER)) {
        const BITMAPCOREHEADER *core = (const BITMAPCOREHEADER *)dib;
        int bits = core->bcBitCount;
        return base + sizeof(BITMAPCOREHEADER) + (bits <= 8 ? 3 * (1 << bits) : 0);
    }
    return base + DibBitsOffset(dib);
}

BYTE *CopyBytes(const BYTE *source, int count, BYTE *destination)
{
    for (int i = 0; i < count; i++)
        *destination++ = *source++;
    return destination;
}

int *ShiftToCropMargins(int *margins, int width, int height, int shiftX, int shiftY, int allFrameAdjust)
{
    // Keep at least 10 columns and rows common; frames narrower than that
    // keep no offset at all.
    int limitX = width - 10 > 0 ? width - 10 : 0;
    int limitY = height - 10 > 0 ? height - 10 : 0;
    if (shiftX > limitX)
        shiftX = limitX;
    else if (shiftX < -limitX)
        shiftX = -limitX;
    if (shiftY > limitY)
        shiftY = limitY;
    else if (shiftY < -limitY)
        shiftY = -limitY;

    margins[0] = shiftX >= 0 ? shiftX : 0;
    margins[2] = shiftX >= 0 ? 0 : -shiftX;
    margins[1] = shiftY >= 0 ? shiftY : 0;
    margins[3] = shiftY >= 0 ? 0 : -shiftY;

    if (!allFrameAdjust) {
        int common = width - margins[0] - margins[2];
        int r = common > 0 ? common % 4 : 0;
        margins[0] += r / 2;
        margins[2] += r - r / 2;
    }
    return margins;
}
