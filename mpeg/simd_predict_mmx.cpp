// The MMX prediction table (see predict_mmx.h).
#include "mpeg/simd.h"

#ifdef TWR_HAVE_X86_SIMD

#include "mpeg/predict_mmx.h"

#include <mmintrin.h>
#include <string.h>

namespace {

inline __m64 Ld(const uint8_t *p)
{
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void St(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }

} // namespace

namespace predict_mmx {

template <int W, int HX, int HY, int STORE>
void PredMmx(const uint8_t *src, uint8_t *dst, int ss, int ds, int rows)
{
    const __m64 z = _mm_setzero_si64(), one = _mm_set1_pi16(1), two = _mm_set1_pi16(2);
    for (int r = 0; r < rows; r++, src += ss, dst += ds)
        for (int h = 0; h < W; h += 8) {
            __m64 a = Ld(src + h);
            __m64 lo = _mm_unpacklo_pi8(a, z), hi = _mm_unpackhi_pi8(a, z);
            if (HX && HY) {
                __m64 b = Ld(src + h + 1), c = Ld(src + ss + h), d = Ld(src + ss + h + 1);
                lo = _mm_add_pi16(_mm_add_pi16(lo, _mm_unpacklo_pi8(b, z)),
                                  _mm_add_pi16(_mm_unpacklo_pi8(c, z), _mm_unpacklo_pi8(d, z)));
                hi = _mm_add_pi16(_mm_add_pi16(hi, _mm_unpackhi_pi8(b, z)),
                                  _mm_add_pi16(_mm_unpackhi_pi8(c, z), _mm_unpackhi_pi8(d, z)));
                lo = _mm_srli_pi16(_mm_add_pi16(lo, two), 2);
                hi = _mm_srli_pi16(_mm_add_pi16(hi, two), 2);
            } else if (HX || HY) {
                __m64 b = Ld(src + h + (HX ? 1 : ss));
                lo = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(lo, _mm_unpacklo_pi8(b, z)), one), 1);
                hi = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(hi, _mm_unpackhi_pi8(b, z)), one), 1);
            }
            if (!STORE) {
                __m64 p = Ld(dst + h);
                lo = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(lo, _mm_unpacklo_pi8(p, z)), one), 1);
                hi = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(hi, _mm_unpackhi_pi8(p, z)), one), 1);
            }
            St(dst + h, _mm_packs_pu16(lo, hi));
        }
}

// The slots the other tables take.
template void PredMmx<8, 0, 0, 1>(const uint8_t *, uint8_t *, int, int, int);
template void PredMmx<8, 1, 1, 0>(const uint8_t *, uint8_t *, int, int, int);
template void PredMmx<8, 1, 1, 1>(const uint8_t *, uint8_t *, int, int, int);
template void PredMmx<16, 0, 0, 1>(const uint8_t *, uint8_t *, int, int, int);
template void PredMmx<16, 1, 1, 0>(const uint8_t *, uint8_t *, int, int, int);
template void PredMmx<16, 1, 1, 1>(const uint8_t *, uint8_t *, int, int, int);

} // namespace predict_mmx

using predict_mmx::PredMmx;

const PredictRoutine g_predictMmx[kPredictSlots] = {
    PredMmx<8, 0, 0, 0>,  PredMmx<8, 0, 0, 1>,  PredMmx<8, 0, 1, 0>,  PredMmx<8, 0, 1, 1>,
    PredMmx<8, 1, 0, 0>,  PredMmx<8, 1, 0, 1>,  PredMmx<8, 1, 1, 0>,  PredMmx<8, 1, 1, 1>,
    PredMmx<16, 0, 0, 0>, PredMmx<16, 0, 0, 1>, PredMmx<16, 0, 1, 0>, PredMmx<16, 0, 1, 1>,
    PredMmx<16, 1, 0, 0>, PredMmx<16, 1, 0, 1>, PredMmx<16, 1, 1, 0>, PredMmx<16, 1, 1, 1>,
};

void DispatchMmx(const FrameBuffer *ref, FrameBuffer *cur, int mode, int vx, int vy, int x, int y, int store,
                 int chromaFormat)
{
    DispatchWithTable(g_predictMmx, ref, cur, mode, vx, vy, x, y, store, chromaFormat);
}

#endif
