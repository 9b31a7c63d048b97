// The non-template parts of slice decoding: block placement, vector
// clamping and black macroblocks.
#include "mpeg/slice_decoder.h"

namespace {

inline int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

} // namespace

void ClampMotionVectors(PredictionState *ps, int x, int y, int width, int height)
{
    for (int r = 0; r < 2; r++)
        for (int s = 0; s < 2; s++)
            ps->vectors[r][s][0] = Clamp(ps->vectors[r][s][0], -2 * x, 2 * (width - x) - 32);
    for (int k = 0; k < 2; k++)
        ps->dualPrime[k][0] = Clamp(ps->dualPrime[k][0], -2 * x, 2 * (width - x) - 32);
    if (ps->pictureStructure == kPictureFrame) {
        for (int r = 0; r < 2; r++)
            for (int s = 0; s < 2; s++)
                ps->vectors[r][s][1] = Clamp(ps->vectors[r][s][1], -2 * y, 2 * (height - y) - 32);
        for (int k = 0; k < 2; k++)
            ps->dualPrime[k][1] = Clamp(ps->dualPrime[k][1], -y, height - y - 16);
        return;
    }
    // Field picture: field lines, the macroblock's 16 from line y / 2; the
    // halves of a 16x8 prediction each within their own 8 lines.
    int yf = y / 2, hf = height / 2;
    for (int s = 0; s < 2; s++) {
        if (ps->motionType == kMotion16x8) {
            ps->vectors[0][s][1] = Clamp(ps->vectors[0][s][1], -2 * yf, 2 * (hf - yf) - 16);
            ps->vectors[1][s][1] = Clamp(ps->vectors[1][s][1], -2 * (yf + 8), 2 * (hf - yf) - 32);
        } else {
            for (int r = 0; r < 2; r++)
                ps->vectors[r][s][1] = Clamp(ps->vectors[r][s][1], -2 * yf, 2 * (hf - yf) - 32);
        }
    }
    for (int k = 0; k < 2; k++)
        ps->dualPrime[k][1] = Clamp(ps->dualPrime[k][1], -2 * yf, 2 * (hf - yf) - 32);
}

void FillMacroblockBlack(FrameBuffer *cur, int chromaFormat, int structure, int x, int y)
{
    const int W = cur->width, H = cur->height;
    const bool field = structure != kPictureFrame;
    const int parity = structure == kPictureBottom ? 1 : 0;
    auto fill = [&](uint8_t *plane, int col, int row0, int w, int rows, int value) {
        for (int k = 0; k < rows; k++) {
            int row = field ? row0 + parity + 2 * k : row0 + k;
            if (row < 0 || row >= H || col + w > W)
                return;
            memset(plane + (size_t)row * W + col, value, (size_t)w);
        }
    };
    fill(cur->y, x, y, 16, 16, 16);
    int cw = chromaFormat == 3 ? 16 : 8, cx = chromaFormat == 3 ? x : x / 2;
    int cy = chromaFormat == 1 ? y / 2 : y, ch = chromaFormat == 1 ? 8 : 16;
    fill(cur->u, cx, cy, cw, ch, 128);
    fill(cur->v, cx, cy, cw, ch, 128);
}

void WriteBlock(const DecoderState *st, const int16_t *block, FrameBuffer *cur, int x, int y, int b)
{
    const int W = cur->width, cf = st->chromaFormat, structure = st->pictureStructure;
    const bool frame = structure == kPictureFrame;
    const int parity = structure == kPictureBottom ? 1 : 0;
    uint8_t *plane;
    int xs = 0, ys = 0, xoff, yoff, step;
    bool lower;
    if (b < 4) {
        plane = cur->y;
        xoff = (b & 1) * 8;
        lower = b >= 2;
    } else {
        plane = (b & 1) ? cur->v : cur->u;
        xs = cf == 3 ? 0 : 1;
        ys = cf == 1 ? 1 : 0;
        xoff = b >= 8 ? 8 : 0;
        lower = b == 6 || b == 7 || b == 10 || b == 11;
    }
    if (!frame) {
        yoff = (lower ? 16 : 0) + parity;
        step = 2;
    } else if (st->dctType && (b < 4 || cf != 1)) {
        yoff = lower ? 1 : 0;
        step = 2;
    } else {
        yoff = lower ? 8 : 0;
        step = 1;
    }
    int row = (y >> ys) + yoff, col = (x >> xs) + xoff;
    if (row < 0 || col < 0 || row + 7 * step >= cur->height || col + 8 > W)
        return;
    st->putAdd[st->mbIntra ? 1 : 0](block, plane + (size_t)row * W + col, step * W);
}
