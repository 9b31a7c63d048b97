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

TEST_F(MeshBuildTest, PositiveSizeEnlargesAndCutsTheCentre)
{
    DibPtr frame = MakeSolid(640, 480, {1, 2, 3});
    g_nSize1000L = 25;
    g_nSize1000R = -25;
    ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, frame.get(), frame.get()));
    ASSERT_TRUE(g_pMeshLeft && g_pMeshRight);
    // 640 x 1.025 = 656, 480 x 1.025 = 492; the frame-sized window in the
    // middle.
    EXPECT_EQ(656, g_pMeshLeft->width);
    EXPECT_EQ(492, g_pMeshLeft->height);
    EXPECT_EQ(8, g_rcEnlargeCropL.left);
    EXPECT_EQ(6, g_rcEnlargeCropL.top);
    EXPECT_EQ(648, g_rcEnlargeCropL.right);
    EXPECT_EQ(486, g_rcEnlargeCropL.bottom);
    // A shrunk eye keeps the frame size, the picture centred on black.
    EXPECT_EQ(640, g_pMeshRight->width);
    EXPECT_EQ(480, g_pMeshRight->height);
    EXPECT_LT(PointOf(g_pMeshRight, 0, 240).x, 0);
    EXPECT_NEAR(320 * 1024, PointOf(g_pMeshRight, 320, 240).x, 1024);
    EXPECT_NEAR(240 * 1024, PointOf(g_pMeshRight, 320, 240).y, 1024);
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

TEST_F(MeshBuildTest, HugeEnlargementMakesNoMesh)
{
    DibPtr frame = MakeSolid(320, 240, {1, 2, 3});
    g_nSize1000L = 1000000;
    EXPECT_EQ(1, BuildAlignmentMeshes(nullptr, frame.get(), frame.get()));
    EXPECT_EQ(nullptr, g_pMeshLeft);
    EXPECT_EQ(nullptr, g_pMeshRight);
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
