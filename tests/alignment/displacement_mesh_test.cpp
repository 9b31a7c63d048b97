#include "alignment_fixture.h"

#include <functional>
#include <vector>

namespace {

using MeshTest = AlignmentTest;

TEST_F(MeshTest, AllocRefusesSidesNoFrameCanHave)
{
    EXPECT_EQ(AllocMesh(0, 10), nullptr);
    EXPECT_EQ(AllocMesh(10, -1), nullptr);
    EXPECT_EQ(AllocMesh(32768, 1), nullptr);
    MeshPtr m(AllocMesh(3, 2));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->width, 3);
    EXPECT_EQ(m->height, 2);
}

TEST_F(MeshTest, RotationZeroToAnotherSizeKeepsTheCentres)
{
    MeshPtr in = IdentityMesh(8, 6);
    // Larger: a border around the input; every point is its own position
    // shifted by the difference of the half sizes (outside ones included).
    MeshPtr big(BuildRotationMesh(in.get(), 0, 12, 10));
    ASSERT_TRUE(big);
    ASSERT_EQ(big->width, 12);
    ASSERT_EQ(big->height, 10);
    for (int r = 0; r < 10; r++)
        for (int c = 0; c < 12; c++)
            ASSERT_EQ(PointOf(big.get(), c, r), (MeshPos{(c - 2) * 1024, (r - 2) * 1024})) << c << "," << r;
    // Smaller: a centred crop.
    MeshPtr small(BuildRotationMesh(big.get(), 0, 8, 6));
    for (int r = 0; r < 6; r++)
        for (int c = 0; c < 8; c++)
            ASSERT_EQ(PointOf(small.get(), c, r), (MeshPos{c * 1024, r * 1024}));
}

TEST_F(MeshTest, RotationByNinetyDegreesIsExact)
{
    MeshPtr in = IdentityMesh(9, 9);
    MeshPtr m(BuildRotationMesh(in.get(), 900, 0, 0));
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++)
            ASSERT_EQ(PointOf(m.get(), c, r), (MeshPos{(8 - r) * 1024, c * 1024}));
}

TEST_F(MeshTest, ResampleSamplesInteriorCellsAndKeepsBorderPoints)
{
    MeshPtr in = IdentityMesh(5, 5);
    MeshPtr m(ResampleMesh(in.get(), 10, 10));
    // Half-pixel steps; a cell on the input's border takes the border point
    // itself instead of interpolating.
    EXPECT_EQ(PointOf(m.get(), 3, 3), (MeshPos{1536, 1536}));
    EXPECT_EQ(PointOf(m.get(), 2, 4), (MeshPos{1024, 2048}));
    EXPECT_EQ(PointOf(m.get(), 1, 1), (MeshPos{0, 0}));
    EXPECT_EQ(PointOf(m.get(), 9, 9), (MeshPos{4096, 4096}));
}

TEST_F(MeshTest, PadCentresTheInputAmongPointsWithoutSource)
{
    MeshPtr in = IdentityMesh(600, 400);
    MeshPtr m(PadMesh(in.get(), 640, 480));
    ASSERT_TRUE(m);
    for (int r = 0; r < 480; r++)
        for (int c = 0; c < 640; c++) {
            const bool inside = c >= 20 && c < 620 && r >= 40 && r < 440;
            const MeshPos want = inside ? MeshPos{(c - 20) * 1024, (r - 40) * 1024} : MeshPos{-655360, -491520};
            ASSERT_EQ(PointOf(m.get(), c, r), want) << c << "," << r;
        }
}

TEST_F(MeshTest, PadOfALargerMeshIsCutNotOverrun)
{
    MeshPtr in = IdentityMesh(20, 10);
    MeshPtr m(PadMesh(in.get(), 10, 6));
    ASSERT_TRUE(m);
    EXPECT_EQ(PointOf(m.get(), 0, 0), (MeshPos{5 * 1024, 2 * 1024}));
    EXPECT_EQ(PointOf(m.get(), 9, 5), (MeshPos{14 * 1024, 7 * 1024}));
}

TEST_F(MeshTest, BarrelZeroSamplesEveryPointAtItself)
{
    MeshPtr in = IdentityMesh(17, 9);
    MeshPtr m(BuildBarrelMesh(in.get(), 0));
    EXPECT_TRUE(SameMesh(in.get(), m.get()));
}

