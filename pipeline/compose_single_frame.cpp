// Kernels for one frame that carries both views (side by side or one above
// the other), used by the full-screen players. The grey values are the
// fast grey (G + R) / 2 throughout.
#include "pipeline/compose.h"

#include "pipeline/pair_loop.h"

#include <string.h>

namespace {

// The two views of the frame as a pair region: the first view from
// (c2, c3), the second from (dx + c0, dy + c1), both kept inside the frame.
bool ResolveSingleFrame(const FrameView &v, int c0, int c1, int c2, int c3, int swap, int dx, int dy, PairRegion *g)
{
    int firstX = c2 > 0 ? c2 : 0, firstY = c3 > 0 ? c3 : 0;
    int secondX = dx + c0 > 0 ? dx + c0 : 0, secondY = dy + c1 > 0 ? dy + c1 : 0;
    int w = v.width - dx - c2 - c0, h = v.height - dy - c3 - c1;
    int maxX = firstX > secondX ? firstX : secondX, maxY = firstY > secondY ? firstY : secondY;
    if (w > v.width - maxX)
        w = v.width - maxX;
    if (h > v.height - maxY)
        h = v.height - maxY;
    if (w <= 0 || h <= 0)
        return false;
    g->width = w;
    g->height = h;
    g->leftX = swap ? secondX : firstX;
    g->leftY = swap ? secondY : firstY;
    g->rightX = swap ? firstX : secondX;
    g->rightY = swap ? firstY : secondY;
    return true;
}

inline int Fast(const BYTE *p) { return PixelFastGrey(p[1], p[2]); }

struct Tables {
    const int *tl, *tr;
    bool on;
    int L(int v) const { return on ? tl[v] : v; }
    int R(int v) const { return on ? tr[v] : v; }
};

struct ColourOp {
    Tables t;
    int variant;
    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        o[2] = (BYTE)t.L(variant == 1 ? Fast(l) : l[2]);
        o[1] = (BYTE)t.R(r[1]);
        o[0] = (BYTE)t.R(r[0]);
    }
};

struct ColourYellowBlueOp {
    Tables t;
    int variant;
    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        o[2] = (BYTE)t.R(r[2]);
        o[1] = (BYTE)t.R(r[1]);
        o[0] = (BYTE)t.L(variant == 3 ? Fast(l) : l[0]);
    }
};

// Makes the picture of a single frame: fill(out bits, out row bytes, the
// frame, the two views as a pair region) writes it.
template <class Fill>
PackedDib *RunSingleFrame(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy, Fill fill)
{
    FrameView v;
    if (!OpenFrameView(frame, &v))
        return nullptr;
    PairRegion g;
    PackedDib *out = nullptr;
    if (ResolveSingleFrame(v, c0, c1, c2, c3, swap, dx, dy, &g))
        out = CreateDib(g.width, g.height, 24, 0);
    if (out)
        fill(FindDibBits(out), DibRowBytes(g.width, 24), v, g);
    ReleaseFrameView(&v);
    return out;
}

template <class Op>
PackedDib *RunSingleFramePixels(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy, Op op)
{
    return RunSingleFrame(frame, c0, c1, c2, c3, swap, dx, dy,
                          [&](BYTE *bits, int rowBytes, const FrameView &v, const PairRegion &g) {
                              RunPixelRegion(bits, rowBytes, v, v, g, op);
                          });
}

Tables GreyTables(const ComposeSettings &cs)
{
    return {cs.gammaTableLeft, cs.gammaTableRight, !(cs.gammaLeft == 100 && cs.gammaRight == 100)};
}

Tables ColourTables(const ComposeSettings &cs) { return {cs.gammaTableLeft, cs.gammaTableRight, true}; }

}  // namespace

static PackedDib *SingleFrameGrey(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3, int swap,
                                  int dx, int dy, int layout)
{
    Tables t = GreyTables(cs);
    return RunSingleFrame(frame, c0, c1, c2, c3, swap, dx, dy,
                          [&](BYTE *bits, int rowBytes, const FrameView &v, const PairRegion &g) {
                              ComposeGreyRegion(bits, rowBytes, v, v, g, true, layout, t.on ? t.tl : nullptr,
                                                t.on ? t.tr : nullptr);
                          });
}

PackedDib *ComposeGreyAnaglyphSbs(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3, int swap,
                                  int dx, int dy, int variant)
{
    if (variant == 3)
        return ComposeGreySbsYellowBlue(cs, frame, c0, c1, c2, c3, swap, dx, dy, variant);
    if (variant < 0 || variant > 2)
        variant = 0;
    return SingleFrameGrey(cs, frame, c0, c1, c2, c3, swap, dx, dy, variant);
}

PackedDib *ComposeGreySbsYellowBlue(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3,
                                    int swap, int dx, int dy, int variant)
{
    return SingleFrameGrey(cs, frame, c0, c1, c2, c3, swap, dx, dy, kYellowBlue);
}

PackedDib *ComposeColourAnaglyphSbs(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3,
                                    int swap, int dx, int dy, int variant)
{
    if (variant == 2 || variant == 3)
        return ComposeColourSbsYellowBlue(cs, frame, c0, c1, c2, c3, swap, dx, dy, variant);
    return RunSingleFramePixels(frame, c0, c1, c2, c3, swap, dx, dy, ColourOp{ColourTables(cs), variant});
}

PackedDib *ComposeColourSbsYellowBlue(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3,
                                      int swap, int dx, int dy, int variant)
{
    return RunSingleFramePixels(frame, c0, c1, c2, c3, swap, dx, dy, ColourYellowBlueOp{ColourTables(cs), variant});
}

PackedDib *ComposeInterlaceSbs(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy)
{
    return RunSingleFrame(frame, c0, c1, c2, c3, swap, dx, dy,
                          [](BYTE *bits, int rowBytes, const FrameView &v, const PairRegion &g) {
                              // Even rows from the even-row view, odd rows from
                              // the other, both taken from the view's even row.
                              for (int row = 0; row < g.height; row++) {
                                  const BYTE *src = (row & 1) ? v.Pixel(g.rightX, g.rightY + row - 1)
                                                              : v.Pixel(g.leftX, g.leftY + row);
                                  CopyRowTo24(bits + (size_t)row * rowBytes, src, g.width, v.pixelBytes);
                              }
                          });
}
