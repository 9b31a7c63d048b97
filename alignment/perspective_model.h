// The lens model shared by the perspective warps, the visible region and the
// control-point fit: an image of half sizes `along` (the axis the turn moves
// points along) and `across`, turned about its centre line by an angle and
// seen through a lens whose half field of view has the fixed-point tangent
// ti (1024 = 45 degrees). The turned image's two edges come out at different
// depths; between them the half size across the image falls on a straight
// ramp, so a turned column (or row) is a straight scaling of the original.
#ifndef TWR_ALIGNMENT_PERSPECTIVE_MODEL_H
#define TWR_ALIGNMENT_PERSPECTIVE_MODEL_H

#include <stdint.h>

struct PerspectiveRamp {
    int64_t ci, si;   // trunc(1024 cos), trunc(1024 sin) of the angle
    int64_t d;        // distance of the image plane, trunc(along * 2^20 / ti)
    int64_t za, zb;   // depths of the near and the far edge
    int64_t xa, xb;   // 1024 x the edges' distances from the centre
    int64_t ya, yb;   // 1024 x the half sizes across at the two edges
    int64_t k;        // slope of the half size per position (1/1024)
    int64_t b;        // half size across at position 0 (1/1024)
};

// Fills the ramp for the angle (radians; its cosine and sine are truncated
// to 1/1024). Returns false when the turn leaves no finite picture: a half
// size of 0, a lens of tangent 0, or an edge at depth 0.
bool ComputePerspectiveRamp(int along, int across, int64_t ti, double angle, PerspectiveRamp *ramp);

// Products and quotients of the model that degenerate lenses can push past
// 64 bits saturate instead of wrapping.
int64_t MulSat64(int64_t a, int64_t b);

#endif
