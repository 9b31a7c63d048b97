#include "pipeline/key_colour_pick.h"

namespace {

enum { kToolbarRows = 30 };

}  // namespace

bool KeyPickPixel(int x, int y, int displayMode, int frameWidth, int viewScale, int width, int height, int *column,
                  int *row)
{
    y -= kToolbarRows;
    if (displayMode == 0 || displayMode == 5) {
        x -= frameWidth;
        y -= frameWidth;
    }
    if (x < 0 || y < 0)
        return false;
    long long sx = (long long)viewScale * x / 100;
    long long sy = (long long)viewScale * y / 100 + 1;  // rows counted from 1 at the top
    if (sx >= width || sy > height)
        return false;
    *column = (int)sx;
    *row = height - (int)sy;
    return true;
}

bool KeyPickColour(const PackedDib *frame, int column, int row, COLORREF *colour)
{
    if (!frame)
        return false;
    int bits = DibBitCount(frame);
    if (bits != 24 && bits != 32)
        return false;
    if (column < 0 || row < 0 || column >= DibWidth(frame) || row >= DibHeight(frame))
        return false;
    const BYTE *p = DibRow(frame, row) + column * (bits / 8);
    *colour = (COLORREF)p[2] | ((COLORREF)p[1] << 8) | ((COLORREF)p[0] << 16);
    return true;
}
