// The Direct3D 7 player's geometry: eye images in their halves, the
// display-format table, the shown part of a composed picture, the framed
// side-by-side picture and the NV3D signature row.
#include "devices/stereo_player_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct EyeCase {
    int imageW, imageH;
    bool stretch;
    PlayerEyePlace want;
};

TEST(StereoPlayerGeometry, EyeImageIsCentredCutEquallyWhenWiderOrStretchedToItsAspect)
{
    // A half of 800 x 600.
    const EyeCase cases[] = {
        {640, 480, false, {80, 60, 640, 480, 0, 640}},
        {1000, 480, false, {0, 60, 800, 480, 100, 800}},   // cut by 100 on each side
        {1001, 480, false, {0, 60, 800, 480, 100, 800}},   // the odd column falls on the right
        {800, 600, false, {0, 0, 800, 600, 0, 800}},
        {640, 480, true, {0, 0, 800, 600, 0, 640}},        // same aspect: fills the half
        {1000, 400, true, {0, 140, 800, 320, 0, 1000}},    // wider: fills the width, whole image
        {300, 600, true, {250, 0, 300, 600, 0, 300}},      // taller: fills the height
    };
    for (const EyeCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.imageW << "x" << c.imageH << (c.stretch ? " stretched" : ""));
        PlayerEyePlace p = PlacePlayerEye(800, 600, c.imageW, c.imageH, c.stretch);
        EXPECT_EQ(c.want.x, p.x);
        EXPECT_EQ(c.want.y, p.y);
        EXPECT_EQ(c.want.w, p.w);
        EXPECT_EQ(c.want.h, p.h);
        EXPECT_EQ(c.want.srcX, p.srcX);
        EXPECT_EQ(c.want.srcW, p.srcW);
    }
}

