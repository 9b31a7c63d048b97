#include "pipeline/compose.h"
#include "shared/global_memory.h"
#include "tests/pipeline/kernel_settings.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>
#include <vector>

using KernelFn = PackedDib *(*)(const ComposeSettings &, PackedDib *, PackedDib *, PackedDib *, int, int, int, int);

class RegionTest : public KernelTest {
protected:
    // Frames whose pixels tell where they were read: blue x, green row,
    // red 1 for the left eye and 2 for the right.
    DibPtr left = MakeFrame(640, 480, [](int x, int y) { return PositionPixel(x, y, 1); });
    DibPtr right = MakeFrame(640, 480, [](int x, int y) { return PositionPixel(x, y, 2); });

    // Blend of the two position frames: each channel halved and summed, so
    // from one output pixel both source positions can be checked.
    static Bgr BlendOf(Bgr a, Bgr b) { return {a.b / 2 + b.b / 2, a.g / 2 + b.g / 2, a.r / 2 + b.r / 2}; }
};

TEST_F(RegionTest, OffsetsNarrowTheRegionAndMoveTheRightImage)
{
    int m[4];
    ShiftToCropMargins(m, 640, 480, 8, 0, 0);
    DibPtr out(CreateDib(640 - m[0] - m[2], 480, 24, 1));
    ASSERT_EQ(DibWidth(out.get()), 632);
    ASSERT_EQ(ComposeInterlace(cs, out.get(), left.get(), right.get(), m[0], m[1], m[2], m[3]), out.get());
    EXPECT_EQ(PixelAt(out.get(), 0, 0), PositionPixel(0, 0, 1));
    EXPECT_EQ(PixelAt(out.get(), 0, 1), PositionPixel(8, 0, 2));
    EXPECT_EQ(PixelAt(out.get(), 631, 479), PositionPixel(639, 478, 2));
}

TEST_F(RegionTest, AppliedTrimmingCutsEveryPairKernel)
{
    // 320 x 240 from region column 16, 10 rows below the top.
    cs.trimmed = true;
    cs.trim = {16, 10, 336, 250};
    const KernelFn kernels[] = {ComposeGreyAnaglyph, ComposeFastAnaglyph, ComposeColourAnaglyph, ComposeInterlace,
                                ComposeColumnInterlace, ComposeBlend, ComposeChromaKey};
    for (KernelFn k : kernels) {
        DibPtr out(CreateDib(320, 240, 24, 1));
        ASSERT_EQ(k(cs, out.get(), left.get(), right.get(), 0, 0, 0, 0), out.get());
    }
    DibPtr out(CreateDib(320, 240, 24, 1));
    ComposeBlend(cs, out.get(), left.get(), right.get(), 0, 0, 0, 0);
    EXPECT_EQ(PixelAt(out.get(), 0, 0), BlendOf(PositionPixel(16, 230, 1), PositionPixel(16, 230, 2)));
    EXPECT_EQ(PixelAt(out.get(), 319, 239), BlendOf(PositionPixel(335, 469, 1), PositionPixel(335, 469, 2)));

    // With a vertical offset the two eyes are read from rows that differ by
    // the row origins, so both show the same part of the scene.
    int m[4];
    ShiftToCropMargins(m, 640, 480, 0, 6, 0);  // right row origin 6
    ComposeBlend(cs, out.get(), left.get(), right.get(), m[0], m[1], m[2], m[3]);
    EXPECT_EQ(PixelAt(out.get(), 0, 0), BlendOf(PositionPixel(16, 224, 1), PositionPixel(16, 230, 2)));
}

