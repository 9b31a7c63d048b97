// Grey and colour anaglyphs of a pair. A channel taken from the left image
// goes through the left-eye gamma table, one from the right image through
// the right-eye table, whatever colour it feeds.
#include "pipeline/compose.h"

#include "pipeline/luma.h"
#include "pipeline/pair_loop.h"
#include "shell/app_state.h"

namespace {

inline int Luma(const BYTE *p) { return FastPixelLuma(p); }

inline int FastGrey(const BYTE *p) { return PixelFastGrey(p[1], p[2]); }

struct Identity {
    int operator[](int v) const { return v; }
};

struct GammaTable {
    const int *t;
    int operator[](int v) const { return t[v]; }
};

// Grey variants 0-2: red from the left eye; green and/or blue from the right.
template <class Grey, class TL, class TR>
struct GreyRedCyan {
    Grey grey;
    TL tl;
    TR tr;
    int variant;
    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        int gl = tl[grey(l)], gr = tr[grey(r)];
        o[2] = (BYTE)gl;
        o[1] = (BYTE)(variant == 2 ? 0 : gr);
        o[0] = (BYTE)(variant == 1 ? 0 : gr);
    }
};

template <class Grey, class TL, class TR>
struct GreyYellowBlue {
    Grey grey;
    TL tl;
    TR tr;
    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        int gr = tr[grey(r)];
        o[2] = o[1] = (BYTE)gr;
        o[0] = (BYTE)tl[grey(l)];
    }
};

struct LumaOf {
    int operator()(const BYTE *p) const { return Luma(p); }
};
struct FastGreyOf {
    int operator()(const BYTE *p) const { return FastGrey(p); }
};

bool GammaIsNeutral() { return g_nGmmar == 100 && g_nGmmab == 100; }

// Frames of 8 bits or fewer always go through the tables.
bool IsPaletted(const PackedDib *dib) { return dib && DibBitCount(dib) <= 15; }

int GreyVariant()
{
    return g_nAnatype >= 0 && g_nAnatype <= 2 ? g_nAnatype : 0;
}

template <class Grey>
PackedDib *GreyAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr, int variant)
{
    if (GammaIsNeutral() && !IsPaletted(left) && !IsPaletted(right))
        return RunPixelPairKernel(out, left, right, rc, rr, lc, lr,
                                  GreyRedCyan<Grey, Identity, Identity>{Grey(), Identity(), Identity(), variant});
    return RunPixelPairKernel(out, left, right, rc, rr, lc, lr,
                              GreyRedCyan<Grey, GammaTable, GammaTable>{Grey(), {g_aGammaRed}, {g_aGammaBlue}, variant});
}

template <class Grey>
PackedDib *GreyAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    if (GammaIsNeutral() && !IsPaletted(left) && !IsPaletted(right))
        return RunPixelPairKernel(out, left, right, rc, rr, lc, lr,
                                  GreyYellowBlue<Grey, Identity, Identity>{Grey(), Identity(), Identity()});
    return RunPixelPairKernel(out, left, right, rc, rr, lc, lr,
                              GreyYellowBlue<Grey, GammaTable, GammaTable>{Grey(), {g_aGammaRed}, {g_aGammaBlue}});
}

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

PackedDib *ComposeGreyAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    if (g_nAnatype == 3)
        return ComposeGreyAnaglyphYellowBlue(out, left, right, rc, rr, lc, lr);
    return GreyAnaglyph<LumaOf>(out, left, right, rc, rr, lc, lr, GreyVariant());
}

PackedDib *ComposeGreyAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return GreyAnaglyphYellowBlue<LumaOf>(out, left, right, rc, rr, lc, lr);
}

PackedDib *ComposeFastAnaglyph(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    if (g_nAnatype == 3)
        return ComposeFastAnaglyphYellowBlue(out, left, right, rc, rr, lc, lr);
    return GreyAnaglyph<FastGreyOf>(out, left, right, rc, rr, lc, lr, GreyVariant());
}

PackedDib *ComposeFastAnaglyphYellowBlue(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr)
{
    return GreyAnaglyphYellowBlue<FastGreyOf>(out, left, right, rc, rr, lc, lr);
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
