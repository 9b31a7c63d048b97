#include "alignment/frame_adjustment.h"

#include "tests/alignment/alignment_fixture.h"
#include "tests/test_frames.h"

namespace {

class MeshBuildTest : public AlignmentTest {
protected:
    void TearDown() override
    {
        FreeAlignmentMeshes();
        AlignmentTest::TearDown();
    }
};

TEST_F(MeshBuildTest, SizeScalesAboutTheCentreAtTheFrameSize)
{
    // The picture is scaled by (1000 + size) / 1000 about the frame's
    // centre, exactly: an enlarged one cut back to the frame, a shrunk one
    // on black. (Whole-pixel sizes would shift an odd difference by half a
    // pixel.)
    DibPtr frame = MakeSolid(641, 481, {1, 2, 3});
    for (int size : {25, -25, 7, -3, 1}) {
        SCOPED_TRACE(size);
        g_nSize1000L = size;
        g_nSize1000R = -size;
        ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, frame.get(), frame.get()));
        for (const DisplacementMesh *m : {g_pMeshLeft, g_pMeshRight}) {
            ASSERT_EQ(641, m->width);
            ASSERT_EQ(481, m->height);
            const int s = m == g_pMeshLeft ? size : -size;
            const double factor = (1000.0 + s) / 1000.0;
            // Columns 40 and 600, rows 40 and 440: inside the picture for
            // every size here.
            for (int k : {40, 100}) {
                const MeshPos a = PointOf(m, k, 240), b = PointOf(m, 640 - k, 240);
                EXPECT_NEAR(640 * 1024, a.x + b.x, 8);
                EXPECT_NEAR((640 - 2 * k) * 1024 / factor, b.x - a.x, 8);
                const MeshPos c = PointOf(m, 320, k), d = PointOf(m, 320, 480 - k);
                EXPECT_NEAR(480 * 1024, c.y + d.y, 8);
                EXPECT_NEAR((480 - 2 * k) * 1024 / factor, d.y - c.y, 8);
            }
        }
        EXPECT_EQ(0, g_rcEnlargeCropL.left);
        EXPECT_EQ(641, g_rcEnlargeCropL.right);
    }
    // A shrunk picture leaves a black border: no source there.
    g_nSize1000L = -25;
    ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, frame.get(), frame.get()));
    EXPECT_LT(PointOf(g_pMeshLeft, 0, 240).x, 0);
    EXPECT_LT(PointOf(g_pMeshLeft, 320, 2).y, 0);
}

TEST_F(MeshBuildTest, ExtremeShrinkingStillGivesAMesh)
{
    // At -998 per mille and below a side would become 0 pixels (and the
    // resampling divide by it): each side stays at least one pixel.
    DibPtr frame = MakeSolid(320, 240, {1, 2, 3});
    for (int size : {-998, -999, -1000, -1001, -5000, -1000000}) {
        g_nSize1000L = g_nSize1000R = size;
        ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, frame.get(), frame.get())) << size;
        EXPECT_EQ(320, g_pMeshLeft->width);
        EXPECT_EQ(240, g_pMeshLeft->height);
        DibPtr warped(WarpDibByMesh(g_pMeshLeft, frame.get()));
        ASSERT_TRUE(warped);
    }
}

TEST_F(MeshBuildTest, HugeEnlargementKeepsTheFrameSize)
{
    DibPtr frame = MakeSolid(320, 240, {1, 2, 3});
    g_nSize1000L = 1000000;
    ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, frame.get(), frame.get()));
    EXPECT_EQ(320, g_pMeshLeft->width);
    EXPECT_NEAR((159.5 - 159.5 / 1001) * 1024, PointOf(g_pMeshLeft, 0, 120).x, 8);
}

TEST_F(MeshBuildTest, CanvasGoesToBothEyesOrNeither)
{
    // With a canvas, an eye whose chain runs a perspective-H stage grows
    // by 20 %. Where only one eye's chain would run it, both must still
    // come out one size.
    DibPtr frame = MakeSolid(200, 100, {1, 2, 3});
    struct Case {
        int barrelL, rotationL, perspectiveVL, rotationR, perspectiveVR, sizeR, reverse;
        bool canvas;
    } cases[] = {
        {40, 10, 0, 0, 0, 0, 0, true},   {0, 10, 20, 0, 0, 0, 0, true},  {0, 0, 0, 12, 30, 0, 0, true},
        {40, 0, 25, 0, 0, 0, 1, true},   {40, 10, 0, 0, 0, 30, 0, true}, {40, 10, 0, 0, 0, -30, 0, true},
        {0, 10, 20, 0, 0, 0, 1, true},   {0, 15, 0, 0, 0, 0, 0, false},  {40, 0, 0, 0, 0, 0, 0, false},
        {0, 0, 0, 0, 20, 0, 0, false},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(n++);
        g_nCanvasHeight = 2;
        g_nBarrelL = c.barrelL;
        g_nRotationL = c.rotationL;
        g_nPerspectiveVL = c.perspectiveVL;
        g_nRotationR = c.rotationR;
        g_nPerspectiveVR = c.perspectiveVR;
        g_nSize1000R = c.sizeR;
        g_bReversePerspective = c.reverse;
        ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, frame.get(), frame.get()));
        DibPtr l(WarpDibByMesh(g_pMeshLeft, frame.get())), r(WarpDibByMesh(g_pMeshRight, frame.get()));
        ASSERT_TRUE(l && r);
        int rw = DibWidth(r.get()), rh = DibHeight(r.get());
        if (c.sizeR > 0) {
            rw = g_rcEnlargeCropR.right - g_rcEnlargeCropR.left;
            rh = g_rcEnlargeCropR.bottom - g_rcEnlargeCropR.top;
        }
        EXPECT_EQ(DibWidth(l.get()), rw);
        EXPECT_EQ(DibHeight(l.get()), rh);
        const int grown = c.reverse ? DibWidth(l.get()) : DibHeight(l.get());
        const int side = c.reverse ? 200 : 100;
        EXPECT_EQ(c.canvas ? side * 12 / 10 : side, grown);
    }
}

TEST_F(MeshBuildTest, OnlyTheEyesOwnValuesShapeItsMesh)
{
    DibPtr frame = MakeSolid(64, 48, {1, 2, 3});
    g_nRotationR = 30;
    ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, frame.get(), frame.get()));
    MeshPtr identity = IdentityMesh(64, 48);
    MeshPtr rotated(BuildRotationMesh(identity.get(), 30, 0, 0));
    EXPECT_TRUE(SameMesh(g_pMeshRight, rotated.get()));
    MeshPtr plain(BuildRotationMesh(identity.get(), 0, 0, 0));
    EXPECT_TRUE(SameMesh(g_pMeshLeft, plain.get()));
}

} // namespace
