// Portable inverse DCTs and the quantiser-matrix scaler.
#include "mpeg/idct.h"

#include "mpeg/video_headers.h"

#include <math.h>

namespace {

inline int Clamp256(int v) { return v < -256 ? -256 : (v > 255 ? 255 : v); }

// c[u][x] = C(u)/2 cos((2x + 1) u pi / 16). Built from eight literal
// magnitudes with exact sign flips, so the table is the same bit for bit
// whatever the C library's cosine does.
struct DctBasis {
    double c[64];
    DctBasis()
    {
        static const double kHalfCos[9] = {0.3535533905932738,  0.4903926402016152, 0.46193976625564337,
                                           0.4157348061512726,  0.3535533905932738, 0.2777851165098011,
                                           0.1913417161825449,  0.09754516100806414, 0.0};
        for (int u = 0; u < 8; u++)
            for (int x = 0; x < 8; x++) {
                int k = (2 * x + 1) * u % 32;
                double sign = 1;
                if (k > 16)
                    k = 32 - k;
                if (k > 8) {
                    k = 16 - k;
                    sign = -1;
                }
                c[u * 8 + x] = u == 0 ? kHalfCos[0] : sign * kHalfCos[k];
            }
    }
};
const DctBasis g_basis;

// 13-bit constants of the integer transform.
enum {
    FIX_0_298631336 = 2446,
    FIX_0_390180644 = 3196,
    FIX_0_541196100 = 4433,
    FIX_0_765366865 = 6270,
    FIX_0_899976223 = 7373,
    FIX_1_175875602 = 9633,
    FIX_1_501321110 = 12299,
    FIX_1_847759065 = 15137,
    FIX_1_961570560 = 16069,
    FIX_2_053119869 = 16819,
    FIX_2_562915447 = 20995,
    FIX_3_072711026 = 25172,
};

// One 8-point pass of the integer transform on in[0], in[step], ...; the
// outputs keep the 13 constant bits (the caller descales). T is the
// arithmetic's width: the row pass fits 32 bits; the column pass, whose
// inputs carry 4 extra bits, needs 64 for the largest coefficient blocks.
template <class T>
inline void Llm8(const int32_t *in, int step, T out[8])
{
    T z2 = in[2 * step], z3 = in[6 * step];
    T z1 = (z2 + z3) * FIX_0_541196100;
    T tmp2 = z1 - z3 * FIX_1_847759065;
    T tmp3 = z1 + z2 * FIX_0_765366865;
    T tmp0 = ((T)in[0] + in[4 * step]) * 8192;
    T tmp1 = ((T)in[0] - in[4 * step]) * 8192;
    T tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3, tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;

    T o0 = in[7 * step], o1 = in[5 * step], o2 = in[3 * step], o3 = in[1 * step];
    T s1 = o0 + o3, s2 = o1 + o2, s3 = o0 + o2, s4 = o1 + o3;
    T z5 = (s3 + s4) * FIX_1_175875602;
    o0 *= FIX_0_298631336;
    o1 *= FIX_2_053119869;
    o2 *= FIX_3_072711026;
    o3 *= FIX_1_501321110;
    s1 *= -FIX_0_899976223;
    s2 *= -FIX_2_562915447;
    s3 = s3 * -FIX_1_961570560 + z5;
    s4 = s4 * -FIX_0_390180644 + z5;
    o0 += s1 + s3;
    o1 += s2 + s4;
    o2 += s2 + s3;
    o3 += s1 + s4;

    out[0] = tmp10 + o3;
    out[7] = tmp10 - o3;
    out[1] = tmp11 + o2;
    out[6] = tmp11 - o2;
    out[2] = tmp12 + o1;
    out[5] = tmp12 - o1;
    out[3] = tmp13 + o0;
    out[4] = tmp13 - o0;
}

} // namespace

int QuantiserScale(int code, int q_scale_type)
{
    code &= 31;
    return q_scale_type ? kNonLinearQuantiserScale[code] : 2 * code;
}

void ScaleQuantMatrices(int16_t *dst, const int16_t *matrices, int scale)
{
    for (int i = 0; i < kQuantSetSize; i++)
        dst[i] = (int16_t)(uint16_t)((uint32_t)(uint16_t)matrices[i] * (uint32_t)scale);
}

void IdctDouble(int16_t *block)
{
    // No change of the floating-point unit's state: the arithmetic is IEEE
    // double as the build does it everywhere.
    const double *c = g_basis.c;
    double t[64];
    for (int r = 0; r < 8; r++)
        for (int x = 0; x < 8; x++) {
            double s = 0;
            for (int u = 0; u < 8; u++)
                s += block[r * 8 + u] * c[u * 8 + x];
            t[r * 8 + x] = s;
        }
    for (int x = 0; x < 8; x++)
        for (int y = 0; y < 8; y++) {
            double s = 0;
            for (int v = 0; v < 8; v++)
                s += t[v * 8 + x] * c[v * 8 + y];
            block[y * 8 + x] = (int16_t)Clamp256((int)floor(s + 0.5));
        }
}

