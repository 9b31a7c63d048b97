// Grey and colour anaglyphs of a pair. A channel taken from the left image
// goes through the left-eye gamma table, one from the right image through
// the right-eye table, whatever colour it feeds.
#include "pipeline/compose.h"

#include "pipeline/luma.h"
#include "pipeline/pair_loop.h"

#include <string.h>
#include <vector>

namespace {

enum GreyKind { kLuma, kFastGrey };

bool GammaIsNeutral(const ComposeSettings &cs) { return cs.gammaLeft == 100 && cs.gammaRight == 100; }

// Frames of 8 bits or fewer always go through the tables.
bool IsPaletted(const PackedDib *dib) { return dib && DibBitCount(dib) <= 15; }

void MapThrough(unsigned char *v, int n, const int *table)
{
    for (int i = 0; i < n; i++)
        v[i] = (unsigned char)table[v[i]];
}

PackedDib *GreyAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                        int lc, int lr, GreyKind kind, int layout)
{
    bool tables = !GammaIsNeutral(cs) || IsPaletted(left) || IsPaletted(right);
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), 1, &f))
        return nullptr;
    ComposeGreyRegion(f.outBits, f.outRowBytes, f.left, f.right, f.region, kind == kFastGrey, layout,
                      tables ? cs.gammaTableLeft : nullptr, tables ? cs.gammaTableRight : nullptr);
    EndPairKernel(&f);
    return out;
}

int GreyLayoutOf(int anatype) { return anatype >= 0 && anatype <= 3 ? anatype : kRedCyan; }

// Colour anaglyph rows. The eye tables as bytes; the left eye's channel
// (red, or blue for yellow-blue) from the left pixel or its luma, the other
// two from the right pixel. Pixels are written as words: four in three, then
// one each whose fourth byte the next overwrites, the last byte by byte.
struct ColourTables {
    unsigned char left[256], right[256];

    explicit ColourTables(const ComposeSettings &cs)
    {
        for (int i = 0; i < 256; i++) {
            left[i] = (unsigned char)cs.gammaTableLeft[i];
            right[i] = (unsigned char)cs.gammaTableRight[i];
        }
    }
};

template <bool YellowBlue, bool FromLuma>
inline unsigned ColourWord(const BYTE *l, const BYTE *r, const unsigned char *luma, int x, const ColourTables &t)
{
    if (YellowBlue)
        return t.left[FromLuma ? luma[x] : l[0]] | (unsigned)t.right[r[1]] << 8 | (unsigned)t.right[r[2]] << 16;
    return t.right[r[0]] | (unsigned)t.right[r[1]] << 8 | (unsigned)t.left[FromLuma ? luma[x] : l[2]] << 16;
}

template <bool YellowBlue, bool FromLuma, int LB, int RB>
void ColourRow(BYTE *o, const BYTE *l, const BYTE *r, const unsigned char *luma, int width, int lb, int rb,
               const ColourTables &t)
{
    if (width <= 0)
        return;
    const int ls = LB ? LB : lb, rs = RB ? RB : rb;
    int x = 0;
    // Four pixels in three words while a pixel remains after them.
    for (; x + 4 < width; x += 4, o += 12, l += 4 * ls, r += 4 * rs) {
        unsigned w0 = ColourWord<YellowBlue, FromLuma>(l, r, luma, x, t);
        unsigned w1 = ColourWord<YellowBlue, FromLuma>(l + ls, r + rs, luma, x + 1, t);
        unsigned w2 = ColourWord<YellowBlue, FromLuma>(l + 2 * ls, r + 2 * rs, luma, x + 2, t);
        unsigned w3 = ColourWord<YellowBlue, FromLuma>(l + 3 * ls, r + 3 * rs, luma, x + 3, t);
        unsigned a = w0 | w1 << 24, b = w1 >> 8 | w2 << 16, c = w2 >> 16 | w3 << 8;
        memcpy(o, &a, 4);
        memcpy(o + 4, &b, 4);
        memcpy(o + 8, &c, 4);
    }
    for (; x + 1 < width; x++, o += 3, l += ls, r += rs) {
        unsigned w = ColourWord<YellowBlue, FromLuma>(l, r, luma, x, t);
        memcpy(o, &w, 4);
    }
    unsigned w = ColourWord<YellowBlue, FromLuma>(l, r, luma, x, t);
    o[0] = (BYTE)w, o[1] = (BYTE)(w >> 8), o[2] = (BYTE)(w >> 16);
}

