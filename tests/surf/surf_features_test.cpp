#include "alignment/surf_features.h"
#include "alignment/surf_matcher.h"
#include "tests/surf/surf_media.h"

#include <gtest/gtest.h>
#include <math.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace {

const double kPi = 3.14159265358979323846;

// The middle 400 x 300 of the 600 x 600 plasma pictures.
const int kCropX = 100, kCropY = 150, kCropW = 400, kCropH = 300;

class SurfPictures : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        plasma_ = new GreyImage(LoadGrey("plasma.pgm"));
        ASSERT_EQ(600, plasma_->w) << "test picture missing: " << MediaPath("plasma.pgm");
    }
    static void TearDownTestSuite() { delete plasma_; }
    static GreyImage Base(int dx = 0, int dy = 0) { return Crop(*plasma_, kCropX + dx, kCropY + dy, kCropW, kCropH); }
    static GreyImage *plasma_;
};
GreyImage *SurfPictures::plasma_ = nullptr;

int Scale(const SurfPoint &p) { return p.size > 9 ? p.size : 9; }

// Octave of a size: the sizes of octave o are 9, 15, 21, 27 times 2^o.
int OctaveOf(int size)
{
    for (int o = 0; o < 3; o++)
        for (int base : {9, 15, 21, 27})
            if (base << o == size)
                return o;
    return -1;
}

TEST_F(SurfPictures, PlasmaGivesKeypointsAtEveryOctave)
{
    Features f = Extract(Base());
    ASSERT_TRUE(f.ok);
    std::set<int> octaves;
    for (const SurfPoint &p : f.points)
        octaves.insert(OctaveOf(p.size));
    EXPECT_GT(f.points.size(), 100u);
    EXPECT_EQ((std::set<int>{0, 1, 2}), octaves);
}

// A shift of the picture by a whole number of grid steps of a filter size
// moves its keypoints by exactly that much and leaves what is measured at
// them - determinant, sign, direction, descriptor - unchanged.
TEST_F(SurfPictures, WholeGridStepShiftKeepsKeypointsAndDescriptors)
{
    const struct {
        int dx, dy;
    } shifts[] = {{6, 0}, {0, 9}, {18, 12}, {-27, 54}};
    Features a = Extract(Base());
    for (const auto &s : shifts) {
        SCOPED_TRACE(testing::Message() << "shift " << s.dx << "," << s.dy);
        Features b = Extract(Base(s.dx, s.dy));
        int eligible = 0, found = 0;
        for (size_t i = 0; i < a.points.size(); i++) {
            const SurfPoint &p = a.points[i];
            int scale = Scale(p);
            if ((s.dx * 9) % scale || (s.dy * 9) % scale)
                continue;
            // Everything the point looks at lies in the part both crops share.
            double reach = 2.2 * p.size + 4;
            double cx = CentreX(p), cy = CentreY(p);
            if (cx - reach < std::max(0, s.dx) || cx + reach > kCropW + std::min(0, s.dx) ||
                cy - reach < std::max(0, s.dy) || cy + reach > kCropH + std::min(0, s.dy))
                continue;
            eligible++;
            for (size_t j = 0; j < b.points.size(); j++) {
                const SurfPoint &q = b.points[j];
                if (q.size != p.size || fabs(q.x - (p.x - s.dx)) > 1e-3 || fabs(q.y - (p.y - s.dy)) > 1e-3)
                    continue;
                found++;
                EXPECT_EQ(p.hessian, q.hessian);
                EXPECT_EQ(p.laplacian, q.laplacian);
                EXPECT_EQ(p.dir, q.dir);
                const float *da = a.descriptors.At((int)i), *db = b.descriptors.At((int)j);
                for (int k = 0; k < 128; k++)
                    ASSERT_NEAR(da[k], db[k], 1e-4) << "element " << k;
            }
        }
        EXPECT_GT(eligible, 10);
        // Detection compares with neighbouring sizes on other grids, which
        // the shift need not move by whole steps; most points still recur.
        EXPECT_GE(found, eligible * 8 / 10) << found << " of " << eligible;
    }
}

