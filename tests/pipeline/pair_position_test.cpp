#include "pipeline/pair_position.h"

#include <gtest/gtest.h>

namespace {

MovieSource Movie(int frames, int start)
{
    MovieSource m;
    InitMovieSource(&m);
    m.nFrames = frames;
    m.nStart = start;
    return m;
}

TEST(PairPosition, LengthAndClamps)
{
    // Left 100 frames from 10, right 95 from 0, 5 cut off the end: 85.
    MovieSource l = Movie(100, 10), r = Movie(95, 0);
    int count = PairFrameCount(&l, &r, 5);
    EXPECT_EQ(count, 85);
    int last = count - 1;
    EXPECT_EQ(ClampPositionWrap(85, last, 1), 0);
    EXPECT_EQ(ClampPositionWrap(85, last, 0), 84);
    EXPECT_EQ(ClampPositionWrap(-1, last, 1), 84);
    EXPECT_EQ(ClampPositionWrap(-1, last, 0), 0);
    EXPECT_EQ(ClampPositionWrap(40, last, 0), 40);
    EXPECT_EQ(ClampPositionNoWrap(85, last), 84);
    EXPECT_EQ(ClampPositionNoWrap(-3, last), 0);
    // An empty pair gives position 0 whatever the rule.
    EXPECT_EQ(ClampPositionWrap(3, -1, 0), 0);
    EXPECT_EQ(ClampPositionWrap(-3, -1, 1), 0);
    EXPECT_EQ(ClampPositionNoWrap(3, -1), 0);
}

TEST(PairPosition, NegativeOffsetsAreRepairedOneAtATime)
{
    MovieSource l = Movie(10, -1), r = Movie(10, -2);
    int end = -3;
    EXPECT_TRUE(RepairNegativeOffset(&l, &r, &end));
    EXPECT_EQ(l.nStart, 0);
    EXPECT_EQ(r.nStart, -2);
    EXPECT_TRUE(RepairNegativeOffset(&l, &r, &end));
    EXPECT_EQ(r.nStart, 0);
    EXPECT_TRUE(RepairNegativeOffset(&l, &r, &end));
    EXPECT_EQ(end, 0);
    EXPECT_FALSE(RepairNegativeOffset(&l, &r, &end));
}

}  // namespace
