// Chroma-key composite: the left image with the parts near the key colour
// (by hue and saturation on a 0-100 scale) replaced by the right image,
// with a soft edge between an inner and an outer window.
#include "pipeline/compose.h"

#include "pipeline/luma.h"
#include "pipeline/pair_loop.h"

#include <math.h>
#include <stdlib.h>
#include <vector>

namespace {

const double kDegreesPerRadian = 57.324840764331206;  // 180 / 3.14

struct HueSat {
    int cr, cb;
};

// Both colour differences lie in -100..100, so the hue of every pixel is
// looked up in a table of the same truncated atan2 values.
short g_hueTable[201 * 201];
bool g_hueTableBuilt = false;

int Hue(int cr, int cb)
{
    return (int)(atan2((double)cr, (double)cb) * kDegreesPerRadian);
}

void BuildHueTable()
{
    if (g_hueTableBuilt)
        return;
    for (int cr = -100; cr <= 100; cr++)
        for (int cb = -100; cb <= 100; cb++)
            g_hueTable[(cr + 100) * 201 + (cb + 100)] = (short)Hue(cr, cb);
    g_hueTableBuilt = true;
}

HueSat ColourDifference(int r, int g, int b)
{
    int y = (59 * g + 11 * b + 30 * r) / 255;
    return {r * 100 / 255 - y, b * 100 / 255 - y};
}

// The picture of a pixel depends on its colour differences alone, except
// for the final mix: every pixel becomes (right x w + left x (255 - w)) /
// 255, with w 0 outside both windows (the left pixel), 255 inside the inner
// one (the right pixel) and the soft-edge weight between. So w is worked
// out once per (Cr, Cb) of a key and tolerance and looked up per pixel.
enum { kDiffSpan = 201, kDiffEntries = kDiffSpan * kDiffSpan };

inline int DiffIndex(int r, int g, int b)
{
    HueSat c = ColourDifference(r, g, b);
    return (c.cr + 100) * kDiffSpan + (c.cb + 100);
}

struct ChromaKeyWindows {
    int t;
    bool shifted;
    int innerHueLo, innerHueHi, outerHueLo, outerHueHi;
    int innerSatLo, innerSatHi, outerSatLo, outerSatHi;