TEST_F(SurfPictures, InvertingFlipsEveryLaplacianSign)
{
    Features a = Extract(Base()), b = Extract(Inverted(Base()));
    ASSERT_EQ(a.points.size(), b.points.size());
    for (size_t i = 0; i < a.points.size(); i++) {
        const SurfPoint &p = a.points[i], &q = b.points[i];
        ASSERT_EQ(p.x, q.x);
        ASSERT_EQ(p.y, q.y);
        ASSERT_EQ(p.size, q.size);
        ASSERT_NE(0, p.laplacian);
        EXPECT_EQ(-p.laplacian, q.laplacian);
        EXPECT_NEAR(p.hessian, q.hessian, 1e-4 * p.hessian);
    }
}

// Raising the threshold only ever removes keypoints.
TEST_F(SurfPictures, HigherThresholdKeepsASubset)
{
    const double thresholds[] = {50, 200, 500, 1000, 3000, 10000};
    std::set<std::tuple<float, float, int>> previous;
    size_t previousCount = SIZE_MAX;
    bool first = true;
    for (double t : thresholds) {
        Features f = Extract(Base(), t);
        std::set<std::tuple<float, float, int>> now;
        for (const SurfPoint &p : f.points) {
            EXPECT_GT(p.hessian, t);
            now.insert(std::make_tuple(p.x, p.y, p.size));
        }
        EXPECT_LE(f.points.size(), previousCount) << "threshold " << t;
        if (!first) {
            EXPECT_TRUE(std::includes(previous.begin(), previous.end(), now.begin(), now.end())) << "threshold " << t;
        }
        first = false;
        previous = now;
        previousCount = f.points.size();
    }
    EXPECT_LT(previousCount, 20u);
}

// The matcher's ties go to the first keypoint, so the order is part of the
// result: octave, then layer, then row, then column. A position lies within
// half a grid step of the sample it was found at, so along a layer the
// rows may be told apart only to within a step: y never falls back by
// more, and where it falls back at all the point is on the same row, to
// the right.
TEST_F(SurfPictures, KeypointsComeOrderedByOctaveLayerRowColumn)
{
    Features f = Extract(Base(), 100);
    auto key = [](const SurfPoint &p) { return std::make_tuple(OctaveOf(p.size), p.size); };
    ASSERT_GT(f.points.size(), 2u);
    for (size_t i = 1; i < f.points.size(); i++) {
        const SurfPoint &a = f.points[i - 1], &b = f.points[i];
        ASSERT_LE(key(a), key(b)) << "keypoint " << i;
        if (key(a) != key(b))
            continue;
        const double step = Scale(a) / 9.0;
        ASSERT_GT(b.y, a.y - step) << "keypoint " << i;
        if (b.y < a.y)
            ASSERT_GT(b.x, a.x + step) << "keypoint " << i;
    }
}

TEST_F(SurfPictures, DescriptorCellsHaveUnitLength)
{
    for (int extended : {1, 0}) {
        Features f = Extract(Base(), 500, extended);
        int per = extended ? 8 : 4;
        ASSERT_EQ(16 * per, f.descriptors.length);
        ASSERT_EQ((int)f.points.size(), f.descriptors.Count());
        for (int i = 0; i < f.descriptors.Count(); i++) {
            const float *d = f.descriptors.At(i);
            for (int c = 0; c < 16; c++) {
                double n = 0;
                for (int m = 0; m < per; m++)
                    n += (double)d[c * per + m] * d[c * per + m];
                ASSERT_TRUE(fabs(n - 1) < 1e-5 || n == 0) << "keypoint " << i << " cell " << c << ": " << n;
            }
            ASSERT_GE(f.points[i].dir, 0.0f);
            ASSERT_LT(f.points[i].dir, 360.0f);
        }
    }
}

