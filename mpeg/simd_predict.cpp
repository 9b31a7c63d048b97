// Prediction routines of the MMX, MMX-extension and SSE2 tables. Every
// table gives the portable results: four-sample averages are widened to
// 16 bits, two-sample averages use pavgb, which rounds up like
// (a + b + 1) >> 1.
#include "mpeg/simd.h"

#ifdef TWR_HAVE_X86_SIMD

#include "mpeg/predict_mmx.h"

#include <emmintrin.h>
#include <mmintrin.h>
#include <string.h>
#include <xmmintrin.h>

namespace {

inline __m64 Ld(const uint8_t *p)
{
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void St(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }

// Two-sample cases only (no half_x with half_y).
template <int W, int HX, int HY, int STORE>
void PredMmxExt(const uint8_t *src, uint8_t *dst, int ss, int ds, int rows)
{
    static_assert(!(HX && HY), "four-sample averages are widened");
    for (int r = 0; r < rows; r++, src += ss, dst += ds)
        for (int h = 0; h < W; h += 8) {
            __m64 v = Ld(src + h);
            if (HX)
                v = _mm_avg_pu8(v, Ld(src + h + 1));
            if (HY)
                v = _mm_avg_pu8(v, Ld(src + ss + h));
            if (!STORE)
                v = _mm_avg_pu8(v, Ld(dst + h));
            St(dst + h, v);
        }
}

// 16 samples wide, two rows per iteration.
template <int HX, int HY, int STORE>
void PredSse2(const uint8_t *src, uint8_t *dst, int ss, int ds, int rows)
{
    const __m128i z = _mm_setzero_si128(), two = _mm_set1_epi16(2);
    auto row = [&](const uint8_t *s, uint8_t *d) {
        __m128i v = _mm_loadu_si128((const __m128i *)s);
        if (HX && HY) {
            __m128i b = _mm_loadu_si128((const __m128i *)(s + 1));
            __m128i c = _mm_loadu_si128((const __m128i *)(s + ss));
            __m128i e = _mm_loadu_si128((const __m128i *)(s + ss + 1));
            __m128i lo = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(v, z), _mm_unpacklo_epi8(b, z)),
                                       _mm_add_epi16(_mm_unpacklo_epi8(c, z), _mm_unpacklo_epi8(e, z)));
            __m128i hi = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(v, z), _mm_unpackhi_epi8(b, z)),
                                       _mm_add_epi16(_mm_unpackhi_epi8(c, z), _mm_unpackhi_epi8(e, z)));
            lo = _mm_srli_epi16(_mm_add_epi16(lo, two), 2);
            hi = _mm_srli_epi16(_mm_add_epi16(hi, two), 2);
            v = _mm_packus_epi16(lo, hi);
        } else if (HX) {
            v = _mm_avg_epu8(v, _mm_loadu_si128((const __m128i *)(s + 1)));
        } else if (HY) {
            v = _mm_avg_epu8(v, _mm_loadu_si128((const __m128i *)(s + ss)));
        }
        if (!STORE)
            v = _mm_avg_epu8(v, _mm_loadu_si128((const __m128i *)d));
        _mm_storeu_si128((__m128i *)d, v);
    };
    int r = 0;
    for (; r + 1 < rows; r += 2, src += 2 * ss, dst += 2 * ds) {
        row(src, dst);
        row(src + ss, dst + ds);
    }
    if (r < rows)
        row(src, dst);
}

} // namespace

using predict_mmx::PredMmx;

const PredictRoutine g_predictMmxExt[kPredictSlots] = {
    PredMmxExt<8, 0, 0, 0>,  PredMmx<8, 0, 0, 1>,     PredMmxExt<8, 0, 1, 0>,  PredMmxExt<8, 0, 1, 1>,
    PredMmxExt<8, 1, 0, 0>,  PredMmxExt<8, 1, 0, 1>,  PredMmx<8, 1, 1, 0>,     PredMmx<8, 1, 1, 1>,
    PredMmxExt<16, 0, 0, 0>, PredMmx<16, 0, 0, 1>,    PredMmxExt<16, 0, 1, 0>, PredMmxExt<16, 0, 1, 1>,
    PredMmxExt<16, 1, 0, 0>, PredMmxExt<16, 1, 0, 1>, PredMmx<16, 1, 1, 0>,    PredMmx<16, 1, 1, 1>,
};

const PredictRoutine g_predictSse2[kPredictSlots] = {
    PredMmxExt<8, 0, 0, 0>, PredMmx<8, 0, 0, 1>,    PredMmxExt<8, 0, 1, 0>, PredMmxExt<8, 0, 1, 1>,
    PredMmxExt<8, 1, 0, 0>, PredMmxExt<8, 1, 0, 1>, PredMmx<8, 1, 1, 0>,    PredMmx<8, 1, 1, 1>,
    PredSse2<0, 0, 0>,      PredMmx<16, 0, 0, 1>,   PredSse2<0, 1, 0>,      PredSse2<0, 1, 1>,
    PredSse2<1, 0, 0>,      PredSse2<1, 0, 1>,      PredSse2<1, 1, 0>,      PredSse2<1, 1, 1>,
};

void DispatchMmxExt(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                    int chromaFormat)
{
    DispatchWithTable(g_predictMmxExt, ref, cur, mode, vx, vy, x, y, store, chromaFormat);
}

void DispatchSse2(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                  int chromaFormat)
{
    DispatchWithTable(g_predictSse2, ref, cur, mode, vx, vy, x, y, store, chromaFormat);
}

#endif
