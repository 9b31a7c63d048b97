#include "shared/frame_conversions.h"

#include "../test_frames.h"

#include <gtest/gtest.h>

#include <math.h>

namespace {

// The BT.601 limited-range conversion the tables implement, in doubles.
Bgr Bt601(int y, int u, int v)
{
    auto clamp = [](double x) { return x < 0 ? 0 : x > 255 ? 255 : x; };
    auto r = [](double x) { return (int)floor(x + 0.5); };
    double Y = 1.164 * (y - 16);
    return {(int)clamp(r(Y) + r(2.018 * (u - 128))), (int)clamp(r(Y) + r(-0.391 * (u - 128)) + r(-0.813 * (v - 128))),
            (int)clamp(r(Y) + r(1.596 * (v - 128)))};
}

}  // namespace

TEST(FrameConversions, Yuy2BlackWhiteAndTheFormula)
{
    BYTE pair[4] = {16, 128, 235, 128};
    BYTE out[6];
    Yuy2ToRgb24(out, pair, 1, 1, 0, 0);
    EXPECT_EQ(Bgr({out[0], out[1], out[2]}), (Bgr{0, 0, 0}));
    EXPECT_EQ(Bgr({out[3], out[4], out[5]}), (Bgr{255, 255, 255}));
    for (int y = 0; y < 256; y += 17)
        for (int u = 0; u < 256; u += 15)
            for (int v = 0; v < 256; v += 15) {
                BYTE p[4] = {(BYTE)y, (BYTE)u, (BYTE)y, (BYTE)v};
                Yuy2ToRgb24(out, p, 1, 1, 0, 0);
                EXPECT_EQ(Bgr({out[0], out[1], out[2]}), Bt601(y, u, v)) << y << " " << u << " " << v;
            }
}

TEST(FrameConversions, DirectConversionOfYuy2And32BitAndTopDownFrames)
{
    // YUY2 rows are top-down: the first source row is the top of the picture.
    BYTE frame[sizeof(BITMAPINFOHEADER) + 2 * 4 * 2];
    BITMAPINFOHEADER *h = (BITMAPINFOHEADER *)frame;
    *h = BITMAPINFOHEADER{40, 4, 2, 1, 16, kFourccYuy2, 16, 0, 0, 0, 0};
    BYTE rows[16] = {235, 128, 235, 128, 235, 128, 235, 128, 16, 128, 16, 128, 16, 128, 16, 128};
    memcpy(frame + 40, rows, 16);
    DibPtr t(CreateDib(4, 2, 24, 1));
    ASSERT_TRUE(ConvertFrameTo24Direct(t.get(), h));
    EXPECT_EQ(PixelAt(t.get(), 3, 0), (Bgr{0, 0, 0}));        // bottom
    EXPECT_EQ(PixelAt(t.get(), 3, 1), (Bgr{255, 255, 255}));  // top

    DibPtr wide = MakeFrame(3, 2, [](int x, int row) { return Bgr{x, row, 50}; }, 32);
    DibPtr t2(CreateDib(3, 2, 24, 1));
    ASSERT_TRUE(ConvertFrameTo24Direct(t2.get(), wide.get()));
    EXPECT_EQ(PixelAt(t2.get(), 2, 1), (Bgr{2, 1, 50}));

    wide->biHeight = -2;  // the same bytes read top-down
    ASSERT_TRUE(ConvertFrameTo24Direct(t2.get(), wide.get()));
    EXPECT_EQ(DibHeight(t2.get()), 2);
    EXPECT_EQ(PixelAt(t2.get(), 2, 1), (Bgr{2, 0, 50}));

    // A target too small for the source is left alone.
    DibPtr big = MakeSolid(8, 8, {1, 2, 3});
    EXPECT_FALSE(ConvertFrameTo24Direct(t2.get(), big.get()));
    EXPECT_EQ(DibWidth(t2.get()), 3);
}

TEST(FrameConversions, DeinterlaceChangesEvenInnerRowsOnly)
{
    DibPtr f = MakeFrame(2, 4, [](int, int row) { return Bgr{row * 10, row * 10 + 1, row * 3}; });
    EXPECT_EQ(DeinterlaceFields(f.get(), 24), 1);
    EXPECT_EQ(PixelAt(f.get(), 0, 0), (Bgr{0, 1, 0}));
    EXPECT_EQ(PixelAt(f.get(), 0, 1), (Bgr{10, 11, 3}));
    EXPECT_EQ(PixelAt(f.get(), 0, 2), (Bgr{20, 21, 6}));  // (10+30)/2, (11+31)/2, (3+9)/2
    EXPECT_EQ(PixelAt(f.get(), 0, 3), (Bgr{30, 31, 9}));
    DibPtr g = MakeFrame(1, 5, [](int, int row) { return Bgr{row == 1 ? 3 : 0, 0, 0}; });
    DeinterlaceFields(g.get(), 24);
    EXPECT_EQ(PixelAt(g.get(), 0, 2).b, 1);  // (3 + 0) / 2 truncates
    EXPECT_EQ(DeinterlaceFields(g.get(), 16), 0);
}

