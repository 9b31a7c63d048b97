#include "alignment/surf_matcher.h"
#include "tests/surf/surf_media.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

class MatcherTest : public testing::Test {
protected:
    void SetUp() override { g_dMatchRatio = 0.4; }
    void TearDown() override { g_dMatchRatio = 0.4; }
};

std::string TempPath(const char *name)
{
    const char *dir = getenv("TEMP");
    if (!dir)
        dir = getenv("TMPDIR");
    std::string base = dir ? dir : "/tmp";
    return base + "/twr_surf_test_" + name;
}

std::string ReadText(const std::string &path)
{
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    return s;
}

bool FileExists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

TEST(MatchWorkingSizeTest, LongSideRatioAndScaleByPass)
{
    const struct {
        int pass, w, h;
        int ww, wh;
        float scale;
        double ratio;
    } cases[] = {
        {1, 720, 480, 500, 333, 1.44f, 0.4},
        {0, 720, 480, 500, 333, 1.44f, 0.4},
        {2, 720, 480, 600, 400, 1.2f, 0.5},
        {3, 720, 480, 700, 466, 1.0285714f, 0.6},
        {4, 720, 480, 700, 466, 1.0285714f, 0.6},
        {1, 480, 720, 333, 500, 1.44f, 0.4},          // portrait: the height is the long side
        {1, 1920, 1080, 500, 281, 3.84f, 0.4},
        {3, 1920, 1080, 700, 393, 1920.0f / 700, 0.6},
        {1, 640, 640, 500, 500, 1.28f, 0.4},          // square: height first
        {1, 320, 200, 500, 312, 0.64f, 0.4},          // small frames are enlarged
        {1, 4000, 2, 500, 1, 8.0f, 0.4},              // a sliver keeps one row
    };
    for (const auto &c : cases) {
        MatchWorkingSize ws = ChooseMatchWorkingSize(c.pass, c.w, c.h);
        SCOPED_TRACE(testing::Message() << "pass " << c.pass << ", " << c.w << "x" << c.h);
        EXPECT_EQ(c.ww, ws.width);
        EXPECT_EQ(c.wh, ws.height);
        EXPECT_FLOAT_EQ(c.scale, ws.scale);
        EXPECT_EQ(c.ratio, ws.ratio);
    }
}

TEST(ScaleDibToGreyTest, SamplesNearestPixelsIntoAnUprightGreyImage)
{
    // Blue carries the column, green the row counted from the top of the
    // picture, so each output byte shows where it was read from.
    const int W = 720, H = 480;
    DibPtr frame = MakeFrame(W, H, [](int x, int row) { return Bgr{0, 0, 0}; });
    for (int row = 0; row < H; row++)
        for (int x = 0; x < W; x++)
            SetPixel(frame.get(), x, row, Bgr{x % 7, (H - 1 - row) % 11, 0});
    DibPtr grey(ScaleDibToGrey(nullptr, frame.get(), 500, 333));
    ASSERT_TRUE(grey);
    EXPECT_EQ(8, DibBitCount(grey.get()));
    EXPECT_EQ(500, DibWidth(grey.get()));
    EXPECT_EQ(333, DibHeight(grey.get()));
    const RGBQUAD *palette = (const RGBQUAD *)((const BYTE *)grey.get() + grey->biSize);
    for (int i = 0; i < 256; i++)
        ASSERT_TRUE(palette[i].rgbRed == i && palette[i].rgbGreen == i && palette[i].rgbBlue == i) << i;

    const int xStep = W * 1024 / 500, yStep = H * 1024 / 333;
    const BYTE *bits = FindDibBits(grey.get());
    for (int k = 0; k < 333; k++)
        for (int i = 0; i < 500; i++) {
            // Storage row k of the result is counted from the top; it took
            // row (r * yStep) >> 10 of the bottom-up source, r = 332 - k.
            int srcRow = ((332 - k) * yStep) >> 10, srcCol = (i * xStep) >> 10;
            int fromTop = H - 1 - srcRow;
            int expected = (int)(0.587 * (fromTop % 11) + 0.114 * (srcCol % 7));
            ASSERT_EQ(expected, bits[k * 500 + i]) << "row " << k << " column " << i;
        }

    // Upright: a frame white above and black below gives a first stored row
    // of white.
    DibPtr halves = MakeFrame(64, 48, [](int, int row) { return row >= 24 ? Bgr{255, 255, 255} : Bgr{0, 0, 0}; });
    DibPtr upright(ScaleDibToGrey(nullptr, halves.get(), 32, 24));
    EXPECT_EQ(255, FindDibBits(upright.get())[0]);
    EXPECT_EQ(0, FindDibBits(upright.get())[23 * 32]);
}

