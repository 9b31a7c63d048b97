#include "pipeline/compose.h"
#include "tests/pipeline/kernel_settings.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>

class SingleFrameTest : public KernelTest {
protected:
    // A side-by-side frame of two 20 x 10 views: left half tagged 1, right 2.
    DibPtr sbs = MakeFrame(40, 10, [](int x, int y) { return x < 20 ? Bgr{100, 50, 200} : Bgr{10, 30, 60}; });
    DibPtr pos = MakeFrame(40, 10, [](int x, int y) { return PositionPixel(x, y, x < 20 ? 1 : 2); });
};

TEST_F(SingleFrameTest, GreyUsesTheFastGreyOfEachHalf)
{
    int fl = (50 + 200) / 2, fr = (30 + 60) / 2;
    DibPtr out(ComposeGreyAnaglyphSbs(cs, sbs.get(), 0, 0, 0, 0, 0, 20, 0, 0));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(DibWidth(out.get()), 20);
    EXPECT_EQ(DibHeight(out.get()), 10);
    EXPECT_EQ(PixelAt(out.get(), 5, 5), (Bgr{fr, fr, fl}));
    DibPtr swapped(ComposeGreyAnaglyphSbs(cs, sbs.get(), 0, 0, 0, 0, 1, 20, 0, 0));
    EXPECT_EQ(PixelAt(swapped.get(), 5, 5), (Bgr{fl, fl, fr}));
    DibPtr yb(ComposeGreyAnaglyphSbs(cs, sbs.get(), 0, 0, 0, 0, 0, 20, 0, 3));
    EXPECT_EQ(PixelAt(yb.get(), 5, 5), (Bgr{fl, fr, fr}));
    SetGammas(150, 100);
    DibPtr gam(ComposeGreyAnaglyphSbs(cs, sbs.get(), 0, 0, 0, 0, 0, 20, 0, 1));
    EXPECT_EQ(PixelAt(gam.get(), 5, 5), (Bgr{0, cs.gammaTableRight[fr], cs.gammaTableLeft[fl]}));
}

TEST_F(SingleFrameTest, ColourVariantsWithFastGrey)
{
    int fl = (50 + 200) / 2;
    int *TL = cs.gammaTableLeft, *TR = cs.gammaTableRight;
    struct {
        int variant;
        Bgr expect;
    } cases[] = {{0, {TR[10], TR[30], TL[200]}}, {1, {TR[10], TR[30], TL[fl]}},
                 {2, {TL[100], TR[30], TR[60]}}, {3, {TL[fl], TR[30], TR[60]}}};
    for (auto &c : cases) {
        DibPtr out(ComposeColourAnaglyphSbs(cs, sbs.get(), 0, 0, 0, 0, 0, 20, 0, c.variant));
        EXPECT_EQ(PixelAt(out.get(), 0, 0), c.expect) << c.variant;
    }
}

TEST_F(SingleFrameTest, CropOriginsAndSize)
{
    // First view from (c2, c3) = (3, 1), second from (20 + c0, 0 + c1) = (22, 2);
    // the picture is 40 - 20 - 3 - 2 = 15 by 10 - 0 - 1 - 2 = 7.
    DibPtr out(ComposeInterlaceSbs(pos.get(), 2, 2, 3, 1, 0, 20, 0));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(DibWidth(out.get()), 15);
    EXPECT_EQ(DibHeight(out.get()), 7);
    EXPECT_EQ(PixelAt(out.get(), 0, 0), PositionPixel(3, 1, 1));
    EXPECT_EQ(PixelAt(out.get(), 0, 1), PositionPixel(22, 2, 2));
    EXPECT_EQ(PixelAt(out.get(), 4, 2), PositionPixel(7, 3, 1));
    EXPECT_EQ(PixelAt(out.get(), 4, 6), PositionPixel(7, 7, 1));  // odd height: top row from the even-row view
    DibPtr swapped(ComposeInterlaceSbs(pos.get(), 2, 2, 3, 1, 1, 20, 0));
    EXPECT_EQ(PixelAt(swapped.get(), 0, 0), PositionPixel(22, 2, 2));
    EXPECT_EQ(PixelAt(swapped.get(), 0, 1), PositionPixel(3, 1, 1));
}

TEST_F(SingleFrameTest, OverUnderFrame)
{
    // One view above the other: the second view at dy = 5 rows.
    DibPtr ou = MakeFrame(8, 10, [](int x, int y) { return PositionPixel(x, y, y < 5 ? 1 : 2); });
    DibPtr out(ComposeInterlaceSbs(ou.get(), 0, 0, 0, 0, 0, 0, 5));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(DibWidth(out.get()), 8);
    EXPECT_EQ(DibHeight(out.get()), 5);
    EXPECT_EQ(PixelAt(out.get(), 1, 0), PositionPixel(1, 0, 1));
    EXPECT_EQ(PixelAt(out.get(), 1, 1), PositionPixel(1, 5, 2));
}

TEST_F(SingleFrameTest, HostileOffsetsAndMissingFrames)
{
    EXPECT_EQ(ComposeGreyAnaglyphSbs(cs, nullptr, 0, 0, 0, 0, 0, 20, 0, 0), nullptr);
    EXPECT_EQ(ComposeInterlaceSbs(nullptr, 0, 0, 0, 0, 0, 20, 0), nullptr);
    const int offsets[][6] = {{0, 0, 0, 0, 100, 0}, {0, 0, 0, 0, -30, 0}, {-5, -5, -5, -5, 20, 0},
                              {0, 0, 0, 0, 20, 50}, {30, 0, 30, 0, 20, 0}, {0, 0, 0, 0, 39, 9}};
    for (auto &o : offsets) {
        DibPtr a(ComposeColourAnaglyphSbs(cs, pos.get(), o[0], o[1], o[2], o[3], 0, o[4], o[5], 0));
        DibPtr b(ComposeInterlaceSbs(pos.get(), o[0], o[1], o[2], o[3], 1, o[4], o[5]));
        if (a) {
            EXPECT_LE(DibWidth(a.get()), 40);
            EXPECT_LE(DibHeight(a.get()), 10);
        }
    }
}