TEST_F(MeshTest, BarrelKeepsTheNearerEdgeOrTheCorners)
{
    MeshPtr in = IdentityMesh(41, 21);
    // Barrel: the middle of the nearer (top and bottom) edges stays, a corner
    // is drawn in. Worked by hand: f = 0.8 / 0.96 at the corner, so the
    // position (3413, 1706) is interpolated with 8-bit fractions 85 and 170.
    MeshPtr barrel(BuildBarrelMesh(in.get(), 600));
    EXPECT_EQ(PointOf(barrel.get(), 20, 0), (MeshPos{20 * 1024, 0}));
    EXPECT_EQ(PointOf(barrel.get(), 20, 20), (MeshPos{20 * 1024, 20 * 1024}));
    EXPECT_EQ(PointOf(barrel.get(), 0, 0), (MeshPos{3412, 1704}));
    // Pincushion: the corners stay.
    MeshPtr pin(BuildBarrelMesh(in.get(), -600));
    EXPECT_EQ(PointOf(pin.get(), 0, 0), (MeshPos{0, 0}));
    EXPECT_EQ(PointOf(pin.get(), 40, 20), (MeshPos{40 * 1024, 20 * 1024}));
}

TEST_F(MeshTest, PerspectiveAnglesBeyondNinetyDegreesAreLimited)
{
    MeshPtr in = IdentityMesh(64, 48);
    using Builder = std::function<DisplacementMesh *(int)>;
    const Builder builders[] = {
        [&](int a) { return BuildPerspectiveVMesh(in.get(), a, 0, 0); },
        [&](int a) { return BuildPerspectiveRotationVMesh(in.get(), a, 0, 0); },
        [&](int a) { return BuildPerspectiveHMesh(in.get(), a, 0, 0, 0); },
        [&](int a) { return BuildPerspectiveRotationHMesh(in.get(), a, 0, 0, 0); },
    };
    for (const Builder &b : builders) {
        MeshPtr over(b(1200)), limit(b(899)), under(b(-1200)), negLimit(b(-899));
        EXPECT_TRUE(SameMesh(over.get(), limit.get()));
        EXPECT_TRUE(SameMesh(under.get(), negLimit.get()));
    }
}

TEST_F(MeshTest, HalfFieldOfViewOutsideTheLensIsLimited)
{
    // A value file without "FocalLength" gives 900 (a tangent of 1.6e16),
    // a focal length that makes 0 a tangent of 0 (a division by zero).
    MeshPtr in = IdentityMesh(64, 48);
    const struct { int given, used; } cases[] = {{900, 899}, {0, 1}, {-40, 1}, {5000, 899}};
    for (const auto &tc : cases) {
        for (int kind = 0; kind < 4; kind++) {
            auto build = [&](int fov) {
                g_nHalfFov = fov;
                switch (kind) {
                case 0: return BuildPerspectiveVMesh(in.get(), 150, 0, 0);
                case 1: return BuildPerspectiveRotationVMesh(in.get(), 150, 0, 0);
                case 2: return BuildPerspectiveHMesh(in.get(), -150, 0, 0, 0);
                default: return BuildPerspectiveRotationHMesh(in.get(), -150, 0, 0, 0);
                }
            };
            MeshPtr given(build(tc.given)), used(build(tc.used));
            ASSERT_TRUE(given);
            EXPECT_TRUE(SameMesh(given.get(), used.get())) << tc.given << " kind " << kind;
        }
    }
}

TEST_F(MeshTest, PerspectiveAngleZeroIsCloseToTheIdentity)
{
    // The fixed-point lens may put a row's first position a fraction of a
    // pixel before the input's first column; the border points, which are
    // not interpolated, then come out one pixel off.
    MeshPtr in = IdentityMesh(64, 48);
    MeshPtr v(BuildPerspectiveVMesh(in.get(), 0, 0, 0));
    MeshPtr h(BuildPerspectiveHMesh(in.get(), 0, 0, 0, 0));
    for (const DisplacementMesh *m : {v.get(), h.get()})
        for (int r = 1; r < 47; r++)
            for (int c = 2; c < 63; c++) {
                MeshPos p = PointOf(m, c, r);
                ASSERT_NEAR(p.x, c * 1024, 4) << c << "," << r;
                ASSERT_NEAR(p.y, r * 1024, 4) << c << "," << r;
            }
}

