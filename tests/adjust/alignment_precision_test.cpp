// The precision the alignment values are put into force with: the
// vertical offset of the fit, and the rotation of the meshes.
#include "alignment/control_points.h"
#include "tests/alignment/alignment_fixture.h"

#include <math.h>

namespace {

class PrecisionTest : public AlignmentTest {};

TEST_F(PrecisionTest, VerticalOffsetIsRoundedToTheNearestPixel)
{
    // A pure vertical offset of a fraction of a pixel past or short of a
    // whole one: the nearest whole offset, not the one toward zero.
    struct Case {
        double dy;
        int shiftY;
    } cases[] = {{14.8, -15}, {14.3, -14}, {-7.6, 8}, {-7.4, 7}, {0.6, -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dy);
        Reset();
        g_nImageWidth = 1280;
        g_nImageHeight = 720;
        g_nControlPoints = 0;
        for (int i = 0; i < 120; i++) {
            ControlPoint &p = g_aControlPoints[g_nControlPoints++];
            p.bExcluded = 0;
            p.x = (i % 12) * 100 - 550;
            p.y = (i / 12) * 60 - 270;
            p.X = p.x + 20 + i % 3;
            p.Y = p.y + c.dy;
        }
        ASSERT_EQ(120, FitLoadedControlPoints());
        EXPECT_EQ(c.shiftY, g_nShiftY);
        EXPECT_EQ(0, g_nRotationL - g_nRotationR);
    }
}

TEST_F(PrecisionTest, RotationMeshTurnsByTheWholeAngle)
{
    // Far from the centre of a 1920 x 1080 frame, each point of a turned
    // identity mesh is the exact turn of its own position (to the mesh's
    // 1/1024 pixel, and the bilinear reading of the identity mesh).
    MeshPtr identity = IdentityMesh(1920, 1080);
    for (int angle : {25, -25, 50, 3}) {
        SCOPED_TRACE(angle);
        MeshPtr turned(BuildRotationMesh(identity.get(), angle, 0, 0));
        const double a = angle * 3.14159265358979323846 / 1800;
        for (int j : {100, 960, 1800})
            for (int i : {100, 540, 980}) {
                const double dx = j - 960, dy = i - 540;
                const double x = 960 + cos(a) * dx - sin(a) * dy, y = 540 + sin(a) * dx + cos(a) * dy;
                const MeshPos p = PointOf(turned.get(), j, i);
                EXPECT_NEAR(x, p.x / 1024.0, 0.01) << j << "," << i;
                EXPECT_NEAR(y, p.y / 1024.0, 0.01) << j << "," << i;
            }
    }
}

} // namespace
