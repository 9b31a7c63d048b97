#include "pipeline/anaglyph_preview.h"

#include "tests/test_frames.h"

#include <gtest/gtest.h>

namespace {

struct Composed {
    DibPtr picture;
    int meanLeft = -1, meanRight = -1;
};

Composed Compose(const PackedDib *l, const PackedDib *r, int type, int view, int gl = 100, int gr = 100)
{
    Composed c;
    c.picture.reset(ComposeAnaglyphPreview(l, gl, &c.meanLeft, r, gr, &c.meanRight, type, view));
    return c;
}

}  // namespace

// One pixel pair through every type at both gammas 100. The left pixel's
// luma is 85; the right one's is 82, which the right table maps to 81.
// Red 200, green 100, blue 180 of the right pixel and blue 20 of the left
// one pass unchanged except 180 (mapped to 179).
TEST(AnaglyphPreview, EveryTypeTakesItsChannelsThroughTheTables)
{
    DibPtr l = MakeSolid(3, 2, {20, 40, 200}), r = MakeSolid(3, 2, {180, 100, 10});
    const struct {
        int type;
        Bgr out;
        int meanLeft, meanRight;
    } cases[] = {
        {0, {81, 81, 85}, 85, 81},    // red-cyan
        {1, {0, 81, 85}, 85, 81},     // red-green
        {2, {81, 0, 85}, 85, 81},     // red-blue
        {3, {179, 100, 200}, 200, 113},  // colour: right density from trunc(0.837 G + 0.163 B) = 113
        {4, {179, 100, 85}, 85, 113},    // the red from the left luma
        {5, {85, 81, 81}, 85, 81},       // yellow-blue: the left eye in blue
        {6, {20, 100, 10}, 20, 70},      // colour yellow-blue: trunc(0.667 G + 0.333 R) = 70
        {7, {85, 100, 10}, 85, 70},      // the blue from the left luma
    };
    for (const auto &c : cases) {
        Composed p = Compose(l.get(), r.get(), c.type, kPreviewBoth);
        ASSERT_TRUE(p.picture) << c.type;
        EXPECT_EQ(DibWidth(p.picture.get()), 3);
        EXPECT_EQ(DibHeight(p.picture.get()), 2);
        EXPECT_EQ(DibBitCount(p.picture.get()), 24);
        EXPECT_EQ(PixelAt(p.picture.get(), 2, 1), c.out) << "type " << c.type;
        EXPECT_EQ(p.meanLeft, c.meanLeft) << "type " << c.type;
        EXPECT_EQ(p.meanRight, c.meanRight) << "type " << c.type;
    }
}

// The view switches off the other eye's channels; the densities stay those
// of both eyes.
TEST(AnaglyphPreview, ViewShowsOneEyesChannels)
{
    DibPtr l = MakeSolid(2, 2, {20, 40, 200}), r = MakeSolid(2, 2, {180, 100, 10});
    const struct {
        int type, view;
        Bgr out;
    } cases[] = {
        {0, kPreviewLeftOnly, {0, 0, 85}},   {0, kPreviewRightOnly, {81, 81, 0}},
        {1, kPreviewRightOnly, {0, 81, 0}},  {3, kPreviewLeftOnly, {0, 0, 200}},
        {5, kPreviewLeftOnly, {85, 0, 0}},   {5, kPreviewRightOnly, {0, 81, 81}},
        {6, kPreviewRightOnly, {0, 100, 10}},
    };
    for (const auto &c : cases) {
        Composed p = Compose(l.get(), r.get(), c.type, c.view);
        ASSERT_TRUE(p.picture);
        EXPECT_EQ(PixelAt(p.picture.get(), 0, 0), c.out) << "type " << c.type << " view " << c.view;
        EXPECT_EQ(p.meanLeft, c.type == 3 ? 200 : c.type == 6 ? 20 : 85);
    }
}

TEST(AnaglyphPreview, UniformGrey132GivesDensity131AtGamma100)
{
    DibPtr l = MakeSolid(5, 3, {132, 132, 132}), r = MakeSolid(5, 3, {132, 132, 132});
    Composed p = Compose(l.get(), r.get(), 0, kPreviewBoth);
    EXPECT_EQ(p.meanLeft, 131);
    EXPECT_EQ(p.meanRight, 131);
}

// The right eye's luma sums red first: (r 2, g 26, b 10) gives 17 there
// and 16 as the left eye's luma.
TEST(AnaglyphPreview, RightLumaIsSummedRedFirst)
{
    DibPtr l = MakeSolid(1, 1, {10, 26, 2}), r = MakeSolid(1, 1, {10, 26, 2});
    Composed p = Compose(l.get(), r.get(), 0, kPreviewBoth);
    EXPECT_EQ(PixelAt(p.picture.get(), 0, 0), (Bgr{17, 17, 16}));
}

TEST(AnaglyphPreview, GammasBendEachEyeAndMeansDivideInIntegers)
{
    // Lumas 64 and 0 on the left: at gamma 2.00 the table gives
    // trunc(255 sqrt(64 / 255)) = 127, so the mean of the two is 63.
    DibPtr l = MakeFrame(2, 1, [](int x, int) { return x == 0 ? Bgr{64, 64, 64} : Bgr{0, 0, 0}; });
    DibPtr r = MakeSolid(2, 1, {80, 80, 80});
    Composed p = Compose(l.get(), r.get(), 0, kPreviewBoth, 200, 50);
    EXPECT_EQ(PixelAt(p.picture.get(), 0, 0).r, 127);
    EXPECT_EQ(p.meanLeft, 63);
    // Right luma 80 at gamma 0.50: trunc(255 (80 / 255)^2) = 25.
    EXPECT_EQ(PixelAt(p.picture.get(), 0, 0).g, 25);
    EXPECT_EQ(p.meanRight, 25);
}

TEST(AnaglyphPreview, ReadsThirtyTwoBitPictures)
{
    DibPtr l = MakeSolid(3, 2, {20, 40, 200}, 32), r = MakeSolid(3, 2, {180, 100, 10}, 32);
    Composed p = Compose(l.get(), r.get(), 3, kPreviewBoth);
    ASSERT_TRUE(p.picture);
    EXPECT_EQ(DibBitCount(p.picture.get()), 24);
    EXPECT_EQ(PixelAt(p.picture.get(), 2, 1), (Bgr{179, 100, 200}));
}

TEST(AnaglyphPreview, UnusableInputsGiveNoPictureAndKeepTheMeans)
{
    DibPtr l = MakeSolid(4, 4, {1, 2, 3}), r = MakeSolid(4, 4, {1, 2, 3}), small = MakeSolid(3, 4, {1, 2, 3});
    DibPtr grey(CreateDib(4, 4, 8, 1));
    const struct {
        const PackedDib *l, *r;
        int type;
    } cases[] = {
        {nullptr, r.get(), 0}, {l.get(), nullptr, 0}, {l.get(), small.get(), 0}, {grey.get(), r.get(), 0},
        {l.get(), r.get(), -1}, {l.get(), r.get(), 8},
    };
    for (const auto &c : cases) {
        Composed p = Compose(c.l, c.r, c.type, kPreviewBoth);
        EXPECT_FALSE(p.picture);
        EXPECT_EQ(p.meanLeft, -1);
        EXPECT_EQ(p.meanRight, -1);
    }
    // A larger right picture is read in the left one's size.
    Composed p = Compose(small.get(), l.get(), 0, kPreviewBoth);
    ASSERT_TRUE(p.picture);
    EXPECT_EQ(DibWidth(p.picture.get()), 3);
}