TEST_F(MeshTest, CanvasAddsRowsWithoutSourceAboveAndBelow)
{
    MeshPtr in = IdentityMesh(40, 30);
    g_nCanvasHeight = 2;   // 30 rows become 36: three more on each side
    MeshPtr m(BuildPerspectiveHMesh(in.get(), 0, 0, 0, 0));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->height, 36);
    for (int r = 0; r < 36; r++) {
        const MeshPos p = PointOf(m.get(), 20, r);
        EXPECT_NEAR(p.y, (r - 3) * 1024, 4) << r;
    }
}

TEST_F(MeshTest, OddCanvasIncrementLeavesNoUnwrittenRow)
{
    // 15 rows grow to 16: the one extra row cannot be split evenly and
    // used to be left as whatever the allocation held.
    MeshPtr in = IdentityMesh(40, 15);
    g_nCanvasHeight = 1;
    MeshPtr h(BuildPerspectiveHMesh(in.get(), 30, 0, 0, 0));
    ASSERT_TRUE(h);
    ASSERT_EQ(h->height, 16);
    for (int c = 0; c < 40; c++) {
        const MeshPos p = PointOf(h.get(), c, 15);
        EXPECT_TRUE(p.x < 0 && p.y < 0) << c;
    }
    // The perspective-rotation kind widens instead.
    MeshPtr in2 = IdentityMesh(15, 40);
    MeshPtr w(BuildPerspectiveRotationHMesh(in2.get(), 30, 0, 0, 0));
    ASSERT_TRUE(w);
    ASSERT_EQ(w->width, 16);
    for (int r = 0; r < 40; r++) {
        const MeshPos p = PointOf(w.get(), 15, r);
        EXPECT_TRUE(p.x < 0 && p.y < 0) << r;
    }
    // Warped, that row is black.
    g_bResample = 0;
    PackedDib *white = CreateDib(40, 15, 24, 1);
    memset(FindDibBits(white), 255, (size_t)DibRowBytes(40, 24) * 15);
    PackedDib *out = WarpDibByMesh(h.get(), white);
    ASSERT_TRUE(out);
    const BYTE *row = DibRow(out, 15);
    for (int i = 0; i < 40 * 3; i++)
        ASSERT_EQ(row[i], 0);
    FreeDib(out);
    FreeDib(white);
}

TEST_F(MeshTest, CanvasThatRemovesEveryRowGivesNoMesh)
{
    MeshPtr in = IdentityMesh(40, 30);
    g_nCanvasHeight = -12;
    EXPECT_EQ(BuildPerspectiveHMesh(in.get(), 10, 0, 0, 0), nullptr);
    EXPECT_EQ(BuildPerspectiveRotationHMesh(in.get(), 10, 0, 0, 0), nullptr);
}

