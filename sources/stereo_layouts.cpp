#include "sources/stereo_layouts.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

// A source frame as the kernels read it.
struct Src {
    const BYTE *bits;
    int width, height, rowBytes, step;

    bool Open(const PackedDib *dib, int w, int h, int bitCount)
    {
        if (!dib || (bitCount != 24 && bitCount != 32) || w <= 0 || h <= 0)
            return false;
        bits = FindDibBits(dib);
        width = w;
        height = h;
        step = bitCount / 8;
        rowBytes = DibRowBytes(w, bitCount);
        return true;
    }
    bool Open(const PackedDib *dib)
    {
        return dib && dib->biCompression == BI_RGB && dib->biHeight > 0 &&
               Open(dib, DibWidth(dib), DibHeight(dib), DibBitCount(dib));
    }
    const BYTE *Row(int r) const { return bits + (size_t)r * rowBytes; }
};

// Rewrites a target's header to a 24-bit frame of w x h and returns its
// pixels.
BYTE *ShapeTarget(PackedDib *target, int w, int h)
{
    target->biWidth = w;
    target->biHeight = h;
    target->biBitCount = 24;
    target->biCompression = BI_RGB;
    target->biClrUsed = 0;
    target->biSizeImage = (DWORD)DibRowBytes(w, 24) * (DWORD)h;
    return FindDibBits(target);
}

// Copies count pixels of a source row (3 or 4 bytes each) as 24-bit ones
// and zeroes the row's padding.
void CopyRow(BYTE *d, const BYTE *s, int count, int step, int outRowBytes)
{
    if (step == 3) {
        memcpy(d, s, (size_t)count * 3);
    } else {
        for (int x = 0; x < count; x++, s += 4)
            d[3 * x] = s[0], d[3 * x + 1] = s[1], d[3 * x + 2] = s[2];
    }
    for (int i = count * 3; i < outRowBytes; i++)
        d[i] = 0;
}

void SideBySide(PackedDib *target, bool second, const Src &s)
{
    if (!target)
        return;
    int half = s.width / 2;
    if (half < 1)
        return;
    BYTE *out = ShapeTarget(target, half, s.height);
    int outRow = DibRowBytes(half, 24);
    int from = second ? half * s.step : 0;
    for (int r = 0; r < s.height; r++)
        CopyRow(out + (size_t)r * outRow, s.Row(r) + from, half, s.step, outRow);
}

void OverUnder(PackedDib *target, bool second, const Src &s)
{
    if (!target)
        return;
    int rows = s.height / 2;
    if (rows < 1)
        return;
    BYTE *out = ShapeTarget(target, s.width, rows);
    int outRow = DibRowBytes(s.width, 24);
    int first = second ? rows : 0;
    for (int r = 0; r < rows; r++)
        CopyRow(out + (size_t)r * outRow, s.Row(first + r), s.width, s.step, outRow);
}

void Interlaced(PackedDib *target, bool second, const Src &s)
{
    if (!target)
        return;
    BYTE *out = ShapeTarget(target, s.width, s.height);
    int outRow = DibRowBytes(s.width, 24);
    for (int r = 0; r < s.height; r++)
        CopyRow(out + (size_t)r * outRow, s.Row(r), s.width, s.step, outRow);
    // The other field's rows become the average of their neighbours; a
    // row at either end without both neighbours keeps its own.
    for (int r = second ? 2 : 1; r < s.height - 1; r += 2) {
        BYTE *row = out + (size_t)r * outRow;
        const BYTE *below = row - outRow, *above = row + outRow;
        for (int i = 0; i < s.width * 3; i++)
            row[i] = (BYTE)((below[i] + above[i]) / 2);
    }
}

// A 300-entry gamma table of 1.2, built afresh for each split as the
// second view's correction.
struct Gamma120 {
    int table[kGammaEntries];
    Gamma120() { BuildGammaTable(120, table); }
};

void Anaglyph(PackedDib *target, bool second, bool keepColour, const Src &s, const int *gamma)
{
    if (!target)
        return;
    BYTE *out = ShapeTarget(target, s.width, s.height);
    int outRow = DibRowBytes(s.width, 24);
    for (int r = 0; r < s.height; r++) {
        const BYTE *p = s.Row(r);
        BYTE *d = out + (size_t)r * outRow;
        for (int x = 0; x < s.width; x++, p += s.step, d += 3) {
            if (!second) {
                d[0] = d[1] = d[2] = p[2];
                continue;
            }
            BYTE v = (BYTE)gamma[(837 * p[1] + 163 * p[0]) / 1000];
            if (keepColour) {
                d[0] = p[0];
                d[1] = p[1];
                d[2] = v;
            } else {
                d[0] = d[1] = d[2] = v;
            }
        }
        for (int i = s.width * 3; i < outRow; i++)
            d[i] = 0;
    }
}

