// Processor forms of the inverse DCTs: the row-column transform in MMX,
// MMX extension and SSE2 (identical to the portable form while its
// intermediate values fit 16 bits), and the single-precision matrix form
// in SSE.
#include "mpeg/simd.h"

#ifdef TWR_HAVE_X86_SIMD

#include <emmintrin.h>
#include <mmintrin.h>
#include <string.h>
#include <xmmintrin.h>

namespace {

// Row coefficients of one row set, as the pmaddwd pairs the row pass
// multiplies: (x0, x4), (x2, x6), (x1, x5), (x3, x7), each for outputs
// a0..a3 / b0..b3 in turn.
struct alignas(16) RowTables {
    int16_t t[4][32];
    RowTables()
    {
        for (int s = 0; s < 4; s++) {
            const int16_t *k = g_idctRowConst[s];
            int16_t C4 = k[0], C2 = k[1], C6 = k[2], C1 = k[3], C3 = k[4], C5 = k[5], C7 = k[6];
            const int16_t v[32] = {
                C4, C4,  C4,  (int16_t)-C4, C4,  (int16_t)-C4, C4, C4,                       // x0, x4
                C2, C6,  C6,  (int16_t)-C2, (int16_t)-C6, C2, (int16_t)-C2, (int16_t)-C6,  // x2, x6
                C1, C5,  C3,  (int16_t)-C1, C5,  C7,  C7,  C3,                               // x1, x5
                C3, C7,  (int16_t)-C7, (int16_t)-C5, (int16_t)-C1, C3, (int16_t)-C5, (int16_t)-C1, // x3, x7
            };
            memcpy(t[s], v, sizeof v);
        }
    }
};
const RowTables g_rowTables;

inline __m64 Ld(const void *p)
{
    __m64 v;
    memcpy(&v, p, 8);
    return v;
}
inline void St(void *p, __m64 v) { memcpy(p, &v, 8); }

// Column pass constants as signed words; t3 and c4 exceed 32767 and are
// applied as (x (t - 65536)) >> 16 + x, which is exactly (x t) >> 16.
enum { kT1 = 13036, kT2 = 27146, kT3 = 43790 - 65536, kC4 = 46341 - 65536 };

template <class V, class Ops>
void ColumnPass(V x[8])
{
    const V one = Ops::Set1(1), r32 = Ops::Set1(32), r31 = Ops::Set1(31);
    const V t1 = Ops::Set1(kT1), t2 = Ops::Set1(kT2), t3 = Ops::Set1(kT3), c4 = Ops::Set1(kC4);
    V tp17 = Ops::Adds(x[1], Ops::MulHi(x[7], t1));
    V tm17 = Ops::Subs(Ops::MulHi(x[1], t1), x[7]);
    V tp35 = Ops::Adds(x[3], Ops::Adds(Ops::MulHi(x[5], t3), x[5]));
    V tm35 = Ops::Subs(x[5], Ops::Adds(Ops::MulHi(x[3], t3), x[3]));
    V b0 = Ops::Adds(Ops::Adds(tp17, tp35), one);
    V b3 = Ops::Adds(tm17, tm35);
    V u = Ops::Subs(tp17, tp35);
    V v = Ops::Adds(Ops::Subs(tm17, tm35), one);
    V s = Ops::Adds(u, v), d = Ops::Subs(u, v);
    V b1 = Ops::Or(Ops::Adds(Ops::MulHi(s, c4), s), one);
    V b2 = Ops::Or(Ops::Adds(Ops::MulHi(d, c4), d), one);
    V tp04 = Ops::Adds(x[0], x[4]), tm04 = Ops::Subs(x[0], x[4]);
    V tp26 = Ops::Adds(x[2], Ops::MulHi(x[6], t2));
    V tm26 = Ops::Subs(Ops::MulHi(x[2], t2), x[6]);
    V a0 = Ops::Adds(tp04, tp26), a3 = Ops::Subs(tp04, tp26);
    V a1 = Ops::Adds(tm04, tm26), a2 = Ops::Subs(tm04, tm26);
    x[0] = Ops::Sra6(Ops::Adds(Ops::Adds(a0, b0), r32));
    x[7] = Ops::Sra6(Ops::Adds(Ops::Subs(a0, b0), r32));
    x[1] = Ops::Sra6(Ops::Adds(Ops::Adds(a1, b1), r32));
    x[6] = Ops::Sra6(Ops::Adds(Ops::Subs(a1, b1), r32));
    x[2] = Ops::Sra6(Ops::Adds(Ops::Adds(a2, b2), r31));
    x[5] = Ops::Sra6(Ops::Adds(Ops::Subs(a2, b2), r31));
    x[3] = Ops::Sra6(Ops::Adds(Ops::Adds(a3, b3), r31));
    x[4] = Ops::Sra6(Ops::Adds(Ops::Subs(a3, b3), r31));
}

struct MmxOps {
    static __m64 Set1(int v) { return _mm_set1_pi16((short)v); }
    static __m64 Adds(__m64 a, __m64 b) { return _mm_adds_pi16(a, b); }
    static __m64 Subs(__m64 a, __m64 b) { return _mm_subs_pi16(a, b); }
    static __m64 MulHi(__m64 a, __m64 b) { return _mm_mulhi_pi16(a, b); }
    static __m64 Or(__m64 a, __m64 b) { return _mm_or_si64(a, b); }
    static __m64 Sra6(__m64 a) { return _mm_srai_pi16(a, 6); }
};

struct Sse2Ops {
    static __m128i Set1(int v) { return _mm_set1_epi16((short)v); }
    static __m128i Adds(__m128i a, __m128i b) { return _mm_adds_epi16(a, b); }
    static __m128i Subs(__m128i a, __m128i b) { return _mm_subs_epi16(a, b); }
    static __m128i MulHi(__m128i a, __m128i b) { return _mm_mulhi_epi16(a, b); }
    static __m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
    static __m128i Sra6(__m128i a) { return _mm_srai_epi16(a, 6); }
};

inline __m64 SwapDwordsMmx(__m64 v) { return _mm_or_si64(_mm_srli_si64(v, 32), _mm_slli_si64(v, 32)); }
inline __m64 SwapDwordsMmxExt(__m64 v) { return _mm_shuffle_pi16(v, 0x4E); }

// One row in MMX; the extension differs only in its shuffles.
template <bool kExt>
inline void RowMmx(int16_t *x, const int16_t *t)
{
    __m64 lo = Ld(x), hi = Ld(x + 4);
    __m64 u0 = _mm_unpacklo_pi16(lo, hi); // x0 x4 x1 x5
    __m64 u1 = _mm_unpackhi_pi16(lo, hi); // x2 x6 x3 x7
    __m64 e04, o15, e26, o37;
    if (kExt) {
        e04 = _mm_shuffle_pi16(u0, 0x44);
        o15 = _mm_shuffle_pi16(u0, 0xEE);
        e26 = _mm_shuffle_pi16(u1, 0x44);
        o37 = _mm_shuffle_pi16(u1, 0xEE);
    } else {
        e04 = _mm_unpacklo_pi32(u0, u0);
        o15 = _mm_unpackhi_pi32(u0, u0);
        e26 = _mm_unpacklo_pi32(u1, u1);
        o37 = _mm_unpackhi_pi32(u1, u1);
    }
    __m64 a01 = _mm_add_pi32(_mm_madd_pi16(e04, Ld(t + 0)), _mm_madd_pi16(e26, Ld(t + 8)));
    __m64 a23 = _mm_add_pi32(_mm_madd_pi16(e04, Ld(t + 4)), _mm_madd_pi16(e26, Ld(t + 12)));
    __m64 b01 = _mm_add_pi32(_mm_madd_pi16(o15, Ld(t + 16)), _mm_madd_pi16(o37, Ld(t + 24)));
    __m64 b23 = _mm_add_pi32(_mm_madd_pi16(o15, Ld(t + 20)), _mm_madd_pi16(o37, Ld(t + 28)));
    const __m64 r = _mm_set1_pi32(1024);
    __m64 p01 = _mm_srai_pi32(_mm_add_pi32(_mm_add_pi32(a01, b01), r), 11);
    __m64 p23 = _mm_srai_pi32(_mm_add_pi32(_mm_add_pi32(a23, b23), r), 11);
    __m64 m01 = _mm_srai_pi32(_mm_add_pi32(_mm_sub_pi32(a01, b01), r), 11);
    __m64 m23 = _mm_srai_pi32(_mm_add_pi32(_mm_sub_pi32(a23, b23), r), 11);
    St(x, _mm_packs_pi32(p01, p23));
    if (kExt)
        St(x + 4, _mm_packs_pi32(SwapDwordsMmxExt(m23), SwapDwordsMmxExt(m01)));
    else
        St(x + 4, _mm_packs_pi32(SwapDwordsMmx(m23), SwapDwordsMmx(m01)));
}

template <bool kExt>
void IdctMmxImpl(int16_t *block)
{
    for (int r = 0; r < 8; r++)
        RowMmx<kExt>(block + 8 * r, g_rowTables.t[g_idctRowSet[r]]);
    for (int half = 0; half < 8; half += 4) {
        __m64 x[8];
        for (int r = 0; r < 8; r++)
            x[r] = Ld(block + 8 * r + half);
        ColumnPass<__m64, MmxOps>(x);
        for (int r = 0; r < 8; r++)
            St(block + 8 * r + half, x[r]);
    }
}

// Single-precision basis rounded to six decimals.
struct alignas(16) FloatBasis {
    float c[64]; // c[u * 8 + x]
    FloatBasis()
    {
        static const float kMag[9] = {0.353553f, 0.490393f, 0.461940f, 0.415735f, 0.353553f,
                                      0.277785f, 0.191342f, 0.097545f, 0.0f};
        for (int u = 0; u < 8; u++)
            for (int x = 0; x < 8; x++) {
                int k = (2 * x + 1) * u % 32;
                float sign = 1;
                if (k > 16)
                    k = 32 - k;
                if (k > 8) {
                    k = 16 - k;
                    sign = -1;
                }
                c[u * 8 + x] = u == 0 ? kMag[0] : sign * kMag[k];
            }
    }
};
const FloatBasis g_floatBasis;

} // namespace

