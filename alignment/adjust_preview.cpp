#include "alignment/adjust_preview.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

PackedDib *NewGreyPreviewImage(int w, int h)
{
    PackedDib *d = CreateDib(w, h, 8, 1);
    if (!d)
        return nullptr;
    RGBQUAD *table = (RGBQUAD *)((BYTE *)d + d->biSize);
    for (int j = 0; j < 256; j++) {
        table[j].rgbBlue = table[j].rgbGreen = table[j].rgbRed = (BYTE)j;
        table[j].rgbReserved = 0;
    }
    return d;
}

namespace {

inline BYTE Grey(const BYTE *bgr)
{
    // In this order in double precision, truncated.
    return (BYTE)(int)(0.587 * bgr[1] + 0.114 * bgr[0] + 0.299 * bgr[2]);
}

inline BYTE *Row8(const PackedDib *d, int row)
{
    return FindDibBits(d) + (size_t)row * DibRowBytes(DibWidth(d), 8);
}

bool IsGrey8(const PackedDib *d) { return d && DibBitCount(d) == 8; }

// The 512 x 512 table of trunc(sqrt(a^2 + b^2)), a and b offset by 256.
int *g_edgeTable;

const int *EdgeTable()
{
    if (!g_edgeTable) {
        g_edgeTable = (int *)malloc(512 * 512 * sizeof(int));
        if (!g_edgeTable)
            return nullptr;
        for (int a = 0; a < 512; a++)
            for (int b = 0; b < 512; b++)
                g_edgeTable[a * 512 + b] = (int)sqrt((double)((a - 256) * (a - 256) + (b - 256) * (b - 256)));
    }
    return g_edgeTable;
}

} // namespace

PackedDib *MakeGreyDib(const PackedDib *frame, int levels)
{
    if (!frame || DibBitCount(frame) != 24)
        return nullptr;
    if (levels != 256 && (levels < 2 || levels > 16))
        return nullptr;
    const int w = DibWidth(frame), h = DibHeight(frame);
    if (levels == 256) {
        PackedDib *out = NewGreyPreviewImage(w, h);
        if (!out)
            return nullptr;
        for (int y = 0; y < h; y++) {
            const BYTE *s = DibRow(frame, y);
            BYTE *d = Row8(out, y);
            for (int x = 0; x < w; x++, s += 3)
                d[x] = Grey(s);
        }
        return out;
    }
    PackedDib *out = CreateDib(w, h, 4, 1);
    if (!out)
        return nullptr;
    out->biClrUsed = (DWORD)levels;
    RGBQUAD *table = (RGBQUAD *)((BYTE *)out + out->biSize);
    const int step = 255 / (levels - 1);
    for (int i = 0; i < levels; i++) {
        table[i].rgbBlue = table[i].rgbGreen = table[i].rgbRed = (BYTE)(i * step);
        table[i].rgbReserved = 0;
    }
    const int rowBytes = DibRowBytes(w, 4);
    for (int y = 0; y < h; y++) {
        const BYTE *s = DibRow(frame, y);
        BYTE *d = FindDibBits(out) + (size_t)y * rowBytes;
        for (int x = 0; x < w; x++, s += 3) {
            // Fewer than 16 levels: an index past the table would take
            // whatever colour the display picks.
            const int v = std::min(Grey(s) / 16, levels - 1);
            d[x / 2] |= (BYTE)((x & 1) ? v : v << 4);
        }
    }
    return out;
}

void FreeEdgeTable()
{
    free(g_edgeTable);
    g_edgeTable = nullptr;
}

