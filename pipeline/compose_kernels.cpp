// Row and column interlace and the 50/50 blend of a pair.
#include "pipeline/compose.h"

#include "pipeline/luma.h"
#include "pipeline/pair_loop.h"

#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Blend {
    void operator()(BYTE *o, const BYTE *l, const BYTE *r) const
    {
        o[0] = (BYTE)(l[0] / 2 + r[0] / 2);
        o[1] = (BYTE)(l[1] / 2 + r[1] / 2);
        o[2] = (BYTE)(l[2] / 2 + r[2] / 2);
    }
};

}  // namespace

void CopyRowTo24(BYTE *o, const BYTE *s, int width, int pixelBytes)
{
    if (pixelBytes == 3) {
        memcpy(o, s, (size_t)width * 3);
        return;
    }
    for (int x = 0; x < width; x++, o += 3, s += pixelBytes) {
        o[0] = s[0];
        o[1] = s[1];
        o[2] = s[2];
    }
}

PackedDib *ComposeInterlace(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                            int lc, int lr)
{
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), 1, &f))
        return nullptr;
    const PairRegion &g = f.region;
    // Each eye gives its even region rows, the left eye to the even output
    // rows; the top row of an odd height is an even row and so the left's.
    for (int row = 0; row < g.height; row += 2) {
        CopyRowTo24(f.outBits + (size_t)row * f.outRowBytes, f.left.Pixel(g.leftX, g.leftY + row), g.width, f.left.pixelBytes);
        if (row + 1 < g.height)
            CopyRowTo24(f.outBits + (size_t)(row + 1) * f.outRowBytes, f.right.Pixel(g.rightX, g.rightY + row), g.width,
                        f.right.pixelBytes);
    }
    EndPairKernel(&f);
    return out;
}

PackedDib *ComposeInterlaceScaled(const ComposeSettings &cs, PackedDib *left, PackedDib *right, int rc, int rr, int lc,
                                  int lr, int outHeight)
{
    if (!left || !right || outHeight < 2 || DibBitCount(left) != 24 || DibBitCount(right) != 24)
        return nullptr;
    // 24-bit frames are read in place: nothing to release.
    FrameView lv, rv;
    if (!OpenFrameView(left, &lv) || !OpenFrameView(right, &rv))
        return nullptr;
    PairRegion g = ResolvePairRegion(lv, rv, rc, rr, lc, lr, cs.Trim(), -1, -1);
    if (g.width <= 0 || g.height <= 0)
        return nullptr;
    PackedDib *out = CreateDib(g.width, outHeight, 24, 0);
    if (!out)
        return nullptr;
    BYTE *bits = FindDibBits(out);
    int rowBytes = DibRowBytes(g.width, 24);
    // Row pairs from region row s; an odd top row is the left's, as in the
    // unscaled interlace.
    for (int row = 0; row < outHeight; row += 2) {
        int s = (int)((long long)row * g.height / outHeight);
        memcpy(bits + (size_t)row * rowBytes, lv.Pixel(g.leftX, g.leftY + s), (size_t)g.width * 3);
        if (row + 1 < outHeight)
            memcpy(bits + (size_t)(row + 1) * rowBytes, rv.Pixel(g.rightX, g.rightY + s), (size_t)g.width * 3);
    }
    return out;
}

// A column-interlaced row of three-byte pixels: output byte j is left byte
// j in the first half of each six-byte pixel pair and right byte j - 3 in
// the second, so whole blocks are a masked merge of two shifted loads.
static void ColumnInterlaceRow24(BYTE *o, const BYTE *l, const BYTE *r, int width)
{
    int n = 3 * width, j = 0;
#if defined(__SSE2__)
    if (n >= 6) {
        memcpy(o, l, 3);
        memcpy(o + 3, r, 3);
        j = 6;
        // Blocks at 6 + 16 i start at pair phases 0, 4 and 2 bytes.
        const __m128i m0 = _mm_setr_epi8(-1, -1, -1, 0, 0, 0, -1, -1, -1, 0, 0, 0, -1, -1, -1, 0);
        const __m128i m1 = _mm_setr_epi8(0, 0, -1, -1, -1, 0, 0, 0, -1, -1, -1, 0, 0, 0, -1, -1);
        const __m128i m2 = _mm_setr_epi8(-1, 0, 0, 0, -1, -1, -1, 0, 0, 0, -1, -1, -1, 0, 0, 0);
        for (; j + 48 <= n; j += 48) {
            for (int b = 0; b < 3; b++) {
                const __m128i m = b == 0 ? m0 : b == 1 ? m1 : m2;
                __m128i lv = _mm_loadu_si128((const __m128i *)(l + j + 16 * b));
                __m128i rv = _mm_loadu_si128((const __m128i *)(r + j + 16 * b - 3));
                _mm_storeu_si128((__m128i *)(o + j + 16 * b), _mm_or_si128(_mm_and_si128(m, lv), _mm_andnot_si128(m, rv)));
            }
        }
    }
#endif
    for (; j < n; j++)
        o[j] = j % 6 < 3 ? l[j] : r[j - 3];
}

PackedDib *ComposeColumnInterlace(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                                  int rr, int lc, int lr)
{
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), 1, &f))
        return nullptr;
    const PairRegion &g = f.region;
    int lb = f.left.pixelBytes, rb = f.right.pixelBytes;
    for (int k = 0; k < g.height; k++) {
        BYTE *o = f.outBits + (size_t)k * f.outRowBytes;
        const BYTE *l = f.left.Pixel(g.leftX, g.leftY + k);
        const BYTE *r = f.right.Pixel(g.rightX, g.rightY + k);
        if (lb == 3 && rb == 3) {
            ColumnInterlaceRow24(o, l, r, g.width);
            continue;
        }
        // Columns in pairs: the left eye's even column, then the right
        // eye's even column beside it; an odd last column takes the left.
        for (int i = 0; 2 * i < g.width; i++) {
            const BYTE *lp = l + (size_t)(2 * i) * lb;
            BYTE *op = o + (size_t)(2 * i) * 3;
            op[0] = lp[0], op[1] = lp[1], op[2] = lp[2];
            if (2 * i + 1 < g.width) {
                const BYTE *rp = r + (size_t)(2 * i) * rb;
                op[3] = rp[0], op[4] = rp[1], op[5] = rp[2];
            }
        }
    }
    EndPairKernel(&f);
    return out;
}

PackedDib *ComposeBlend(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                        int lc, int lr)
{
    // Three-byte frames blend byte for byte.
    if (!left || !right || DibBitCount(left) != 24 || DibBitCount(right) != 24)
        return RunPixelPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), Blend());
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), 1, &f))
        return nullptr;
    const PairRegion &g = f.region;
    for (int k = 0; k < g.height; k++)
        BlendBytes(f.outBits + (size_t)k * f.outRowBytes, f.left.Pixel(g.leftX, g.leftY + k),
                   f.right.Pixel(g.rightX, g.rightY + k), 3 * g.width);
    EndPairKernel(&f);
    return out;
}