void IdctRowColumnMmx(int16_t *block) { IdctMmxImpl<false>(block); }
void IdctRowColumnMmxExt(int16_t *block) { IdctMmxImpl<true>(block); }

void IdctRowColumnSse2(int16_t *block)
{
    for (int r = 0; r < 8; r++) {
        const __m128i *t = (const __m128i *)g_rowTables.t[g_idctRowSet[r]];
        __m128i x = _mm_loadu_si128((const __m128i *)(block + 8 * r));
        __m128i u = _mm_unpacklo_epi16(x, _mm_srli_si128(x, 8)); // x0 x4 x1 x5 x2 x6 x3 x7
        __m128i a = _mm_add_epi32(_mm_madd_epi16(_mm_shuffle_epi32(u, 0x00), _mm_load_si128(t + 0)),
                                  _mm_madd_epi16(_mm_shuffle_epi32(u, 0xAA), _mm_load_si128(t + 1)));
        __m128i b = _mm_add_epi32(_mm_madd_epi16(_mm_shuffle_epi32(u, 0x55), _mm_load_si128(t + 2)),
                                  _mm_madd_epi16(_mm_shuffle_epi32(u, 0xFF), _mm_load_si128(t + 3)));
        const __m128i rnd = _mm_set1_epi32(1024);
        __m128i p = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(a, b), rnd), 11);
        __m128i m = _mm_srai_epi32(_mm_add_epi32(_mm_sub_epi32(a, b), rnd), 11);
        _mm_storeu_si128((__m128i *)(block + 8 * r), _mm_packs_epi32(p, _mm_shuffle_epi32(m, 0x1B)));
    }
    __m128i x[8];
    for (int r = 0; r < 8; r++)
        x[r] = _mm_loadu_si128((const __m128i *)(block + 8 * r));
    ColumnPass<__m128i, Sse2Ops>(x);
    for (int r = 0; r < 8; r++)
        _mm_storeu_si128((__m128i *)(block + 8 * r), x[r]);
}