bool IsSecond(int code) { return (code & 1) != 0; }

}  // namespace

static const StereoTypeInfo kStereoTypeTable[kStereoTypes] = {
    {10, 11, 0, 0},  // 0 side by side (full width)
    {20, 21, 0, 0},  // 1 over/under (full height)
    {20, 21, 2, 0},  // 2 over/under 50 %
    {20, 21, 3, 0},  // 3 over/under 47.5 %
    {30, 31, 0, 0},  // 4 line interlace
    {20, 21, 4, 0},  // 5 SIS
    {20, 21, 4, 1},  // 6
    {20, 21, 4, 2},  // 7 Tri-delta TT
    {20, 21, 4, 3},  // 8 Tri-delta BB
    {10, 11, 1, 0},  // 9 side by side 50 %
    {40, 41, 0, 0},  // 10 anaglyph
    {50, 51, 0, 0},  // 11 anaglyph, colour retained
};

const StereoTypeInfo *StereoTypeTable(int sType)
{
    return sType >= 0 && sType < kStereoTypes ? &kStereoTypeTable[sType] : nullptr;
}

void StereoViewSize(int sType, int w, int h, int *viewWidth, int *viewHeight)
{
    *viewWidth = w;
    *viewHeight = h;
    switch (sType) {
    case 0: *viewWidth = w / 2; break;
    case 1: *viewHeight = h / 2; break;
    case 5: case 6: case 7: case 8:
        *viewWidth = h;
        *viewHeight = w / 2;
        break;
    default: break;
    }
}

void BuildGammaTable(int gammaHundredths, int *table)
{
    if (gammaHundredths < 1)
        gammaHundredths = 1;
    double exponent = 100.0 / gammaHundredths;
    for (int i = 0; i < 256; i++)
        table[i] = (int)(255 * pow(i / 255.0, exponent));
    for (int i = 256; i < kGammaEntries; i++)
        table[i] = table[255];
}

void SplitSideBySideView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount)
{
    Src s;
    if (s.Open(source, width, height, bitCount))
        SideBySide(target, IsSecond(code), s);
}

void SplitOverUnderView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount)
{
    Src s;
    if (s.Open(source, width, height, bitCount))
        OverUnder(target, IsSecond(code), s);
}

void SplitInterlacedView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount)
{
    Src s;
    if (s.Open(source, width, height, bitCount))
        Interlaced(target, IsSecond(code), s);
}

void AnaglyphViewToGrey(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount)
{
    Src s;
    if (!s.Open(source, width, height, bitCount))
        return;
    Gamma120 g;
    Anaglyph(target, IsSecond(code), false, s, g.table);
}

void ColourAnaglyphView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount)
{
    Src s;
    if (!s.Open(source, width, height, bitCount))
        return;
    Gamma120 g;
    Anaglyph(target, IsSecond(code), true, s, g.table);
}

void SplitSideBySideFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                          int bitCount)
{
    Src s;
    if (!s.Open(source, width, height, bitCount))
        return;
    SideBySide(first, false, s);
    SideBySide(second, true, s);
}

void SplitOverUnderFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                         int bitCount)
{
    Src s;
    if (!s.Open(source, width, height, bitCount))
        return;
    OverUnder(first, false, s);
    OverUnder(second, true, s);
}

void SplitInterlacedFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                          int bitCount)
{
    Src s;
    if (!s.Open(source, width, height, bitCount))
        return;
    Interlaced(first, false, s);
    Interlaced(second, true, s);
}

void SplitAnaglyphFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                        int bitCount)
{
    Src s;
    if (!s.Open(source, width, height, bitCount))
        return;
    Gamma120 g;
    Anaglyph(first, false, false, s, g.table);
    Anaglyph(second, true, false, s, g.table);
}

void SplitColourAnaglyphFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                              int bitCount)
{
    Src s;
    if (!s.Open(source, width, height, bitCount))
        return;
    Gamma120 g;
    Anaglyph(first, false, true, s, g.table);
    Anaglyph(second, true, true, s, g.table);
}

// ---- pre-conversions and turns ----

namespace {

inline void Average(BYTE *d, const BYTE *a, const BYTE *b)
{
    d[0] = (BYTE)((a[0] + b[0]) / 2);
    d[1] = (BYTE)((a[1] + b[1]) / 2);
    d[2] = (BYTE)((a[2] + b[2]) / 2);
}

inline void Copy3(BYTE *d, const BYTE *s) { d[0] = s[0], d[1] = s[1], d[2] = s[2]; }

}  // namespace

