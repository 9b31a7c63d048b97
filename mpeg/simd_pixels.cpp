// SSE2 forms of the pixel stages: chroma upsamplers (truncating, where the
// portable forms round), the RGB24 converter in 13-bit precision
// with rounding and the quantiser-matrix scaler. The MMX forms are in
// simd_pixels_mmx.cpp.
#include "mpeg/simd.h"
#include "mpeg/rgb_coef13.h"
#include "mpeg/upsample_planes.h"

#ifdef TWR_HAVE_X86_SIMD

#include <emmintrin.h>
#include <stddef.h>
#include <string.h>

#include <algorithm>

namespace {

// ---- upsampling: o = (wa a + wb b) >> shift, truncating ----

template <int WA, int WB, int SHIFT>
inline void BlendRowSse2(const uint8_t *a, const uint8_t *b, uint8_t *o, int n)
{
    const __m128i z = _mm_setzero_si128(), wa = _mm_set1_epi16(WA), wb = _mm_set1_epi16(WB);
    int x = 0;
    for (; x + 16 <= n; x += 16) {
        __m128i va = _mm_loadu_si128((const __m128i *)(a + x)), vb = _mm_loadu_si128((const __m128i *)(b + x));
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(va, z), wa),
                                   _mm_mullo_epi16(_mm_unpacklo_epi8(vb, z), wb));
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(va, z), wa),
                                   _mm_mullo_epi16(_mm_unpackhi_epi8(vb, z), wb));
        _mm_storeu_si128((__m128i *)(o + x), _mm_packus_epi16(_mm_srli_epi16(lo, SHIFT), _mm_srli_epi16(hi, SHIFT)));
    }
    for (; x < n; x++)
        o[x] = (uint8_t)((WA * a[x] + WB * b[x]) >> SHIFT);
}

struct Sse2Blend {
    template <int WA, int WB, int S>
    static void Row(const uint8_t *a, const uint8_t *b, uint8_t *o, int n) { BlendRowSse2<WA, WB, S>(a, b, o, n); }
};

// ---- RGB24 in 13-bit precision ----


// Eight BGR0 pixels (dwords) written as 24 bytes: packed into six 32-bit
// words when the group is whole (32-bit shifts: the program is 32-bit),
// pixel by pixel for a row's last partial group.
inline void WriteBgr8(uint8_t *o, const uint32_t p[8], int n)
{
    if (n == 8) {
        uint32_t w[6] = {p[0] | p[1] << 24, p[1] >> 8 | p[2] << 16, p[2] >> 16 | p[3] << 8,
                         p[4] | p[5] << 24, p[5] >> 8 | p[6] << 16, p[6] >> 16 | p[7] << 8};
        memcpy(o, w, 24);
        return;
    }
    for (int i = 0; i < n; i++)
        memcpy(o + 3 * i, p + i, 3);
}

// Masks of Pack12.
struct Pack12Masks {
    __m128i lo24, hi24, bytes0to5, bytes6to11;
};

// Four BGR0 dwords to their twelve bytes at the start of the register
// (the rest zero), in the registers: each qword's two pixels side by side,
// then the second qword's six bytes moved up to the first's.
inline __m128i Pack12(__m128i p, const Pack12Masks &m)
{
    __m128i pairs = _mm_or_si128(_mm_and_si128(p, m.lo24), _mm_and_si128(_mm_srli_epi64(p, 8), m.hi24));
    return _mm_or_si128(_mm_and_si128(pairs, m.bytes0to5), _mm_and_si128(_mm_srli_si128(pairs, 2), m.bytes6to11));
}

