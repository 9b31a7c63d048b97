#include "alignment/control_points.h"

#include "alignment/fixed_point.h"
#include "alignment_fixture.h"

#include <math.h>
#include <stdio.h>
#include <string>

namespace {

class FitTest : public AlignmentTest {
protected:
    std::string path_ = testing::TempDir() + "fit.oto";

    // Writes n points of a pair whose right image is turned by rotation
    // (0.1 degree) and scaled by size (per mille) against the left one and
    // lies dy pixels lower; disparities 20..38 pixels.
    void WritePair(int w, int h, int n, int rotation, int size, double dy)
    {
        const int a = rotation / 2, b = a - rotation;
        const int sa = size / 2, sb = sa - size;
        const double ra = a * kTenthDegreeToRadian, rb = b * kTenthDegreeToRadian;
        const double fa = (1000 + sa) * 0.001, fb = (1000 + sb) * 0.001;
        FILE *f = fopen(path_.c_str(), "w");
        for (int i = 0; i < n; i++) {
            const double x = (i * 37 % 97) / 97.0 * (w - 80) - (w - 80) / 2.0;
            const double y = (i * 53 % 89) / 89.0 * (h - 60) - (h - 60) / 2.0;
            const double d = 20 + (i * 7 % 10) * 2;
            // Undo what the fit applies: turn, then scale, then shift.
            const double lx = x / fa, ly = y / fa, rx = (x + d) / fb, ry = (y + dy) / fb;
            const double X0 = lx * cos(-ra) - ly * sin(-ra), Y0 = lx * sin(-ra) + ly * cos(-ra);
            const double X1 = rx * cos(-rb) - ry * sin(-rb), Y1 = rx * sin(-rb) + ry * cos(-rb);
            fprintf(f, "c n0 N1 x%.6f y%.6f X%.6f Y%.6f t0\n", X0 + w / 2.0, Y0 + h / 2.0, X1 + w / 2.0,
                    Y1 + h / 2.0);
        }
        fclose(f);
        g_nImageWidth = w;
        g_nImageHeight = h;
    }
};

TEST_F(FitTest, RecoversTurnSizeAndOffsets)
{
    WritePair(1280, 720, 300, 14, -12, 7);
    ASSERT_EQ(FitControlPoints(path_.c_str()), 300);
    EXPECT_EQ(g_nRotationL - g_nRotationR, 14);
    EXPECT_EQ(g_nRotationL, 7);
    EXPECT_EQ(g_nSize1000L - g_nSize1000R, -12);
    EXPECT_EQ(g_nShiftY, -7);
    // Parallel input, the nearest points (disparity 20) become the window;
    // the turned points' disparities come out a fraction either side.
    EXPECT_NEAR(g_nShiftX, 20, 1);
    EXPECT_EQ(g_nMatchedPoints, 300);
    EXPECT_EQ(g_nNearFarPoint, 18);
    EXPECT_LT(g_dMeanErrorH, 0.01);
    EXPECT_EQ(g_nHalfFov, 272);
}

TEST_F(FitTest, ItemsThatAreOffKeepTheirValues)
{
    WritePair(1280, 720, 300, 14, -12, 7);
    UnpackAdjustItems(100100);   // vertical position and rotation only
    g_nSize1000L = 33;
    g_nShiftX = -5;
    ASSERT_GT(FitControlPoints(path_.c_str()), 0);
    EXPECT_EQ(g_nRotationL - g_nRotationR, 14);
    EXPECT_EQ(g_nShiftY, -7);
    EXPECT_EQ(g_nSize1000L, 33);
    EXPECT_EQ(g_nShiftX, -5);
}

TEST_F(FitTest, FewPointsAreAcceptedOnlyWithoutAStereoWindow)
{
    WritePair(1280, 720, 40, 10, 0, 3);
    g_nRotationL = 99;
    ASSERT_EQ(FitControlPoints(path_.c_str()), 40);
    EXPECT_EQ(g_nRotationL, 99);   // position W: not accepted
    EXPECT_EQ(g_nMatchedPoints, 40);
    g_nDeviationMode = 2;
    ASSERT_EQ(FitControlPoints(path_.c_str()), 40);
    EXPECT_EQ(g_nRotationL - g_nRotationR, 10);
    EXPECT_EQ(g_nShiftX, 0);
    EXPECT_EQ(g_nShiftY, -3);
}

TEST_F(FitTest, BarrelValuesFollowThePreCorrectionSetting)
{
    const struct { int setting, barrel; } cases[] = {{15100, 100}, {5100, 0}, {14500, -500}};
    for (const auto &tc : cases) {
        WritePair(640, 480, 100, 0, 0, 0);
        g_nBarrel = tc.setting;
        g_nBarrelL = g_nBarrelR = 7;
        ASSERT_GT(FitControlPoints(path_.c_str()), 0);
        EXPECT_EQ(g_nBarrelL, tc.barrel);
        EXPECT_EQ(g_nBarrelR, tc.barrel);
    }
}

TEST_F(FitTest, NothingChangesWithoutPointsOrOnTinyFrames)
{
    g_nRotationL = 4;
    g_bReversePerspective = 1;
    g_nHalfFov = 500;
    g_nMatchedPoints = 77;
    FILE *f = fopen(path_.c_str(), "w");
    fputs("i w640 h480\nFound 0 matches.\n", f);
    fclose(f);
    g_nImageWidth = 640;
    g_nImageHeight = 480;
    EXPECT_EQ(FitControlPoints(path_.c_str()), 0);
    EXPECT_EQ(FitControlPoints((path_ + ".missing").c_str()), 0);
    WritePair(640, 480, 100, 10, 0, 0);
    for (auto size : {std::make_pair(9, 480), std::make_pair(640, 19), std::make_pair(0, 0)}) {
        g_nImageWidth = size.first;
        g_nImageHeight = size.second;
        EXPECT_EQ(FitControlPoints(path_.c_str()), 0);
    }
    EXPECT_EQ(g_nRotationL, 4);
    EXPECT_EQ(g_bReversePerspective, 1);
    EXPECT_EQ(g_nHalfFov, 500);
    // No point took part in those fits.
    EXPECT_EQ(g_nMatchedPoints, 0);
}

TEST_F(FitTest, AFitLeavesNoPerspectiveShiftOrRotationKind)
{
    WritePair(640, 480, 100, 0, 0, 0);
    g_bReversePerspective = 1;
    g_nPersShiftL = 12;
    g_nPersShiftR = -3;
    ASSERT_GT(FitControlPoints(path_.c_str()), 0);
    EXPECT_EQ(g_bReversePerspective, 0);
    EXPECT_EQ(g_nPersShiftL, 0);
    EXPECT_EQ(g_nPersShiftR, 0);
}

} // namespace
