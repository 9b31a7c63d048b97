// The pair kernels against plain per-pixel models of their pictures, on
// random frames of awkward widths, 24 and 32 bits, with shifted crops: every
// byte of the region must agree, whatever road a kernel takes inside.
#include "pipeline/compose.h"
#include "shared/global_memory.h"
#include "tests/pipeline/kernel_settings.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>

#include <math.h>
#include <algorithm>
#include <stdlib.h>
#include <string.h>
#include <functional>
#include <vector>

namespace {

using KernelFn = PackedDib *(*)(const ComposeSettings &, PackedDib *, PackedDib *, PackedDib *, int, int, int, int);
// One output pixel (blue, green, red) from the left and right pixels.
using PixelModel = std::function<Bgr(Bgr l, Bgr r)>;

int Luma(Bgr p) { return (int)((0.114 * p.b + 0.587 * p.g) + 0.299 * p.r); }

struct Rng {
    unsigned s;
    unsigned Next() { return (s = s * 1103515245u + 12345u) >> 8; }
};

// Random colours mixed with runs of greys and of one repeated colour, the
// content where exact luma sums and equal neighbours show up.
Bgr RandomPixel(Rng &rng, int x)
{
    unsigned v = rng.Next();
    switch ((x / 8 + (v >> 20)) % 4) {
    case 0: {
        int g = v & 255;
        return {g, g, g};
    }
    case 1: return {(int)(v & 255), (int)((v >> 8) & 255), (int)((v >> 16) & 255)};
    case 2: return {255, 255, 255};
    default: return {(int)(v & 255), (int)(x * 37 & 255), (int)((v >> 5) & 255)};
    }
}

struct Shape {
    int width, height, bits, rc, rr, lc, lr;
};

const Shape kShapes[] = {
    {1, 1, 24, 0, 0, 0, 0},   {2, 3, 24, 0, 0, 0, 0},   {7, 2, 24, 1, 0, 0, 1},   {17, 3, 24, 0, 1, 3, 0},
    {33, 2, 32, 2, 0, 0, 0},  {64, 3, 24, 0, 0, 5, 0},  {67, 4, 24, 3, 1, 0, 0},  {96, 2, 24, 0, 0, 0, 0},
    {131, 3, 32, 4, 0, 1, 1}, {200, 2, 24, 16, 0, 0, 0}, {257, 2, 24, 0, 0, 8, 1},
};

class ReferenceTest : public KernelTest {
protected:
    // Runs the kernel on random frames of every shape and compares each
    // region pixel with the model; widthFactor 2 for the two-panel kernel,
    // whose model gives the second panel through panel2.
    void Check(KernelFn kernel, const PixelModel &model, const PixelModel &panel2 = nullptr)
    {
        Rng rng{777};
        for (const Shape &s : kShapes) {
            SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " at " << s.bits);
            DibPtr l = MakeFrame(s.width, s.height, [&](int x, int) { return RandomPixel(rng, x); }, s.bits);
            DibPtr r = MakeFrame(s.width, s.height, [&](int x, int) { return RandomPixel(rng, x); }, s.bits);
            int wr = s.width - s.lc - s.rc, hr = s.height - s.lr - s.rr;
            int factor = panel2 ? 2 : 1;
            DibPtr out(CreateDib(wr * factor, hr, 24, 1));
            ASSERT_EQ(kernel(cs, out.get(), l.get(), r.get(), s.rc, s.rr, s.lc, s.lr), out.get());
            int bad = 0;
            for (int k = 0; k < hr; k++)
                for (int x = 0; x < wr; x++) {
                    Bgr lp = PixelAt(l.get(), s.lc + x, s.lr + k), rp = PixelAt(r.get(), s.rc + x, s.rr + k);
                    Bgr expect = model(lp, rp), got = PixelAt(out.get(), x, k);
                    if (got != expect && bad++ < 3)
                        ADD_FAILURE() << "pixel " << x << ", row " << k << ": " << got << " not " << expect;
                    if (panel2) {
                        Bgr expect2 = panel2(lp, rp), got2 = PixelAt(out.get(), wr + x, k);
                        if (got2 != expect2 && bad++ < 3)
                            ADD_FAILURE() << "back pixel " << x << ", row " << k << ": " << got2 << " not " << expect2;
                    }
                }
            EXPECT_EQ(bad, 0);
        }
    }
};

