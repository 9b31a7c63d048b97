// Grey and colour anaglyphs of a pair. A channel taken from the left image
// goes through the left-eye gamma table, one from the right image through
// the right-eye table, whatever colour it feeds.
#include "pipeline/compose.h"

#include "pipeline/luma.h"
#include "pipeline/pair_loop.h"
#include "shell/app_state.h"

#include <string.h>
#include <vector>

namespace {

enum GreyKind { kLuma, kFastGrey };

bool GammaIsNeutral() { return g_nGmmar == 100 && g_nGmmab == 100; }

// Frames of 8 bits or fewer always go through the tables.
bool IsPaletted(const PackedDib *dib) { return dib && DibBitCount(dib) <= 15; }

void MapThrough(unsigned char *v, int n, const int *table)
{
    for (int i = 0; i < n; i++)
        v[i] = (unsigned char)table[v[i]];
}

PackedDib *GreyAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr, GreyKind kind,
                        int layout)
{
    bool tables = !GammaIsNeutral() || IsPaletted(left) || IsPaletted(right);
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, 1, &f))
        return nullptr;
    ComposeGreyRegion(f.outBits, f.outRowBytes, f.left, f.right, f.region, kind == kFastGrey, layout, tables);
    EndPairKernel(&f);
    return out;
}

int GreyLayoutOf(int anatype) { return anatype >= 0 && anatype <= 3 ? anatype : kRedCyan; }

// Colour anaglyph rows. The two channels from the right pixel are
// adjacent bytes (blue and green for red-cyan, green and red for
// yellow-blue), so they go through the right-eye table together as one
// 16-bit index; the left eye's channel (red, or blue for yellow-blue) comes
// from the left pixel or its luma. Each pixel is written as a word whose
// fourth byte the next pixel overwrites.
struct ColourTables {
    unsigned char left[256];
    std::vector<unsigned short> rightPairs;  // [hi x 256 + lo] = right[lo] | right[hi] << 8

    ColourTables() : rightPairs(65536)
    {
        unsigned char right[256];
        for (int i = 0; i < 256; i++) {
            left[i] = (unsigned char)g_aGammaRed[i];
            right[i] = (unsigned char)g_aGammaBlue[i];
        }
        for (int hi = 0; hi < 256; hi++)
            for (int lo = 0; lo < 256; lo++)
                rightPairs[hi * 256 + lo] = (unsigned short)(right[lo] | right[hi] << 8);
    }
};

template <bool YellowBlue, bool FromLuma, int LB, int RB>
void ColourRow(BYTE *o, const BYTE *l, const BYTE *r, const unsigned char *luma, int width, int lb, int rb,
               const ColourTables &t)
{
    const int ls = LB ? LB : lb, rs = RB ? RB : rb;
    const int leftChannel = YellowBlue ? 0 : 2, rightFirst = YellowBlue ? 1 : 0;
    const unsigned short *pairs = t.rightPairs.data();
    for (int x = 0; x < width; x++, o += 3, l += ls, r += rs) {
        unsigned lv = t.left[FromLuma ? luma[x] : l[leftChannel]];
        unsigned rv = pairs[r[rightFirst] | r[rightFirst + 1] << 8];
        unsigned w = YellowBlue ? lv | rv << 8 : rv | lv << 16;
        if (x + 1 < width)
            memcpy(o, &w, 4);
        else
            o[0] = (BYTE)w, o[1] = (BYTE)(w >> 8), o[2] = (BYTE)(w >> 16);
    }
}

template <bool YellowBlue>
PackedDib *ColourAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr, bool fromLuma)
{
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, 1, &f))
        return nullptr;
    ColourTables t;
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
                       bool fastGrey, int layout, bool tables)
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
        if (tables) {
            MapThrough(gl.data(), g.width, g_aGammaRed);
            MapThrough(gr.data(), g.width, g_aGammaBlue);
        }
        GreyRow(outBits + (size_t)k * outRowBytes, gl.data(), gr.data(), g.width, layout);
    }
}

PackedDib *ComposeGreyAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return GreyAnaglyph(out, left, right, rc, rr, lc, lr, kLuma, GreyLayoutOf(g_nAnatype));
}

PackedDib *ComposeGreyAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return GreyAnaglyph(out, left, right, rc, rr, lc, lr, kLuma, kYellowBlue);
}

PackedDib *ComposeFastAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return GreyAnaglyph(out, left, right, rc, rr, lc, lr, kFastGrey, GreyLayoutOf(g_nAnatype));
}

PackedDib *ComposeFastAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return GreyAnaglyph(out, left, right, rc, rr, lc, lr, kFastGrey, kYellowBlue);
}

PackedDib *ComposeColourAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    if (g_nAnactype == 2 || g_nAnactype == 3)
        return ComposeColourAnaglyphYellowBlue(out, left, right, rc, rr, lc, lr);
    return ColourAnaglyph<false>(out, left, right, rc, rr, lc, lr, g_nAnactype == 1);
}

PackedDib *ComposeColourAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return ColourAnaglyph<true>(out, left, right, rc, rr, lc, lr, g_nAnactype == 3);
}