TEST(ScaleDibToGreyTest, GreyWeightsAndRowPadding)
{
    const struct {
        Bgr colour;
        int grey;
    } cases[] = {
        {{0, 0, 255}, 76},   {{0, 255, 0}, 149}, {{255, 0, 0}, 29},  {{255, 255, 255}, 255},
        {{128, 128, 128}, 127}, {{1, 1, 1}, 0},  {{10, 200, 30}, 127}, {{0, 0, 0}, 0},
    };
    for (const auto &c : cases) {
        DibPtr frame = MakeSolid(9, 5, c.colour);
        DibPtr grey(ScaleDibToGrey(nullptr, frame.get(), 7, 3));
        ASSERT_TRUE(grey);
        const BYTE *bits = FindDibBits(grey.get());
        for (int r = 0; r < 3; r++) {
            for (int i = 0; i < 7; i++)
                EXPECT_EQ(c.grey, bits[r * 8 + i]) << c.colour;
            EXPECT_EQ(0, bits[r * 8 + 7]) << "padding byte";
        }
    }
}

TEST(ScaleDibToGreyTest, RefusesWhatItCannotScale)
{
    DibPtr frame = MakeSolid(16, 16, Bgr{1, 2, 3});
    DibPtr frame32 = MakeSolid(16, 16, Bgr{1, 2, 3}, 32);
    EXPECT_EQ(nullptr, ScaleDibToGrey(nullptr, nullptr, 8, 8));
    EXPECT_EQ(nullptr, ScaleDibToGrey(nullptr, frame32.get(), 8, 8));
    EXPECT_EQ(nullptr, ScaleDibToGrey(nullptr, frame.get(), 0, 8));
    EXPECT_EQ(nullptr, ScaleDibToGrey(nullptr, frame.get(), 8, -1));
    EXPECT_EQ(nullptr, ScaleDibToGrey(nullptr, frame.get(), 40000, 8));
}

TEST(DescriptorDistanceTest, StopsAtTheFirstStepPastTheBound)
{
    // Squared differences 1, 4, 9, ... 64 over eight elements: step sums
    // 1+4+9+16 = 30 and 25+36+49+64 = 174.
    float a[8] = {}, b[8];
    for (int k = 0; k < 8; k++)
        b[k] = (float)(k + 1);
    const struct {
        double bound;
        int length;
        double expected;
    } cases[] = {
        {1e6, 8, 204}, {204, 8, 204}, {203.9, 8, 204}, {30, 8, 204},
        {29.9, 8, 30}, {0, 8, 30},    {1e6, 4, 30},    {1e6, 6, 30 + 25 + 36},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, DescriptorDistance(a, b, c.bound, c.length)) << "bound " << c.bound << " length " << c.length;
}

// Right keypoints with 4-element descriptors (0, 0, 0, v): the squared
// distance to a zero left descriptor is v * v.
struct RightSet {
    std::vector<SurfPoint> points;
    SurfDescriptors descriptors;
    RightSet(std::initializer_list<std::pair<int, float>> items)
    {
        descriptors.length = 4;
        for (const auto &it : items) {
            SurfPoint p = {};
            p.laplacian = it.first;
            points.push_back(p);
            float d[4] = {0, 0, 0, it.second};
            descriptors.values.insert(descriptors.values.end(), d, d + 4);
        }
    }
};