// Picture pairs warped by ImageMagick about the centre (300, 300) of the
// 600 x 600 plasma: keypoints matched between the middle crops sit where the
// warp puts them, and their directions turn with the picture.
TEST_F(SurfPictures, MatchedKeypointsFollowRotationAndScale)
{
    const struct {
        const char *file;
        double scale, degrees;
        int minPairs;
    } cases[] = {
        {"plasma_rot30.pgm", 1.0, 30.0, 50},
        {"plasma_scale125.pgm", 1.25, 0.0, 25},
    };
    Features a = Extract(Base());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        GreyImage warped = LoadGrey(c.file);
        ASSERT_EQ(600, warped.w);
        Features b = Extract(Crop(warped, kCropX, kCropY, kCropW, kCropH));
        g_dMatchRatio = 0.6;
        std::vector<int> pairs;
        FindSurfPairs(a.points, a.descriptors, b.points, b.descriptors, &pairs);
        double th = c.degrees * kPi / 180, co = cos(th), si = sin(th);
        int good = 0, turned = 0;
        for (size_t k = 0; k < pairs.size(); k += 2) {
            const SurfPoint &p = a.points[pairs[k]], &q = b.points[pairs[k + 1]];
            double u = CentreX(p) + kCropX - 300, v = CentreY(p) + kCropY - 300;
            double ex = 300 + c.scale * (u * co - v * si) - kCropX, ey = 300 + c.scale * (u * si + v * co) - kCropY;
            if (hypot(CentreX(q) - ex, CentreY(q) - ey) > 0.1 * q.size + 1)
                continue;
            good++;
            double turn = fmod(q.dir - p.dir - c.degrees + 720 + 180, 360) - 180;
            if (fabs(turn) < 10)
                turned++;
        }
        int n = (int)pairs.size() / 2;
        EXPECT_GE(good, c.minPairs) << n << " pairs";
        EXPECT_GE(good, n * 8 / 10) << "pairs off the warp: " << n - good << " of " << n;
        EXPECT_GE(turned, good * 8 / 10) << "directions off the rotation";
    }
}

// A dark disc on a light ground: the strongest response is at the disc,
// with a positive trace, at filter sizes that grow with the disc. A light
// disc on a dark ground has the opposite sign.
TEST(SurfBlobs, StrongestResponseGrowsWithTheDisc)
{
    const double radii[] = {3, 4.5, 6.5, 9, 13, 18};
    int previousSize = 0, firstSize = 0;
    for (double r : radii) {
        for (int dark : {1, 0}) {
            SCOPED_TRACE(testing::Message() << "radius " << r << (dark ? " dark" : " light"));
            GreyImage g;
            g.w = g.h = 160;
            g.px.resize(160 * 160);
            const double c = 80.0;  // edge coordinates: the disc centre
            for (int y = 0; y < 160; y++)
                for (int x = 0; x < 160; x++) {
                    bool in = hypot(x + 0.5 - c, y + 0.5 - c) <= r;
                    g.At(x, y) = (BYTE)(in == (dark == 1) ? 40 : 210);
                }
            Features f = Extract(g);
            ASSERT_TRUE(f.ok);
            ASSERT_FALSE(f.points.empty());
            const SurfPoint *best = &f.points[0];
            for (const SurfPoint &p : f.points)
                if (p.hessian > best->hessian)
                    best = &p;
            EXPECT_EQ(dark ? 1 : -1, best->laplacian);
            double step = Scale(*best) / 9.0;
            EXPECT_LE(hypot(CentreX(*best) - c, CentreY(*best) - c), step) << "size " << best->size;
            if (dark) {
                EXPECT_GE(best->size, previousSize) << "radius " << r;
                previousSize = best->size;
                if (!firstSize)
                    firstSize = best->size;
            }
        }
    }
    EXPECT_GE(previousSize, 3 * firstSize);
}

