// Luma of 24-bit pixels as the anaglyphs use it: trunc((0.114 B +
// 0.587 G) + 0.299 R) in double precision, computed in integers. The exact
// value is s / 1000 with s = 114 B + 587 G + 299 R, and the double
// evaluation errs by far less than 0.001, so only sums that are whole
// multiples of 1000 can truncate differently: there the double result is
// s / 1000 or one below. As 299 is invertible modulo 1000, a blue and
// green byte leave at most one red byte that makes s such a multiple, so
// which of the two it is can be kept per (blue, green).
#ifndef TWR_PIPELINE_LUMA_H
#define TWR_PIPELINE_LUMA_H

#include "pipeline/compose.h"

#if defined(__SSE2__)
#include <emmintrin.h>

// wb B + wg G + wr R of the four three-byte pixels in the first 12 bytes
// at p (16 bytes are read), as 32-bit lanes; weights below 32768. Each
// 64-bit half is given two pixels in its bytes 0-5: B0 G0 R0 B1 G1 R1. Its
// even bytes as words are B0 R0 G1 -, and the even bytes of the half moved
// up one byte are - G0 B1 R1; pairs of words summed by madd then never mix
// the two pixels.
inline __m128i PixelSums4(const unsigned char *p, short wb, short wg, short wr)
{
    const __m128i evenBytes = _mm_set1_epi16(0x00FF);
    __m128i x = _mm_loadu_si128((const __m128i *)p);
    __m128i v = _mm_unpacklo_epi64(x, _mm_srli_si128(x, 6));
    __m128i a = _mm_madd_epi16(_mm_and_si128(v, evenBytes), _mm_setr_epi16(wb, wr, wg, 0, wb, wr, wg, 0));
    __m128i b = _mm_madd_epi16(_mm_and_si128(_mm_slli_epi64(v, 8), evenBytes), _mm_setr_epi16(0, wg, wb, wr, 0, wg, wb, wr));
    return _mm_add_epi32(a, b);
}
#endif

// 65536 entries, index blue x 256 + green: 1 where the double formula
// gives s / 1000 - 1 for the red byte that makes s a multiple of 1000.
const unsigned char *LumaDropTable();

inline int FastPixelLuma(const unsigned char *bgr)
{
    unsigned s = 114u * bgr[0] + 587u * bgr[1] + 299u * bgr[2];
    unsigned q = s / 1000;
    if (s == q * 1000)
        return (int)q - LumaDropTable()[bgr[0] * 256 + bgr[1]];
    return (int)q;
}

// Lumas and fast greys (G + R) / 2 of a row of width pixels of 3 or 4 bytes.
void RowLuma(const unsigned char *src, int width, int pixelBytes, unsigned char *out);
void RowFastGrey(const unsigned char *src, int width, int pixelBytes, unsigned char *out);

// The portable routines and their SSE2 twins (three-byte pixels only),
// which must give the same bytes.
void RowLumaPortable(const unsigned char *src, int width, int pixelBytes, unsigned char *out);
void RowLumaSse2(const unsigned char *src, int width, unsigned char *out);
void RowFastGreyPortable(const unsigned char *src, int width, int pixelBytes, unsigned char *out);
void RowFastGreySse2(const unsigned char *src, int width, unsigned char *out);

// One grey anaglyph row of width 24-bit pixels from the two eyes' greys,
// laid out by variant (0 red-cyan, 1 red-green, 2 red-blue, 3 yellow-blue).
void GreyRow(unsigned char *out, const unsigned char *gl, const unsigned char *gr, int width, int layout);
void GreyRowPortable(unsigned char *out, const unsigned char *gl, const unsigned char *gr, int width, int layout);
void GreyRowSse2(unsigned char *out, const unsigned char *gl, const unsigned char *gr, int width, int layout);

// Bytewise (a / 2) + (b / 2): the blend of two rows of three-byte pixels.
void BlendBytes(unsigned char *out, const unsigned char *a, const unsigned char *b, int n);
void BlendBytesPortable(unsigned char *out, const unsigned char *a, const unsigned char *b, int n);
void BlendBytesSse2(unsigned char *out, const unsigned char *a, const unsigned char *b, int n);

#endif
