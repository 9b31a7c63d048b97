// SSE2 twins of the row routines. The luma takes eight pixels at a time,
// with the same integer rule and the same table for exact multiples of
// 1000.
#include "pipeline/luma.h"

#if defined(__SSE2__)

static inline __m128i FourSums(const unsigned char *p) { return PixelSums4(p, 114, 587, 299); }

void RowLumaSse2(const unsigned char *src, int width, unsigned char *out)
{
    const __m128i seven = _mm_set1_epi32(7);
    const __m128i zero = _mm_setzero_si128();
    const __m128i magic = _mm_set1_epi16((short)33555);  // t / 125 = (t x 33555) >> 22 for t < 32768
    const __m128i k125 = _mm_set1_epi16(125);
    const unsigned char *drops = LumaDropTable();
    int x = 0;
    // Sixteen bytes are read for the last four pixels, so stop while they
    // still belong to the row.
    for (; x + 10 <= width; x += 8) {
        const unsigned char *p = src + 3 * x;
        __m128i s0 = FourSums(p), s1 = FourSums(p + 12);
        // s / 1000 = (s / 8) / 125, in 16-bit lanes.
        __m128i t = _mm_packs_epi32(_mm_srli_epi32(s0, 3), _mm_srli_epi32(s1, 3));
        __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(t, magic), 6);
        __m128i low = _mm_packs_epi32(_mm_and_si128(s0, seven), _mm_and_si128(s1, seven));
        __m128i exact = _mm_and_si128(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(t, _mm_mullo_epi16(q, k125)));
        _mm_storel_epi64((__m128i *)(out + x), _mm_packus_epi16(q, q));
        int mask = _mm_movemask_epi8(exact);
        for (int i = 0; mask; i++, mask >>= 2)
            if (mask & 1)
                out[x + i] = (unsigned char)(out[x + i] - drops[p[3 * i] * 256 + p[3 * i + 1]]);
    }
    RowLumaPortable(src + 3 * x, width - x, 3, out + x);
}

void RowFastGreySse2(const unsigned char *src, int width, unsigned char *out)
{
    int x = 0;
    for (; x + 10 <= width; x += 8) {
        const unsigned char *p = src + 3 * x;
        __m128i f0 = _mm_srli_epi32(PixelSums4(p, 0, 1, 1), 1), f1 = _mm_srli_epi32(PixelSums4(p + 12, 0, 1, 1), 1);
        __m128i f = _mm_packs_epi32(f0, f1);
        _mm_storel_epi64((__m128i *)(out + x), _mm_packus_epi16(f, f));
    }
    RowFastGreyPortable(src + 3 * x, width - x, 3, out + x);
}

// Four pixels held as 32-bit lanes (blue, green, red, 0) written as 12
// bytes: each 64-bit half is packed to six bytes and stored with 8-byte
// writes, so two bytes past the twelfth are written too.
static inline void StoreFourPixels(unsigned char *o, __m128i d)
{
    const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i second = _mm_set_epi32(0x0000FFFF, (int)0xFF000000, 0x0000FFFF, (int)0xFF000000);
    __m128i six = _mm_or_si128(_mm_and_si128(d, first), _mm_and_si128(_mm_srli_epi64(d, 8), second));
    _mm_storel_epi64((__m128i *)o, six);
    _mm_storel_epi64((__m128i *)(o + 6), _mm_unpackhi_epi64(six, six));
}

template <int Layout>
static void GreyRowSse2As(unsigned char *o, const unsigned char *gl, const unsigned char *gr, int width)
{
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    // The stores of sixteen pixels reach two bytes into the seventeenth.
    for (; x + 17 <= width; x += 16, o += 48) {
        __m128i l = _mm_loadu_si128((const __m128i *)(gl + x)), r = _mm_loadu_si128((const __m128i *)(gr + x));
        // Low words (blue, green) and high words (red, 0) of each pixel.
        __m128i lowA, lowB, high;
        switch (Layout) {
        case 1: lowA = zero, lowB = r, high = l; break;
        case 2: lowA = r, lowB = zero, high = l; break;
        case 3: lowA = l, lowB = r, high = r; break;
        default: lowA = r, lowB = r, high = l; break;
        }
        __m128i lo0 = _mm_unpacklo_epi8(lowA, lowB), lo1 = _mm_unpackhi_epi8(lowA, lowB);
        __m128i hi0 = _mm_unpacklo_epi8(high, zero), hi1 = _mm_unpackhi_epi8(high, zero);
        StoreFourPixels(o, _mm_unpacklo_epi16(lo0, hi0));
        StoreFourPixels(o + 12, _mm_unpackhi_epi16(lo0, hi0));
        StoreFourPixels(o + 24, _mm_unpacklo_epi16(lo1, hi1));
        StoreFourPixels(o + 36, _mm_unpackhi_epi16(lo1, hi1));
    }
    GreyRowPortable(o, gl + x, gr + x, width - x, Layout);
}

void GreyRowSse2(unsigned char *out, const unsigned char *gl, const unsigned char *gr, int width, int layout)
{
    switch (layout) {
    case 1: GreyRowSse2As<1>(out, gl, gr, width); break;
    case 2: GreyRowSse2As<2>(out, gl, gr, width); break;
    case 3: GreyRowSse2As<3>(out, gl, gr, width); break;
    default: GreyRowSse2As<0>(out, gl, gr, width); break;
    }
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