TEST_F(MatcherTest, NearestDescriptorUnderTheRatioTest)
{
    const float zero[4] = {};
    const struct {
        const char *what;
        double ratio;
        int laplacian;
        RightSet right;
        int expected;
    } cases[] = {
        {"clear best", 0.4, 1, {{1, 1}, {1, 3}}, 0},
        {"best after the second", 0.4, 1, {{1, 3}, {1, 1}, {1, 5}}, 1},
        {"only candidate", 0.4, 1, {{1, 2}}, 0},
        {"no candidate of that sign", 0.4, 1, {{-1, 0}, {0, 0}}, -1},
        {"other signs are not candidates", 0.4, -1, {{1, 0}, {-1, 1}, {1, 1}, {-1, 3}}, 1},
        {"equal bests are never clear", 0.9, 1, {{1, 1}, {1, 1}, {1, 9}}, -1},
        {"ratio times second equal to best fails", 0.25, 1, {{1, 1}, {1, 2}}, -1},
        {"looser ratio passes", 0.3, 1, {{1, 1}, {1, 2}}, 0},
        {"too close a second", 0.4, 1, {{1, 1}, {1, 1.5f}}, -1},
        {"zero sign pairs with zero", 0.4, 0, {{1, 0}, {0, 1}}, 1},
        {"empty right set", 0.4, 1, {}, -1},
    };
    for (const auto &c : cases) {
        g_dMatchRatio = c.ratio;
        EXPECT_EQ(c.expected, FindNearestDescriptor(zero, c.laplacian, c.right.points, c.right.descriptors)) << c.what;
    }
}

TEST_F(MatcherTest, PairsFollowTheLeftOrderAndMayShareARightKeypoint)
{
    RightSet right({{1, 0}, {1, 5}, {-1, 0}});
    // Left descriptors (0, 0, 0, v) against the right values 0, 5 (sign +1)
    // and 0 (sign -1).
    RightSet left({{1, 0.5f}, {-1, 2}, {1, 4.5f}, {1, 2.5f}, {1, 0}});
    std::vector<int> pairs;
    FindSurfPairs(left.points, left.descriptors, right.points, right.descriptors, &pairs);
    // 0.5: 0.25 vs 20.25 -> 0. 2 (sign -1): only candidate -> 2.
    // 4.5: 0.25 vs 20.25 -> 1. 2.5: 6.25 vs 6.25 -> none. 0: -> 0.
    EXPECT_EQ((std::vector<int>{0, 0, 1, 2, 2, 1, 4, 0}), pairs);
}

// Lines "c x%f y%f X%f Y%f" and the closing count.
struct ControlPoints {
    bool wellFormed = true;
    int closingCount = -1;
    std::vector<double> x, y, X, Y;
};

ControlPoints ParseControlPoints(const std::string &text)
{
    ControlPoints cp;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            cp.wellFormed = false;
            break;
        }
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        double x, y, X, Y;
        int n = 0, count;
        if (cp.closingCount < 0 && sscanf(line.c_str(), "c x%lf y%lf X%lf Y%lf%n", &x, &y, &X, &Y, &n) == 4 &&
            n == (int)line.size()) {
            // Six decimals after every point.
            const char *p = line.c_str();
            for (int k = 0; k < 4; k++) {
                p = strchr(p, '.');
                if (!p || strspn(p + 1, "0123456789") != 6)
                    cp.wellFormed = false;
                else
                    p++;
            }
            cp.x.push_back(x), cp.y.push_back(y), cp.X.push_back(X), cp.Y.push_back(Y);
        } else if (cp.closingCount < 0 && sscanf(line.c_str(), "Found %d matches.%n", &count, &n) == 1 &&
                   n == (int)line.size()) {
            cp.closingCount = count;
        } else {
            cp.wellFormed = false;
        }
    }
    return cp;
}

