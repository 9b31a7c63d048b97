#include "alignment/crop_rect.h"

#include "alignment/fixed_point.h"
#include "alignment_fixture.h"

#include <math.h>

bool operator==(const CropRect &a, const CropRect &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream &operator<<(std::ostream &os, const CropRect &r)
{
    return os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

struct HeaderDeleter {
    void operator()(PackedDib *d) const { FreeDib(d); }
};
using Header = std::unique_ptr<PackedDib, HeaderDeleter>;

Header Frame(int w, int h) { return Header(NewBitmapInfoHeader(w, h, 24)); }

using CropTest = AlignmentTest;

CropRect Crop(const PackedDib *f, int rl, int rr, int vl, int vr, int hl, int hr, int sl, int sr)
{
    CropRect r;
    ComputeCropRect(&r, f, rl, rr, vl, vr, hl, hr, sl, sr);
    return r;
}

TEST_F(CropTest, NoWarpKeepsTheWholeFrame)
{
    Header f = Frame(720, 480);
    EXPECT_EQ(Crop(f.get(), 0, 0, 0, 0, 0, 0, 1000, 1000), (CropRect{0, 0, 720, 480}));
    EXPECT_EQ(Crop(f.get(), 0, 0, 0, 0, 0, 0, 1000, 1040), (CropRect{0, 0, 720, 480}));
}

TEST_F(CropTest, TheSmallerSizeIsCentred)
{
    Header f = Frame(720, 480);
    EXPECT_EQ(Crop(f.get(), 0, 0, 0, 0, 0, 0, 980, 1000), (CropRect{7, 5, 712, 475}));
    EXPECT_EQ(Crop(f.get(), 0, 0, 0, 0, 0, 0, 1000, 980), (CropRect{7, 5, 712, 475}));
}

TEST_F(CropTest, TheLargerAngleOfTheTwoImagesDecides)
{
    Header f = Frame(720, 480);
    CropRect r;
    ComputeRotationCrop(&r, f.get(), -20);
    EXPECT_EQ(Crop(f.get(), 10, -20, 0, 0, 0, 0, 1000, 1000), r);
    EXPECT_EQ(Crop(f.get(), -20, 10, 0, 0, 0, 0, 1000, 1000), r);
    // On a tie the right image's.
    ComputeRotationCrop(&r, f.get(), -15);
    EXPECT_EQ(Crop(f.get(), 15, -15, 0, 0, 0, 0, 1000, 1000), r);
}

TEST_F(CropTest, AVerticalPerspectiveMakesTheSizesIrrelevant)
{
    Header f = Frame(720, 480);
    EXPECT_EQ(Crop(f.get(), 0, 0, 0, 0, 30, 0, 900, 1000), Crop(f.get(), 0, 0, 0, 0, 30, 0, 1000, 1000));
}

// Whether a point (pixels from the frame's centre) lies inside the frame
// turned by angle about its centre, with a tolerance.
bool InsideTurnedFrame(double x, double y, int w, int h, int angle, double tolerance)
{
    const double t = angle * kTenthDegreeToRadian;
    const double u = x * cos(t) + y * sin(t), v = -x * sin(t) + y * cos(t);
    return fabs(u) <= w / 2.0 + tolerance && fabs(v) <= h / 2.0 + tolerance;
}

TEST_F(CropTest, RotationRectangleLiesInTheTurnedFrameAtEveryAngle)
{
    // The corner equations' divisor is 0 at 45 degrees, and their rectangle
    // leaves the frame from about 27 degrees (720 x 480) and turns inside
    // out beyond 34; the dialogs allow 90.
    for (const auto &size : {std::make_pair(720, 480), std::make_pair(480, 720), std::make_pair(640, 640)}) {
        Header f = Frame(size.first, size.second);
        const int w = size.first, h = size.second;
        for (int angle = -900; angle <= 900; angle += 5) {
            CropRect r;
            ComputeCropRect(&r, f.get(), angle, 0, 0, 0, 0, 0, 1000, 1000);
            ASSERT_GE(r.left, 0) << angle;
            ASSERT_LT(r.left, r.right) << angle;
            ASSERT_LE(r.right, w) << angle;
            ASSERT_GE(r.top, 0) << angle;
            ASSERT_LT(r.top, r.bottom) << angle;
            ASSERT_LE(r.bottom, h) << angle;
            // Beyond 45 degrees the corner equations only approximate the
            // region (a few pixels at 85 degrees); up to 45 it must hold.
            if (abs(angle) > 450)
                continue;
            for (int cx : {r.left, r.right})
                for (int cy : {r.top, r.bottom})
                    ASSERT_TRUE(InsideTurnedFrame(cx - w / 2.0, cy - h / 2.0, w, h, angle, 1.5))
                        << w << "x" << h << " angle " << angle << " " << r;
        }
    }
}

TEST_F(CropTest, SmallRotationsKeepTheCornerSolution)
{
    // Below 27 degrees the rectangle touches the turned frame's edges.
    Header f = Frame(720, 480);
    CropRect r;
    EXPECT_EQ(*ComputeRotationCrop(&r, f.get(), 10), (CropRect{4, 6, 716, 474}));
    EXPECT_EQ(*ComputeRotationCrop(&r, f.get(), -10), (CropRect{4, 6, 716, 474}));
    EXPECT_EQ(*ComputeRotationCrop(&r, f.get(), 150), (CropRect{30, 80, 690, 400}));
    EXPECT_EQ(*ComputeRotationCrop(&r, f.get(), 0), (CropRect{0, 0, 720, 480}));
}

TEST_F(CropTest, PerspectiveRegionIsCoveredByTheWarp)
{
    // Every pixel of the rectangle takes its picture from inside the frame.
    const int w = 160, h = 120;
    Header f = Frame(w, h);
    MeshPtr id = IdentityMesh(w, h);
    for (int fov : {198, 272, 660})
        for (int angle : {-200, -50, 50, 200}) {
            g_nHalfFov = fov;
            CropRect r;
            ComputeCropRect(&r, f.get(), 0, 0, angle, 0, 0, 0, 1000, 1000);
            MeshPtr m(BuildPerspectiveVMesh(id.get(), angle, 0, 0));
            for (int y = r.top; y < r.bottom; y++)
                for (int x = r.left; x < r.right; x++) {
                    const MeshPos p = PointOf(m.get(), x, y);
                    ASSERT_TRUE(p.x >= -1024 && p.x < (w + 1) * 1024 && p.y >= -1024 && p.y < (h + 1) * 1024)
                        << "fov " << fov << " angle " << angle << " at " << x << "," << y << " " << r;
                }
            EXPECT_GT((r.right - r.left) * (r.bottom - r.top), w * h / 4) << fov << " " << angle;
        }
}

TEST_F(CropTest, DegenerateLensesGiveARectangleInTheFrame)
{
    Header f = Frame(720, 480);
    for (int fov : {0, -10, 900, 3000})
        for (int angle : {-899, -300, 300, 899, 1200}) {
            g_nHalfFov = fov;
            for (int axis = 0; axis < 2; axis++) {
                CropRect r = axis ? Crop(f.get(), 0, 0, angle, 0, 0, 0, 1000, 1000)
                                  : Crop(f.get(), 0, 0, 0, 0, angle, 0, 1000, 1000);
                EXPECT_TRUE(r.left >= 0 && r.left < r.right && r.right <= 720 && r.top >= 0 && r.top < r.bottom &&
                            r.bottom <= 480)
                    << fov << " " << angle << " " << r;
            }
        }
}

TEST_F(CropTest, CanvasRowsBelongToTheKeystoneRegion)
{
    Header f = Frame(720, 480);
    g_nCanvasHeight = 2;   // 96 extra rows
    CropRect neg = Crop(f.get(), 0, 0, 0, 0, -50, 0, 1000, 1000);
    EXPECT_EQ(neg.bottom, 480 + 96);
    EXPECT_GE(neg.top, 48);
    CropRect pos = Crop(f.get(), 0, 0, 0, 0, 50, 0, 1000, 1000);
    EXPECT_EQ(pos.top, 0);
    EXPECT_GT(pos.bottom, 48);
    EXPECT_LE(pos.bottom, 480 + 96);
}

} // namespace
