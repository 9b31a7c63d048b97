#include "alignment/control_points.h"

#include "alignment/fixed_point.h"
#include "alignment_fixture.h"
#include "tests/support/host_files.h"

#include <math.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

std::string WriteText(const char *name, const std::string &text)
{
    const std::string path = testing::TempDir() + name;
    WriteWholeText(path, text);
    return path;
}

class ControlPointTest : public AlignmentTest {
protected:
    void SetUp() override
    {
        AlignmentTest::SetUp();
        g_nControlPoints = 0;
    }

    // Puts points (left x, y, right X, Y, relative to the centre) in the
    // table, all included.
    static void SetPoints(const std::vector<ControlPoint> &points)
    {
        g_nControlPoints = (int)points.size();
        for (size_t i = 0; i < points.size(); i++)
            g_aControlPoints[i] = points[i];
    }

    static std::vector<int> Excluded()
    {
        std::vector<int> e;
        for (int i = 0; i < g_nControlPoints; i++)
            e.push_back(g_aControlPoints[i].bExcluded);
        return e;
    }
};

ControlPoint Pair(double x, double y, double d, double dy) { return {0, x, y, x + d, y + dy}; }

TEST_F(ControlPointTest, LoaderTakesTheValuesOfCLines)
{
    g_nImageWidth = 720;
    g_nImageHeight = 480;
    const std::string path = WriteText("points.oto",
                                       "# written by a tool\n"
                                       "i w720 h480 f0 v50 n\"image_l.tif\"\n"
                                       "c n0 N1 x100.5 y200 X110 Y201.25 t0\n"
                                       "c n0 N1 x10 y20 X30\n"         // no Y: carried to the next line
                                       "c Y40\n"
                                       "c n0 N1 xabc y5 X6 Y7 x999\n"   // x does not parse; after Y nothing counts
                                       "c x 5 y6 X7 Y8\n"               // the number ends at the blank
                                       "Found 4 matches.\n");
    ASSERT_EQ(LoadControlPoints(path.c_str()), 4);
    ASSERT_EQ(g_nControlPoints, 4);
    const double want[4][4] = {{100.5, 200, 110, 201.25}, {10, 20, 30, 40}, {0, 5, 6, 7}, {0, 6, 7, 8}};
    for (int i = 0; i < 4; i++) {
        const ControlPoint &p = g_aControlPoints[i];
        EXPECT_DOUBLE_EQ(p.x, want[i][0] - 360) << i;
        EXPECT_DOUBLE_EQ(p.y, want[i][1] - 240) << i;
        EXPECT_DOUBLE_EQ(p.X, want[i][2] - 360) << i;
        EXPECT_DOUBLE_EQ(p.Y, want[i][3] - 240) << i;
    }
}

TEST_F(ControlPointTest, LoaderSkipsCoordinatesThatAreNotPixels)
{
    g_nImageWidth = 100;
    g_nImageHeight = 100;
    // "inf" and "nan" are numbers to glibc's atof and text (0) to the
    // Windows runtime's: either way no such value reaches the table.
    const std::string path = WriteText("odd.oto",
                                       "c x1e300 y2 X3 Y4\n"
                                       "c x1 y2 X3 Y-1e9\n"
                                       "c x1 y2 Xinf Y4\n"
                                       "c xnan y2 X3 Y4\n"
                                       "c x11 y12 X13 Y14\n");
    const int n = LoadControlPoints(path.c_str());
    ASSERT_GE(n, 1);
    for (int i = 0; i < n; i++) {
        const ControlPoint &p = g_aControlPoints[i];
        for (double v : {p.x, p.y, p.X, p.Y})
            EXPECT_TRUE(v == v && fabs(v) < 1e6) << i;
    }
    EXPECT_DOUBLE_EQ(g_aControlPoints[n - 1].x, 11 - 50);
    EXPECT_DOUBLE_EQ(g_aControlPoints[n - 1].Y, 14 - 50);
    EXPECT_NE(g_aControlPoints[0].x, 1e300 - 50);
}

TEST_F(ControlPointTest, LoaderStopsAtTheTableSize)
{
    g_nImageWidth = 100;
    g_nImageHeight = 100;
    std::string text;
    for (int i = 0; i < kMaxControlPoints + 5; i++)
        text += "c x" + std::to_string(i % 100) + " y1 X2 Y3\n";
    const std::string path = WriteText("many.oto", text);
    EXPECT_EQ(LoadControlPoints(path.c_str()), kMaxControlPoints);
    EXPECT_EQ(g_nControlPoints, kMaxControlPoints);
}

TEST_F(ControlPointTest, MissingFileGivesNoPoints)
{
    g_nControlPoints = 7;
    EXPECT_EQ(LoadControlPoints((testing::TempDir() + "no-such-file.oto").c_str()), 0);
    EXPECT_EQ(g_nControlPoints, 0);
}

