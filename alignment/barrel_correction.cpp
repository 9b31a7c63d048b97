#include "alignment/tool_images.h"

#include <math.h>
#include <stdint.h>

namespace {

// t(a, b) = a * b / 255 for 8-bit a and b.
struct ProductTable {
    BYTE t[256][256];
    ProductTable()
    {
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b++)
                t[a][b] = (BYTE)(a * b / 255);
    }
};

const ProductTable &Products()
{
    static const ProductTable table;
    return table;
}

} // namespace

int TiffCompressionTag(int compression)
{
    switch (compression) {
    case 1: return 32773;  // PackBits
    case 2: return 32946;  // Deflate
    case 3: return 5;      // LZW
    default: return 1;     // none
    }
}

PackedDib *CorrectBarrelDib(HWND owner, const PackedDib *frame, int value)
{
    (void)owner;
    if (!frame || DibBitCount(frame) != 24)
        return nullptr;
    const int w = DibWidth(frame), h = DibHeight(frame);
    PackedDib *out = CreateDib(w, h, 24, 1);
    if (!out)
        return nullptr;
    const BYTE(*t)[256] = Products().t;
    const double cx = (w - 1) * 0.5, cy = (h - 1) * 0.5;
    const double r2 = cx * cx + cy * cy;
    const double k = value * 0.0003333333333333333;
    const double m = cx <= cy ? cx : cy;
    // The middle of the nearer edge keeps its place for a barrel, the
    // corners for a pincushion.
    const double s = value >= 0 ? 1 - k * m * m / r2 : 1 - k;
    const int rowBytes = DibRowBytes(w, 24);
    const BYTE *src = FindDibBits(frame);
    for (int y = 0; y < h; y++) {
        BYTE *o = DibRow(out, y);
        const double dy = y - cy;
        for (int x = 0; x < w; x++, o += 3) {
            const double dx = x - cx;
            const double f = r2 > 0 && s != 0 ? (1 - k * (dy * dy + dx * dx) / r2) / s : 1;
            const double fy = (dy * f + cy) * 1024, fx = (cx + dx * f) * 1024;
            // Positions far outside stay black without overflowing.
            if (!(fx >= 0 && fy >= 0 && fx < (double)(w - 1) * 1024 + 1024 && fy < (double)(h - 1) * 1024 + 1024))
                continue;
            const int64_t sx = (int64_t)fx, sy = (int64_t)fy;
            if (sx / 1024 >= w - 1 || sy / 1024 >= h - 1)
                continue;
            const int wx = (int)(sx % 1024) / 4, wy = (int)(sy % 1024) / 4;
            const BYTE *p0 = src + (size_t)(sy / 1024) * rowBytes + 3 * (size_t)(sx / 1024);
            const BYTE *p1 = p0 + rowBytes;
            for (int c = 0; c < 3; c++) {
                const int upper = t[p0[c]][255 - wx] + t[p0[c + 3]][wx];
                const int lower = t[p1[c]][255 - wx] + t[p1[c + 3]][wx];
                o[c] = (BYTE)(t[upper][255 - wy] + t[lower][wy]);
            }
        }
    }
    return out;
}