void IdctFloatSse(int16_t *block)
{
    const float *c = g_floatBasis.c;
    alignas(16) float f[64], t[64];
    for (int i = 0; i < 64; i++)
        f[i] = (float)block[i];
    // Rows: t[r][x] = sum over u of f[r][u] c[u][x], as (s0 + s1) + (s2 + s3)
    // with s_k = f[k] c[k] + f[k + 4] c[k + 4]; four x at a time.
    for (int r = 0; r < 8; r++)
        for (int x = 0; x < 8; x += 4) {
            __m128 s[4];
            for (int k = 0; k < 4; k++)
                s[k] = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(f[r * 8 + k]), _mm_load_ps(c + k * 8 + x)),
                                  _mm_mul_ps(_mm_set1_ps(f[r * 8 + k + 4]), _mm_load_ps(c + (k + 4) * 8 + x)));
            _mm_store_ps(t + r * 8 + x, _mm_add_ps(_mm_add_ps(s[0], s[1]), _mm_add_ps(s[2], s[3])));
        }
    // Columns: out[y][x] = sum over v of t[v][x] c[v][y]; four x at a time.
    // Only SSE and the MMX extension: rounding by the current (nearest
    // even) mode, saturation by packing and word min/max.
    const __m64 lo = _mm_set1_pi16(-256), hi = _mm_set1_pi16(255);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x += 4) {
            __m128 s[4];
            for (int k = 0; k < 4; k++)
                s[k] = _mm_add_ps(_mm_mul_ps(_mm_load_ps(t + k * 8 + x), _mm_set1_ps(c[k * 8 + y])),
                                  _mm_mul_ps(_mm_load_ps(t + (k + 4) * 8 + x), _mm_set1_ps(c[(k + 4) * 8 + y])));
            __m128 sum = _mm_add_ps(_mm_add_ps(s[0], s[1]), _mm_add_ps(s[2], s[3]));
            __m64 v = _mm_packs_pi32(_mm_cvtps_pi32(sum), _mm_cvtps_pi32(_mm_movehl_ps(sum, sum)));
            St(block + 8 * y + x, _mm_min_pi16(_mm_max_pi16(v, lo), hi));
        }
}

#endif