void ConvertRowSse2(const uint8_t *py, const uint8_t *pu, const uint8_t *pv, uint8_t *o, int cols, const Coef13 &k)
{
    const __m128i z = _mm_setzero_si128(), off = _mm_set1_epi16(k.off), c128 = _mm_set1_epi16(128);
    const __m128i kb = _mm_set_epi16(k.ub, k.gain, k.ub, k.gain, k.ub, k.gain, k.ub, k.gain);
    const __m128i kg = _mm_set_epi16(k.ug, k.gain, k.ug, k.gain, k.ug, k.gain, k.ug, k.gain);
    const __m128i kvg = _mm_set_epi16(0, k.vg, 0, k.vg, 0, k.vg, 0, k.vg);
    const __m128i kr = _mm_set_epi16(k.vr, k.gain, k.vr, k.gain, k.vr, k.gain, k.vr, k.gain);
    const __m128i rnd = _mm_set1_epi32(4096);
    const Pack12Masks k24 = {_mm_set1_epi64x(0x0000000000FFFFFFll), _mm_set1_epi64x(0x0000FFFFFF000000ll),
                             _mm_set_epi32(0, 0, 0x0000FFFF, (int)0xFFFFFFFFu),
                             _mm_set_epi32(0, (int)0xFFFFFFFFu, (int)0xFFFF0000u, 0)};
    for (int x = 0; x < cols; x += 8) {
        int32_t cu, cv;
        memcpy(&cu, pu + x / 2, 4);
        memcpy(&cv, pv + x / 2, 4);
        __m128i y = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)(py + x)), z), off);
        __m128i u = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(cu), z), c128);
        __m128i v = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(cv), z), c128);
        u = _mm_unpacklo_epi16(u, u); // one chroma sample for two pixels
        v = _mm_unpacklo_epi16(v, v);
        __m128i yu0 = _mm_unpacklo_epi16(y, u), yu1 = _mm_unpackhi_epi16(y, u);
        __m128i yv0 = _mm_unpacklo_epi16(y, v), yv1 = _mm_unpackhi_epi16(y, v);
        __m128i v0 = _mm_unpacklo_epi16(v, z), v1 = _mm_unpackhi_epi16(v, z);
        auto fin = [&](__m128i a, __m128i b) {
            return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(a, rnd), 13), _mm_srai_epi32(_mm_add_epi32(b, rnd), 13));
        };
        __m128i B = fin(_mm_madd_epi16(yu0, kb), _mm_madd_epi16(yu1, kb));
        __m128i G = fin(_mm_add_epi32(_mm_madd_epi16(yu0, kg), _mm_madd_epi16(v0, kvg)),
                        _mm_add_epi32(_mm_madd_epi16(yu1, kg), _mm_madd_epi16(v1, kvg)));
        __m128i R = fin(_mm_madd_epi16(yv0, kr), _mm_madd_epi16(yv1, kr));
        __m128i b8 = _mm_packus_epi16(B, B), g8 = _mm_packus_epi16(G, G), r8 = _mm_packus_epi16(R, R);
        __m128i bg = _mm_unpacklo_epi8(b8, g8), r0 = _mm_unpacklo_epi8(r8, z);
        __m128i p03 = _mm_unpacklo_epi16(bg, r0), p47 = _mm_unpackhi_epi16(bg, r0); // BGR0 dwords
        if (cols - x >= 8) {
            __m128i q0 = Pack12(p03, k24), q1 = Pack12(p47, k24);
            _mm_storeu_si128((__m128i *)(o + 3 * x), _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
            _mm_storel_epi64((__m128i *)(o + 3 * x + 16), _mm_srli_si128(q1, 4));
        } else {
            alignas(16) uint32_t px[8];
            _mm_store_si128((__m128i *)px, p03);
            _mm_store_si128((__m128i *)(px + 4), p47);
            WriteBgr8(o + 3 * x, px, cols - x);
        }
    }
}

void ConvertSse2(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info)
{
    ConvertArea area = ConvertAreaOf(top, bottom, info, false);
    Coef13 k(info);
    for (int r = 0; r < area.rows; r++) {
        const FrameBuffer *src = (r & 1) ? bottom : top;
        size_t row = (size_t)r * src->width;
        uint8_t *o = out + (ptrdiff_t)r * info->pitch;
        const uint8_t *py = src->y + row, *pu = src->u + row + area.chromaOffset, *pv = src->v + row + area.chromaOffset;
        ConvertRowSse2(py, pu, pv, o, area.cols, k);
    }
    FillOutsideArea(out, info, area);
}

} // namespace

void UpsampleChromaProgressiveSse2(FrameBuffer *fb)
{
    upsample_detail::UpsampleProgressivePlane<Sse2Blend>(fb->u, fb->width, fb->height);
    upsample_detail::UpsampleProgressivePlane<Sse2Blend>(fb->v, fb->width, fb->height);
}

void UpsampleChromaInterlacedSse2(FrameBuffer *fb)
{
    upsample_detail::UpsampleInterlacedPlane<Sse2Blend>(fb->u, fb->width, fb->height);
    upsample_detail::UpsampleInterlacedPlane<Sse2Blend>(fb->v, fb->width, fb->height);
}

void ConvertRgb24Sse2(const FrameBuffer *top, const FrameBuffer *bottom, uint8_t *out, const OutputInfo *info)
{
    ConvertSse2(top, bottom, out, info);
}

void ScaleQuantMatricesSse2(int16_t *dst, const int16_t *m, int scale)
{
    const __m128i s = _mm_set1_epi16((short)scale);
    for (int i = 0; i < kQuantSetSize; i += 8)
        _mm_storeu_si128((__m128i *)(dst + i), _mm_mullo_epi16(_mm_loadu_si128((const __m128i *)(m + i)), s));
}

#endif