PackedDib *DoubleDibWidth(const PackedDib *frame)
{
    Src s;
    if (!s.Open(frame))
        return nullptr;
    PackedDib *out = CreateDib(2 * s.width, s.height, 24, 1);
    if (!out)
        return nullptr;
    for (int r = 0; r < s.height; r++) {
        const BYTE *p = s.Row(r);
        BYTE *d = DibRow(out, r);
        for (int x = 0; x < s.width; x++) {
            const BYTE *here = p + (size_t)x * s.step;
            Copy3(d + 6 * x, here);
            if (x + 1 < s.width)
                Average(d + 6 * x + 3, here, here + s.step);
            else
                Copy3(d + 6 * x + 3, here);
        }
    }
    return out;
}

PackedDib *DoubleDibHeight(const PackedDib *frame, int flag)
{
    Src s;
    if (!s.Open(frame))
        return nullptr;
    int h = s.height;
    PackedDib *out = CreateDib(s.width, 2 * h, 24, 1);
    if (!out)
        return nullptr;
    int outRow = DibRowBytes(s.width, 24);
    if (flag == 0) {
        for (int r = 0; r < h; r++) {
            CopyRow(DibRow(out, 2 * r), s.Row(r), s.width, s.step, outRow);
            BYTE *d = DibRow(out, 2 * r + 1);
            if (r + 1 < h) {
                const BYTE *a = s.Row(r), *b = s.Row(r + 1);
                for (int x = 0; x < s.width; x++)
                    Average(d + 3 * x, a + (size_t)x * s.step, b + (size_t)x * s.step);
            } else {
                CopyRow(d, s.Row(r), s.width, s.step, outRow);
            }
        }
    } else {
        for (int i = 0; i < h; i++) {
            CopyRow(DibRow(out, i), s.Row(i * 475 / 1000), s.width, s.step, outRow);
            CopyRow(DibRow(out, 2 * h - 1 - i), s.Row(h - 1 - i * 475 / 1000), s.width, s.step, outRow);
        }
    }
    return out;
}

// Turns and mirrors by a mapping from output picture coordinates (x right,
// y down from the top) to source picture coordinates.
namespace {

template <typename Map>
PackedDib *Remap(const Src &s, int outW, int outH, Map map)
{
    PackedDib *out = CreateDib(outW, outH, 24, 1);
    if (!out)
        return nullptr;
    for (int yo = 0; yo < outH; yo++) {
        BYTE *d = DibRow(out, outH - 1 - yo);
        for (int xo = 0; xo < outW; xo++) {
            int sx, sy;
            if (!map(xo, yo, &sx, &sy))
                continue;
            Copy3(d + 3 * xo, s.Row(s.height - 1 - sy) + (size_t)sx * s.step);
        }
    }
    return out;
}

}  // namespace

PackedDib *RotateStereoFrame(const PackedDib *frame, int kind)
{
    Src s;
    if (!s.Open(frame) || kind < 0 || kind > 3)
        return nullptr;
    int W = s.width, H = s.height, n = W / 2;
    // Output picture: H wide, W tall. A clockwise quarter turn puts source
    // (x, y) at (H - 1 - y, x); counter-clockwise at (y, W - 1 - x).
    return Remap(s, H, W, [=](int xo, int yo, int *sx, int *sy) {
        bool upper = yo < n;
        int turn;  // 0 clockwise, 1 counter-clockwise
        int half;  // 0 the left half of the source, 1 the right, -1 the whole
        switch (kind) {
        case 0: turn = 0, half = -1; break;
        case 1: turn = 1, half = -1; break;
        case 2: turn = upper ? 1 : 0, half = upper ? 0 : 1; break;
        default: turn = upper ? 0 : 1, half = upper ? 0 : 1; break;
        }
        int width = half < 0 ? W : n;
        int y0 = half == 1 ? n : 0;  // first output row of this half
        int ly = yo - y0;
        if (half >= 0 && (ly < 0 || ly >= n))
            return false;
        int lx;
        if (turn == 0) {
            lx = ly;
            *sy = H - 1 - xo;
        } else {
            lx = width - 1 - ly;
            *sy = xo;
        }
        *sx = lx + (half == 1 ? n : 0);
        return true;
    });
}

PackedDib *RotateDib(const PackedDib *frame, int code)
{
    Src s;
    if (!s.Open(frame))
        return nullptr;
    int W = s.width, H = s.height;
    PackedDib *out;
    switch (code) {
    case 1:  // counter-clockwise: the top row becomes the left column, read bottom-up
        out = Remap(s, H, W, [=](int xo, int yo, int *sx, int *sy) { *sx = W - 1 - yo, *sy = xo; return true; });
        break;
    case 2:  // clockwise: the top row becomes the right column, read top-down
        out = Remap(s, H, W, [=](int xo, int yo, int *sx, int *sy) { *sx = yo, *sy = H - 1 - xo; return true; });
        break;
    case 3:
        out = Remap(s, W, H, [=](int xo, int yo, int *sx, int *sy) { *sx = W - 1 - xo, *sy = H - 1 - yo; return true; });
        break;
    case 4:
        out = Remap(s, W, H, [=](int xo, int yo, int *sx, int *sy) { *sx = W - 1 - xo, *sy = yo; return true; });
        break;
    default:
        out = Remap(s, W, H, [=](int xo, int yo, int *sx, int *sy) { *sx = xo, *sy = H - 1 - yo; return true; });
        break;
    }
    return out;
}

