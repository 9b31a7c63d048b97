#include "pipeline/compose.h"
#include "pipeline/luma.h"
#include "tests/pipeline/kernel_settings.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(Luma, IntegerPathEqualsTheDoubleFormulaForEveryColour)
{
    long mismatches = 0;
    unsigned char p[3];
    for (int b = 0; b < 256; b++)
        for (int g = 0; g < 256; g++)
            for (int r = 0; r < 256; r++) {
                p[0] = (unsigned char)b, p[1] = (unsigned char)g, p[2] = (unsigned char)r;
                mismatches += FastPixelLuma(p) != (int)((0.114 * b + 0.587 * g) + 0.299 * r);
            }
    EXPECT_EQ(mismatches, 0);
}

TEST(Luma, RowRoutinesEqualTheDoubleFormulaForEveryColour)
{
    // Every colour once, in rows of odd length so that the SIMD routine's
    // tail runs too; three- and four-byte pixels.
    const int width = 4097;
    std::vector<unsigned char> row3(width * 3), row4(width * 4), out(width), outPortable(width);
    long mismatches = 0;
    for (long base = 0; base < (1L << 24); base += width) {
        int n = (int)std::min<long>(width, (1L << 24) - base);
        for (int i = 0; i < n; i++) {
            long c = base + i;
            for (int ch = 0; ch < 3; ch++)
                row3[i * 3 + ch] = row4[i * 4 + ch] = (unsigned char)(c >> (8 * ch));
        }
        RowLuma(row3.data(), n, 3, out.data());
        RowLumaPortable(row4.data(), n, 4, outPortable.data());
        for (int i = 0; i < n; i++) {
            long c = base + i;
            int expect = PixelLuma(c & 255, (c >> 8) & 255, c >> 16);
            mismatches += (out[i] != expect) + (outPortable[i] != expect);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Luma, NeutralGreysTruncate)
{
    EXPECT_EQ(PixelLuma(254, 254, 254), 253);
    EXPECT_EQ(PixelLuma(255, 255, 255), 255);
    EXPECT_EQ(PixelLuma(0, 0, 0), 0);
    EXPECT_EQ(PixelLuma(100, 100, 100), 100);
}

TEST(GammaTable, AtOneHundredOnlyTheKnownEntriesAreLow)
{
    int t[256];
    BuildAnaglyphGammaTable(100, t);
    const int low[] = {33, 37, 41, 45, 49, 53, 57, 61, 66, 74, 82, 90, 98, 106, 114, 122,
                       132, 148, 164, 180, 196, 212, 228, 244};
    bool isLow[256] = {};
    for (int i : low)
        isLow[i] = true;
    for (int i = 0; i < 256; i++)
        EXPECT_EQ(t[i], isLow[i] ? i - 1 : i) << i;
}

TEST(GammaTable, ShapeForOtherGammas)
{
    for (int g : {50, 150, 220, 1, 0, -40}) {
        SCOPED_TRACE(g);
        int t[256];
        BuildAnaglyphGammaTable(g, t);
        EXPECT_EQ(t[0], 0);
        EXPECT_EQ(t[255], 255);
        for (int i = 1; i < 256; i++) {
            EXPECT_GE(t[i], t[i - 1]);
            EXPECT_LE(t[i], 255);
            if (g > 100)
                EXPECT_GE(t[i], i - 1);  // brightens
            else
                EXPECT_LE(t[i], i);      // darkens
        }
    }
}

class AnaglyphTest : public KernelTest {
protected:
    // Composes one pixel pair with the kernel and returns the output pixel.
    using Kernel = PackedDib *(*)(const ComposeSettings &, PackedDib *, PackedDib *, PackedDib *, int, int, int, int);
    Bgr One(Kernel kernel, Bgr l, Bgr r, int bits = 24)
    {
        DibPtr left = MakeSolid(4, 2, l, bits), right = MakeSolid(4, 2, r, bits);
        DibPtr out(CreateDib(4, 2, 24, 1));
        EXPECT_EQ(kernel(cs, out.get(), left.get(), right.get(), 0, 0, 0, 0), out.get());
        return PixelAt(out.get(), 3, 1);
    }
};

TEST_F(AnaglyphTest, GreyVariantsFeedTheirChannels)
{
    // Left white, right a grey of 254 (luma 253).
    const Bgr l{255, 255, 255}, r{254, 254, 254};
    struct {
        int variant;
        Bgr expect;
    } cases[] = {
        {0, {253, 253, 255}},  // red-cyan
        {1, {0, 253, 255}},    // red-green
        {2, {253, 0, 255}},    // red-blue
        {3, {255, 253, 253}},  // yellow-blue: red and green from the right
    };
    for (auto &c : cases) {
        cs.greyVariant = c.variant;
        EXPECT_EQ(One(ComposeGreyAnaglyph, l, r), c.expect) << "variant " << c.variant;
    }
    cs.greyVariant = 0;
    EXPECT_EQ(One(ComposeGreyAnaglyph, {255, 255, 255}, {0, 0, 0}), (Bgr{0, 0, 255}));
}

TEST_F(AnaglyphTest, GreyUsesTheEyeTablesOnlyAwayFromOneHundred)
{
    const Bgr l{33, 33, 33}, r{66, 66, 66};  // greys whose table entries are one low at 100
    int ll = PixelLuma(33, 33, 33), lr = PixelLuma(66, 66, 66);
    EXPECT_EQ(One(ComposeGreyAnaglyph, l, r), (Bgr{lr, lr, ll}));
    SetGammas(100, 160);
    const int *TL = cs.gammaTableLeft, *TR = cs.gammaTableRight;
    EXPECT_EQ(One(ComposeGreyAnaglyph, l, r), (Bgr{TR[lr], TR[lr], TL[ll]}));
    cs.greyVariant = 3;
    EXPECT_EQ(One(ComposeGreyAnaglyph, l, r), (Bgr{TL[ll], TR[lr], TR[lr]}));
}

TEST_F(AnaglyphTest, FastGreyIgnoresBlue)
{
    const Bgr l{0, 100, 51}, r{255, 10, 21};
    EXPECT_EQ(One(ComposeFastAnaglyph, l, r), (Bgr{15, 15, 75}));
    cs.greyVariant = 3;
    EXPECT_EQ(One(ComposeFastAnaglyph, l, r), (Bgr{75, 15, 15}));
    cs.greyVariant = 1;
    EXPECT_EQ(One(ComposeFastAnaglyph, l, r), (Bgr{0, 15, 75}));
}

TEST_F(AnaglyphTest, ColourVariantsAlwaysUseTheTables)
{
    const Bgr l{10, 20, 33}, r{66, 74, 90};
    int ll = PixelLuma(10, 20, 33);
    int *TL = cs.gammaTableLeft, *TR = cs.gammaTableRight;
    struct {
        int variant;
        Bgr expect;
    } cases[] = {
        {0, {TR[66], TR[74], TL[33]}},
        {1, {TR[66], TR[74], TL[ll]}},
        {2, {TL[10], TR[74], TR[90]}},
        {3, {TL[ll], TR[74], TR[90]}},
    };
    for (auto &c : cases) {
        cs.colourVariant = c.variant;
        EXPECT_EQ(One(ComposeColourAnaglyph, l, r), c.expect) << "variant " << c.variant;
    }
    cs.colourVariant = 0;
    EXPECT_EQ(One(ComposeColourAnaglyph, l, r).r, 32);  // red 33 maps to 32 at gamma 100
}

TEST_F(AnaglyphTest, ThirtyTwoBitFramesAreReadAtFourBytes)
{
    const Bgr l{10, 200, 30}, r{40, 50, 60};
    cs.colourVariant = 0;
    EXPECT_EQ(One(ComposeColourAnaglyph, l, r, 32), One(ComposeColourAnaglyph, l, r, 24));
    EXPECT_EQ(One(ComposeBlend, l, r, 32), (Bgr{25, 125, 45}));
}

TEST_F(AnaglyphTest, PalettedFramesAlwaysGoThroughTheTables)
{
    // An 8-bit frame whose palette entry 1 is the grey 66.
    DibPtr left(CreateDib(4, 2, 8, 1));
    RGBQUAD *pal = (RGBQUAD *)((BYTE *)left.get() + 40);
    pal[1] = {66, 66, 66, 0};
    memset(FindDibBits(left.get()), 1, DibRowBytes(4, 8) * 2);
    DibPtr right = MakeSolid(4, 2, {0, 0, 0});
    DibPtr out(CreateDib(4, 2, 24, 1));
    ASSERT_EQ(ComposeGreyAnaglyph(cs, out.get(), left.get(), right.get(), 0, 0, 0, 0), out.get());
    EXPECT_EQ(PixelAt(out.get(), 0, 0).r, cs.gammaTableLeft[PixelLuma(66, 66, 66)]);
    EXPECT_EQ(PixelAt(out.get(), 0, 0).r, 65);
}

TEST(RowTwins, Sse2RoutinesEqualThePortableOnes)
{
    // Random rows of every length up to 70, at every alignment.
    unsigned seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int n = 0; n < 70; n++)
        for (int offset = 0; offset < 4; offset++) {
            std::vector<unsigned char> a(n * 3 + 8), b(n * 3 + 8), o1(n * 3 + 8), o2(n * 3 + 8);
            for (auto &v : a)
                v = (unsigned char)next();
            for (auto &v : b)
                v = (unsigned char)next();
            RowFastGrey(a.data() + offset, n, 3, o1.data());
            RowFastGreyPortable(a.data() + offset, n, 3, o2.data());
            EXPECT_TRUE(std::equal(o1.begin(), o1.begin() + n, o2.begin())) << n;
            BlendBytes(o1.data(), a.data() + offset, b.data(), n * 3);
            BlendBytesPortable(o2.data(), a.data() + offset, b.data(), n * 3);
            EXPECT_TRUE(std::equal(o1.begin(), o1.begin() + n * 3, o2.begin())) << n;
            // Grey rows: every byte of the row and none past it.
            for (int layout = 0; layout < 4; layout++) {
                std::fill(o1.begin(), o1.end(), 7);
                std::fill(o2.begin(), o2.end(), 7);
                GreyRow(o1.data(), a.data() + offset, b.data(), n, layout);
                GreyRowPortable(o2.data(), a.data() + offset, b.data(), n, layout);
                EXPECT_TRUE(o1 == o2) << n << " layout " << layout;
                EXPECT_EQ(o1[n * 3], 7) << n;
            }
        }
}
