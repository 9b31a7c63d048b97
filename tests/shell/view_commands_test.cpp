#include "shell/view_commands.h"

#include "resources/resource_ids.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewCommands, DisplayChoices)
{
    static const struct {
        int id, mode, mirror, anatype, anactype;
    } cases[] = {
        {IDM_MODE_SIDE_BY_SIDE, 0, 0, -1, -1}, {IDM_SBS_MIRROR_RIGHT, 0, 1, -1, -1},
        {IDM_SBS_MIRROR_LEFT, 0, 2, -1, -1},   {IDM_SBS_MIRROR_BOTH, 0, 3, -1, -1},
        {IDM_MODE_OVER_UNDER, 1, 0, -1, -1},   {IDM_OU_MIRROR_BOTTOM, 1, 1, -1, -1},
        {IDM_OU_MIRROR_TOP, 1, 2, -1, -1},     {IDM_OU_MIRROR_BOTH, 1, 3, -1, -1},
        {IDM_MODE_ANAGLYPH, 2, 0, -1, -1},     {IDM_MODE_COLOUR_ANAGLYPH, 3, 0, -1, -1},
        {IDM_MODE_INTERLACE, 4, 0, -1, -1},    {IDM_MODE_BLEND, 5, 0, -1, -1},
        {IDM_MODE_CHROMA_KEY, 6, 0, -1, -1},   {IDM_MODE_IZ3D, 7, 0, -1, -1},
        {IDM_ANAGLYPH_RED_CYAN, 2, 0, 0, -1},  {IDM_ANAGLYPH_YELLOW_BLUE, 2, 0, 3, -1},
        {IDM_COLOUR_RED_CYAN, 3, 0, -1, 0},    {IDM_COLOUR_BLUE_FROM_LUMA, 3, 0, -1, 3},
    };
    for (const auto &c : cases) {
        DisplayChoice d;
        ASSERT_TRUE(ChooseDisplay(c.id, &d)) << c.id;
        EXPECT_EQ(d.mode, c.mode) << c.id;
        EXPECT_EQ(d.mirror, c.mirror) << c.id;
        EXPECT_EQ(d.anatype, c.anatype) << c.id;
        EXPECT_EQ(d.anactype, c.anactype) << c.id;
    }
    DisplayChoice d;
    EXPECT_FALSE(ChooseDisplay(IDM_EXCHANGE, &d));
    EXPECT_FALSE(ChooseDisplay(2174, &d));
}

TEST(ViewCommands, Zoom)
{
    int z = 100;
    z = ZoomInStep(z);
    EXPECT_EQ(z, 110);
    z = ZoomInStep(z);
    EXPECT_EQ(z, 121);
    EXPECT_EQ(ZoomInStep(z), 133);
    EXPECT_EQ(ZoomOutStep(1), 1);
    EXPECT_EQ(ZoomInStep(0), 1);
    EXPECT_EQ(ZoomInStep(1), 2);
    EXPECT_EQ(ZoomOutStep(110), 100);
    // Zooming in for ever stops at the cap instead of overflowing.
    z = 100;
    for (int i = 0; i < 400; i++)
        z = ZoomInStep(z);
    EXPECT_EQ(z, kMaxZoom);
    EXPECT_LE(32767LL * z, 0x7FFFFFFFLL);
    EXPECT_EQ(ZoomOutStep(2000000000), kMaxZoom * 100 / 110);
}

TEST(ViewCommands, Wheel)
{
    EXPECT_EQ(WheelZoomCommand(120), IDM_ZOOM_IN);
    EXPECT_EQ(WheelZoomCommand((unsigned)(-120) & 0xFFFF), IDM_ZOOM_OUT);
    EXPECT_EQ(WheelZoomCommand(1100), IDM_ZOOM_OUT);
    EXPECT_EQ(WheelZoomCommand(1000), 0);
}

MovieSource Movie(int frames, int start)
{
    MovieSource m;
    InitMovieSource(&m);
    m.nFrames = frames;
    m.nStart = start;
    return m;
}

