#include "alignment/alignment_settings.h"
#include "alignment/displacement_mesh.h"

#include <string.h>

namespace {

// t[a * 256 + b] = a * b / 255: the bilinear weights as table look-ups, so
// that every weighted sum stays within 0..255.
struct ProductTable {
    BYTE t[65536];
    ProductTable()
    {
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b++)
                t[a * 256 + b] = (BYTE)(a * b / 255);
    }
};

const BYTE *Products()
{
    static const ProductTable table;
    return table.t;
}

void WarpRowBilinear(const int32_t *p, int width, BYTE *out, const BYTE *bits, int rowBytes, int srcW, int srcH,
                     const BYTE *t)
{
    for (int c = 0; c < width; c++, p += 2, out += 3) {
        const int32_t x = p[0], y = p[1];
        if (x < 0 || y < 0 || (x >> 10) >= srcW - 1 || (y >> 10) >= srcH - 1)
            continue;
        const unsigned fx = (unsigned)(x >> 2) & 255, fy = (unsigned)(y & 1023) / 4;
        const BYTE *p00 = bits + (size_t)(y >> 10) * rowBytes + (size_t)(x >> 10) * 3;
        const BYTE *p01 = p00 + rowBytes;
        const BYTE *wf = t + fx, *wr = t + (255 - fx);
        for (int k = 0; k < 3; k++) {
            const unsigned h0 = wf[p00[3 + k] << 8] + wr[p00[k] << 8];
            const unsigned h1 = wf[p01[3 + k] << 8] + wr[p01[k] << 8];
            out[k] = (BYTE)(t[h0 * 256 + 255 - fy] + t[h1 * 256 + fy]);
        }
    }
}

void WarpRowNearest(const int32_t *p, int width, BYTE *out, const BYTE *bits, int rowBytes, int srcW, int srcH)
{
    for (int c = 0; c < width; c++, p += 2, out += 3) {
        const int32_t sx = p[0] >> 10, sy = p[1] >> 10;
        if (sx < 0 || sy < 0 || sx >= srcW || sy >= srcH)
            continue;
        const BYTE *s = bits + (size_t)sy * rowBytes + (size_t)sx * 3;
        out[0] = s[0];
        out[1] = s[1];
        out[2] = s[2];
    }
}

} // namespace

PackedDib *WarpDibByMesh(const DisplacementMesh *mesh, const PackedDib *source)
{
    if (!mesh || !source || DibBitCount(source) != 24)
        return nullptr;
    PackedDib *out = CreateDib(mesh->width, mesh->height, 24, 1);
    if (!out)
        return nullptr;
    const int srcW = DibWidth(source), srcH = DibHeight(source);
    const int srcRowBytes = DibRowBytes(srcW, 24);
    const BYTE *bits = FindDibBits(source);
    const bool bilinear = g_bResample == 1;
    const BYTE *t = bilinear ? Products() : nullptr;
    for (int r = 0; r < mesh->height; r++) {
        const int32_t *p = MeshPoint(mesh, 0, r);
        BYTE *row = DibRow(out, r);
        if (bilinear)
            WarpRowBilinear(p, mesh->width, row, bits, srcRowBytes, srcW, srcH, t);
        else
            WarpRowNearest(p, mesh->width, row, bits, srcRowBytes, srcW, srcH);
    }
    return out;
}