// The colour pair of make_media.sh: the right frame is the left one scaled
// by 1.02, turned by 1.5 degrees about (360, 240) and moved by (7, -4).
TEST_F(MatcherTest, ControlPointsRecoverTheKnownWarp)
{
    DibPtr left = LoadFrame("pair_l.ppm"), right = LoadFrame("pair_r.ppm");
    ASSERT_TRUE(left && right) << "test pictures missing in " << SURF_MEDIA_DIR;
    ASSERT_EQ(720, DibWidth(left.get()));
    for (int pass = 1; pass <= 3; pass++) {
        SCOPED_TRACE(testing::Message() << "pass " << pass);
        MatchWorkingSize ws = ChooseMatchWorkingSize(pass, 720, 480);
        g_dMatchRatio = ws.ratio;
        DibPtr gl(ScaleDibToGrey(nullptr, left.get(), ws.width, ws.height));
        DibPtr gr(ScaleDibToGrey(nullptr, right.get(), ws.width, ws.height));
        std::string path = TempPath("output.oto");
        ASSERT_EQ(1, MatchSurfFeatures(gl.get(), gr.get(), path.c_str(), ws.scale));
        ControlPoints cp = ParseControlPoints(ReadText(path));
        remove(path.c_str());
        ASSERT_TRUE(cp.wellFormed);
        int n = (int)cp.x.size();
        ASSERT_EQ(n, cp.closingCount);
        ASSERT_GT(n, 50);

        // Least-squares similarity X = a x - b y + tx, Y = b x + a y + ty
        // about the centre, over the points within 3 pixels of the known
        // warp.
        const double th = 1.5 * kPi / 180, s = 1.02;
        double sxx = 0, sxX = 0, sxY = 0, sX = 0, sY = 0, sx = 0, sy = 0;
        int inliers = 0;
        for (int k = 0; k < n; k++) {
            double u = cp.x[k] - 360, v = cp.y[k] - 240;
            double ex = 360 + 7 + s * (u * cos(th) - v * sin(th)), ey = 240 - 4 + s * (u * sin(th) + v * cos(th));
            if (hypot(cp.X[k] - ex, cp.Y[k] - ey) > 3)
                continue;
            inliers++;
            double U = cp.X[k] - 360, V = cp.Y[k] - 240;
            sxx += u * u + v * v, sxX += u * U + v * V, sxY += u * V - v * U;
            sx += u, sy += v, sX += U, sY += V;
        }
        EXPECT_GE(inliers, n * 85 / 100) << n << " pairs";
        double m = inliers;
        double den = sxx - (sx * sx + sy * sy) / m;
        double a = (sxX - (sx * sX + sy * sY) / m) / den, b = (sxY - (sx * sY - sy * sX) / m) / den;
        double tx = (sX - a * sx + b * sy) / m, ty = (sY - b * sx - a * sy) / m;
        EXPECT_NEAR(1.5, atan2(b, a) * 180 / kPi, 0.03);
        EXPECT_NEAR(1.02, hypot(a, b), 0.001);
        // Positions between the grid samples: a shift that is no whole
        // number of working pixels is found to a tenth of a frame pixel
        // (on the samples alone it was off by up to half a step).
        EXPECT_NEAR(7, tx, 0.15);
        EXPECT_NEAR(-4, ty, 0.15);
    }
}

TEST_F(MatcherTest, NoKeypointsGiveOnlyTheClosingLine)
{
    DibPtr flat = MakeSolid(320, 200, Bgr{90, 90, 90});
    DibPtr grey(ScaleDibToGrey(nullptr, flat.get(), 500, 312));
    std::string path = TempPath("empty.oto");
    ASSERT_EQ(1, MatchSurfFeatures(grey.get(), grey.get(), path.c_str(), 0.64f));
    std::string text = ReadText(path);
    remove(path.c_str());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_EQ("Found 0 matches.\n", text);
}

TEST_F(MatcherTest, UnusableImagesOrPathReportFailure)
{
    DibPtr frame = MakeSolid(64, 48, Bgr{10, 20, 30});
    DibPtr grey(ScaleDibToGrey(nullptr, frame.get(), 64, 48));
    std::string path = TempPath("refused.oto");
    EXPECT_EQ(0, MatchSurfFeatures(frame.get(), grey.get(), path.c_str(), 1.0f)) << "24-bit left image";
    EXPECT_EQ(0, MatchSurfFeatures(grey.get(), nullptr, path.c_str(), 1.0f)) << "no right image";
    EXPECT_FALSE(FileExists(path));
    std::string noFolder = TempPath("no-such-folder") + "/output.oto";
    EXPECT_EQ(0, MatchSurfFeatures(grey.get(), grey.get(), noFolder.c_str(), 1.0f));
    EXPECT_FALSE(FileExists(noFolder));
}

#ifndef _WIN32
// A disk that fills up while the pairs are written must not leave a file
// whose last line holds a cut-off number: the fit would take it as a point.
TEST_F(MatcherTest, FileCutShortIsRemoved)
{
    DibPtr left = LoadFrame("pair_l.ppm");
    ASSERT_TRUE(left);
    DibPtr grey(ScaleDibToGrey(nullptr, left.get(), 500, 333));
    std::string path = TempPath("full.oto");
    struct rlimit old;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    int result = MatchSurfFeatures(grey.get(), grey.get(), path.c_str(), 1.44f);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(0, result);
    EXPECT_FALSE(FileExists(path));
    remove(path.c_str());
}
#endif

}  // namespace
