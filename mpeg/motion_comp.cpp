// Motion compensation: macroblock predictor, dispatcher, portable routines.
#include "mpeg/prediction.h"

#include <algorithm>

namespace {

template <int W, int HX, int HY, int STORE>
void Predict(const uint8_t *src, uint8_t *dst, int srcStride, int dstStride, int rows)
{
    for (int r = 0; r < rows; r++, src += srcStride, dst += dstStride)
        for (int i = 0; i < W; i++) {
            int v;
            if (HX && HY)
                v = (src[i] + src[i + 1] + src[i + srcStride] + src[i + srcStride + 1] + 2) >> 2;
            else if (HX)
                v = (src[i] + src[i + 1] + 1) >> 1;
            else if (HY)
                v = (src[i] + src[i + srcStride] + 1) >> 1;
            else
                v = src[i];
            dst[i] = (uint8_t)(STORE ? v : (v + dst[i] + 1) >> 1);
        }
}

// One plane's share of a dispatcher call.
struct PlaneCall {
    const uint8_t *ref;
    uint8_t *cur;
    int pitch;  // W
    int width;  // samples per row of the plane's content
    int height; // rows of the plane's content
};

// Clamps the source so that the block and its half-sample neighbours lie
// inside the reference plane (the field in field modes): conforming
// streams never need it, damaged ones never read outside. Also refuses a
// destination block outside the plane.
void PredictPlane(const PlaneCall &p, const PredictRoutine *table, int wide, int field, int srcParity, int dstParity,
                  int col, int line, int vx, int vy, int rows, int store)
{
    int bw = wide ? 16 : 8;
    int hx = vx & 1, hy = vy & 1;
    int lines = field ? p.height / 2 : p.height;
    int stride = field ? 2 * p.pitch : p.pitch;
    if (col < 0 || line < 0 || col + bw > p.width || line + rows > lines)
        return;
    int sx = col + (vx >> 1), sy = line + (vy >> 1);
    sx = std::max(0, std::min(sx, p.width - bw - hx));
    sy = std::max(0, std::min(sy, lines - rows - hy));
    if (sx < 0 || sy < 0)
        return; // a plane smaller than the block
    size_t srow = field ? (size_t)(2 * sy + srcParity) : (size_t)sy;
    size_t drow = field ? (size_t)(2 * line + dstParity) : (size_t)line;
    const uint8_t *src = p.ref + srow * p.pitch + sx;
    uint8_t *dst = p.cur + drow * p.pitch + col;
    table[8 * wide + 4 * hx + 2 * hy + (store ? 1 : 0)](src, dst, stride, stride, rows);
}

} // namespace

const PredictRoutine g_predictPortable[kPredictSlots] = {
    Predict<8, 0, 0, 0>,  Predict<8, 0, 0, 1>,  Predict<8, 0, 1, 0>,  Predict<8, 0, 1, 1>,
    Predict<8, 1, 0, 0>,  Predict<8, 1, 0, 1>,  Predict<8, 1, 1, 0>,  Predict<8, 1, 1, 1>,
    Predict<16, 0, 0, 0>, Predict<16, 0, 0, 1>, Predict<16, 0, 1, 0>, Predict<16, 0, 1, 1>,
    Predict<16, 1, 0, 0>, Predict<16, 1, 0, 1>, Predict<16, 1, 1, 0>, Predict<16, 1, 1, 1>,
};

void DispatchWithTable(const PredictRoutine *table, const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy,
                       int x, int y, int store, int chromaFormat)
{
    if (!ref || !cur || ref->width != cur->width || ref->height != cur->height)
        return;
    int W = cur->width, H = cur->height;
    int field = mode != 0;
    int srcParity = mode >= 32 ? 1 : 0;
    int dstParity = (mode & 3) == 2 ? 1 : 0;
    // Rows of the block in its own organisation: frame rows, or field lines
    // (y is a frame row; in field modes it is even and names line y / 2).
    int line = field ? y / 2 : y;
    int rows = field ? 8 : 16;

    PlaneCall luma = {ref->y, cur->y, W, W, H};
    PredictPlane(luma, table, 1, field, srcParity, dstParity, x, line, vx, vy, rows, store);

    int cw = W, ch = H, cvx = vx, cvy = vy, ccol = x, cline = line, crows = rows, wide = 1;
    if (chromaFormat != 3) {
        cvx = vx / 2;
        cw = W / 2;
        ccol = x / 2;
        wide = 0;
        if (chromaFormat == 1) {
            cvy = vy / 2;
            ch = H / 2;
            cline = line / 2;
            crows = rows / 2;
        }
    }
    PlaneCall u = {ref->u, cur->u, W, cw, ch}, v = {ref->v, cur->v, W, cw, ch};
    PredictPlane(u, table, wide, field, srcParity, dstParity, ccol, cline, cvx, cvy, crows, store);
    PredictPlane(v, table, wide, field, srcParity, dstParity, ccol, cline, cvx, cvy, crows, store);
}

void DispatchPortable(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                      int chromaFormat)
{
    DispatchWithTable(g_predictPortable, ref, cur, mode, vx, vy, x, y, store, chromaFormat);
}