// The stages BuildCorrectionMesh runs, written out with the builders.
TEST_F(MeshTest, CorrectionRunsTheStagesOfItsValues)
{
    MeshPtr in = IdentityMesh(48, 36);
    const DisplacementMesh *m0 = in.get();
    auto rot = [](const DisplacementMesh *m, int a) { return MeshPtr(BuildRotationMesh(m, a, 0, 0)); };
    auto bar = [](const DisplacementMesh *m, int v) { return MeshPtr(BuildBarrelMesh(m, v)); };
    auto pv = [](const DisplacementMesh *m, int a) { return MeshPtr(BuildPerspectiveVMesh(m, a, 0, 0)); };
    auto ph = [](const DisplacementMesh *m, int a) { return MeshPtr(BuildPerspectiveHMesh(m, a, 0, 0, 0)); };
    struct Case {
        const char *name;
        int b, r, v, h, o, canvas;
        std::function<MeshPtr()> expected;
    };
    const Case cases[] = {
        {"barrel only", 300, 0, 0, 0, 0, 0, [&] { return bar(m0, 300); }},
        {"barrel ignores the canvas alone", 300, 0, 0, 0, 0, 2, [&] { return bar(m0, 300); }},
        {"barrel and rotation", 300, 25, 0, 0, 0, 0, [&] { return rot(bar(m0, 300).get(), 25); }},
        {"barrel, rotation and canvas", 300, 25, 0, 0, 0, 2,
         [&] { return ph(rot(bar(m0, 300).get(), 25).get(), 0); }},
        {"barrel and perspective V", 300, 0, 40, 0, 0, 0,
         [&] { return pv(rot(bar(m0, 300).get(), 0).get(), 40); }},
        {"rotation only", 0, 25, 0, 0, 0, 0, [&] { return rot(m0, 25); }},
        {"rotation ignores the canvas alone", 0, 25, 0, 0, 0, 2, [&] { return rot(m0, 25); }},
        {"rotation, perspective V and canvas", 0, 25, 40, 0, 0, 2,
         [&] { return ph(pv(rot(m0, 25).get(), 40).get(), 0); }},
        {"rotation and the other eye's H", 0, 25, 0, 0, 30, 0, [&] { return ph(rot(m0, 25).get(), 0); }},
        {"perspective V only", 0, 0, 40, 0, 0, 2, [&] { return pv(m0, 40); }},
        {"perspective V and H", 0, 0, 40, 30, 0, 0, [&] { return ph(pv(rot(m0, 0).get(), 40).get(), 30); }},
        {"perspective V and the other H", 0, 0, 40, 0, 30, 0,
         [&] { return ph(pv(rot(m0, 0).get(), 40).get(), 0); }},
        {"perspective H only", 0, 0, 0, 30, 0, 0, [&] { return ph(m0, 30); }},
        {"the other eye's H only", 0, 0, 0, 0, 30, 0, [&] { return ph(rot(m0, 0).get(), 0); }},
        {"nothing", 0, 0, 0, 0, 0, 0, [&] { return rot(m0, 0); }},
        {"the canvas alone", 0, 0, 0, 0, 0, 2, [&] { return rot(m0, 0); }},
    };
    for (const Case &tc : cases) {
        g_nCanvasHeight = tc.canvas;
        MeshPtr got(BuildCorrectionMesh(m0, tc.b, tc.r, tc.v, tc.h, tc.o, 0, 0, 0));
        MeshPtr want = tc.expected();
        ASSERT_TRUE(got) << tc.name;
        EXPECT_TRUE(SameMesh(got.get(), want.get())) << tc.name;
    }
}

TEST_F(MeshTest, PerspectiveRotationKindReplacesBothPerspectiveStages)
{
    MeshPtr in = IdentityMesh(48, 36);
    g_bReversePerspective = 1;
    MeshPtr got(BuildCorrectionMesh(in.get(), 0, 0, 40, 30, 0, 0, 0, 0));
    MeshPtr r0(BuildRotationMesh(in.get(), 0, 0, 0));
    MeshPtr v(BuildPerspectiveRotationVMesh(r0.get(), 40, 0, 0));
    MeshPtr want(BuildPerspectiveRotationHMesh(v.get(), 30, 0, 0, 0));
    EXPECT_TRUE(SameMesh(got.get(), want.get()));
}

TEST_F(MeshTest, BuildersPassAFailedAllocationOn)
{
    MeshPtr in = IdentityMesh(48, 36);
    EXPECT_EQ(BuildRotationMesh(in.get(), 10, 40000, 36), nullptr);
    EXPECT_EQ(ResampleMesh(in.get(), 40000, 36), nullptr);
    EXPECT_EQ(BuildCorrectionMesh(in.get(), 100, 10, 0, 0, 0, 40000, 36, 0), nullptr);
    EXPECT_EQ(BuildCorrectionMesh(in.get(), 0, 0, 20, 10, 0, 40000, 36, 0), nullptr);
}

} // namespace

namespace {

TEST_F(MeshTest, InterpolationNextToPointsWithoutSourceStaysNearTheImage)
{
    // A 4 x 4 image padded to 8 x 8 and sampled at half steps: cells on the
    // pad's edge mix points without source (large negative) with image
    // points. Taken as unsigned 32-bit numbers those used to wrap into
    // positions 64 pixels away, inside the frame.
    MeshPtr in = IdentityMesh(4, 4);
    MeshPtr padded(PadMesh(in.get(), 8, 8));
    MeshPtr m(ResampleMesh(padded.get(), 16, 16));
    for (int r = 0; r < 16; r++)
        for (int c = 0; c < 16; c++) {
            const MeshPos p = PointOf(m.get(), c, r);
            if (p.x < 0 || p.y < 0)
                continue;
            EXPECT_NEAR(p.x / 1024.0, c / 2.0 - 2, 1.0) << c << "," << r;
            EXPECT_NEAR(p.y / 1024.0, r / 2.0 - 2, 1.0) << c << "," << r;
        }
}

} // namespace
