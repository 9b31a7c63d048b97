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

inline int Luma(const BYTE *p) { return FastPixelLuma(p); }

struct ColourRedCyan {
    const int *tl, *tr;
    bool redFromLuma;
    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        o[2] = (BYTE)tl[redFromLuma ? Luma(l) : l[2]];
        o[1] = (BYTE)tr[r[1]];
        o[0] = (BYTE)tr[r[0]];
    }
};

struct ColourYellowBlue {
    const int *tl, *tr;
    bool blueFromLuma;
    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        o[2] = (BYTE)tr[r[2]];
        o[1] = (BYTE)tr[r[1]];
        o[0] = (BYTE)tl[blueFromLuma ? Luma(l) : l[0]];
    }
};

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
    return RunPixelPairKernel(out, left, right, rc, rr, lc, lr, ColourRedCyan{g_aGammaRed, g_aGammaBlue, g_nAnactype == 1});
}

PackedDib *ComposeColourAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return RunPixelPairKernel(out, left, right, rc, rr, lc, lr, ColourYellowBlue{g_aGammaRed, g_aGammaBlue, g_nAnactype == 3});
}
