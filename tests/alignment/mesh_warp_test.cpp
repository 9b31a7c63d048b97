#include "alignment_fixture.h"
#include "tests/test_frames.h"

namespace {

using WarpTest = AlignmentTest;

DibPtr Positions(int w, int h)
{
    return MakeFrame(w, h, [](int x, int row) { return PositionPixel(x * 9, row * 13, 200); });
}

TEST_F(WarpTest, IdentityNearestCopiesTheFrame)
{
    g_bResample = 0;
    DibPtr src = Positions(13, 7);
    MeshPtr m = IdentityMesh(13, 7);
    DibPtr out(WarpDibByMesh(m.get(), src.get()));
    ASSERT_TRUE(out);
    for (int r = 0; r < 7; r++)
        for (int c = 0; c < 13; c++)
            ASSERT_EQ(PixelAt(out.get(), c, r), PixelAt(src.get(), c, r)) << c << "," << r;
}

TEST_F(WarpTest, IdentityBilinearLeavesTheLastColumnAndRowBlack)
{
    DibPtr src = Positions(13, 7);
    MeshPtr m = IdentityMesh(13, 7);
    DibPtr out(WarpDibByMesh(m.get(), src.get()));
    ASSERT_TRUE(out);
    for (int r = 0; r < 7; r++)
        for (int c = 0; c < 13; c++) {
            const Bgr want = (c == 12 || r == 6) ? Bgr{0, 0, 0} : PixelAt(src.get(), c, r);
            ASSERT_EQ(PixelAt(out.get(), c, r), want) << c << "," << r;
        }
}

TEST_F(WarpTest, BilinearWeightsComeFromTheProductTable)
{
    // Blue 0/255 on one diagonal, 255/0 on the other, sampled at the
    // middle: rows 128 and 127 through t[a][b] = a * b / 255, then 63 + 63.
    DibPtr src = MakeSolid(4, 3, {0, 0, 0});
    SetPixel(src.get(), 1, 0, {255, 10, 20});
    SetPixel(src.get(), 0, 1, {255, 10, 20});
    MeshPtr m(AllocMesh(1, 1));
    MeshPoint(m.get(), 0, 0)[0] = 512;
    MeshPoint(m.get(), 0, 0)[1] = 512;
    DibPtr out(WarpDibByMesh(m.get(), src.get()));
    EXPECT_EQ(PixelAt(out.get(), 0, 0), (Bgr{126, 4, 8}));
    g_bResample = 0;
    DibPtr nearest(WarpDibByMesh(m.get(), src.get()));
    EXPECT_EQ(PixelAt(nearest.get(), 0, 0), (Bgr{0, 0, 0}));
}

TEST_F(WarpTest, BilinearEqualsTheProductTableFormulaEverywhere)
{
    // h0 = t[P10][fx] + t[P00][255 - fx], h1 likewise one row up, out =
    // t[h0][255 - fy] + t[h1][fy], t[a][b] = a * b / 255: at every fraction
    // pair and on random pictures, including the last usable column and row.
    const int w = 37, h = 23;
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (int)(seed >> 8); };
    DibPtr src = MakeFrame(w, h, [&](int, int) { return Bgr{next() & 255, next() & 255, next() & 255}; });
    const int n = 256 * 40;
    MeshPtr m(AllocMesh(256, 40));
    for (int i = 0; i < n; i++) {
        int32_t *p = MeshPoints(m.get()) + 2 * i;
        const int fx = i % 256, fy = (i / 256 * 7 + i) % 256;
        p[0] = (next() % (w - 1)) * 1024 + fx * 4 + next() % 4;
        p[1] = (next() % (h - 1)) * 1024 + fy * 4 + next() % 4;
    }
    DibPtr out(WarpDibByMesh(m.get(), src.get()));
    ASSERT_TRUE(out);
    auto t = [](int a, int b) { return a * b / 255; };
    for (int i = 0; i < n; i++) {
        const int32_t *p = MeshPoints(m.get()) + 2 * i;
        const int x = p[0] >> 10, y = p[1] >> 10, fx = (p[0] >> 2) & 255, fy = (p[1] & 1023) / 4;
        const Bgr p00 = PixelAt(src.get(), x, y), p10 = PixelAt(src.get(), x + 1, y);
        const Bgr p01 = PixelAt(src.get(), x, y + 1), p11 = PixelAt(src.get(), x + 1, y + 1);
        auto channel = [&](int a00, int a10, int a01, int a11) {
            const int h0 = t(a10, fx) + t(a00, 255 - fx), h1 = t(a11, fx) + t(a01, 255 - fx);
            return t(h0, 255 - fy) + t(h1, fy);
        };
        const Bgr want = {channel(p00.b, p10.b, p01.b, p11.b), channel(p00.g, p10.g, p01.g, p11.g),
                          channel(p00.r, p10.r, p01.r, p11.r)};
        ASSERT_EQ(PixelAt(out.get(), i % 256, i / 256), want) << "point " << i;
    }
}

TEST_F(WarpTest, PositionsOutsideTheSourceAreBlack)
{
    DibPtr src = MakeSolid(6, 4, {50, 60, 70});
    const struct { int x, y; bool nearest, bilinear; } cases[] = {
        {-1, 0, false, false},
        {0, -1, false, false},
        {5 * 1024, 0, true, false},      // last column: no right neighbour
        {0, 3 * 1024, true, false},      // last row
        {6 * 1024, 0, false, false},
        {0, 4 * 1024, false, false},
        {-655360, -491520, false, false},
        {4 * 1024 + 1023, 2 * 1024 + 1023, true, true},
    };
    for (int resample = 0; resample < 2; resample++) {
        g_bResample = resample;
        for (const auto &tc : cases) {
            MeshPtr m(AllocMesh(1, 1));
            MeshPoint(m.get(), 0, 0)[0] = tc.x;
            MeshPoint(m.get(), 0, 0)[1] = tc.y;
            DibPtr out(WarpDibByMesh(m.get(), src.get()));
            const bool lit = resample ? tc.bilinear : tc.nearest;
            EXPECT_EQ(PixelAt(out.get(), 0, 0), (lit ? Bgr{50, 60, 70} : Bgr{0, 0, 0}))
                << tc.x << "," << tc.y << " resample " << resample;
        }
    }
}

TEST_F(WarpTest, RotationMeshTurnsThePicture)
{
    g_bResample = 0;
    DibPtr src = Positions(9, 9);
    MeshPtr id = IdentityMesh(9, 9);
    MeshPtr m(BuildRotationMesh(id.get(), 900, 0, 0));
    DibPtr out(WarpDibByMesh(m.get(), src.get()));
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++)
            ASSERT_EQ(PixelAt(out.get(), c, r), PixelAt(src.get(), 8 - r, c));
}

TEST_F(WarpTest, OnlyTwentyFourBitFramesAreWarped)
{
    DibPtr src = MakeSolid(4, 4, {1, 2, 3}, 32);
    MeshPtr m = IdentityMesh(4, 4);
    EXPECT_EQ(WarpDibByMesh(m.get(), src.get()), nullptr);
}

} // namespace