TEST_F(RegionTest, HostileOriginsStayInsideTheFrames)
{
    // Origins and trimming rectangles that point outside the frames, and
    // outputs smaller than the region: nothing is read or written outside
    // (AddressSanitizer watches the native build).
    struct {
        int rc, rr, lc, lr;
        RECT trim;
        int trimState;
    } cases[] = {
        {700, 0, 0, 0, {}, 0},
        {0, -50, -50, 0, {}, 0},
        {0, 0, 0, 0, {-100, -100, 900, 900}, 30},
        {0, 0, 0, 0, {600, 400, 700, 520}, 30},
        {0, 0, 0, 0, {300, 200, 100, 100}, 30},
        {10, 10, 10, 10, {0, 0, 2000000000, 2000000000}, 30},
    };
    const KernelFn kernels[] = {ComposeGreyAnaglyph, ComposeColourAnaglyph, ComposeInterlace, ComposeColumnInterlace,
                                ComposeBlend, ComposeChromaKey};
    for (auto &c : cases) {
        cs.trimmed = c.trimState == 30;
        cs.trim = c.trim;
        for (KernelFn k : kernels) {
            DibPtr small(CreateDib(33, 17, 24, 1));
            EXPECT_EQ(k(cs, small.get(), left.get(), right.get(), c.rc, c.rr, c.lc, c.lr), small.get());
        }
        DibPtr scaled(ComposeInterlaceScaled(cs, left.get(), right.get(), c.rc, c.rr, c.lc, c.lr, 100));
    }
}

