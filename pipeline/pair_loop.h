// The loop every per-pixel pair kernel shares: for each pixel of the
// region, op(out, leftPixel, rightPixel) writes one 24-bit output pixel.
// Specialised for 3-byte frames, the usual case.
#ifndef TWR_PIPELINE_PAIR_LOOP_H
#define TWR_PIPELINE_PAIR_LOOP_H

#include "pipeline/pair_region.h"

template <int LB, int RB, class Op>
static inline void PairRowLoop(BYTE *o, const BYTE *l, const BYTE *r, int width, int lb, int rb, Op &op)
{
    const int ls = LB ? LB : lb, rs = RB ? RB : rb;
    for (int x = 0; x < width; x++) {
        op(o, l, r);
        o += 3;
        l += ls;
        r += rs;
    }
}

// Runs op over a resolved region into 24-bit output rows.
template <class Op>
static void RunPixelRegion(BYTE *outBits, int outRowBytes, const FrameView &left, const FrameView &right, const PairRegion &g, Op &op)
{
    int lb = left.pixelBytes, rb = right.pixelBytes;
    for (int k = 0; k < g.height; k++) {
        BYTE *o = outBits + (size_t)k * outRowBytes;
        const BYTE *l = left.Pixel(g.leftX, g.leftY + k);
        const BYTE *r = right.Pixel(g.rightX, g.rightY + k);
        if (lb == 3 && rb == 3)
            PairRowLoop<3, 3>(o, l, r, g.width, lb, rb, op);
        else
            PairRowLoop<0, 0>(o, l, r, g.width, lb, rb, op);
    }
}

// Runs op over the region of a pair; returns out, or null when the pair
// kernel cannot run.
template <class Op>
static PackedDib *RunPixelPairKernel(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                                     const RECT *trim, Op op)
{
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, trim, 1, &f))
        return nullptr;
    RunPixelRegion(f.outBits, f.outRowBytes, f.left, f.right, f.region, op);
    EndPairKernel(&f);
    return out;
}

// Grey anaglyph rows of a resolved region: the two eyes' lumas (or fast
// greys), through the eye tables tableLeft and tableRight when given (both
// null for none), laid out by the grey variant.
enum GreyLayout { kRedCyan = 0, kRedGreen = 1, kRedBlue = 2, kYellowBlue = 3 };
void ComposeGreyRegion(BYTE *outBits, int outRowBytes, const FrameView &left, const FrameView &right, const PairRegion &g,
                       bool fastGrey, int layout, const int *tableLeft, const int *tableRight);

// Copies width pixels of 3 or 4 bytes into 24-bit output pixels.
void CopyRowTo24(BYTE *out, const BYTE *src, int width, int pixelBytes);

#endif
