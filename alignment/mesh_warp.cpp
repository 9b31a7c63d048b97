#include "alignment/displacement_mesh.h"
#include "state/alignment_settings.h"

#include <string.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if !defined(__SSE2__)
// t[a * 256 + b] = a * b / 255: the bilinear weights as table look-ups, so
// that every weighted sum stays within 0..255.
struct ProductTable {
    BYTE t[65536];
    ProductTable()
    {
        for (int a = 0; a < 256; a++)
            for (int b = 0; b < 256; b++)
                t[a * 256 + b] = (BYTE)(a * b / 255);
    }
};

const BYTE *Products()
{
    static const ProductTable table;
    return table.t;
}

void WarpRowBilinear(const int32_t *p, int width, BYTE *out, const BYTE *bits, int rowBytes, int srcW, int srcH,
                     const BYTE *t)
{
    for (int c = 0; c < width; c++, p += 2, out += 3) {
        const int32_t x = p[0], y = p[1];
        if (x < 0 || y < 0 || (x >> 10) >= srcW - 1 || (y >> 10) >= srcH - 1)
            continue;
        const unsigned fx = (unsigned)(x >> 2) & 255, fy = (unsigned)(y & 1023) / 4;
        const BYTE *p00 = bits + (size_t)(y >> 10) * rowBytes + (size_t)(x >> 10) * 3;
        const BYTE *p01 = p00 + rowBytes;
        const BYTE *wf = t + fx, *wr = t + (255 - fx);
        for (int k = 0; k < 3; k++) {
            const unsigned h0 = wf[p00[3 + k] << 8] + wr[p00[k] << 8];
            const unsigned h1 = wf[p01[3 + k] << 8] + wr[p01[k] << 8];
            out[k] = (BYTE)(t[h0 * 256 + 255 - fy] + t[h1 * 256 + fy]);
        }
    }
}

#else
// The same sums eight 16-bit lanes at a time: a * b / 255 (floor) equals
// ((x + 1) * 257) >> 16 with x = a * b for every a, b in 0..255 (x + 1
// fits 16 bits), so the result is the table's to the bit.
inline __m128i Div255(__m128i x)
{
    return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_set1_epi16(257));
}

// Weights of the two horizontal neighbours (three channels each) and of the
// two rows, by fraction.
struct WarpWeights {
    __m128i across[256];   // 255 - f x 3, f x 3, 0, 0
    __m128i up[256];       // 255 - f x 4, f x 4
    WarpWeights()
    {
        for (int f = 0; f < 256; f++) {
            const short r = (short)(255 - f), w = (short)f;
            across[f] = _mm_set_epi16(0, 0, w, w, w, r, r, r);
            up[f] = _mm_set_epi16(w, w, w, w, r, r, r, r);
        }
    }
};

const WarpWeights &Weights()
{
    static const WarpWeights weights;
    return weights;
}

// Two neighbouring pixels (six bytes) as 16-bit lanes. The quick load reads
// eight bytes and serves wherever two more bytes lie inside the frame.
inline __m128i LoadPair(const BYTE *p)
{
    uint32_t lo;
    uint16_t hi;
    memcpy(&lo, p, 4);
    memcpy(&hi, p + 4, 2);
    return _mm_unpacklo_epi8(_mm_insert_epi16(_mm_cvtsi32_si128((int)lo), hi, 2), _mm_setzero_si128());
}

inline __m128i LoadPairQuick(const BYTE *p)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i *)p), _mm_setzero_si128());
}

// One output pixel as blue, green, red in the low bytes; false when its
// position has no source.
struct BilinearSampler {
    const WarpWeights &wt;
    const BYTE *bits;
    const BYTE *quickLimit;
    int rowBytes, srcW, srcH;