PackedDib *MakeEdgeImage(const PackedDib *frame, int threshold, EdgeProgress progress, void *context)
{
    if (!frame || DibBitCount(frame) != 24)
        return nullptr;
    threshold = std::max(1, std::min(254, threshold));
    const int w = DibWidth(frame), h = DibHeight(frame);
    const int *table = EdgeTable();
    PackedDib *out = NewGreyPreviewImage(w, h);
    if (!out || !table) {
        FreeDib(out);
        return nullptr;
    }
    // Everything white first: the two outermost rows and columns stay so.
    for (int y = 0; y < h; y++)
        memset(Row8(out, y), 255, (size_t)w);
    if (w < 5 || h < 5)
        return out;

    std::vector<BYTE> g((size_t)w * h);
    for (int y = 0; y < h; y++) {
        const BYTE *s = DibRow(frame, y);
        for (int x = 0; x < w; x++, s += 3)
            g[(size_t)y * w + x] = Grey(s);
    }
    static const int K[5][5] = {
        {0, -1, -3, -1, 0}, {-1, -2, 2, -2, -1}, {-3, 2, 20, 2, -3}, {-1, -2, 2, -2, -1}, {0, -1, -3, -1, 0},
    };
    // Responses outside the computed area stay 0: neither sign.
    std::vector<int> response((size_t)w * h, 0);
    std::vector<int> gradient((size_t)w * h, 0);
    int shown = 0;
    for (int y = 2; y <= h - 3; y++) {
        const int p = (20 + 10 * (y - 2)) / (h - 3);
        if (p > shown) {
            shown = p;
            if (progress)
                progress(p, context);
        }
        for (int x = 2; x <= w - 3; x++) {
            int r = 0;
            for (int i = 0; i < 5; i++) {
                const BYTE *gr = &g[(size_t)(y - 2 + i) * w + x - 2];
                for (int j = 0; j < 5; j++)
                    r += K[i][j] * gr[j];
            }
            const size_t at = (size_t)y * w + x;
            response[at] = r;
            const int dx = g[at + 1] - g[at - 1] + 256, dy = g[at + w] - g[at - w] + 256;
            gradient[at] = table[dx * 512 + dy];
        }
    }
    for (int y = 2; y <= h - 3; y++) {
        BYTE *d = Row8(out, y);
        for (int x = 2; x <= w - 3; x++) {
            const size_t at = (size_t)y * w + x;
            const int around[5] = {response[at], response[at - 1], response[at + 1], response[at - w],
                                   response[at + w]};
            int positive = 0, negative = 0;
            for (int v : around) {
                positive += v > 0;
                negative += v < 0;
            }
            d[x] = (positive * negative != 0 && gradient[at] > threshold) ? 0 : 255;
        }
    }
    return out;
}

PackedDib *ZoomPreviewImage(const PackedDib *image, int zoom1000)
{
    if (!IsGrey8(image))
        return nullptr;
    const int64_t z = std::max(1, zoom1000);
    const int w = DibWidth(image), h = DibHeight(image);
    PackedDib *out = NewGreyPreviewImage(w, h);
    if (!out)
        return nullptr;
    if (z <= 1000) {
        // Every source pixel placed; a later one wins a shared output pixel.
        const int64_t tw = std::max<int64_t>(1, z * w / 1000), th = std::max<int64_t>(1, z * h / 1000);
        std::vector<int> column(w);
        for (int x = 0; x < w; x++)
            column[x] = (int)((w - tw) / 2 + x * tw / w);
        for (int y = 0; y < h; y++) {
            const BYTE *s = Row8(image, y);
            BYTE *d = Row8(out, (int)((h - th) / 2 + y * th / h));
            for (int x = 0; x < w; x++)
                d[column[x]] = s[x];
        }
    } else {
        // Every output pixel but the last row and column read from the
        // middle part of the source.
        const int64_t c = std::max<int64_t>(1, h * 1000 / z), dw = std::max<int64_t>(1, w * 1000 / z);
        std::vector<int> column(w);
        for (int x = 0; x < w - 1; x++)
            column[x] = (int)((w - dw) / 2 + x * dw / w);
        for (int y = 0; y < h - 1; y++) {
            const BYTE *s = Row8(image, (int)((h - c) / 2 + y * c / h));
            BYTE *d = Row8(out, y);
            for (int x = 0; x < w - 1; x++)
                d[x] = s[column[x]];
        }
    }
    return out;
}

PackedDib *ComposeAdjustPreview(const PackedDib *left, const PackedDib *right, int offsetX, int offsetY, int view,
                                PreviewOrigins *origins)
{
    if (!IsGrey8(left) || !IsGrey8(right))
        return nullptr;
    // Both eyes come out of the same warps at the same size; should they
    // not, only what both have is read.
    const int w = std::min(DibWidth(left), DibWidth(right)), h = std::min(DibHeight(left), DibHeight(right));
    const int limitX = w - 10, limitY = h - 10;
    offsetX = limitX <= 0 ? 0 : std::max(-limitX, std::min(limitX, offsetX));
    offsetY = limitY <= 0 ? 0 : std::max(-limitY, std::min(limitY, offsetY));
    const int sx = std::max(offsetX, 0), cx = std::max(-offsetX, 0);
    const int sy = std::max(offsetY, 0), cy = std::max(-offsetY, 0);
    const int ow = w - abs(offsetX), oh = h - abs(offsetY);
    PackedDib *out = CreateDib(ow, oh, 24, 0);
    if (!out)
        return nullptr;
    for (int y = 0; y < oh; y++) {
        const BYTE *l = Row8(left, sy + y) + sx;
        const BYTE *q = Row8(right, cy + y) + cx;
        BYTE *d = DibRow(out, y);
        for (int k = 0; k < ow; k++, d += 3) {
            const BYTE red = l[k] > 223 ? 255 : (BYTE)(l[k] + 32);
            switch (view) {
            case kPreviewLeftOnly:
                d[0] = d[1] = 0;
                d[2] = red;
                break;
            case kPreviewRightOnly:
                d[0] = d[1] = q[k];
                d[2] = 32;
                break;
            default:
                d[0] = d[1] = q[k];
                d[2] = red;
                break;
            }
        }
    }
    if (origins)
        *origins = PreviewOrigins{sx, sy, cx, cy};
    return out;
}

