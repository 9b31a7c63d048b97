// The savers' arithmetic: output sizes, the common region, the sound
// record, the size limit, the aspect fit, the preview, and where a
// frame's sound lies.
#include "pipeline/save_geometry.h"

#include "sources/plugin_audio.h"
#include "state/app_state.h"

#include <gtest/gtest.h>

class SaveGeometryTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        g_nTrimState = kTrimNone;
        g_rcTrim = {0, 0, 0, 0};
        g_nSoundlr = 0;
        g_bSwapped = 0;
    }
};

TEST_F(SaveGeometryTest, OutputSizeOfEveryLayout)
{
    const RECT region = {180, 0, 540, 480};  // a quarter to three quarters of 720 x 480
    struct Case {
        int layout;
        bool resize;
        int w, h;
        int width, height;
    } cases[] = {
        {0, false, 720, 480, 1440, 480}, {1, false, 720, 480, 720, 960}, {2, false, 720, 480, 720, 480},
        {3, false, 700, 400, 700, 400},  {4, false, 720, 480, 720, 480}, {6, false, 720, 480, 720, 480},
        {7, false, 720, 480, 720, 480},  {0, true, 720, 480, 640, 240},  {1, true, 720, 480, 320, 480},
        {3, true, 720, 480, 320, 240},   {5, false, 720, 480, 720, 480}, {5, true, 300, 200, 600, 200},
    };
    for (const Case &c : cases) {
        SaveSize s = SaveOutputSize(c.layout, c.w, c.h, c.resize, 320, 240, region);
        EXPECT_EQ(s.width, c.width) << "layout " << c.layout << (c.resize ? " resized" : "");
        EXPECT_EQ(s.height, c.height) << "layout " << c.layout << (c.resize ? " resized" : "");
    }
}

TEST_F(SaveGeometryTest, TrimmingFollowsTheCommonRegionUnlessApplied)
{
    ResetTrimToCommonRegion(720, 480, 10, -3);  // 710 columns common, made 708
    EXPECT_EQ(g_rcTrim.right, 708);
    EXPECT_EQ(g_rcTrim.bottom, 477);
    EXPECT_EQ(g_rcTrim.left, 0);
    g_nTrimState = kTrimApplied;
    g_rcTrim = {10, 20, 110, 220};
    ResetTrimToCommonRegion(720, 480, 0, 0);
    EXPECT_EQ(g_rcTrim.right, 110);
    EXPECT_EQ(g_rcTrim.left, 10);
}

// The file of 2,130,706,432 bytes is still whole; one byte more closes it.
TEST_F(SaveGeometryTest, SizeLimit)
{
    EXPECT_FALSE(SaveLimitPassed(2130706432u));
    EXPECT_TRUE(SaveLimitPassed(2130706433u));
    EXPECT_TRUE(SaveLimitPassed(0xFFFFFFFFu));
}

// "nSoundlr" picks the movie opened as left (0) or right (1), whichever eye
// it serves after an exchange.
TEST_F(SaveGeometryTest, SoundRecordFollowsItsMovie)
{
    MovieSource openedLeft, openedRight;
    struct Case {
        int soundlr, swapped;
        MovieSource *expected;
    } cases[] = {{0, 0, &openedLeft}, {1, 0, &openedRight}, {0, 1, &openedLeft}, {1, 1, &openedRight}};
    for (const Case &c : cases) {
        g_nSoundlr = c.soundlr;
        g_bSwapped = c.swapped;
        StereoPair pair = {};
        pair.pLeft = c.swapped ? &openedRight : &openedLeft;
        pair.pRight = c.swapped ? &openedLeft : &openedRight;
        MovieSource *other = nullptr;
        EXPECT_EQ(SaveSoundRecord(&pair, &other), c.expected) << c.soundlr << " " << c.swapped;
        EXPECT_EQ(other, c.expected == &openedLeft ? &openedRight : &openedLeft);
    }
}

TEST_F(SaveGeometryTest, AspectFitAndPreview)
{
    struct Case {
        int iw, ih, bw, bh, w, h;
    } fits[] = {{640, 480, 720, 480, 640, 480}, {640, 480, 720, 720, 720, 540}, {1920, 1080, 720, 480, 720, 405},
                {360, 480, 720, 480, 360, 480}, {1000, 1, 100, 100, 100, 1}};
    for (const Case &c : fits) {
        SaveSize s = FitAspect(c.iw, c.ih, c.bw, c.bh);
        EXPECT_EQ(s.width, c.w) << c.iw << "x" << c.ih << " in " << c.bw << "x" << c.bh;
        EXPECT_EQ(s.height, c.h) << c.iw << "x" << c.ih << " in " << c.bw << "x" << c.bh;
    }
    SaveSize p = SavePreviewSize(0, 800, 600, 1440, 480);
    EXPECT_EQ(p.width, 800);
    EXPECT_EQ(p.height, 266);
    p = SavePreviewSize(1, 800, 600, 720, 960);
    EXPECT_EQ(p.width, 450);
    EXPECT_EQ(p.height, 600);
}

TEST_F(SaveGeometryTest, SoundOfAFrame)
{
    MovieSource m;
    InitMovieSource(&m);
    m.nRate = 30;
    m.nScale = 1;
    m.nAudioRate = 48000;
    m.nAudioScale = 1;
    for (int n : {0, 1, 7, 9999}) {
        EXPECT_EQ(AudioSampleAtFrame(&m, n), 1600 * n);
        EXPECT_EQ(AudioSamplesInFrame(&m, n), 1600);
    }
    // 44.1 kHz at 29.97 frames a second: 1471.47 samples a frame, so the
    // frames take 1471 or 1472 and add up to the sample of the end.
    m.nRate = 30000;
    m.nScale = 1001;
    m.nAudioRate = 44100;
    int sum = 0;
    for (int n = 0; n < 100; n++) {
        int k = AudioSamplesInFrame(&m, n);
        EXPECT_TRUE(k == 1471 || k == 1472) << n;
        sum += k;
    }
    EXPECT_EQ(sum, AudioSampleAtFrame(&m, 100));
    m.nRate = 0;
    EXPECT_EQ(AudioSampleAtFrame(&m, 5), 0);
}