    bool Sample(const int32_t *p, uint32_t *bgr) const
    {
        const int32_t x = p[0], y = p[1];
        if (x < 0 || y < 0 || (x >> 10) >= srcW - 1 || (y >> 10) >= srcH - 1)
            return false;
        const BYTE *p00 = bits + (size_t)(y >> 10) * rowBytes + (size_t)(x >> 10) * 3;
        const BYTE *p01 = p00 + rowBytes;
        __m128i a, b;
        if (p01 <= quickLimit) {
            a = LoadPairQuick(p00);
            b = LoadPairQuick(p01);
        } else {
            a = LoadPair(p00);
            b = LoadPair(p01);
        }
        const __m128i across = wt.across[(x >> 2) & 255];
        const __m128i row0 = Div255(_mm_mullo_epi16(a, across));
        const __m128i row1 = Div255(_mm_mullo_epi16(b, across));
        const __m128i h0 = _mm_add_epi16(row0, _mm_srli_si128(row0, 6));
        const __m128i h1 = _mm_add_epi16(row1, _mm_srli_si128(row1, 6));
        const __m128i v = Div255(_mm_mullo_epi16(_mm_unpacklo_epi64(h0, h1), wt.up[(y & 1023) / 4]));
        const __m128i sum = _mm_add_epi16(v, _mm_srli_si128(v, 8));
        *bgr = (uint32_t)_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)) & 0x00FFFFFF;
        return true;
    }
};

// The output is written four bytes at a time: the fourth is the next
// pixel's blue, which stays 0 until that pixel is written. The last pixel
// of a run takes three bytes, as what follows it may be written already.
void WarpRowBilinearSse2(const int32_t *p, int width, BYTE *out, const BYTE *bits, int rowBytes, int srcW,
                         int srcH)
{
    const BilinearSampler s = {Weights(), bits, bits + (size_t)rowBytes * srcH - 8, rowBytes, srcW, srcH};
    uint32_t bgr;
    for (int c = 0; c + 1 < width; c++, p += 2, out += 3)
        if (s.Sample(p, &bgr))
            memcpy(out, &bgr, 4);
    if (width > 0 && s.Sample(p, &bgr)) {
        out[0] = (BYTE)bgr;
        out[1] = (BYTE)(bgr >> 8);
        out[2] = (BYTE)(bgr >> 16);
    }
}
#endif

void WarpRowNearest(const int32_t *p, int width, BYTE *out, const BYTE *bits, int rowBytes, int srcW, int srcH)
{
    for (int c = 0; c < width; c++, p += 2, out += 3) {
        const int32_t sx = p[0] >> 10, sy = p[1] >> 10;
        if (sx < 0 || sy < 0 || sx >= srcW || sy >= srcH)
            continue;
        const BYTE *s = bits + (size_t)sy * rowBytes + (size_t)sx * 3;
        out[0] = s[0];
        out[1] = s[1];
        out[2] = s[2];
    }
}

} // namespace

PackedDib *WarpDibByMesh(const DisplacementMesh *mesh, const PackedDib *source)
{
    if (!mesh || !source || DibBitCount(source) != 24)
        return nullptr;
    PackedDib *out = CreateDib(mesh->width, mesh->height, 24, 1);
    if (!out)
        return nullptr;
    const int srcW = DibWidth(source), srcH = DibHeight(source);
    const int srcRowBytes = DibRowBytes(srcW, 24);
    const BYTE *bits = FindDibBits(source);
    const bool bilinear = g_bResample == 1;
#if !defined(__SSE2__)
    const BYTE *t = bilinear ? Products() : nullptr;
#endif
    // In tiles, so that the source rows a turned row runs across stay in
    // the caches while the rows below take their turn.
    const int tileRows = 16, tileColumns = 128;
    for (int r0 = 0; r0 < mesh->height; r0 += tileRows) {
        const int r1 = r0 + tileRows < mesh->height ? r0 + tileRows : mesh->height;
        for (int c0 = 0; c0 < mesh->width; c0 += tileColumns) {
            const int n = c0 + tileColumns < mesh->width ? tileColumns : mesh->width - c0;
            for (int r = r0; r < r1; r++) {
                const int32_t *p = MeshPoint(mesh, c0, r);
                BYTE *row = DibRow(out, r) + 3 * c0;
                if (bilinear)
#if defined(__SSE2__)
                    WarpRowBilinearSse2(p, n, row, bits, srcRowBytes, srcW, srcH);
#else
                    WarpRowBilinear(p, n, row, bits, srcRowBytes, srcW, srcH, t);
#endif
                else
                    WarpRowNearest(p, n, row, bits, srcRowBytes, srcW, srcH);
            }
        }
    }
    return out;
}