    int Weight(HueSat c) const
    {
        if (c.cb == 0)
            c.cb = 1;
        int r2 = c.cb * c.cb + c.cr * c.cr;
        int p = g_hueTable[(c.cr + 100) * 201 + (c.cb + 100)];
        if (shifted) {
            if (p > 90)
                p -= 360;
            p += 360;
        } else if (p < -90) {
            p += 360;
        }
        if (innerSatLo * innerSatLo < r2 && r2 < innerSatHi * innerSatHi && innerHueLo < p && p < innerHueHi)
            return 255;
        if (outerSatLo * outerSatLo < r2 && r2 < outerSatHi * outerSatHi && outerHueLo < p && p < outerHueHi) {
            int u = abs(p - outerHueLo) < abs(p - outerHueHi) ? abs(p - outerHueLo) : abs(p - outerHueHi);
            int a = (int)(u * 255 / (t * 0.5));
            int q = (int)sqrt((double)r2);
            int v = abs(q - outerSatLo) < abs(q - outerSatHi) ? abs(q - outerSatLo) : abs(q - outerSatHi);
            int b = (int)(v * 255 / (t * 0.5));
            int w = a < b ? a : b;
            return w > 255 ? 255 : w;
        }
        return 0;
    }
};

ChromaKeyWindows WindowsOf(COLORREF key, int t)
{
    ChromaKeyWindows op;
    op.t = t;
    HueSat k = ColourDifference(GetRValue(key), GetGValue(key), GetBValue(key));
    int h = Hue(k.cr, k.cb);
    int s = (int)sqrt((double)(k.cb * k.cb + k.cr * k.cr));

    op.innerHueLo = h - t;
    op.innerHueHi = h + t;
    op.innerSatLo = s - t > 0 ? s - t : 0;
    op.innerSatHi = s + t;
    op.outerHueLo = (int)(h - 1.5 * t);
    op.outerHueHi = (int)(h + 1.5 * t);
    op.outerSatLo = (int)(s - 1.5 * t);
    if (op.outerSatLo < 0)
        op.outerSatLo = 0;
    op.outerSatHi = (int)(s + 1.5 * t);

    op.shifted = op.outerHueLo < 0;
    if (op.shifted) {
        op.innerHueLo += 360;
        op.innerHueHi += 360;
        op.outerHueLo += 360;
        op.outerHueHi += 360;
    }
    return op;
}

// The weights of the last key and tolerance, kept for the next frame.
struct WeightTable {
    bool built;
    COLORREF key;
    int tolerance;
    unsigned char w[kDiffEntries];
};
WeightTable g_weights;

const unsigned char *WeightsFor(COLORREF key, int t)
{
    BuildHueTable();
    if (!g_weights.built || g_weights.key != key || g_weights.tolerance != t) {
        ChromaKeyWindows op = WindowsOf(key, t);
        for (int cr = -100; cr <= 100; cr++)
            for (int cb = -100; cb <= 100; cb++)
                g_weights.w[(cr + 100) * kDiffSpan + (cb + 100)] = (unsigned char)op.Weight({cr, cb});
        g_weights.key = key;
        g_weights.tolerance = t;
        g_weights.built = true;
    }
    return g_weights.w;
}

inline BYTE Mix(int r, int l, int w) { return (BYTE)((r * w + l * (255 - w)) / 255); }

void KeyRowAnyPixels(BYTE *o, const BYTE *l, const BYTE *r, int width, int lb, int rb, const unsigned char *W)
{
    for (int x = 0; x < width; x++, o += 3, l += lb, r += rb) {
        int w = W[DiffIndex(l[2], l[1], l[0])];
        o[0] = Mix(r[0], l[0], w), o[1] = Mix(r[1], l[1], w), o[2] = Mix(r[2], l[2], w);
    }
}

#if defined(__SSE2__)
// Three-byte rows: the difference indices of eight pixels at a time (every
// quotient by 255 of a value below 65536 is (v x 32897) >> 23), the weights
// looked up, spread to the three channels and mixed sixteen bytes at a
// time in 16-bit lanes.
struct KeyRowBuffers {
    std::vector<unsigned char> w, w3;
    explicit KeyRowBuffers(int width) : w((size_t)width + 16), w3((size_t)width * 3 + 16) {}
};

void KeyRow24(BYTE *o, const BYTE *l, const BYTE *r, int width, const unsigned char *W, KeyRowBuffers &b)
{
    const __m128i by255 = _mm_set1_epi16((short)32897);
    const __m128i hundred = _mm_set1_epi16(100), span = _mm_set1_epi16(kDiffSpan);
    unsigned char *w = b.w.data();
    int x = 0;
    for (; x + 10 <= width; x += 8) {
        const BYTE *p = l + 3 * x;
        __m128i y = _mm_packs_epi32(PixelSums4(p, 11, 59, 30), PixelSums4(p + 12, 11, 59, 30));
        __m128i rs = _mm_packs_epi32(PixelSums4(p, 0, 0, 100), PixelSums4(p + 12, 0, 0, 100));
        __m128i bs = _mm_packs_epi32(PixelSums4(p, 100, 0, 0), PixelSums4(p + 12, 100, 0, 0));
        y = _mm_srli_epi16(_mm_mulhi_epu16(y, by255), 7);
        __m128i cr = _mm_sub_epi16(_mm_srli_epi16(_mm_mulhi_epu16(rs, by255), 7), y);
        __m128i cb = _mm_sub_epi16(_mm_srli_epi16(_mm_mulhi_epu16(bs, by255), 7), y);
        __m128i index = _mm_add_epi16(_mm_mullo_epi16(_mm_add_epi16(cr, hundred), span), _mm_add_epi16(cb, hundred));
        unsigned short at[8];
        _mm_storeu_si128((__m128i *)at, index);
        for (int i = 0; i < 8; i++)
            w[x + i] = W[at[i]];
    }
    for (; x < width; x++)
        w[x] = W[DiffIndex(l[3 * x + 2], l[3 * x + 1], l[3 * x])];
    GreyRow(b.w3.data(), w, w, width, 0);  // w in all three channels

    const unsigned char *w3 = b.w3.data();
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255);
    int n = 3 * width, j = 0;
    for (; j + 16 <= n; j += 16) {
        __m128i lv = _mm_loadu_si128((const __m128i *)(l + j)), rv = _mm_loadu_si128((const __m128i *)(r + j));
        __m128i wv = _mm_loadu_si128((const __m128i *)(w3 + j));
        __m128i half[2];
        for (int h = 0; h < 2; h++) {
            __m128i lw = h ? _mm_unpackhi_epi8(lv, zero) : _mm_unpacklo_epi8(lv, zero);
            __m128i rw = h ? _mm_unpackhi_epi8(rv, zero) : _mm_unpacklo_epi8(rv, zero);
            __m128i ww = h ? _mm_unpackhi_epi8(wv, zero) : _mm_unpacklo_epi8(wv, zero);
            __m128i sum = _mm_add_epi16(_mm_mullo_epi16(rw, ww), _mm_mullo_epi16(lw, _mm_sub_epi16(full, ww)));
            half[h] = _mm_srli_epi16(_mm_mulhi_epu16(sum, by255), 7);
        }
        _mm_storeu_si128((__m128i *)(o + j), _mm_packus_epi16(half[0], half[1]));
    }
    for (; j < n; j++)
        o[j] = Mix(r[j], l[j], w3[j]);
}
#endif

}  // namespace

PackedDib *ComposeChromaKey(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                            int lc, int lr)
{
    PairKernelFrames f;
    if (!BeginPairKernel(out, left, right, rc, rr, lc, lr, cs.Trim(), 1, &f))
        return nullptr;
    const unsigned char *W = WeightsFor(cs.chromaKey, cs.chromaTolerance);
    const PairRegion &g = f.region;
    int lb = f.left.pixelBytes, rb = f.right.pixelBytes;
#if defined(__SSE2__)
    KeyRowBuffers buffers(g.width);
#endif
    for (int k = 0; k < g.height; k++) {
        BYTE *o = f.outBits + (size_t)k * f.outRowBytes;
        const BYTE *l = f.left.Pixel(g.leftX, g.leftY + k);
        const BYTE *r = f.right.Pixel(g.rightX, g.rightY + k);
#if defined(__SSE2__)
        if (lb == 3 && rb == 3) {
            KeyRow24(o, l, r, g.width, W, buffers);
            continue;
        }
#endif
        KeyRowAnyPixels(o, l, r, g.width, lb, rb, W);
    }
    EndPairKernel(&f);
    return out;
}