int DrawPreviewLine(PackedDib *image, int x0, int y0, int x1, int y1)
{
    if (!IsGrey8(image))
        return 0;
    const int w = DibWidth(image), h = DibHeight(image);
    int e0 = h - y0 - 2, e1 = h - y1 - 2;
    if (x0 < 0 || x0 > w - 1 || x1 < 0 || x1 > w - 1 || e0 < 0 || e0 > h - 1 || e1 < 0 || e1 > h - 1)
        return 0;
    // The line is two pixels wide: its second row (column) may lie past
    // the last.
    auto put = [image, w, h](int x, int row) {
        if (x >= 0 && x < w && row >= 0 && row < h)
            Row8(image, row)[x] = 255;
    };
    {
        int ax = x0, ae = e0, bx = x1, be = e1;
        if (ax > bx) {
            std::swap(ax, bx);
            std::swap(ae, be);
        }
        for (int i = 0; i < bx - ax; i++) {
            const int row = ae + i * (be - ae) / (bx - ax);
            put(ax + i, row);
            put(ax + i, row + 1);
        }
    }
    {
        int ax = x0, ae = e0, bx = x1, be = e1;
        if (ae > be) {
            std::swap(ax, bx);
            std::swap(ae, be);
        }
        for (int k = 0; k < be - ae; k++) {
            const int c = ax + k * (bx - ax) / (be - ae);
            put(c, ae + k);
            put(c + 1, ae + k);
        }
    }
    return 1;
}

void DrawPreviewGrid(PackedDib *image, int spacing)
{
    if (!image || spacing <= 0)
        return;
    const int bits = DibBitCount(image);
    if (bits != 8 && bits != 24)
        return;
    const int w = DibWidth(image), h = DibHeight(image), bytes = bits / 8;
    auto put = [image, bytes](int x, int row) {
        BYTE *p = FindDibBits(image) + (size_t)row * DibRowBytes(DibWidth(image), bytes * 8) + (size_t)x * bytes;
        memset(p, 128, (size_t)bytes);
    };
    // From the middle outwards, so that the grid stays put on the picture
    // whatever the preview's size.
    for (int x = w / 2 % spacing; x < w; x += spacing)
        for (int y = 0; y < h; y++)
            put(x, y);
    for (int y = h / 2 % spacing; y < h; y += spacing)
        for (int x = 0; x < w; x++)
            put(x, y);
}

namespace {

// Bottom-up picture coordinates of a top-down preview point and back.
inline PreviewPoint Flip(PreviewPoint p, int h) { return PreviewPoint{p.x, (h - 1) - p.y}; }

// Where the picture at p shows after the core's rotation mesh (output o
// reads source c + R(angle)(o - c), c the integer half sizes); back = the
// inverse.
PreviewPoint Turn(PreviewPoint p, int rotation, int w, int h, bool back)
{
    const double a = rotation * 0.0017453292519943279 * (back ? 1 : -1);
    const double cs = cos(a), sn = sin(a);
    const double cx = w / 2, cy = h / 2;
    const double dx = p.x - cx, dy = p.y - cy;
    return PreviewPoint{cx + cs * dx - sn * dy, cy + sn * dx + cs * dy};
}

// The core's scale mesh: output o reads source m + (o - m) x 1000 / factor,
// m the exact middle.
PreviewPoint Scale(PreviewPoint p, int size1000, int w, int h, bool back)
{
    const double factor = std::max(1, 1000 + size1000) / 1000.0;
    const double f = back ? 1 / factor : factor;
    const double mx = (w - 1) * 0.5, my = (h - 1) * 0.5;
    return PreviewPoint{mx + (p.x - mx) * f, my + (p.y - my) * f};
}

} // namespace

PreviewPoint RotatePreviewPoint(PreviewPoint p, int rotation, int size1000, int w, int h)
{
    PreviewPoint q = Flip(p, h);
    if (size1000 > 0)
        q = Scale(Turn(q, rotation, w, h, false), size1000, w, h, false);
    else
        q = Turn(Scale(q, size1000, w, h, false), rotation, w, h, false);
    return Flip(q, h);
}

PreviewPoint RotatePreviewPointBack(PreviewPoint p, int rotation, int size1000, int w, int h)
{
    PreviewPoint q = Flip(p, h);
    if (size1000 > 0)
        q = Turn(Scale(q, size1000, w, h, true), rotation, w, h, true);
    else
        q = Scale(Turn(q, rotation, w, h, true), size1000, w, h, true);
    return Flip(q, h);
}
