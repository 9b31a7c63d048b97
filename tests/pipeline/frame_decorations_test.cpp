#include "pipeline/compose.h"
#include "tests/pipeline/kernel_settings.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>

using SoftBorderTest = KernelTest;

TEST_F(SoftBorderTest, WidthTwentyOnWhiteFrames)
{
    DibPtr l = MakeSolid(100, 60, {255, 255, 255}), r = MakeSolid(100, 60, {255, 255, 255});
    cs.softBorderWidth = 20;
    ApplySoftBorder(cs, l.get(), r.get(), 0, 0, 0, 0, 0);
    for (PackedDib *f : {l.get(), r.get()}) {
        EXPECT_EQ(PixelAt(f, 50, 0), (Bgr{0, 0, 0}));         // bottom row: C[0]
        EXPECT_EQ(PixelAt(f, 0, 30), (Bgr{0, 0, 0}));         // left column: C[0]
        EXPECT_EQ(PixelAt(f, 50, 59), (Bgr{1, 1, 1}));        // top row: C[12] = 1
        EXPECT_EQ(PixelAt(f, 99, 30), (Bgr{1, 1, 1}));        // right column
        EXPECT_EQ(PixelAt(f, 50, 49).r, 151);                 // top band, d = 10: C[140]
        EXPECT_EQ(PixelAt(f, 50, 10).r, 126);                 // bottom band, d = 10: C[127]
        EXPECT_EQ(PixelAt(f, 50, 30), (Bgr{255, 255, 255}));  // the middle is untouched
        EXPECT_EQ(PixelAt(f, 99, 59), (Bgr{0, 0, 0}));        // corners are darkened twice: 1 x 1 / 255
    }
}

TEST_F(SoftBorderTest, FollowsTheCommonRegionOfEachFrame)
{
    // Right image cut from column 8: its band starts there, the left one at 0.
    DibPtr l = MakeSolid(64, 40, {200, 200, 200}), r = MakeSolid(64, 40, {200, 200, 200});
    cs.softBorderWidth = 4;
    ApplySoftBorder(cs, l.get(), r.get(), 8, 0, 0, 0, 1);
    EXPECT_EQ(PixelAt(l.get(), 0, 20).g, 0);
    EXPECT_EQ(PixelAt(r.get(), 8, 20).g, 0);
    EXPECT_EQ(PixelAt(l.get(), 60, 20).g, 0);   // outside the left region (56 wide): black
    EXPECT_EQ(PixelAt(r.get(), 3, 20).g, 0);    // outside the right region: black
    EXPECT_EQ(PixelAt(l.get(), 30, 20).g, 200);
    EXPECT_EQ(PixelAt(r.get(), 38, 20).g, 200);
    DibPtr keep = MakeSolid(64, 40, {200, 200, 200}), keepR = MakeSolid(64, 40, {200, 200, 200});
    ApplySoftBorder(cs, keep.get(), keepR.get(), 8, 0, 0, 0, 0);
    EXPECT_EQ(PixelAt(keep.get(), 60, 20).g, 200);  // without blackOutside the outside stays
}

TEST_F(SoftBorderTest, BandsWiderThanTheRegionStayInsideIt)
{
    DibPtr l = MakeSolid(12, 8, {255, 255, 255}), r = MakeSolid(12, 8, {255, 255, 255});
    cs.softBorderWidth = 500;
    ApplySoftBorder(cs, l.get(), r.get(), 2, 1, 0, 0, 1);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 12; x++)
            EXPECT_LT(PixelAt(l.get(), x, y).g, 255);
}

TEST_F(SoftBorderTest, NothingForZeroWidthOrOtherDepths)
{
    DibPtr l = MakeSolid(16, 16, {90, 90, 90}), r = MakeSolid(16, 16, {90, 90, 90});
    cs.softBorderWidth = 0;
    ApplySoftBorder(cs, l.get(), r.get(), 0, 0, 0, 0, 0);
    EXPECT_EQ(PixelAt(l.get(), 0, 0).g, 90);
    cs.softBorderWidth = 20;
    DibPtr l32 = MakeSolid(16, 16, {90, 90, 90}, 32);
    ApplySoftBorder(cs, l32.get(), r.get(), 0, 0, 0, 0, 1);
    EXPECT_EQ(PixelAt(l32.get(), 0, 0).g, 90);
    EXPECT_EQ(PixelAt(r.get(), 0, 0).g, 90);
    ApplySoftBorder(cs, nullptr, r.get(), 0, 0, 0, 0, 1);
}

