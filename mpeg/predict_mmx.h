// The MMX prediction routine, shared by the MMX table (simd_predict_mmx.cpp,
// compiled without SSE2) and the slots of the other tables that keep it.
#ifndef TWR_MPEG_PREDICT_MMX_H
#define TWR_MPEG_PREDICT_MMX_H

#include <mmintrin.h>
#include <stdint.h>
#include <string.h>

namespace {

inline __m64 LdPred(const uint8_t *p)
{
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void StPred(uint8_t *p, __m64 v) { memcpy(p, &v, 8); }

template <int W, int HX, int HY, int STORE>
void PredMmx(const uint8_t *src, uint8_t *dst, int ss, int ds, int rows)
{
    const __m64 z = _mm_setzero_si64(), one = _mm_set1_pi16(1), two = _mm_set1_pi16(2);
    for (int r = 0; r < rows; r++, src += ss, dst += ds)
        for (int h = 0; h < W; h += 8) {
            __m64 a = LdPred(src + h);
            __m64 lo = _mm_unpacklo_pi8(a, z), hi = _mm_unpackhi_pi8(a, z);
            if (HX && HY) {
                __m64 b = LdPred(src + h + 1), c = LdPred(src + ss + h), d = LdPred(src + ss + h + 1);
                lo = _mm_add_pi16(_mm_add_pi16(lo, _mm_unpacklo_pi8(b, z)),
                                  _mm_add_pi16(_mm_unpacklo_pi8(c, z), _mm_unpacklo_pi8(d, z)));
                hi = _mm_add_pi16(_mm_add_pi16(hi, _mm_unpackhi_pi8(b, z)),
                                  _mm_add_pi16(_mm_unpackhi_pi8(c, z), _mm_unpackhi_pi8(d, z)));
                lo = _mm_srli_pi16(_mm_add_pi16(lo, two), 2);
                hi = _mm_srli_pi16(_mm_add_pi16(hi, two), 2);
            } else if (HX || HY) {
                __m64 b = LdPred(src + h + (HX ? 1 : ss));
                lo = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(lo, _mm_unpacklo_pi8(b, z)), one), 1);
                hi = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(hi, _mm_unpackhi_pi8(b, z)), one), 1);
            }
            if (!STORE) {
                __m64 p = LdPred(dst + h);
                lo = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(lo, _mm_unpacklo_pi8(p, z)), one), 1);
                hi = _mm_srli_pi16(_mm_add_pi16(_mm_add_pi16(hi, _mm_unpackhi_pi8(p, z)), one), 1);
            }
            StPred(dst + h, _mm_packs_pu16(lo, hi));
        }
}

} // namespace

#endif
