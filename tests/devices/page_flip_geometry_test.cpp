// The page-flip window's geometry: the eye images of each file layout, the
// pair's crop origins with and without trimming, placement on the screen,
// and the frame keys at the ends of a movie.
#include "devices/page_flip_geometry.h"

#include <gtest/gtest.h>

namespace {

struct LayoutCase {
    int layout;
    W3DFileLayout want;
};

TEST(PageFlipGeometry, FileLayoutsGiveTheEyeImagesOfTheConvertedFrame)
{
    // A 640 x 360 frame.
    const LayoutCase cases[] = {
        {0, {kW3DConvertNone, 0, 320, 360, 320, 0}},
        {1, {kW3DConvertNone, 0, 640, 180, 0, 180}},
        {2, {kW3DConvertDoubleHeight, 0, 640, 360, 0, 360}},
        {3, {kW3DConvertDoubleHeight, 1, 640, 360, 0, 360}},
        {4, {kW3DConvertRotate, 0, 360, 320, 0, 320}},
        {5, {kW3DConvertRotate, 1, 360, 320, 0, 320}},
        {6, {kW3DConvertRotate, 2, 360, 320, 0, 320}},
        {7, {kW3DConvertRotate, 3, 360, 320, 0, 320}},
        {8, {kW3DConvertInterleaved, 0, 640, 360, 0, 360}},
        {9, {kW3DConvertNone, 0, 320, 360, 320, 0}},
    };
    for (const LayoutCase &c : cases) {
        W3DFileLayout f = W3DFileLayoutOf(c.layout, 640, 360);
        SCOPED_TRACE(c.layout);
        EXPECT_EQ(c.want.conversion, f.conversion);
        EXPECT_EQ(c.want.param, f.param);
        EXPECT_EQ(c.want.eyeW, f.eyeW);
        EXPECT_EQ(c.want.eyeH, f.eyeH);
        EXPECT_EQ(c.want.secondX, f.secondX);
        EXPECT_EQ(c.want.secondY, f.secondY);
    }
}

TEST(PageFlipGeometry, PairRegionStartsEachEyeAtItsMarginsPlusTheTrimmingOrigin)
{
    // Margins: right column, right row, left column, left row.
    const int m[4] = {8, 2, 0, 0};
    W3DPairRegion r = W3DPairRegionOf(100, 50, m, nullptr);
    EXPECT_EQ(92, r.w);
    EXPECT_EQ(48, r.h);
    EXPECT_EQ(0, r.leftX);
    EXPECT_EQ(0, r.leftY);
    EXPECT_EQ(8, r.rightX);
    EXPECT_EQ(2, r.rightY);

    // Trimming is top-down in the cropped region: 10 rows below its
    // bottom edge lie between it and the first row in memory.
    RECT trim = {4, 6, 44, 38};
    r = W3DPairRegionOf(100, 50, m, &trim);
    EXPECT_EQ(40, r.w);
    EXPECT_EQ(32, r.h);
    EXPECT_EQ(4, r.leftX);
    EXPECT_EQ(10, r.leftY);
    EXPECT_EQ(12, r.rightX);
    EXPECT_EQ(12, r.rightY);
}

struct PlaceCase {
    int sw, sh, iw, ih;
    bool stretch;
    W3DPlace want;
};

TEST(PageFlipGeometry, ImagesAreCentredOrFittedToTheScreen)
{
    const PlaceCase cases[] = {
        {1024, 768, 320, 240, false, {352, 264, 320, 240}},
        {1024, 768, 2048, 768, false, {-512, 0, 2048, 768}},
        {1024, 768, 320, 240, true, {0, 0, 1024, 768}},
        {1024, 768, 640, 240, true, {0, 192, 1024, 384}},   // width-limited
        {1024, 768, 240, 320, true, {224, 0, 576, 768}},    // height-limited
        {1600, 1200, 1920, 1080, true, {0, 150, 1600, 900}},
    };
    for (const PlaceCase &c : cases) {
        W3DPlace p = PlaceW3DImage(c.sw, c.sh, c.iw, c.ih, c.stretch);
        SCOPED_TRACE(testing::Message() << c.iw << "x" << c.ih << " stretch " << c.stretch);
        EXPECT_EQ(c.want.x, p.x);
        EXPECT_EQ(c.want.y, p.y);
        EXPECT_EQ(c.want.w, p.w);
        EXPECT_EQ(c.want.h, p.h);
    }
}

struct StepCase {
    int frame, delta, repeat;
    int want;
    bool draw;
};

TEST(PageFlipGeometry, FrameKeysWrapWithRepeatAndStopWithout)
{
    const int last = 9;
    const StepCase cases[] = {
        {4, +1, 0, 5, true},  {4, -1, 0, 3, true},
        {9, +1, 0, 9, false}, {9, +1, 1, 0, true},
        {0, -1, 0, 0, false}, {0, -1, 1, 9, true},
    };
    for (const StepCase &c : cases) {
        W3DFrameStep s = StepW3DFrame(c.frame, last, c.delta, c.repeat);
        SCOPED_TRACE(testing::Message() << c.frame << " " << c.delta << " repeat " << c.repeat);
        EXPECT_EQ(c.want, s.frame);
        EXPECT_EQ(c.draw, s.draw);
    }
}

}  // namespace