template <bool YellowBlue>
PackedDib *ColourAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                          int lc, int lr, bool fromLuma)
{
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), 1, &f))
        return nullptr;
    ColourTables t(cs);
    const PairRegion &g = f.region;
    int lb = f.left.pixelBytes, rb = f.right.pixelBytes;
    std::vector<unsigned char> luma(fromLuma ? (size_t)g.width + 1 : 0);
    for (int k = 0; k < g.height; k++) {
        BYTE *o = f.outBits + (size_t)k * f.outRowBytes;
        const BYTE *l = f.left.Pixel(g.leftX, g.leftY + k);
        const BYTE *r = f.right.Pixel(g.rightX, g.rightY + k);
        if (fromLuma)
            RowLuma(l, g.width, lb, luma.data());
        bool three = lb == 3 && rb == 3;
        if (fromLuma && three)
            ColourRow<YellowBlue, true, 3, 3>(o, l, r, luma.data(), g.width, lb, rb, t);
        else if (fromLuma)
            ColourRow<YellowBlue, true, 0, 0>(o, l, r, luma.data(), g.width, lb, rb, t);
        else if (three)
            ColourRow<YellowBlue, false, 3, 3>(o, l, r, nullptr, g.width, lb, rb, t);
        else
            ColourRow<YellowBlue, false, 0, 0>(o, l, r, nullptr, g.width, lb, rb, t);
    }
    EndPairKernel(&f);
    return out;
}

}  // namespace

void ComposeGreyRegion(BYTE *outBits, int outRowBytes, const FrameView &left, const FrameView &right, const PairRegion &g,
                       bool fastGrey, int layout, const int *tableLeft, const int *tableRight)
{
    std::vector<unsigned char> gl((size_t)g.width + 1), gr((size_t)g.width + 1);
    for (int k = 0; k < g.height; k++) {
        const BYTE *l = left.Pixel(g.leftX, g.leftY + k);
        const BYTE *r = right.Pixel(g.rightX, g.rightY + k);
        if (fastGrey) {
            RowFastGrey(l, g.width, left.pixelBytes, gl.data());
            RowFastGrey(r, g.width, right.pixelBytes, gr.data());
        } else {
            RowLuma(l, g.width, left.pixelBytes, gl.data());
            RowLuma(r, g.width, right.pixelBytes, gr.data());
        }
        if (tableLeft && tableRight) {
            MapThrough(gl.data(), g.width, tableLeft);
            MapThrough(gr.data(), g.width, tableRight);
        }
        GreyRow(outBits + (size_t)k * outRowBytes, gl.data(), gr.data(), g.width, layout);
    }
}

PackedDib *ComposeGreyAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                               int rr, int lc, int lr)
{
    return GreyAnaglyph(cs, out, left, right, rc, rr, lc, lr, kLuma, GreyLayoutOf(cs.greyVariant));
}

PackedDib *ComposeGreyAnaglyphYellowBlue(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right,
                                         int rc, int rr, int lc, int lr)
{
    return GreyAnaglyph(cs, out, left, right, rc, rr, lc, lr, kLuma, kYellowBlue);
}

PackedDib *ComposeFastAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                               int rr, int lc, int lr)
{
    return GreyAnaglyph(cs, out, left, right, rc, rr, lc, lr, kFastGrey, GreyLayoutOf(cs.greyVariant));
}

PackedDib *ComposeFastAnaglyphYellowBlue(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right,
                                         int rc, int rr, int lc, int lr)
{
    return GreyAnaglyph(cs, out, left, right, rc, rr, lc, lr, kFastGrey, kYellowBlue);
}

PackedDib *ComposeColourAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                                 int rr, int lc, int lr)
{
    if (cs.colourVariant == 2 || cs.colourVariant == 3)
        return ComposeColourAnaglyphYellowBlue(cs, out, left, right, rc, rr, lc, lr);
    return ColourAnaglyph<false>(cs, out, left, right, rc, rr, lc, lr, cs.colourVariant == 1);
}

PackedDib *ComposeColourAnaglyphYellowBlue(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right,
                                           int rc, int rr, int lc, int lr)
{
    return ColourAnaglyph<true>(cs, out, left, right, rc, rr, lc, lr, cs.colourVariant == 3);
}