// Grey anaglyph channels by variant from the two greys (already through
// the tables when they apply).
Bgr GreyLayout(int variant, int l, int r)
{
    switch (variant) {
    case 1: return {0, r, l};
    case 2: return {r, 0, l};
    case 3: return {l, r, r};
    default: return {r, r, l};
    }
}

TEST_F(ReferenceTest, GreyAnaglyphsEveryVariantAndGamma)
{
    for (int gammas : {0, 1}) {
        if (gammas)
            SetGammas(80, 135);
        const int *TL = cs.gammaTableLeft, *TR = cs.gammaTableRight;
        for (int variant = 0; variant < 4; variant++) {
            SCOPED_TRACE(testing::Message() << "variant " << variant << (gammas ? ", gamma tables" : ""));
            cs.greyVariant = variant;
            Check(ComposeGreyAnaglyph, [&](Bgr l, Bgr r) {
                int a = Luma(l), b = Luma(r);
                return gammas ? GreyLayout(variant, TL[a], TR[b]) : GreyLayout(variant, a, b);
            });
            Check(ComposeFastAnaglyph, [&](Bgr l, Bgr r) {
                int a = (l.g + l.r) / 2, b = (r.g + r.r) / 2;
                return gammas ? GreyLayout(variant, TL[a], TR[b]) : GreyLayout(variant, a, b);
            });
        }
    }
}

TEST_F(ReferenceTest, ColourAnaglyphsEveryVariantAndGamma)
{
    for (int gammas : {100, 170}) {
        SetGammas(gammas, 100);
        const int *TL = cs.gammaTableLeft, *TR = cs.gammaTableRight;
        for (int variant = 0; variant < 4; variant++) {
            SCOPED_TRACE(testing::Message() << "variant " << variant << ", left gamma " << gammas);
            cs.colourVariant = variant;
            Check(ComposeColourAnaglyph, [&](Bgr l, Bgr r) {
                switch (variant) {
                case 0: return Bgr{TR[r.b], TR[r.g], TL[l.r]};
                case 1: return Bgr{TR[r.b], TR[r.g], TL[Luma(l)]};
                case 2: return Bgr{TL[l.b], TR[r.g], TR[r.r]};
                default: return Bgr{TL[Luma(l)], TR[r.g], TR[r.r]};
                }
            });
        }
    }
}

TEST_F(ReferenceTest, InterlacesAndBlend)
{
    // Column interlace: the left eye's even column, then the right eye's
    // even column; checked through its own pairs of pixels below.
    Check(ComposeBlend, [](Bgr l, Bgr r) { return Bgr{l.b / 2 + r.b / 2, l.g / 2 + r.g / 2, l.r / 2 + r.r / 2}; });
    Rng rng{99};
    for (const Shape &s : kShapes) {
        SCOPED_TRACE(testing::Message() << s.width << " wide at " << s.bits);
        DibPtr l = MakeFrame(s.width, s.height, [&](int x, int) { return RandomPixel(rng, x); }, s.bits);
        DibPtr r = MakeFrame(s.width, s.height, [&](int x, int) { return RandomPixel(rng, x); }, s.bits);
        int wr = s.width - s.lc - s.rc, hr = s.height - s.lr - s.rr;
        DibPtr out(CreateDib(wr, hr, 24, 1));
        ASSERT_EQ(ComposeColumnInterlace(cs, out.get(), l.get(), r.get(), s.rc, s.rr, s.lc, s.lr), out.get());
        int bad = 0;
        for (int k = 0; k < hr; k++)
            for (int x = 0; x < wr; x++) {
                int even = x & ~1;
                Bgr expect = (x & 1) ? PixelAt(r.get(), s.rc + even, s.rr + k) : PixelAt(l.get(), s.lc + even, s.lr + k);
                bad += PixelAt(out.get(), x, k) != expect;
            }
        EXPECT_EQ(bad, 0);
    }
}