void IdctInteger(int16_t *block)
{
    int32_t ws[64];
    for (int r = 0; r < 8; r++) {
        const int16_t *f = block + r * 8;
        int32_t *w = ws + r * 8;
        if (!(f[1] | f[2] | f[3] | f[4] | f[5] | f[6] | f[7])) {
            for (int k = 0; k < 8; k++)
                w[k] = f[0] * 16;
            continue;
        }
        int32_t in[8], out[8];
        for (int k = 0; k < 8; k++)
            in[k] = f[k];
        Llm8(in, 1, out);
        for (int k = 0; k < 8; k++)
            w[k] = (out[k] + 256) >> 9;
    }
    for (int x = 0; x < 8; x++) {
        const int32_t *w = ws + x;
        if (!(w[8] | w[16] | w[24] | w[32] | w[40] | w[48] | w[56])) {
            // Round to nearest for either sign, as the full path does.
            int16_t v = (int16_t)Clamp256((w[0] + 64) >> 7);
            for (int y = 0; y < 8; y++)
                block[y * 8 + x] = v;
            continue;
        }
        int64_t out[8];
        Llm8(w, 8, out);
        for (int y = 0; y < 8; y++) {
            int64_t v = (out[y] + (1 << 19)) >> 20;
            block[y * 8 + x] = (int16_t)(v < -256 ? -256 : (v > 255 ? 255 : v));
        }
    }
}

// Per-row constants C4, C2, C6, C1, C3, C5, C7 of the row-column transform.
const int16_t g_idctRowConst[4][7] = {
    {16384, 21407, 8867, 22725, 19266, 12873, 4520},
    {22725, 29692, 12299, 31521, 26722, 17855, 6270},
    {21407, 27969, 11585, 29692, 25172, 16819, 5906},
    {19266, 25172, 10426, 26722, 22654, 15137, 5315},
};
const int g_idctRowSet[8] = {0, 1, 2, 3, 0, 3, 2, 1};

void IdctRowColumn(int16_t *block)
{
    for (int r = 0; r < 8; r++) {
        const int16_t *k = g_idctRowConst[g_idctRowSet[r]];
        int32_t C4 = k[0], C2 = k[1], C6 = k[2], C1 = k[3], C3 = k[4], C5 = k[5], C7 = k[6];
        int16_t *x = block + r * 8;
        int32_t x0 = x[0], x1 = x[1], x2 = x[2], x3 = x[3], x4 = x[4], x5 = x[5], x6 = x[6], x7 = x[7];
        if (!(x1 | x2 | x3 | x4 | x5 | x6 | x7)) {
            // Most rows of a coded block hold at most their first value:
            // every output is then the same (b[] is zero).
            int16_t d = (int16_t)((C4 * x0 + 1024) >> 11);
            for (int i = 0; i < 8; i++)
                x[i] = d;
            continue;
        }
        int32_t a[4], b[4];
        a[0] = C4 * x0 + C2 * x2 + C4 * x4 + C6 * x6;
        a[1] = C4 * x0 + C6 * x2 - C4 * x4 - C2 * x6;
        a[2] = C4 * x0 - C6 * x2 - C4 * x4 + C2 * x6;
        a[3] = C4 * x0 - C2 * x2 + C4 * x4 - C6 * x6;
        b[0] = C1 * x1 + C3 * x3 + C5 * x5 + C7 * x7;
        b[1] = C3 * x1 - C7 * x3 - C1 * x5 - C5 * x7;
        b[2] = C5 * x1 - C1 * x3 + C7 * x5 + C3 * x7;
        b[3] = C7 * x1 - C5 * x3 + C3 * x5 - C1 * x7;
        for (int i = 0; i < 4; i++) {
            x[i] = (int16_t)((a[i] + b[i] + 1024) >> 11);
            x[7 - i] = (int16_t)((a[i] - b[i] + 1024) >> 11);
        }
    }
    const int32_t t1 = 13036, t2 = 27146, t3 = 43790, c4 = 46341;
    for (int c = 0; c < 8; c++) {
        int16_t *col = block + c;
        int32_t x0 = col[0], x1 = col[8], x2 = col[16], x3 = col[24], x4 = col[32], x5 = col[40], x6 = col[48],
                x7 = col[56];
        int32_t tp17 = x1 + ((x7 * t1) >> 16), tm17 = ((x1 * t1) >> 16) - x7;
        int32_t tp35 = x3 + ((x5 * t3) >> 16), tm35 = x5 - ((x3 * t3) >> 16);
        int32_t b0 = tp17 + tp35 + 1, b3 = tm17 + tm35;
        int32_t u = tp17 - tp35, v = tm17 - tm35 + 1;
        // (u +- v) can pass 16 bits for extreme blocks: a 64-bit product.
        int32_t b1 = (int32_t)(((int64_t)(u + v) * c4) >> 16) | 1;
        int32_t b2 = (int32_t)(((int64_t)(u - v) * c4) >> 16) | 1;
        int32_t tp04 = x0 + x4, tm04 = x0 - x4;
        int32_t tp26 = x2 + ((x6 * t2) >> 16), tm26 = ((x2 * t2) >> 16) - x6;
        int32_t a0 = tp04 + tp26, a3 = tp04 - tp26, a1 = tm04 + tm26, a2 = tm04 - tm26;
        col[0] = (int16_t)((a0 + b0 + 32) >> 6);
        col[56] = (int16_t)((a0 - b0 + 32) >> 6);
        col[8] = (int16_t)((a1 + b1 + 32) >> 6);
        col[48] = (int16_t)((a1 - b1 + 32) >> 6);
        col[16] = (int16_t)((a2 + b2 + 31) >> 6);
        col[40] = (int16_t)((a2 - b2 + 31) >> 6);
        col[24] = (int16_t)((a3 + b3 + 31) >> 6);
        col[32] = (int16_t)((a3 - b3 + 31) >> 6);
    }
}
