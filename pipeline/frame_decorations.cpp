// Decorations drawn on frames: the soft darkened border of the eye frames
// and the frame border of saved pictures.
#include "pipeline/compose.h"

#include "pipeline/pair_region.h"

#include <string.h>

namespace {

// The S-shaped darkening ramp: C[0] = 0, C[128] = 128, C[255] = 255.
void BuildSoftBorderCurve(int *C)
{
    for (int i = 0; i <= 128; i++)
        C[i] = i * i / 128;
    for (int i = 129; i < 256; i++) {
        int v = 256 - (256 - i) * (256 - i) / 128;
        C[i] = v < 255 ? v : 255;
    }
}

inline void Darken(BYTE *p, int c)
{
    p[0] = (BYTE)(p[0] * c / 255);
    p[1] = (BYTE)(p[1] * c / 255);
    p[2] = (BYTE)(p[2] * c / 255);
}

// Darkens region row k (from the bottom) of both frames by c.
void DarkenRow(const FrameView &l, const FrameView &r, const PairRegion &g, int k, int c)
{
    BYTE *lp = l.Pixel(g.leftX, g.leftY + k), *rp = r.Pixel(g.rightX, g.rightY + k);
    for (int x = 0; x < g.width; x++, lp += 3, rp += 3) {
        Darken(lp, c);
        Darken(rp, c);
    }
}

void DarkenColumn(const FrameView &l, const FrameView &r, const PairRegion &g, int x, int c)
{
    for (int k = 0; k < g.height; k++) {
        Darken(l.Pixel(g.leftX + x, g.leftY + k), c);
        Darken(r.Pixel(g.rightX + x, g.rightY + k), c);
    }
}

// Blackens everything of a frame outside width x height pixels at (x0, y0).
void BlackenOutside(const FrameView &v, int x0, int y0, int width, int height)
{
    for (int y = 0; y < v.height; y++) {
        BYTE *row = v.Pixel(0, y);
        if (y < y0 || y >= y0 + height) {
            memset(row, 0, (size_t)v.width * 3);
            continue;
        }
        memset(row, 0, (size_t)x0 * 3);
        memset(row + (size_t)(x0 + width) * 3, 0, (size_t)(v.width - x0 - width) * 3);
    }
}

void FillRect24(BYTE *bits, int rowBytes, int x0, int y0, int x1, int y1, BYTE b, BYTE g, BYTE r)
{
    for (int y = y0; y < y1; y++) {
        BYTE *p = bits + (size_t)y * rowBytes + (size_t)x0 * 3;
        for (int x = x0; x < x1; x++, p += 3)
            p[0] = b, p[1] = g, p[2] = r;
    }
}

}  // namespace

void ApplySoftBorder(const ComposeSettings &cs, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                     int blackOutside)
{
    if (!left || !right || DibBitCount(left) != 24 || DibBitCount(right) != 24)
        return;
    FrameView l, r;
    if (!OpenFrameView(left, &l) || !OpenFrameView(right, &r))
        return;
    PairRegion g = ResolvePairRegion(l, r, rc, rr, lc, lr, cs.Trim(), -1, -1);
    int n = cs.softBorderWidth;
    if (n > 0 && g.width > 0 && g.height > 0) {
        int C[256];
        BuildSoftBorderCurve(C);
        // Bands wider than the region stop at its edges.
        int rows = n < g.height ? n : g.height;
        int cols = n < g.width ? n : g.width;
        for (int d = 0; d < rows; d++)  // top
            DarkenRow(l, r, g, g.height - 1 - d, C[(d + 1) * 255 / n]);
        for (int d = 0; d < rows; d++)  // bottom
            DarkenRow(l, r, g, d, C[d * 255 / n]);
        for (int d = 0; d < cols; d++)  // right
            DarkenColumn(l, r, g, g.width - 1 - d, C[(d + 1) * 255 / n]);
        for (int d = 0; d < cols; d++)  // left
            DarkenColumn(l, r, g, d, C[d * 255 / n]);
    }
    if (blackOutside == 1) {
        BlackenOutside(l, g.leftX, g.leftY, g.width, g.height);
        BlackenOutside(r, g.rightX, g.rightY, g.width, g.height);
    }
}

int DrawSaveBorder(const ComposeSettings &cs, PackedDib *picture, int saveLayout)
{
    int n = cs.frameWidth;
    if (!picture || DibBitCount(picture) != 24 || n <= 0)
        return 0;
    int w = DibWidth(picture), h = DibHeight(picture);
    if (w < 8 * n || h < 4 * n)
        return 0;

    int R = GetRValue(cs.frameColour), G = GetGValue(cs.frameColour), B = GetBValue(cs.frameColour);
    if (saveLayout == 2 || saveLayout == 3) {
        int x = (int)((0.587 * G + 0.299 * R) + 0.114 * B);
        if (saveLayout == 2) {
            if (cs.greyVariant == 1)
                R = x, G = x, B = 0;
            else if (cs.greyVariant == 2)
                R = x, G = 0, B = x;
            else
                R = G = B = x;
        } else if (cs.colourVariant == 1) {
            R = x;
        } else if (cs.colourVariant == 3) {
            B = x;
        }
    }

    BYTE *bits = FindDibBits(picture);
    int rowBytes = DibRowBytes(w, 24);
    FillRect24(bits, rowBytes, 0, 0, w, n, (BYTE)B, (BYTE)G, (BYTE)R);          // bottom rows
    FillRect24(bits, rowBytes, 0, h - n, w, h, (BYTE)B, (BYTE)G, (BYTE)R);      // top rows
    FillRect24(bits, rowBytes, 0, 0, n, h, (BYTE)B, (BYTE)G, (BYTE)R);          // left columns
    FillRect24(bits, rowBytes, w - n, 0, w, h, (BYTE)B, (BYTE)G, (BYTE)R);      // right columns
    if (saveLayout == 1)
        FillRect24(bits, rowBytes, 0, h / 2 - n, w, h / 2 + n, (BYTE)B, (BYTE)G, (BYTE)R);
    else if (saveLayout == 0)
        FillRect24(bits, rowBytes, w / 2 - n, 0, w / 2 + n, h, (BYTE)B, (BYTE)G, (BYTE)R);
    return 0;
}
