// The pair fetch over records whose frames come from a stand-in fetch:
// the open options on two movies, the views of one stereo file, and the
// roads between one and two fetches.
#include "sources/stereo_pair.h"

#include "sources/frame_fetch.h"
#include "sources/stereo_layouts.h"
#include "state/app_state.h"

#include "../test_frames.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

struct FakeMovie {
    std::function<DibPtr(int)> make;
    int fetches = 0;
    bool fail = false;
    DibPtr frame;
};
std::map<const MovieSource *, FakeMovie> g_fakes;

// Frames whose pixels tell the movie (red), the frame (blue) and the row
// (green).
std::function<DibPtr(int)> Tagged(int w, int h, int tag, int bits = 24)
{
    return [=](int index) {
        return MakeFrame(w, h, [=](int, int row) { return Bgr{index & 255, row & 255, tag}; }, bits);
    };
}

}  // namespace

int FetchMovieFrame(MovieSource *m, int index)
{
    FakeMovie &f = g_fakes[m];
    f.fetches++;
    if (f.fail || !f.make)
        return 1;
    f.frame = f.make(index);
    m->pDecoded = f.frame.get();
    return 0;
}

class StereoPairTest : public testing::Test {
protected:
    MovieSource left, right;

    void SetUp() override
    {
        g_fakes.clear();
        InitMovieSource(&left);
        InitMovieSource(&right);
        g_bDeinterlaceOpt = g_nFieldMode = g_nRightField = 0;
        g_nTurnL = g_nTurnR = 0;
        g_nSType = 0;
    }
    void TearDown() override
    {
        for (MovieSource *m : {&left, &right}) {
            FreeDib(m->pFrame24);
            FreeDib(m->pView);
            FreeDib(m->pTurned);
        }
        g_fakes.clear();
        g_bDeinterlaceOpt = g_nFieldMode = g_nRightField = 0;
        g_nTurnL = g_nTurnR = 0;
        g_nSType = 0;
    }
    // A record as the opener leaves it for a frame of w x h.
    void Open(MovieSource &m, int w, int h, std::function<DibPtr(int)> make, int kind = kSourceOwnReader)
    {
        m.nKind = kind;
        m.bOpen = 1;
        m.nWidth = w;
        m.nHeight = g_bDeinterlaceOpt * g_nFieldMode == 1 ? h / 2 : h;
        m.pFrame24 = CreateDib(m.nWidth, m.nHeight, 24, 0);
        m.pView = CreateDib(m.nWidth, m.nHeight, 24, 0);
        g_fakes[&m].make = make;
    }
};

TEST_F(StereoPairTest, TwoMoviesGiveTheirOwnFrames)
{
    Open(left, 8, 4, Tagged(8, 4, 1));
    Open(right, 8, 4, Tagged(8, 4, 2, 32));
    ASSERT_EQ(GetStereoFramePair(&left, 3, &right, 5), 0);
    EXPECT_EQ(left.pCurrent, left.pDecoded);  // 24 bits: used as it is
    EXPECT_EQ(right.pCurrent, right.pFrame24);  // 32 bits: converted
    EXPECT_EQ(PixelAt(left.pCurrent, 7, 3), (Bgr{3, 3, 1}));
    EXPECT_EQ(PixelAt(right.pCurrent, 7, 3), (Bgr{5, 3, 2}));
    EXPECT_EQ(DibBitCount(right.pCurrent), 24);

    g_fakes[&right].fail = true;
    EXPECT_EQ(GetStereoFramePair(&left, 3, &right, 5), 1);
}

TEST_F(StereoPairTest, TurnedImagesKeepTheirOwnBuffer)
{
    // A 1366 x 768 32-bit movie turned a quarter: the turned image is a
    // little smaller than the 24-bit frame, which must stay as it was for
    // the next conversion.
    Open(left, 1366, 768, Tagged(1366, 768, 1, 32));
    Open(right, 1366, 768, Tagged(1366, 768, 2, 32));
    PackedDib *frame24 = left.pFrame24;
    g_nTurnL = 1;
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(GetStereoFramePair(&left, i, &right, i), 0);
        EXPECT_EQ(left.pFrame24, frame24);
        EXPECT_EQ(left.pCurrent, left.pTurned);
        EXPECT_EQ(left.nWidth, 768);
        EXPECT_EQ(left.nHeight, 1366);
        EXPECT_EQ(DibWidth(left.pFrame24), 1366);
        EXPECT_EQ(right.nWidth, 1366);
    }
}

TEST_F(StereoPairTest, DiscardFieldKeepsOneFieldPerEye)
{
    g_bDeinterlaceOpt = 1;
    g_nFieldMode = 1;
    g_nRightField = 1;
    Open(left, 720, 480, Tagged(720, 480, 1));
    Open(right, 720, 480, Tagged(720, 480, 2, 32));
    ASSERT_EQ(GetStereoFramePair(&left, 0, &right, 0), 0);
    EXPECT_EQ(left.nWidth, 720);
    EXPECT_EQ(left.nHeight, 240);
    EXPECT_EQ(right.nHeight, 240);
    for (int k = 0; k < 240; k += 37) {
        EXPECT_EQ(PixelAt(left.pCurrent, 5, k).g, (2 * k) & 255);
        EXPECT_EQ(PixelAt(right.pCurrent, 5, k).g, (2 * k + 1) & 255);
    }
}