using ResizeTest = testing::Test;

TEST_F(ResizeTest, CropRegionWithAndWithoutTrimming)
{
    int margins[4] = {3, 2, 0, 5};  // right column, right row, left column, left row
    CropRegion r = EyeCropRegion(100, 80, margins, nullptr, 1, true);
    EXPECT_EQ(r.x, 3);
    EXPECT_EQ(r.y, 2);
    EXPECT_EQ(r.width, 97);
    EXPECT_EQ(r.height, 73);
    CropRegion l = EyeCropRegion(100, 80, margins, nullptr, 0, true);
    EXPECT_EQ(l.x, 0);
    EXPECT_EQ(l.y, 5);

    const RECT trim = {10, 4, 50, 30};
    r = EyeCropRegion(100, 80, margins, &trim, 1, true);
    l = EyeCropRegion(100, 80, margins, &trim, 0, true);
    EXPECT_EQ(r.x, 13);
    EXPECT_EQ(r.y, 80 - 30 - 5);
    EXPECT_EQ(l.y, 80 - 30 - 2);
    EXPECT_EQ(r.width, 40);
    EXPECT_EQ(r.height, 26);
    // The two eyes' rows differ by the vertical origins: the same scene.
    EXPECT_EQ(l.y - r.y, 5 - 2 + 0);
}

TEST_F(ResizeTest, SameSizeKeepsEveryPixel)
{
    DibPtr f = MakeFrame(7, 5, [](int x, int row) { return Bgr{x * 30, row * 50, (x * row) % 256}; });
    int margins[4] = {0, 0, 0, 0};
    DibPtr out(ReduceDib24ByArea(f.get(), 7, 5, EyeCropRegion(7, 5, margins, nullptr, 1, true)));
    ASSERT_TRUE(out);
    for (int row = 0; row < 5; row++)
        for (int x = 0; x < 7; x++)
            EXPECT_EQ(PixelAt(out.get(), x, row), PixelAt(f.get(), x, row));
}

TEST_F(ResizeTest, AreaAveragingMatchesExactAverages)
{
    // Halving: each target pixel is the mean of four; uniform stays uniform
    // at every ratio.
    DibPtr f = MakeFrame(8, 4, [](int x, int row) { return Bgr{x * 20, row * 40, 255}; });
    DibPtr half(ReduceDib24ByArea(f.get(), 4, 2, CropRegion{0, 0, 8, 4}));
    for (int row = 0; row < 2; row++)
        for (int x = 0; x < 4; x++) {
            Bgr p = PixelAt(half.get(), x, row);
            EXPECT_NEAR(p.b, (x * 40 + 10), 1);
            EXPECT_NEAR(p.g, (row * 80 + 20), 1);
            EXPECT_EQ(p.r, 255);
        }
    DibPtr solid = MakeSolid(13, 11, {200, 100, 255});
    for (int w = 1; w <= 13; w += 3)
        for (int h = 1; h <= 11; h += 2) {
            DibPtr o(ReduceDib24ByArea(solid.get(), w, h, CropRegion{0, 0, 13, 11}));
            ASSERT_TRUE(o);
            for (int row = 0; row < h; row++)
                for (int x = 0; x < w; x++)
                    ASSERT_EQ(PixelAt(o.get(), x, row), (Bgr{200, 100, 255})) << w << "x" << h;
        }
    // A region outside the frame gives nothing.
    EXPECT_EQ(ReduceDib24ByArea(f.get(), 2, 2, CropRegion{5, 0, 4, 4}), nullptr);
}

TEST_F(ResizeTest, BilinearEnlargement)
{
    DibPtr f = MakeFrame(2, 2, [](int x, int row) { return Bgr{x * 200, row * 100, 50}; });
    DibPtr out(ResampleRegion24(f.get(), 4, 4, CropRegion{0, 0, 2, 2}));
    ASSERT_TRUE(out);
    // Positions 0, 0.5, 1, 1.5 of the source: the fraction 0.5 is 128/255.
    EXPECT_EQ(PixelAt(out.get(), 0, 0), PixelAt(f.get(), 0, 0));
    EXPECT_EQ(PixelAt(out.get(), 1, 0).b, 200 * 128 / 255);
    EXPECT_EQ(PixelAt(out.get(), 2, 2), PixelAt(f.get(), 1, 1));
    // The last column and row have no neighbour beyond: they repeat.
    EXPECT_EQ(PixelAt(out.get(), 3, 3), PixelAt(f.get(), 1, 1));
    // The products truncate: a uniform colour comes out up to two levels
    // lower between source pixels (one per direction).
    DibPtr solid = MakeSolid(3, 3, {10, 20, 30});
    DibPtr big(ResampleRegion24(solid.get(), 7, 5, CropRegion{0, 0, 3, 3}));
    for (int row = 0; row < 5; row++)
        for (int x = 0; x < 7; x++) {
            Bgr p = PixelAt(big.get(), x, row);
            EXPECT_TRUE(p.b >= 8 && p.b <= 10 && p.g >= 18 && p.g <= 20 && p.r >= 28 && p.r <= 30) << p;
        }
}
