// SSE2 twin of RowLumaPortable: eight pixels at a time, with the same
// integer rule and the same double fallback for exact multiples of 1000.
#include "pipeline/luma.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <string.h>

static inline int Load32(const unsigned char *p)
{
    int v;
    memcpy(&v, p, 4);
    return v;
}

void RowLumaSse2(const unsigned char *src, int width, unsigned char *out)
{
    const __m128i byteMask = _mm_set1_epi32(0x00FF00FF);
    const __m128i blueRed = _mm_set1_epi32(114 | (299 << 16));  // words (B, R) x (114, 299)
    const __m128i green = _mm_set1_epi32(587);                   // words (G, next) x (587, 0)
    const __m128i seven = _mm_set1_epi32(7);
    const __m128i zero = _mm_setzero_si128();
    const __m128i magic = _mm_set1_epi16((short)33555);          // t / 125 = (t x 33555) >> 22 for t < 32768
    const __m128i k125 = _mm_set1_epi16(125);
    int x = 0;
    // Each pixel is read as four bytes, so stop while the eighth pixel's
    // fourth byte still belongs to the row.
    for (; x + 9 <= width; x += 8) {
        const unsigned char *p = src + 3 * x;
        __m128i v0 = _mm_setr_epi32(Load32(p), Load32(p + 3), Load32(p + 6), Load32(p + 9));
        __m128i v1 = _mm_setr_epi32(Load32(p + 12), Load32(p + 15), Load32(p + 18), Load32(p + 21));
        __m128i s0 = _mm_add_epi32(_mm_madd_epi16(_mm_and_si128(v0, byteMask), blueRed),
                                   _mm_madd_epi16(_mm_and_si128(_mm_srli_epi32(v0, 8), byteMask), green));
        __m128i s1 = _mm_add_epi32(_mm_madd_epi16(_mm_and_si128(v1, byteMask), blueRed),
                                   _mm_madd_epi16(_mm_and_si128(_mm_srli_epi32(v1, 8), byteMask), green));
        // s / 1000 = (s / 8) / 125, in 16-bit lanes.
        __m128i t = _mm_packs_epi32(_mm_srli_epi32(s0, 3), _mm_srli_epi32(s1, 3));
        __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(t, magic), 6);
        __m128i low = _mm_packs_epi32(_mm_and_si128(s0, seven), _mm_and_si128(s1, seven));
        __m128i exact = _mm_and_si128(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(t, _mm_mullo_epi16(q, k125)));
        _mm_storel_epi64((__m128i *)(out + x), _mm_packus_epi16(q, q));
        int mask = _mm_movemask_epi8(exact);
        for (int i = 0; mask; i++, mask >>= 2)
            if (mask & 1)
                out[x + i] = (unsigned char)PixelLuma(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    }
    RowLumaPortable(src + 3 * x, width - x, 3, out + x);
}

void RowFastGreySse2(const unsigned char *src, int width, unsigned char *out)
{
    const __m128i low = _mm_set1_epi32(0xFF);
    int x = 0;
    for (; x + 9 <= width; x += 8) {
        const unsigned char *p = src + 3 * x;
        __m128i v0 = _mm_setr_epi32(Load32(p), Load32(p + 3), Load32(p + 6), Load32(p + 9));
        __m128i v1 = _mm_setr_epi32(Load32(p + 12), Load32(p + 15), Load32(p + 18), Load32(p + 21));
        __m128i f0 = _mm_srli_epi32(_mm_add_epi32(_mm_and_si128(_mm_srli_epi32(v0, 8), low),
                                                  _mm_and_si128(_mm_srli_epi32(v0, 16), low)), 1);
        __m128i f1 = _mm_srli_epi32(_mm_add_epi32(_mm_and_si128(_mm_srli_epi32(v1, 8), low),
                                                  _mm_and_si128(_mm_srli_epi32(v1, 16), low)), 1);
        __m128i f = _mm_packs_epi32(f0, f1);
        _mm_storel_epi64((__m128i *)(out + x), _mm_packus_epi16(f, f));
    }
    RowFastGreyPortable(src + 3 * x, width - x, 3, out + x);
}

void BlendBytesSse2(unsigned char *out, const unsigned char *a, const unsigned char *b, int n)
{
    const __m128i half = _mm_set1_epi8(0x7F);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i va = _mm_and_si128(_mm_srli_epi16(_mm_loadu_si128((const __m128i *)(a + i)), 1), half);
        __m128i vb = _mm_and_si128(_mm_srli_epi16(_mm_loadu_si128((const __m128i *)(b + i)), 1), half);
        _mm_storeu_si128((__m128i *)(out + i), _mm_add_epi8(va, vb));
    }
    BlendBytesPortable(out + i, a + i, b + i, n - i);
}
#endif
