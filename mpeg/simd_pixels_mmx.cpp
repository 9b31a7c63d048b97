// The MMX forms of the pixel stages: chroma upsamplers (truncating, where
// the portable forms round), the RGB24 converter in 13-bit precision
// with rounding, the quantiser-matrix scaler and the block put/add. This
// file is compiled without SSE2 in the 32-bit build: with SSE2 enabled, GCC keeps 64-bit vectors partly in SSE
// registers and moves them to and fro (movq2dq, trips through the stack),
// which cost several times the work itself. It holds integer code only.
#include "mpeg/rgb_coef13.h"
#include "mpeg/simd.h"
#include "mpeg/upsample_planes.h"

#ifdef TWR_HAVE_X86_SIMD

#include <mmintrin.h>
#include <stddef.h>
#include <string.h>

namespace {

inline __m64 Ld(const void *p)
{
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void St(void *p, __m64 v) { memcpy(p, &v, 8); }

// Weighted rows with 16-bit lanes; `n` samples, the tail done one by one.
template <int WA, int WB, int SHIFT>
inline void BlendRowMmx(const uint8_t *a, const uint8_t *b, uint8_t *o, int n)
{
    const __m64 z = _mm_setzero_si64(), wa = _mm_set1_pi16(WA), wb = _mm_set1_pi16(WB);
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        __m64 va = Ld(a + x), vb = Ld(b + x);
        __m64 lo = _mm_add_pi16(_mm_mullo_pi16(_mm_unpacklo_pi8(va, z), wa), _mm_mullo_pi16(_mm_unpacklo_pi8(vb, z), wb));
        __m64 hi = _mm_add_pi16(_mm_mullo_pi16(_mm_unpackhi_pi8(va, z), wa), _mm_mullo_pi16(_mm_unpackhi_pi8(vb, z), wb));
        St(o + x, _mm_packs_pu16(_mm_srli_pi16(lo, SHIFT), _mm_srli_pi16(hi, SHIFT)));
    }
    for (; x < n; x++)
        o[x] = (uint8_t)((WA * a[x] + WB * b[x]) >> SHIFT);
}

struct MmxBlend {
    template <int WA, int WB, int S>
    static void Row(const uint8_t *a, const uint8_t *b, uint8_t *o, int n) { BlendRowMmx<WA, WB, S>(a, b, o, n); }
};

// One channel of four pixels: the luma terms of pixels 0-1 and 2-3 (32-bit
// lanes) plus the chroma term of each pair, scaled down, to 16 bits.
inline __m64 Channel4(__m64 y01, __m64 y23, __m64 c)
{
    __m64 c0 = _mm_unpacklo_pi32(c, c), c1 = _mm_unpackhi_pi32(c, c);
    return _mm_packs_pi32(_mm_srai_pi32(_mm_add_pi32(y01, c0), 13), _mm_srai_pi32(_mm_add_pi32(y23, c1), 13));
}

// Eight pixels at a time. The offsets are folded into one constant per
// channel: (Y - off) g + (U - 128) k + 4096 is Y g + U k + (4096 - off g -
// 128 k), the same integers with fewer operations. Chroma terms are formed
// once per chroma sample, and the 24 output bytes are packed in the
// registers (no trip through memory).
void ConvertRowMmx(const uint8_t *py, const uint8_t *pu, const uint8_t *pv, uint8_t *o, int cols, const Coef13 &k)
{
    const __m64 z = _mm_setzero_si64();
    const __m64 kB = _mm_set_pi16(0, k.ub, 0, k.ub), kG = _mm_set_pi16(k.vg, k.ug, k.vg, k.ug);
    const __m64 kR = _mm_set_pi16(k.vr, 0, k.vr, 0), kY = _mm_set_pi16(0, k.gain, 0, k.gain);
    const int32_t base = 4096 - k.off * k.gain;
    const __m64 cB = _mm_set1_pi32(base - 128 * k.ub), cG = _mm_set1_pi32(base - 128 * (k.ug + k.vg));
    const __m64 cR = _mm_set1_pi32(base - 128 * k.vr);
    const __m64 m24 = _mm_set_pi32(0, 0x00FFFFFF), m24hi = _mm_set_pi32(0x0000FFFF, (int)0xFF000000u);
    const __m64 m8 = _mm_set_pi32(0, 0xFF), m24mid = _mm_set_pi32(0, (int)0xFFFFFF00u);
    for (int x = 0; x < cols; x += 8) {
        int32_t cu, cv;
        memcpy(&cu, pu + x / 2, 4);
        memcpy(&cv, pv + x / 2, 4);
        __m64 y8 = Ld(py + x);
        __m64 uv = _mm_unpacklo_pi8(_mm_cvtsi32_si64(cu), _mm_cvtsi32_si64(cv)); // u0 v0 u1 v1 ...
        // Pixels 0-3 (chroma samples 0 and 1), then 4-7 (2 and 3).
        __m64 c = _mm_unpacklo_pi8(uv, z), y = _mm_unpacklo_pi8(y8, z);
        __m64 y01 = _mm_madd_pi16(_mm_unpacklo_pi16(y, z), kY), y23 = _mm_madd_pi16(_mm_unpackhi_pi16(y, z), kY);
        __m64 b0 = Channel4(y01, y23, _mm_add_pi32(_mm_madd_pi16(c, kB), cB));
        __m64 g0 = Channel4(y01, y23, _mm_add_pi32(_mm_madd_pi16(c, kG), cG));
        __m64 r0 = Channel4(y01, y23, _mm_add_pi32(_mm_madd_pi16(c, kR), cR));
        c = _mm_unpackhi_pi8(uv, z);
        y = _mm_unpackhi_pi8(y8, z);
        y01 = _mm_madd_pi16(_mm_unpacklo_pi16(y, z), kY);
        y23 = _mm_madd_pi16(_mm_unpackhi_pi16(y, z), kY);
        __m64 b1 = Channel4(y01, y23, _mm_add_pi32(_mm_madd_pi16(c, kB), cB));
        __m64 g1 = Channel4(y01, y23, _mm_add_pi32(_mm_madd_pi16(c, kG), cG));
        __m64 r1 = Channel4(y01, y23, _mm_add_pi32(_mm_madd_pi16(c, kR), cR));
        __m64 B = _mm_packs_pu16(b0, b1), G = _mm_packs_pu16(g0, g1), R = _mm_packs_pu16(r0, r1);
        __m64 bgl = _mm_unpacklo_pi8(B, G), bgh = _mm_unpackhi_pi8(B, G);
        __m64 rl = _mm_unpacklo_pi8(R, z), rh = _mm_unpackhi_pi8(R, z);
        __m64 p01 = _mm_unpacklo_pi16(bgl, rl), p23 = _mm_unpackhi_pi16(bgl, rl); // BGR0 pairs
        __m64 p45 = _mm_unpacklo_pi16(bgh, rh), p67 = _mm_unpackhi_pi16(bgh, rh);
        // bytes 0-7: pixel 0, pixel 1, two bytes of pixel 2
        __m64 q0 = _mm_or_si64(_mm_or_si64(_mm_and_si64(p01, m24), _mm_and_si64(_mm_srli_si64(p01, 8), m24hi)),
                               _mm_slli_si64(p23, 48));
        // bytes 8-15: last byte of pixel 2, pixel 3, pixel 4, first byte of pixel 5
        __m64 q1 = _mm_or_si64(_mm_or_si64(_mm_and_si64(_mm_srli_si64(p23, 16), m8),
                                           _mm_and_si64(_mm_srli_si64(p23, 24), m24mid)),
                               _mm_or_si64(_mm_slli_si64(p45, 32), _mm_slli_si64(_mm_srli_si64(p45, 32), 56)));
        // bytes 16-23: last two bytes of pixel 5, pixels 6 and 7
        __m64 q2 = _mm_or_si64(_mm_or_si64(_mm_srli_si64(p45, 40), _mm_slli_si64(_mm_and_si64(p67, m24), 16)),
                               _mm_slli_si64(_mm_srli_si64(p67, 32), 40));
        if (cols - x >= 8) {
            St(o + 3 * x, q0);
            St(o + 3 * x + 8, q1);
            St(o + 3 * x + 16, q2);
        } else {
            uint8_t tmp[24];
            St(tmp, q0);
            St(tmp + 8, q1);
            St(tmp + 16, q2);
            memcpy(o + 3 * x, tmp, 3 * (size_t)(cols - x));
        }
    }
}

} // namespace