TEST_F(StereoPairTest, DuplicateFieldDeinterlaces)
{
    Open(left, 4, 6, Tagged(4, 6, 1));
    Open(right, 4, 6, Tagged(4, 6, 2));
    left.bDeinterlace = 1;
    ASSERT_EQ(GetStereoFramePair(&left, 0, &right, 0), 0);
    // Rows 2 and 4 became the average of their neighbours: the same ramp.
    EXPECT_EQ(PixelAt(left.pCurrent, 0, 2).g, 2);
    EXPECT_EQ(PixelAt(right.pCurrent, 0, 2).g, 2);
}

TEST_F(StereoPairTest, OneStereoFileSplitsOnceAndFollowsTheExchange)
{
    auto frame = [](int index) {
        return MakeFrame(8, 2, [=](int x, int) { return Bgr{x, index, x < 4 ? 100 : 200}; });
    };
    Open(left, 8, 2, frame);
    Open(right, 8, 2, frame);
    g_nSType = 0;
    ASSERT_TRUE(SetupStereoFileRecords(&left, &right, 0));
    EXPECT_EQ(left.nLayout, 10);
    EXPECT_EQ(right.nLayout, 11);
    EXPECT_EQ(left.nWidth, 4);

    ASSERT_EQ(GetStereoFramePair(&left, 4, &right, 4), 0);
    EXPECT_EQ(g_fakes[&left].fetches, 1);
    EXPECT_EQ(g_fakes[&right].fetches, 0);
    EXPECT_EQ(left.pCurrent, left.pView);
    EXPECT_EQ(PixelAt(left.pCurrent, 1, 0), (Bgr{1, 4, 100}));
    EXPECT_EQ(PixelAt(right.pCurrent, 1, 0), (Bgr{5, 4, 200}));
    EXPECT_EQ(right.nWidth, 4);

    // The shell's exchange hands the records to the other eyes: the left
    // eye now shows the second view, with no reopening.
    ASSERT_EQ(GetStereoFramePair(&right, 4, &left, 4), 0);
    EXPECT_EQ(PixelAt(right.pCurrent, 1, 0).r, 200);
    EXPECT_EQ(PixelAt(left.pCurrent, 1, 0).r, 100);

    // Different positions: each record fetched and cut on its own.
    ASSERT_EQ(GetStereoFramePair(&left, 2, &right, 7), 0);
    EXPECT_EQ(PixelAt(left.pCurrent, 0, 0), (Bgr{0, 2, 100}));
    EXPECT_EQ(PixelAt(right.pCurrent, 0, 0), (Bgr{4, 7, 200}));
}

TEST_F(StereoPairTest, AnOutsidePluginIsFetchedTwiceEvenAtEqualPositions)
{
    auto frame = Tagged(8, 2, 1);
    Open(left, 8, 2, frame, kSourcePlugin);
    Open(right, 8, 2, frame, kSourcePlugin);
    left.nPluginMode = right.nPluginMode = 1;
    SetupStereoFileRecords(&left, &right, 0);
    ASSERT_EQ(GetStereoFramePair(&left, 3, &right, 3), 0);
    EXPECT_EQ(g_fakes[&left].fetches, 1);
    EXPECT_EQ(g_fakes[&right].fetches, 1);
}

TEST_F(StereoPairTest, PreConversionsOfTheRarerTypes)
{
    struct Case {
        int type, w, h, viewW, viewH;
    } cases[] = {
        {9, 8, 4, 8, 4},  // half-width side by side: views at full width
        {2, 8, 4, 8, 4},  // half-height over/under
        {3, 8, 40, 8, 40},
        {1, 8, 5, 8, 2},  // odd height: the last row belongs to neither
        {5, 8, 4, 4, 4},  // SIS: turned, then over/under
        {7, 8, 4, 4, 4},
        {10, 4, 4, 4, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        TearDown();
        SetUp();
        g_nSType = c.type;
        Open(left, c.w, c.h, Tagged(c.w, c.h, 1));
        Open(right, c.w, c.h, Tagged(c.w, c.h, 1));
        ASSERT_TRUE(SetupStereoFileRecords(&left, &right, c.type));
        ASSERT_EQ(GetStereoFramePair(&left, 0, &right, 0), 0);
        EXPECT_EQ(left.nWidth, c.viewW);
        EXPECT_EQ(left.nHeight, c.viewH);
        EXPECT_EQ(DibWidth(right.pCurrent), c.viewW);
        EXPECT_EQ(DibHeight(right.pCurrent), c.viewH);
    }
}