// The chroma-key picture of one pixel pair, straight from the definition.
struct ChromaModel {
    int t, h, s;
    int innerHueLo, innerHueHi, outerHueLo, outerHueHi;
    int innerSatLo, innerSatHi, outerSatLo, outerSatHi;
    bool shifted;

    static void Diff(Bgr p, int *cr, int *cb)
    {
        int y = (59 * p.g + 11 * p.b + 30 * p.r) / 255;
        *cr = p.r * 100 / 255 - y;
        *cb = p.b * 100 / 255 - y;
    }
    static int Hue(int cr, int cb) { return (int)(atan2((double)cr, (double)cb) * 57.324840764331206); }

    ChromaModel(Bgr key, int tol)
    {
        t = tol;
        int cr, cb;
        Diff(key, &cr, &cb);
        h = Hue(cr, cb);
        s = (int)sqrt((double)(cb * cb + cr * cr));
        innerHueLo = h - t, innerHueHi = h + t;
        innerSatLo = s - t > 0 ? s - t : 0, innerSatHi = s + t;
        outerHueLo = (int)(h - 1.5 * t), outerHueHi = (int)(h + 1.5 * t);
        outerSatLo = (int)(s - 1.5 * t) > 0 ? (int)(s - 1.5 * t) : 0, outerSatHi = (int)(s + 1.5 * t);
        shifted = outerHueLo < 0;
        if (shifted)
            innerHueLo += 360, innerHueHi += 360, outerHueLo += 360, outerHueHi += 360;
    }

    Bgr operator()(Bgr l, Bgr r) const
    {
        int cr, cb;
        Diff(l, &cr, &cb);
        if (cb == 0)
            cb = 1;
        int r2 = cb * cb + cr * cr;
        int p = Hue(cr, cb);
        if (shifted) {
            if (p > 90)
                p -= 360;
            p += 360;
        } else if (p < -90) {
            p += 360;
        }
        if (innerSatLo * innerSatLo < r2 && r2 < innerSatHi * innerSatHi && innerHueLo < p && p < innerHueHi)
            return r;
        if (outerSatLo * outerSatLo < r2 && r2 < outerSatHi * outerSatHi && outerHueLo < p && p < outerHueHi) {
            int u = std::min(abs(p - outerHueLo), abs(p - outerHueHi));
            int a = (int)(u * 255 / (t * 0.5));
            int q = (int)sqrt((double)r2);
            int v = std::min(abs(q - outerSatLo), abs(q - outerSatHi));
            int b = (int)(v * 255 / (t * 0.5));
            int w = std::min(std::min(a, b), 255);
            return {(r.b * w + l.b * (255 - w)) / 255, (r.g * w + l.g * (255 - w)) / 255,
                    (r.r * w + l.r * (255 - w)) / 255};
        }
        return l;
    }
};

TEST_F(ReferenceTest, ChromaKeyForSeveralKeys)
{
    struct {
        Bgr key;
        int tolerance;
    } cases[] = {
        {{0, 255, 0}, 30}, {{255, 0, 0}, 12}, {{0, 0, 255}, 25},  // green, blue, red (hue near 0: shifted)
        {{255, 255, 255}, 10}, {{40, 200, 90}, 1}, {{128, 128, 128}, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << ", tolerance " << c.tolerance);
        cs.chromaKey = RGB(c.key.r, c.key.g, c.key.b);
        cs.chromaTolerance = c.tolerance;
        Check(ComposeChromaKey, ChromaModel(c.key, c.tolerance));
    }
}