TEST_F(RegionTest, MissingFramesAndUnusableOutputs)
{
    DibPtr out(CreateDib(640, 480, 24, 0));
    DibPtr out32(CreateDib(640, 480, 32, 0));
    EXPECT_EQ(ComposeBlend(cs, nullptr, left.get(), right.get(), 0, 0, 0, 0), nullptr);
    EXPECT_EQ(ComposeBlend(cs, out.get(), nullptr, right.get(), 0, 0, 0, 0), nullptr);
    EXPECT_EQ(ComposeGreyAnaglyph(cs, out.get(), left.get(), nullptr, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(ComposeInterlace(cs, out32.get(), left.get(), right.get(), 0, 0, 0, 0), nullptr);
    EXPECT_EQ(ComposeInterlaceScaled(cs, nullptr, right.get(), 0, 0, 0, 0, 10), nullptr);
    EXPECT_EQ(ComposeInterlaceScaled(cs, left.get(), right.get(), 0, 0, 0, 0, 1), nullptr);
    // A 16-bit frame is not read.
    DibPtr sixteen(CreateDib(640, 480, 24, 0));
    sixteen->biBitCount = 16;
    EXPECT_EQ(ComposeBlend(cs, out.get(), sixteen.get(), right.get(), 0, 0, 0, 0), nullptr);
}

TEST_F(KernelTest, RowInterlaceTakesEachEyesEvenRows)
{
    DibPtr l = MakeFrame(8, 7, [](int x, int y) { return PositionPixel(x, y, 1); });
    DibPtr r = MakeFrame(8, 7, [](int x, int y) { return PositionPixel(x, y, 2); });
    DibPtr out(CreateDib(8, 7, 24, 1));
    ComposeInterlace(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0);
    const Bgr expect[7] = {PositionPixel(5, 0, 1), PositionPixel(5, 0, 2), PositionPixel(5, 2, 1),
                           PositionPixel(5, 2, 2), PositionPixel(5, 4, 1), PositionPixel(5, 4, 2),
                           PositionPixel(5, 6, 1)};  // odd height: the top row is the left's
    for (int row = 0; row < 7; row++)
        EXPECT_EQ(PixelAt(out.get(), 5, row), expect[row]) << row;
}

TEST_F(KernelTest, ScaledInterlaceMapsRowPairs)
{
    DibPtr l = MakeFrame(6, 10, [](int x, int y) { return PositionPixel(x, y, 1); });
    DibPtr r = MakeFrame(6, 10, [](int x, int y) { return PositionPixel(x, y, 2); });
    DibPtr out(ComposeInterlaceScaled(cs, l.get(), r.get(), 0, 0, 0, 0, 4));
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(DibWidth(out.get()), 6);
    ASSERT_EQ(DibHeight(out.get()), 4);
    // s = 2k x 10 / 4: rows 0 and 5.
    EXPECT_EQ(PixelAt(out.get(), 2, 0), PositionPixel(2, 0, 1));
    EXPECT_EQ(PixelAt(out.get(), 2, 1), PositionPixel(2, 0, 2));
    EXPECT_EQ(PixelAt(out.get(), 2, 2), PositionPixel(2, 5, 1));
    EXPECT_EQ(PixelAt(out.get(), 2, 3), PositionPixel(2, 5, 2));
    DibPtr grown(ComposeInterlaceScaled(cs, l.get(), r.get(), 0, 0, 0, 0, 30));
    EXPECT_EQ(PixelAt(grown.get(), 0, 28), PositionPixel(0, 9, 1));  // 28 x 10 / 30
}

TEST_F(KernelTest, ColumnInterlaceTakesEachEyesEvenColumns)
{
    DibPtr l = MakeFrame(7, 2, [](int x, int y) { return PositionPixel(x, y, 1); });
    DibPtr r = MakeFrame(7, 2, [](int x, int y) { return PositionPixel(x, y, 2); });
    DibPtr out(CreateDib(7, 2, 24, 1));
    ComposeColumnInterlace(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0);
    const Bgr expect[7] = {PositionPixel(0, 1, 1), PositionPixel(0, 1, 2), PositionPixel(2, 1, 1),
                           PositionPixel(2, 1, 2), PositionPixel(4, 1, 1), PositionPixel(4, 1, 2),
                           PositionPixel(6, 1, 1)};
    for (int x = 0; x < 7; x++)
        EXPECT_EQ(PixelAt(out.get(), x, 1), expect[x]) << x;
}

TEST_F(KernelTest, BlendHalvesBeforeTheSum)
{
    struct {
        int l, r, expect;
    } cases[] = {{255, 255, 254}, {1, 1, 0}, {3, 5, 3}, {0, 255, 127}, {200, 100, 150}};
    for (auto &c : cases) {
        DibPtr l = MakeSolid(2, 2, {c.l, c.l, c.l}), r = MakeSolid(2, 2, {c.r, c.r, c.r});
        DibPtr out(CreateDib(2, 2, 24, 1));
        ComposeBlend(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0);
        EXPECT_EQ(PixelAt(out.get(), 1, 1), (Bgr{c.expect, c.expect, c.expect})) << c.l << " + " << c.r;
    }
}

class ChromaKeyTest : public KernelTest {
protected:
    // The output for a left pixel of the given colour over a right pixel of
    // (1, 2, 3).
    Bgr Key(Bgr leftColour)
    {
        DibPtr l = MakeSolid(4, 1, leftColour), r = MakeSolid(4, 1, {1, 2, 3});
        DibPtr out(CreateDib(4, 1, 24, 1));
        EXPECT_EQ(ComposeChromaKey(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0), out.get());
        return PixelAt(out.get(), 2, 0);
    }
    static constexpr Bgr kRight{1, 2, 3};
};

TEST_F(ChromaKeyTest, ReplacesTheKeyAndKeepsDistantColours)
{
    cs.chromaKey = RGB(0, 255, 0);  // hue -135, saturation 83
    cs.chromaTolerance = 10;
    EXPECT_EQ(Key({0, 255, 0}), kRight);
    EXPECT_EQ(Key({10, 250, 5}), kRight);
    EXPECT_EQ(Key({255, 0, 0}), (Bgr{255, 0, 0}));
    EXPECT_EQ(Key({128, 128, 128}), (Bgr{128, 128, 128}));
    EXPECT_EQ(Key({0, 0, 255}), (Bgr{0, 0, 255}));
}

TEST_F(ChromaKeyTest, ToleranceZeroReplacesNothing)
{
    cs.chromaTolerance = 0;
    for (COLORREF key : {RGB(0, 255, 0), RGB(255, 255, 255), RGB(0, 0, 255)}) {
        cs.chromaKey = key;
        Bgr same{GetBValue(key), GetGValue(key), GetRValue(key)};
        EXPECT_EQ(Key(same), same);
    }
}

TEST_F(ChromaKeyTest, SoftEdgeBetweenTheWindows)
{
    // Key green, tolerance 10: a green whose saturation lies between the
    // inner (73-93) and outer (68-98) windows is blended, not replaced.
    cs.chromaKey = RGB(0, 255, 0);
    cs.chromaTolerance = 10;
    Bgr edge = Key({0, 212, 0});  // saturation 69
    EXPECT_NE(edge, kRight);
    EXPECT_NE(edge, (Bgr{0, 212, 0}));
    EXPECT_LT(edge.g, 212);
    EXPECT_GT(edge.g, 2);
}

TEST_F(ChromaKeyTest, KeyHueNearZeroKeysBothSides)
{
    // Key hue 3, saturation 82: the outer window starts below 0 degrees, so
    // its bounds are raised by 360 and pixel hues are wrapped to match.
    cs.chromaKey = RGB(60, 0, 255);
    cs.chromaTolerance = 10;
    EXPECT_EQ(Key({255, 0, 60}), kRight);               // the key itself
    EXPECT_EQ(Key({255, 0, 20}), kRight);               // hue -3
    EXPECT_EQ(Key({255, 4, 100}), kRight);              // hue 11
    EXPECT_EQ(Key({0, 200, 255}), (Bgr{0, 200, 255}));  // orange, hue 162: far away
    EXPECT_EQ(Key({0, 0, 255}), (Bgr{0, 0, 255}));      // red, hue 113
}

class Iz3dTest : public KernelTest {
protected:
    unsigned short *table = nullptr;

    void TearDown() override { FreeGlobalBlock(table); }
    // A table whose front value is the left value and whose back value is
    // the right value, at display gamma.
    void LoadIdentityTable()
    {
        std::vector<unsigned char> bytes(kIz3dTableEntries);
        for (int rv = 0; rv < 256; rv++)
            for (int lv = 0; lv < 256; lv++)
                for (int c = 0; c < 3; c++) {
                    bytes[(255 - rv) * 1536 + lv * 3 + c] = (unsigned char)lv;
                    bytes[(255 - rv) * 1536 + (256 + lv) * 3 + c] = (unsigned char)rv;
                }
        table = BuildIz3dTable(bytes.data(), kIz3dTableEntries);
        ASSERT_NE(table, nullptr);
        cs.iz3dTable = table;
    }
};

TEST_F(Iz3dTest, LinearTableFromGammaBytes)
{
    LoadIdentityTable();
    EXPECT_EQ(table[255 * 1536], 0);                   // rv 0 row, lv 0
    EXPECT_EQ(table[255 * 3 + 0], 32640);              // row 0 = rv 255, lv 255 front
    EXPECT_EQ(table[(255 - 128) * 1536 + 128 * 3], 7165);  // (128/255)^2.2 x 32640
}

TEST_F(Iz3dTest, FrontPanelInColourBackPanelInGrey)
{
    LoadIdentityTable();
    DibPtr l = MakeSolid(3, 2, {200, 100, 50}), r = MakeSolid(3, 2, {10, 20, 30});
    DibPtr out(CreateDib(6, 2, 24, 1));
    ASSERT_EQ(ComposeIz3d(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0), out.get());
    Bgr front = PixelAt(out.get(), 1, 0), back = PixelAt(out.get(), 4, 0);
    EXPECT_NEAR(front.b, 200, 1);
    EXPECT_NEAR(front.g, 100, 1);
    EXPECT_NEAR(front.r, 50, 1);
    EXPECT_EQ(back.b, back.g);
    EXPECT_EQ(back.g, back.r);
    // The grey is the back values weighted by the front values, in linear
    // light: mostly the blue channel's 10 here.
    EXPECT_GE(back.b, 10);
    EXPECT_LE(back.b, 30);
}

TEST_F(Iz3dTest, BlackOnBothEyesUsesTheRowZeroMean)
{
    LoadIdentityTable();
    DibPtr l = MakeSolid(2, 1, {0, 0, 0}), r = MakeSolid(2, 1, {0, 0, 0});
    DibPtr out(CreateDib(4, 1, 24, 1));
    ComposeIz3d(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0);
    EXPECT_EQ(PixelAt(out.get(), 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(out.get(), 2, 0), (Bgr{255, 255, 255}));  // row 0, column 511 holds rv 255
}

TEST_F(Iz3dTest, NoTableNoPicture)
{
    DibPtr l = MakeSolid(2, 1, {0, 0, 0}), r = MakeSolid(2, 1, {0, 0, 0});
    DibPtr out(CreateDib(4, 1, 24, 1));
    EXPECT_EQ(ComposeIz3d(cs, out.get(), l.get(), r.get(), 0, 0, 0, 0), nullptr);
}