void ConvertRgb24Mmx(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info)
{
    ConvertArea area = ConvertAreaOf(top, bottom, info, false);
    Coef13 k(info);
    for (int r = 0; r < area.rows; r++) {
        const FrameBuffer *src = (r & 1) ? bottom : top;
        size_t row = (size_t)r * src->width;
        const uint8_t *py = src->y + row, *pu = src->u + row + area.chromaOffset, *pv = src->v + row + area.chromaOffset;
        ConvertRowMmx(py, pu, pv, out + (ptrdiff_t)r * info->pitch, area.cols, k);
    }
    _mm_empty();
    FillOutsideArea(out, info, area);
}

void UpsampleChromaProgressiveMmx(FrameBuffer *fb)
{
    upsample_detail::UpsampleProgressivePlane<MmxBlend>(fb->u, fb->width, fb->height);
    upsample_detail::UpsampleProgressivePlane<MmxBlend>(fb->v, fb->width, fb->height);
    _mm_empty();
}

void UpsampleChromaInterlacedMmx(FrameBuffer *fb)
{
    upsample_detail::UpsampleInterlacedPlane<MmxBlend>(fb->u, fb->width, fb->height);
    upsample_detail::UpsampleInterlacedPlane<MmxBlend>(fb->v, fb->width, fb->height);
    _mm_empty();
}

void ScaleQuantMatricesMmx(int16_t *dst, const int16_t *m, int scale)
{
    const __m64 s = _mm_set1_pi16((short)scale);
    for (int i = 0; i < kQuantSetSize; i += 4)
        St(dst + i, _mm_mullo_pi16(Ld(m + i), s));
}

void PutBlockMmx(const int16_t *block, uint8_t *dst, int pitch)
{
    for (int r = 0; r < 8; r++, block += 8, dst += pitch)
        St(dst, _mm_packs_pu16(Ld(block), Ld(block + 4)));
}

void AddBlockMmx(const int16_t *block, uint8_t *dst, int pitch)
{
    const __m64 z = _mm_setzero_si64();
    for (int r = 0; r < 8; r++, block += 8, dst += pitch) {
        __m64 p = Ld(dst);
        __m64 lo = _mm_add_pi16(_mm_unpacklo_pi8(p, z), Ld(block));
        __m64 hi = _mm_add_pi16(_mm_unpackhi_pi8(p, z), Ld(block + 4));
        St(dst, _mm_packs_pu16(lo, hi));
    }
}

#endif