TEST_F(ControlPointTest, HistogramKeepsTheDensestWindow)
{
    g_nImageWidth = 200;    // horizontal bins of 20 pixels
    g_nImageHeight = 200;   // vertical bins of 10
    std::vector<ControlPoint> pts;
    for (int i = 0; i < 30; i++)
        pts.push_back(Pair(i * 3 - 45, i * 2 - 30, 5 + i % 4, 1 + i % 3));
    pts.push_back(Pair(0, 0, 150, 1));     // horizontal bin 17
    pts.push_back(Pair(0, 0, 5, 60));      // vertical bin 26
    pts.push_back(Pair(0, 0, -300, 1));    // outside the histogram
    pts.push_back(Pair(0, 0, -39, -19));   // bins 9 and 19: inside both windows
    SetPoints(pts);
    RejectOutliersByHistogram();
    std::vector<int> want(30, 0);
    want.insert(want.end(), {1, 1, 1, 0});
    EXPECT_EQ(Excluded(), want);
}

TEST_F(ControlPointTest, DisparityStepLimitsTheVerticalDifference)
{
    g_nImageWidth = 200;
    g_nImageHeight = 200;
    const struct { int step; double dy; int excluded; } cases[] = {
        {0, 25, 0}, {0, -25, 0}, {0, 25.01, 1}, {1, 15, 0}, {1, 15.5, 1}, {2, 5, 0}, {2, -5.01, 1},
    };
    for (const auto &tc : cases) {
        SetPoints({Pair(0, 0, 1, tc.dy)});
        RejectOutliersByDisparity(tc.step);
        EXPECT_EQ(g_aControlPoints[0].bExcluded, tc.excluded) << tc.step << " " << tc.dy;
    }
}

TEST_F(ControlPointTest, DisparityStepCutsEachSignsTail)
{
    g_nImageWidth = 200;   // bins of 5 pixels
    g_nImageHeight = 200;
    std::vector<ControlPoint> pts;
    // Positive side, three points: limit 0, so one bin or more goes.
    pts.push_back(Pair(0, 0, 0, 0));
    pts.push_back(Pair(0, 0, 4.9, 0));
    pts.push_back(Pair(0, 0, 5, 0));
    // Negative side, twelve points: eight in bin 0, three in bin 1, then a
    // gap; the walk stops at bin 2 with limit 1.
    for (int i = 0; i < 8; i++)
        pts.push_back(Pair(0, 0, -2, 0));
    for (int i = 0; i < 3; i++)
        pts.push_back(Pair(0, 0, -7, 0));
    pts.push_back(Pair(0, 0, -60, 0));
    SetPoints(pts);
    RejectOutliersByDisparity(0);
    std::vector<int> want = {0, 0, 1};
    want.insert(want.end(), 11, 0);
    want.push_back(1);
    EXPECT_EQ(Excluded(), want);
}

TEST_F(ControlPointTest, ZeroDisparityCountsAsPositive)
{
    // With the zero point the positive side has eleven points and is walked
    // (limit 2 keeps bin 2); without it, ten would have limit 0.
    g_nImageWidth = 200;
    g_nImageHeight = 200;
    std::vector<ControlPoint> pts;
    for (int i = 0; i < 10; i++)
        pts.push_back(Pair(0, 0, 12, 0));
    pts.push_back(Pair(0, 0, 0, 0));
    SetPoints(pts);
    RejectOutliersByDisparity(0);
    EXPECT_EQ(Excluded(), std::vector<int>(11, 0));
}

TEST_F(ControlPointTest, EqualCostsTakeTheFirstCandidate)
{
    g_nImageWidth = 200;
    g_nImageHeight = 200;
    SetPoints({Pair(0, 0, 1, 0)});
    g_aControlPoints[0].bExcluded = 1;   // every cost is 0
    EXPECT_EQ(FindBestRotation(), -100);
    EXPECT_EQ(FindBestScale(), -100);
    EXPECT_EQ(FindBestPerspectiveV(), 0);
    EXPECT_EQ(g_nPerspVPair[0], -49);
    EXPECT_EQ(g_nPerspVPair[1], 49);
    EXPECT_EQ(FindBestPerspectiveH(), 0);
    EXPECT_EQ(g_nPerspHPair[0], -49);
}

TEST_F(ControlPointTest, RotationSearchFindsTheRelativeTurn)
{
    // Right points turned by 1.3 degrees against the left ones about the
    // centre (the split gives the left image 6, the right -7).
    g_nImageWidth = 640;
    g_nImageHeight = 480;
    std::vector<ControlPoint> pts;
    const double t = 13 * kTenthDegreeToRadian;
    for (int i = 0; i < 40; i++) {
        const double x = (i % 8) * 70 - 245, y = (i / 8) * 90 - 180;
        pts.push_back({0, x, y, x * cos(t) - y * sin(t), x * sin(t) + y * cos(t)});
    }
    SetPoints(pts);
    EXPECT_EQ(FindBestRotation(), 13);
}

TEST_F(ControlPointTest, ScaleSearchFindsTheRelativeSize)
{
    g_nImageWidth = 640;
    g_nImageHeight = 480;
    std::vector<ControlPoint> pts;
    for (int i = 0; i < 40; i++) {
        const double x = (i % 8) * 70 - 245, y = (i / 8) * 90 - 180;
        // Scaled as the split of s = -8 leaves it: left by 996, right by 1004.
        pts.push_back({0, x / 0.996, y / 0.996, (x + 12) / 1.004, y / 1.004});
    }
    SetPoints(pts);
    EXPECT_EQ(FindBestScale(), -8);
}

} // namespace