TEST(StereoPlayerGeometry, EveryDisplayFormatTakesItsKernelAndVariant)
{
    const struct {
        int format;
        PlayerFormat want;
    } cases[] = {
        {0, {kPlayerSideBySide, 0}}, {1, {kPlayerGrey, 0}},       {2, {kPlayerGrey, 1}},
        {3, {kPlayerGrey, 2}},       {8, {kPlayerGrey, 3}},       {4, {kPlayerColour, 0}},
        {5, {kPlayerColour, 1}},     {9, {kPlayerColour, 2}},     {10, {kPlayerColour, 3}},
        {6, {kPlayerInterlace, 0}},  {7, {kPlayerNothing, 0}},    {-1, {kPlayerNothing, 0}},
        {11, {kPlayerNothing, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        PlayerFormat f = PlayerFormatOf(c.format);
        EXPECT_EQ(c.want.composition, f.composition);
        EXPECT_EQ(c.want.variant, f.variant);
    }
}

TEST(StereoPlayerGeometry, ComposedPictureIsCutEquallyOrCentredOnEachAxis)
{
    const struct {
        int w, h;
        PlayerCopy want;
    } cases[] = {
        {640, 480, {0, 0, 80, 60, 640, 480}},
        {1000, 700, {100, 50, 0, 0, 800, 600}},
        {1000, 400, {100, 0, 0, 100, 800, 400}},
        {501, 601, {0, 0, 149, 0, 501, 600}},
        {800, 600, {0, 0, 0, 0, 800, 600}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        PlayerCopy p = ShowComposedPicture(800, 600, c.w, c.h);
        EXPECT_EQ(c.want.srcX, p.srcX);
        EXPECT_EQ(c.want.srcY, p.srcY);
        EXPECT_EQ(c.want.dstX, p.dstX);
        EXPECT_EQ(c.want.dstY, p.dstY);
        EXPECT_EQ(c.want.w, p.w);
        EXPECT_EQ(c.want.h, p.h);
    }
}

void ExpectDraw(const PlayerDibDraw &want, const PlayerDibDraw &got, const char *which)
{
    SCOPED_TRACE(which);
    EXPECT_EQ(want.x, got.x);
    EXPECT_EQ(want.y, got.y);
    EXPECT_EQ(want.w, got.w);
    EXPECT_EQ(want.h, got.h);
    EXPECT_EQ(want.srcX, got.srcX);
    EXPECT_EQ(want.srcY, got.srcY);
}

struct SbsCase {
    const char *name;
    PlayerSbsRequest r;
    int P, Q, x0, y0;
    PlayerDibDraw left, right;
};

TEST(StereoPlayerGeometry, SideBySideScalesBothImagesToOneHeightWithTheFrameBetween)
{
    // Request: W, H, w, h, gap, shiftX, shiftY, swap, dx, dy.
    const SbsCase cases[] = {
        // Wider than the screen's aspect: the width is filled.
        {"no frame", {1024, 768, 640, 480, 0, 0, 0, 0, 640, 0}, 384, 512, 0, 192,
         {0, 192, 512, 384, 0, 0}, {512, 192, 512, 384, 640, 0}},
        {"frame 10", {1024, 768, 640, 480, 10, 0, 0, 0, 640, 0}, 378, 504, 0, 195,
         {0, 195, 504, 378, 0, 0}, {524, 195, 504, 378, 640, 0}},
        // The offsets move the first image: right and up.
        {"offsets", {1024, 768, 640, 480, 0, 4, 2, 0, 640, 0}, 384, 512, 0, 192,
         {4, 190, 512, 384, 0, 0}, {512, 192, 512, 384, 640, 0}},
        // Swapped: the second image on the left unmoved, the first on the
        // right with the offsets.
        {"swapped", {1024, 768, 640, 480, 0, 4, 2, 1, 640, 0}, 384, 512, 0, 192,
         {0, 192, 512, 384, 640, 0}, {516, 190, 512, 384, 0, 0}},
        // Over/under source: the second image starts rows up in memory.
        {"over/under", {1024, 768, 640, 240, 0, 0, 0, 0, 0, 240}, 192, 512, 0, 288,
         {0, 288, 512, 192, 0, 0}, {512, 288, 512, 192, 0, 240}},
        // Narrower than the screen's aspect: the height is filled, centred.
        {"height filled", {1024, 300, 320, 240, 8, 0, 0, 0, 320, 0}, 300, 400, 102, 0,
         {102, 0, 400, 300, 0, 0}, {518, 0, 400, 300, 320, 0}},
        // The frame makes the pictures wider than the screen: x0 stays 0.
        {"x0 not below 0", {800, 600, 400, 600, 100, 0, 0, 0, 400, 0}, 600, 400, 0, 0,
         {0, 0, 400, 600, 0, 0}, {600, 0, 400, 600, 400, 0}},
        // 1.330 < 1.339, but the whole-number test reads 133 < 133: the
        // height is filled and x0 = (1330 - 1339) / 2 clamps to 0.
        {"integer test", {1330, 1000, 1339, 2000, 0, 0, 0, 0, 1339, 0}, 1000, 669, 0, 0,
         {0, 0, 669, 1000, 0, 0}, {669, 0, 669, 1000, 1339, 0}},
    };
    for (const SbsCase &c : cases) {
        SCOPED_TRACE(c.name);
        PlayerSbsLayout l = ComputePlayerSbs(c.r);
        ASSERT_TRUE(l.drawn);
        EXPECT_EQ(c.P, l.pictureH);
        EXPECT_EQ(c.Q, l.pictureW);
        EXPECT_EQ(c.x0, l.x0);
        EXPECT_EQ(c.y0, l.y0);
        ExpectDraw(c.left, l.left, "left");
        ExpectDraw(c.right, l.right, "right");
        // Shown 1:1 from (x0, y0) to the screen's right edge, P rows.
        EXPECT_EQ(c.x0, l.show.srcX);
        EXPECT_EQ(c.y0, l.show.srcY);
        EXPECT_EQ(c.x0, l.show.dstX);
        EXPECT_EQ(c.y0, l.show.dstY);
        EXPECT_EQ(c.r.screenW - c.x0, l.show.w);
        EXPECT_EQ(c.P, l.show.h);
    }
}

TEST(StereoPlayerGeometry, SideBySideOfAnEmptyImageOrScreenDrawsNothing)
{
    const PlayerSbsRequest cases[] = {
        {1024, 768, 0, 480, 0, 0, 0, 0, 0, 0},
        {1024, 768, 640, 0, 0, 0, 0, 0, 0, 0},
        {1024, 0, 640, 480, 0, 0, 0, 0, 0, 0},
        {1024, 768, 10, 480, -10, 0, 0, 0, 0, 0},  // a frame that eats the image
    };
    for (const PlayerSbsRequest &r : cases)
        EXPECT_FALSE(ComputePlayerSbs(r).drawn);
}

TEST(StereoPlayerGeometry, SignatureIsFiveLittleEndianWordsAtTheStartOfTheLastRow)
{
    const long pitch = 28;
    const int rows = 5;
    std::vector<BYTE> s(pitch * rows, 0xAB);
    ASSERT_TRUE(WriteNv3dSignature(s.data(), pitch, rows, 1600, 5, 16, kNv3dSwapEyes));
    const BYTE want[20] = {'N', 'V', '3', 'D', 0x40, 0x06, 0, 0, 5, 0, 0, 0, 16, 0, 0, 0, 1, 0, 0, 0};
    for (int i = 0; i < pitch * rows; i++) {
        int inRow = i - 4 * pitch;
        BYTE expect = inRow >= 0 && inRow < 20 ? want[inRow] : 0xAB;
        ASSERT_EQ(expect, s[i]) << "byte " << i;
    }
}

TEST(StereoPlayerGeometry, SignatureOutsideTheSurfaceIsRefused)
{
    std::vector<BYTE> s(32 * 4, 0);
    EXPECT_FALSE(WriteNv3dSignature(s.data(), 32, 4, 64, 5, 32, 1));   // row 4 of 4
    EXPECT_FALSE(WriteNv3dSignature(s.data(), 16, 4, 8, 4, 32, 1));    // five words do not fit
    EXPECT_FALSE(WriteNv3dSignature(s.data(), 32, 4, 64, 0, 32, 1));   // no rows
    EXPECT_FALSE(WriteNv3dSignature(nullptr, 32, 4, 64, 4, 32, 1));
    for (BYTE b : s)
        ASSERT_EQ(0, b);
    EXPECT_TRUE(WriteNv3dSignature(s.data(), 32, 4, 64, 4, 32, 1));
}

}  // namespace