TEST_F(ReferenceTest, ChromaKeyThreeAndFourBytePixelsAgreeForEveryColour)
{
    // The two pixel sizes take different roads through the kernel; every
    // colour goes once through both, beside a varied right image.
    cs.chromaKey = RGB(40, 200, 90);
    cs.chromaTolerance = 30;
    const int w = 4096, h = 64;
    DibPtr l24(CreateDib(w, h, 24, 1)), l32(CreateDib(w, h, 32, 1)), r24(CreateDib(w, h, 24, 1)),
        r32(CreateDib(w, h, 32, 1)), o24(CreateDib(w, h, 24, 1)), o32(CreateDib(w, h, 24, 1));
    long bad = 0;
    for (long base = 0; base < (1L << 24); base += (long)w * h) {
        for (int y = 0; y < h; y++) {
            BYTE *a = DibRow(l24.get(), y), *b = DibRow(l32.get(), y), *c = DibRow(r24.get(), y), *d = DibRow(r32.get(), y);
            for (int x = 0; x < w; x++) {
                unsigned lc = (unsigned)(base + (long)y * w + x), rc = lc * 2654435761u;
                for (int ch = 0; ch < 3; ch++) {
                    a[3 * x + ch] = b[4 * x + ch] = (BYTE)(lc >> (8 * ch));
                    c[3 * x + ch] = d[4 * x + ch] = (BYTE)(rc >> (8 * ch + 5));
                }
            }
        }
        ASSERT_EQ(ComposeChromaKey(cs, o24.get(), l24.get(), r24.get(), 0, 0, 0, 0), o24.get());
        ASSERT_EQ(ComposeChromaKey(cs, o32.get(), l32.get(), r32.get(), 0, 0, 0, 0), o32.get());
        for (int y = 0; y < h; y++)
            bad += memcmp(DibRow(o24.get(), y), DibRow(o32.get(), y), (size_t)w * 3) != 0;
    }
    EXPECT_EQ(bad, 0);
}

TEST_F(ReferenceTest, Iz3dFrontAndBackPanels)
{
    // A table of random bytes: no structure for a kernel to lean on.
    std::vector<unsigned char> bytes(kIz3dTableEntries);
    Rng rng{4242};
    for (auto &b : bytes)
        b = (unsigned char)rng.Next();
    // A white right pixel gives front values all 0, so the back panel takes
    // the row-0 mean.
    for (int i = 0; i < 256 * 3; i++)
        bytes[i] = 0;
    unsigned short *table = BuildIz3dTable(bytes.data(), kIz3dTableEntries);
    ASSERT_NE(table, nullptr);
    cs.iz3dTable = table;
    const unsigned short *T = table;
    auto E = [](unsigned v) { return (int)(BYTE)(int)(pow(v * 3.0637254901960784e-05, 0.45454545454545453) * 255 + 0.5); };
    auto front = [&](Bgr l, Bgr r) {
        int lv[3] = {l.b, l.g, l.r}, rv[3] = {r.b, r.g, r.r}, o[3];
        for (int c = 0; c < 3; c++)
            o[c] = E(T[(255 - rv[c]) * 1536 + lv[c] * 3 + c]);
        return Bgr{o[0], o[1], o[2]};
    };
    auto back = [&](Bgr l, Bgr r) {
        int lv[3] = {l.b, l.g, l.r}, rv[3] = {r.b, r.g, r.r};
        unsigned fs = 0, ws = 0;
        for (int c = 0; c < 3; c++) {
            unsigned f = T[(255 - rv[c]) * 1536 + lv[c] * 3 + c], b = T[(255 - rv[c]) * 1536 + (256 + lv[c]) * 3 + c];
            fs += f, ws += f * b;
        }
        int g = E(fs ? ws / fs : (T[511 * 3] + T[511 * 3 + 1] + T[511 * 3 + 2]) / 3u);
        return Bgr{g, g, g};
    };
    Check(ComposeIz3d, front, back);
    FreeGlobalBlock(table);
}

}  // namespace