TEST(ViewCommands, SynchronisationSteps)
{
    static const struct {
        int id, leftStart, rightStart, end;  // before
        int wantLeft, wantRight, wantEnd;    // after
    } cases[] = {
        {IDM_LEFT_START_FORWARD, 3, 0, 0, 4, 0, 0},
        {IDM_LEFT_START_BACK, 3, 0, 0, 2, 0, 0},
        {IDM_LEFT_START_BACK, 0, 0, 0, 0, 0, 0},        // not below the first frame
        {IDM_RIGHT_START_BACK, 0, 0, 0, 0, 0, 0},
        {IDM_RIGHT_START_FORWARD, 0, 5, 0, 0, 6, 0},
        {IDM_LEFT_START_FORWARD, 9, 0, 0, 9, 0, 0},     // frame 9 of 10 is the last start
        {IDM_LEFT_START_FORWARD, 8, 0, 1, 8, 0, 1},     // with one frame cut off the end
        {IDM_RIGHT_START_FORWARD, 0, 19, 0, 0, 19, 0},  // right movie of 20 frames
        {IDM_END_EARLIER, 0, 0, 8, 0, 0, 9},
        {IDM_END_EARLIER, 0, 0, 9, 0, 0, 9},            // one frame stays
        {IDM_END_EARLIER, 5, 0, 4, 5, 0, 4},
        {IDM_END_LATER, 0, 0, 1, 0, 0, 0},
        {IDM_END_LATER, 0, 0, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        MovieSource l = Movie(10, c.leftStart), r = Movie(20, c.rightStart);
        int end = c.end;
        StepSynchronisation(c.id, &l, &r, &end);
        EXPECT_EQ(l.nStart, c.wantLeft) << c.id << " " << c.leftStart;
        EXPECT_EQ(r.nStart, c.wantRight) << c.id << " " << c.rightStart;
        EXPECT_EQ(end, c.wantEnd) << c.id << " " << c.end;
    }
}

TEST(ViewCommands, Range)
{
    int l = 12, r = 7;
    StartsToFirst(&l, &r);
    EXPECT_EQ(l, 5);
    EXPECT_EQ(r, 0);
    l = r = 4;
    StartsToFirst(&l, &r);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, 0);
    // Frame 9 of 100 becomes the last: 10 frames remain.
    EXPECT_EQ(EndOffsetAtFrame(0, 100, 9), 90);
}

TEST(ViewCommands, TrimStates)
{
    EXPECT_EQ(ArmedTrimState(IDM_TRIM), 10);
    EXPECT_EQ(ArmedTrimState(IDM_TRIM_16_9), 12);
    EXPECT_EQ(ArmedTrimState(IDM_TRIM_400_240), 15);
    EXPECT_EQ(ArmedTrimState(IDM_EXCHANGE), 0);
}

TEST(ViewCommands, PositionBar)
{
    EXPECT_EQ(PositionBarScale(99), 1);
    EXPECT_EQ(PositionBarScale(64000), 1);
    EXPECT_EQ(PositionBarScale(69999), 10);
    // Beyond 655,350 frames a scale of 10 would overflow the 16-bit thumb.
    for (int last : {655350, 655351, 2000000, 0x7FFFFFFE}) {
        int scale = PositionBarScale(last);
        EXPECT_LE(last / scale, 65535) << last;
        EXPECT_EQ(scale % 10, 0);
    }
    EXPECT_EQ(PositionAfterScroll(4, 0, 0, 69999, 10, 1234), 12340);
    int scale = PositionBarScale(999999);
    EXPECT_EQ(PositionAfterScroll(5, 0, 0, 999999, scale, 999999 / scale), 999999 / scale * scale);
    EXPECT_EQ(PositionAfterScroll(3, 0, 0, 99, 1, 0), 10);      // page right on 100 frames
    EXPECT_EQ(PositionAfterScroll(3, 95, 0, 99, 1, 0), 99);
    EXPECT_EQ(PositionAfterScroll(2, 5, 0, 99, 1, 0), 0);
    EXPECT_EQ(PositionAfterScroll(0, 0, 0, 99, 1, 0), 0);
    EXPECT_EQ(PositionAfterScroll(1, 99, 0, 99, 1, 0), 99);
    EXPECT_EQ(PositionAfterScroll(6, 50, 0, 99, 1, 0), 0);
    EXPECT_EQ(PositionAfterScroll(7, 50, 0, 99, 1, 0), 99);
    EXPECT_EQ(PositionAfterScroll(8, 50, 0, 99, 1, 0), 50);
}

TEST(ViewCommands, SavePanelValues)
{
    EXPECT_EQ(QualityAfterScroll(3, 95, 0), 99);
    EXPECT_EQ(QualityAfterScroll(3, 99, 0), 99);
    EXPECT_EQ(QualityAfterScroll(0, 1, 0), 1);
    EXPECT_EQ(QualityAfterScroll(2, 5, 0), 1);
    EXPECT_EQ(QualityAfterScroll(5, 50, 42), 42);
    EXPECT_EQ(QualityAfterScroll(6, 50, 0), 1);
    EXPECT_EQ(QualityAfterScroll(7, 50, 0), 99);
    EXPECT_EQ(SaveWidthFromEntry(641, 720), 644);
    EXPECT_EQ(SaveWidthFromEntry(640, 720), 640);
    EXPECT_EQ(SaveWidthFromEntry(-5, 718), 720);
}

}  // namespace
