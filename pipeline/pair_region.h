// The part of two eye frames that a pair kernel reads, resolved once from
// the crop origins, the trimming and the frames' real sizes, so that no
// kernel reads or writes outside a frame whatever the origins say.
#ifndef TWR_PIPELINE_PAIR_REGION_H
#define TWR_PIPELINE_PAIR_REGION_H

#include "shared/packed_dib.h"

// One frame as the kernels read it: 3 or 4 bytes a pixel.
struct FrameView {
    BYTE *bits;
    int width, height;
    int rowBytes;
    int pixelBytes;
    PackedDib *promoted;  // a 24-bit copy of a paletted frame, freed by ReleaseFrameView

    BYTE *Pixel(int x, int row) const { return bits + (size_t)row * rowBytes + (size_t)x * pixelBytes; }
};

// Takes a frame of 24 or 32 bits as it is, and copies a frame of 8 bits or
// fewer to 24 bits first. False for a frame that cannot be read (16 bits,
// unknown formats, no memory).
bool OpenFrameView(PackedDib *dib, FrameView *view);
void ReleaseFrameView(FrameView *view);

// The region read from each eye: width x height pixels from (leftX, leftY)
// in the left frame and (rightX, rightY) in the right frame, rows counted
// from the first row in memory.
struct PairRegion {
    int leftX, leftY, rightX, rightY;
    int width, height;
};

// The common region of the crop origins, narrowed by the trimming
// rectangle trim (in the common region, top-down, right and bottom
// exclusive; null for none), then limited to both frames and, when given,
// to the output's size (outWidth x outHeight; -1 for no limit).
PairRegion ResolvePairRegion(const FrameView &left, const FrameView &right, int rc, int rr, int lc, int lr,
                             const RECT *trim, int outWidth, int outHeight);
// The same from the frames' sizes alone (left width and height, right
// width and height), for code that draws the frames through GDI.
PairRegion ResolvePairRegionForSizes(int lw, int lh, int rw, int rh, int rc, int rr, int lc, int lr, const RECT *trim,
                                     int outWidth, int outHeight);

// Sets up the frames of a pair kernel over the region (trim as for
// ResolvePairRegion): false (and nothing held) when the
// output, a frame or the output's format is unusable.
struct PairKernelFrames {
    FrameView left, right;
    BYTE *outBits;
    int outRowBytes;
    PairRegion region;
};
bool BeginPairKernel(PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                     const RECT *trim, int outWidthFactor, PairKernelFrames *frames);
void EndPairKernel(PairKernelFrames *frames);

#endif