// A smooth dark blob drawn at fractions of a pixel: the strongest keypoint
// follows it to well under a pixel, on every grid step (the blob sizes
// pick filter sizes whose steps are 1, 1 2/3, 2 1/3 and 3 pixels), so that
// two pictures of one scene moved by a fraction of a step do not round
// their points alike. What is left, up to about a fifth of a pixel, comes
// from the filters whose lobes, cut to whole pixels, are not centred.
TEST(SurfBlobs, PositionFollowsTheBlobBetweenSamples)
{
    const double sigmas[] = {1.6, 2.6, 3.7, 4.8};
    const double fractions[][2] = {{0, 0}, {0.25, 0.5}, {0.5, 0.75}, {0.75, 0.25}, {0.4, 0.1}};
    for (double sigma : sigmas)
        for (const auto &fr : fractions) {
            const double cx = 80 + fr[0], cy = 81 + fr[1];  // pixel-centre coordinates
            SCOPED_TRACE(testing::Message() << "sigma " << sigma << " centre " << cx << "," << cy);
            GreyImage g;
            g.w = g.h = 160;
            g.px.resize(160 * 160);
            for (int y = 0; y < 160; y++)
                for (int x = 0; x < 160; x++) {
                    double r2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                    g.At(x, y) = (BYTE)lround(220 - 180 * exp(-r2 / (2 * sigma * sigma)));
                }
            Features f = Extract(g);
            ASSERT_FALSE(f.points.empty());
            const SurfPoint *best = &f.points[0];
            for (const SurfPoint &p : f.points)
                if (p.hessian > best->hessian)
                    best = &p;
            EXPECT_LT(hypot(best->x - cx, best->y - cy), 0.25) << "size " << best->size << " at " << best->x << ","
                                                               << best->y;
        }
}

TEST(SurfInput, UnusableInputIsRefused)
{
    std::vector<BYTE> px(64 * 64, 128);
    SurfParams good = MakeSurfParams(500, 1);
    auto with = [&](void (*change)(SurfParams *)) {
        SurfParams p = good;
        change(&p);
        return p;
    };
    const struct {
        const char *what;
        const BYTE *pixels;
        int w, h, rowBytes;
        SurfParams params;
    } cases[] = {
        {"null pixels", nullptr, 8, 8, 8, good},
        {"zero width", px.data(), 0, 8, 8, good},
        {"zero height", px.data(), 8, 0, 8, good},
        {"negative width", px.data(), -4, 8, 8, good},
        {"rows shorter than the width", px.data(), 16, 8, 15, good},
        {"no octave", px.data(), 8, 8, 8, with([](SurfParams *p) { p->nOctaves = 0; })},
        {"too many octaves", px.data(), 8, 8, 8, with([](SurfParams *p) { p->nOctaves = kSurfMaxOctaves + 1; })},
        {"no layer", px.data(), 8, 8, 8, with([](SurfParams *p) { p->nOctaveLayers = 0; })},
        {"too many layers", px.data(), 8, 8, 8, with([](SurfParams *p) { p->nOctaveLayers = kSurfMaxLayers + 1; })},
        {"threshold not a number", px.data(), 8, 8, 8, with([](SurfParams *p) { p->hessianThreshold = NAN; })},
        {"too many pixels for 32-bit sums", px.data(), 8000, 8000, 8000, good},
    };
    for (const auto &c : cases) {
        std::vector<SurfPoint> points(1);
        SurfDescriptors descriptors;
        descriptors.values.resize(3);
        EXPECT_FALSE(ExtractSurf(c.pixels, c.w, c.h, c.rowBytes, c.params, &points, &descriptors)) << c.what;
        EXPECT_TRUE(points.empty()) << c.what;
        EXPECT_TRUE(descriptors.values.empty()) << c.what;
    }
}

TEST(SurfInput, SmallOrFlatPicturesHaveNoKeypoints)
{
    const struct {
        int w, h, value;
    } cases[] = {{1, 1, 0}, {7, 3, 90}, {21, 21, 255}, {33, 5, 7}, {200, 150, 128}};
    for (const auto &c : cases) {
        GreyImage g;
        g.w = c.w, g.h = c.h;
        g.px.assign((size_t)c.w * c.h, (BYTE)c.value);
        Features f = Extract(g, 0);
        EXPECT_TRUE(f.ok) << c.w << "x" << c.h;
        EXPECT_TRUE(f.points.empty()) << c.w << "x" << c.h;
        EXPECT_EQ(128, f.descriptors.length);
    }
}

}  // namespace