class SaveBorderTest : public KernelTest {
protected:
    DibPtr pic = MakeSolid(64, 32, {7, 7, 7});
    Bgr At(int x, int row) { return PixelAt(pic.get(), x, row); }
};

TEST_F(SaveBorderTest, SideBySideAndOverUnder)
{
    cs.frameWidth = 4;
    cs.frameColour = RGB(10, 20, 30);
    const Bgr c{30, 20, 10}, bg{7, 7, 7};
    EXPECT_EQ(DrawSaveBorder(cs, pic.get(), 0), 0);
    EXPECT_EQ(At(20, 0), c);
    EXPECT_EQ(At(20, 3), c);
    EXPECT_EQ(At(20, 4), bg);
    EXPECT_EQ(At(20, 28), c);   // the 4 top rows
    EXPECT_EQ(At(3, 16), c);
    EXPECT_EQ(At(60, 16), c);
    EXPECT_EQ(At(28, 16), c);   // middle columns 28-35
    EXPECT_EQ(At(35, 16), c);
    EXPECT_EQ(At(27, 16), bg);
    EXPECT_EQ(At(36, 16), bg);
    EXPECT_EQ(At(20, 14), bg);  // no middle rows for side by side

    pic = MakeSolid(64, 32, {7, 7, 7});
    DrawSaveBorder(cs, pic.get(), 1);
    EXPECT_EQ(At(20, 12), c);   // middle rows 12-19
    EXPECT_EQ(At(20, 19), c);
    EXPECT_EQ(At(20, 11), bg);
    EXPECT_EQ(At(30, 8), bg);
}

TEST_F(SaveBorderTest, AnaglyphsTurnTheColourIntoTheirOwn)
{
    cs.frameWidth = 2;
    cs.frameColour = RGB(200, 100, 50);
    int x = (int)((0.587 * 100 + 0.299 * 200) + 0.114 * 50);
    struct {
        int layout, anatype, anactype;
        Bgr expect;
    } cases[] = {
        {2, 0, 0, {x, x, x}},      {2, 3, 0, {x, x, x}},       {2, 1, 0, {0, x, x}},
        {2, 2, 0, {x, 0, x}},      {3, 0, 0, {50, 100, 200}},  {3, 0, 2, {50, 100, 200}},
        {3, 0, 1, {50, 100, x}},   {3, 0, 3, {x, 100, 200}},   {4, 1, 1, {50, 100, 200}},
    };
    for (auto &c : cases) {
        cs.greyVariant = c.anatype;
        cs.colourVariant = c.anactype;
        pic = MakeSolid(64, 32, {7, 7, 7});
        DrawSaveBorder(cs, pic.get(), c.layout);
        EXPECT_EQ(At(0, 0), c.expect) << "layout " << c.layout << " variants " << c.anatype << "," << c.anactype;
    }
}

TEST_F(SaveBorderTest, TooSmallPicturesGetNoBorder)
{
    cs.frameWidth = 13;
    pic = MakeSolid(100, 80, {7, 7, 7});  // 100 < 8 x 13
    DrawSaveBorder(cs, pic.get(), 0);
    EXPECT_EQ(At(0, 0), (Bgr{7, 7, 7}));
    cs.frameWidth = 10;
    pic = MakeSolid(100, 39, {7, 7, 7});  // 39 < 4 x 10
    DrawSaveBorder(cs, pic.get(), 0);
    EXPECT_EQ(At(0, 0), (Bgr{7, 7, 7}));
    cs.frameWidth = 10;
    pic = MakeSolid(100, 40, {7, 7, 7});
    DrawSaveBorder(cs, pic.get(), 0);
    EXPECT_NE(At(0, 0), (Bgr{7, 7, 7}));
}