PackedDib *InterleavedToOverUnder(const PackedDib *frame, int parity)
{
    Src s;
    if (!s.Open(frame))
        return nullptr;
    int h = s.height, w = s.width;
    parity &= 1;
    PackedDib *out = CreateDib(w, 2 * h, 24, 1);
    if (!out)
        return nullptr;
    int outRow = DibRowBytes(w, 24);
    char *written = (char *)calloc((size_t)(2 * h), 1);
    if (!written) {
        FreeDib(out);
        return nullptr;
    }
    auto put = [&](int row, int from) {
        if (row < 0 || row >= 2 * h)
            return;
        CopyRow(DibRow(out, row), s.Row(from), w, s.step, outRow);
        written[row] = 1;
    };
    for (int i = 0; i < h; i++) {
        if (i % 2 == parity) {
            put(i, i);
            put(i + 1, i);
        } else {
            put(h + i - 1, i);
            put(h + i, i);
        }
    }
    // Rows no source row reaches repeat their nearest written neighbour.
    for (int r = 0; r < 2 * h; r++) {
        if (written[r])
            continue;
        int from = r > 0 && written[r - 1] ? r - 1 : r + 1 < 2 * h && written[r + 1] ? r + 1 : -1;
        if (from >= 0)
            memcpy(DibRow(out, r), DibRow(out, from), (size_t)outRow);
    }
    free(written);
    return out;
}

PackedDib *InterleavedToOverUnderHalf(const PackedDib *frame, int parity)
{
    Src s;
    if (!s.Open(frame))
        return nullptr;
    int h = s.height, w = s.width;
    parity &= 1;
    PackedDib *out = CreateDib(w, h, 24, 1);
    if (!out)
        return nullptr;
    int outRow = DibRowBytes(w, 24);
    for (int i = 0; i < h; i++) {
        int row = i % 2 == parity ? i / 2 : (h + i) / 2;
        if (row < h)
            CopyRow(DibRow(out, row), s.Row(i), w, s.step, outRow);
    }
    return out;
}

int ExtractField(PackedDib *target, const PackedDib *source, int parity)
{
    if (!target || !source || source->biCompression != BI_RGB)
        return 0;
    int bits = DibBitCount(source);
    int w = DibWidth(source);
    int h = source->biHeight;
    bool topDown = h < 0;
    if (topDown)
        h = -h;
    Src s;
    if (!s.Open(source, w, h, bits))
        return 0;
    parity &= 1;
    int rows = h / 2;
    BYTE *out = ShapeTarget(target, w, rows);
    int outRow = DibRowBytes(w, 24);
    // Rows count from the bottom of the picture whichever way it is stored.
    for (int k = 0; k < rows; k++) {
        int r = parity + 2 * k;
        const BYTE *from = s.Row(topDown ? h - 1 - r : r);
        BYTE *to = out + (size_t)k * outRow;
        if (to != from)
            CopyRow(to, from, w, s.step, outRow);
    }
    return outRow;
}

void SplitSideBySideCentred(PackedDib *leftCanvas, PackedDib *rightCanvas, const PackedDib *frame)
{
    Src s;
    if (!leftCanvas || !rightCanvas || !s.Open(frame))
        return;
    int n = s.width / 2;
    PackedDib *canvases[2] = {leftCanvas, rightCanvas};
    for (int c = 0; c < 2; c++) {
        PackedDib *cv = canvases[c];
        int cw = DibWidth(cv), ch = DibHeight(cv);
        if (DibBitCount(cv) != 24 || cw < n || ch < s.height)
            return;
    }
    for (int c = 0; c < 2; c++) {
        PackedDib *cv = canvases[c];
        int cw = DibWidth(cv), ch = DibHeight(cv);
        int x0 = (cw - n) / 2, y0 = (ch - s.height) / 2;
        for (int y = 0; y < s.height; y++) {
            const BYTE *p = s.Row(y) + (size_t)(c ? n : 0) * s.step;
            BYTE *d = DibRow(cv, y + y0) + 3 * x0;
            for (int x = 0; x < n; x++, p += s.step)
                Copy3(d + 3 * x, p);
        }
    }
}
