#include "alignment/colour_match.h"

#include "state/app_state.h"
#include "tests/test_frames.h"

#include <gtest/gtest.h>

namespace {

// A frame with every level of each channel in use, different per channel.
Bgr Gradient(int x, int row) { return {(x * 7 + row) % 200, (x + row * 5) % 230, (x * 3 + row * 2) % 180}; }

bool SameFrame(const PackedDib *a, const PackedDib *b)
{
    for (int y = 0; y < DibHeight(a); y++)
        for (int x = 0; x < DibWidth(a); x++)
            if (PixelAt(a, x, y) != PixelAt(b, x, y))
                return false;
    return true;
}

class ColourMatchTest : public testing::Test {
protected:
    void TearDown() override { g_nAutoColour = 0; }
};

TEST_F(ColourMatchTest, IdenticalFramesStayUnchanged)
{
    g_nAutoColour = 1;
    DibPtr l = MakeFrame(37, 21, Gradient), r = MakeFrame(37, 21, Gradient), copy = MakeFrame(37, 21, Gradient);
    EXPECT_EQ(0, MatchColours(l.get(), r.get()));
    EXPECT_TRUE(SameFrame(r.get(), copy.get()));
}

TEST_F(ColourMatchTest, RaisedLevelsComeBackToTheReference)
{
    // The right frame is the left with every level raised by 10 (no
    // clipping): matching on the left undoes it exactly.
    g_nAutoColour = 1;
    DibPtr l = MakeFrame(40, 30, Gradient);
    DibPtr r = MakeFrame(40, 30, [](int x, int y) {
        Bgr c = Gradient(x, y);
        return Bgr{c.b + 10, c.g + 10, c.r + 10};
    });
    MatchColours(l.get(), r.get());
    EXPECT_TRUE(SameFrame(l.get(), r.get()));
}

TEST_F(ColourMatchTest, UniformReferenceMapsEveryLevelToIt)
{
    g_nAutoColour = 2;  // the left frame is changed to match the right
    DibPtr l = MakeFrame(16, 16, Gradient), r = MakeSolid(16, 16, {128, 128, 128});
    MatchColours(l.get(), r.get());
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
            ASSERT_EQ((Bgr{128, 128, 128}), PixelAt(l.get(), x, y)) << x << "," << y;
}

TEST_F(ColourMatchTest, OnlyTheTargetChanges)
{
    struct Case {
        int mode;
        bool leftChanges;
    } cases[] = {{1, false}, {2, true}};
    for (const Case &c : cases) {
        g_nAutoColour = c.mode;
        DibPtr l = MakeSolid(8, 6, {10, 20, 30}), r = MakeSolid(8, 6, {200, 100, 50});
        MatchColours(l.get(), r.get());
        const Bgr left = PixelAt(l.get(), 3, 2), right = PixelAt(r.get(), 3, 2);
        if (c.leftChanges) {
            EXPECT_EQ((Bgr{200, 100, 50}), left);
            EXPECT_EQ((Bgr{200, 100, 50}), right);
        } else {
            EXPECT_EQ((Bgr{10, 20, 30}), left);
            EXPECT_EQ((Bgr{10, 20, 30}), right);
        }
    }
}

TEST_F(ColourMatchTest, ContrastIsStretchedToTheReference)
{
    // A dull target (levels 100-131) against a reference spanning 0-255 in
    // the same order: each of the 32 target levels takes the reference
    // level of the same rank.
    g_nAutoColour = 1;
    DibPtr l = MakeFrame(32, 8, [](int x, int) { return Bgr{x * 8 + 7, x * 8 + 7, x * 8 + 7}; });
    DibPtr r = MakeFrame(32, 8, [](int x, int) { return Bgr{100 + x, 100 + x, 100 + x}; });
    MatchColours(l.get(), r.get());
    EXPECT_TRUE(SameFrame(l.get(), r.get()));
}

TEST_F(ColourMatchTest, FramesOfDifferentSizeAreLeftAlone)
{
    // The counts are absolute: a larger reference would send levels past
    // the sweep's reach to 0.
    g_nAutoColour = 1;
    DibPtr l = MakeFrame(20, 20, Gradient), r = MakeFrame(10, 20, Gradient), copy = MakeFrame(10, 20, Gradient);
    MatchColours(l.get(), r.get());
    EXPECT_TRUE(SameFrame(r.get(), copy.get()));
}

} // namespace