void PredictMacroblock(const FrameBuffer *fwd, const FrameBuffer *bwd, FrameBuffer *cur, const PredictionState *ps,
                       int x, int y)
{
    PredictDispatcher dispatch = ps->dispatch ? ps->dispatch : DispatchPortable;
    const int cf = ps->chromaFormat;
    const int (*v)[2][2] = ps->vectors;
    const int (*fs)[2] = ps->fieldSelect;
    bool wantForward = ps->forward || ps->pictureCodingType == kCodingP;
    bool forwardMade = false;

    if (ps->pictureStructure == kPictureFrame) {
        if (wantForward && fwd) {
            if (ps->motionType == kMotionField && ps->forward) {
                dispatch(fwd, cur, (fs[0][0] ? 32 : 16) + 1, v[0][0][0], v[0][0][1] >> 1, x, y, 1, cf);
                dispatch(fwd, cur, (fs[1][0] ? 32 : 16) + 2, v[1][0][0], v[1][0][1] >> 1, x, y, 1, cf);
            } else if (ps->motionType == kMotionDualPrime && ps->forward) {
                const int32_t *dp0 = ps->dualPrime[0], *dp1 = ps->dualPrime[1];
                dispatch(fwd, cur, 17, v[0][0][0], v[0][0][1] >> 1, x, y, 1, cf);
                dispatch(fwd, cur, 33, dp0[0], dp0[1], x, y, 0, cf);
                dispatch(fwd, cur, 34, v[1][0][0], v[1][0][1] >> 1, x, y, 1, cf);
                dispatch(fwd, cur, 18, dp1[0], dp1[1], x, y, 0, cf);
            } else {
                dispatch(fwd, cur, 0, v[0][0][0], v[0][0][1], x, y, 1, cf);
            }
            forwardMade = true;
        }
        if (ps->backward && bwd) {
            int store = forwardMade ? 0 : 1;
            if (ps->motionType == kMotionField) {
                dispatch(bwd, cur, (fs[0][1] ? 32 : 16) + 1, v[0][1][0], v[0][1][1] >> 1, x, y, store, cf);
                dispatch(bwd, cur, (fs[1][1] ? 32 : 16) + 2, v[1][1][0], v[1][1][1] >> 1, x, y, store, cf);
            } else {
                dispatch(bwd, cur, 0, v[0][1][0], v[0][1][1], x, y, store, cf);
            }
        }
        return;
    }

    // Field picture: the field's own parity d; the second field of a P
    // frame may predict from the first field of the frame itself.
    const int d = ps->pictureStructure == kPictureBottom ? 2 : 1;
    const int ownParity = d - 1;
    auto forwardRef = [&](int select) -> const FrameBuffer * {
        if (ps->pictureCodingType == kCodingP && !ps->firstField && select != ownParity)
            return cur;
        return fwd;
    };
    if (wantForward && fwd) {
        if (ps->motionType == kMotion16x8 && ps->forward) {
            dispatch(forwardRef(fs[0][0]), cur, (fs[0][0] ? 32 : 16) + d, v[0][0][0], v[0][0][1], x, y, 1, cf);
            dispatch(forwardRef(fs[1][0]), cur, (fs[1][0] ? 32 : 16) + d, v[1][0][0], v[1][0][1], x, y + 16, 1,
                     cf);
        } else if (ps->motionType == kMotionDualPrime && ps->forward) {
            const FrameBuffer *opposite = ps->firstField ? fwd : cur;
            int same = d == 1 ? 17 : 34, other = d == 1 ? 32 + d : 16 + d;
            dispatch(fwd, cur, same, v[0][0][0], v[0][0][1], x, y, 1, cf);
            dispatch(fwd, cur, same, v[0][0][0], v[0][0][1], x, y + 16, 1, cf);
            dispatch(opposite, cur, other, ps->dualPrime[0][0], ps->dualPrime[0][1], x, y, 0, cf);
            dispatch(opposite, cur, other, ps->dualPrime[0][0], ps->dualPrime[0][1], x, y + 16, 0, cf);
        } else {
            const FrameBuffer *ref = forwardRef(fs[0][0]);
            int mode = (fs[0][0] ? 32 : 16) + d;
            dispatch(ref, cur, mode, v[0][0][0], v[0][0][1], x, y, 1, cf);
            dispatch(ref, cur, mode, v[0][0][0], v[0][0][1], x, y + 16, 1, cf);
        }
        forwardMade = true;
    }
    if (ps->backward && bwd) {
        int store = forwardMade ? 0 : 1;
        if (ps->motionType == kMotionField) {
            int mode = (fs[0][1] ? 32 : 16) + d;
            dispatch(bwd, cur, mode, v[0][1][0], v[0][1][1], x, y, store, cf);
            dispatch(bwd, cur, mode, v[0][1][0], v[0][1][1], x, y + 16, store, cf);
        } else if (ps->motionType == kMotion16x8) {
            dispatch(bwd, cur, (fs[0][1] ? 32 : 16) + d, v[0][1][0], v[0][1][1], x, y, store, cf);
            dispatch(bwd, cur, (fs[1][1] ? 32 : 16) + d, v[1][1][0], v[1][1][1], x, y + 16, store, cf);
        }
    }
}
