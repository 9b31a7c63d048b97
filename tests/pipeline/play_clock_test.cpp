// The play loops' clock: timer period, due frame, pacing and the skip rule,
// the title's delay, the first frame and the record that times the pair;
// and a whole loop run against a simulated timer with a slowed composer.
#include "pipeline/play_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PlayClock, TimerPeriodIsTheDeviceMinimumOrHalfAFrame)
{
    static const struct {
        unsigned minP, maxP;
        int msPerFrame;
        unsigned period;
    } cases[] = {
        {1, 1000000, 33, 16},   // 29.97 and 30 frames/s: half of 33
        {1, 1000000, 40, 20},   // 25 frames/s
        {1, 1000000, 1, 1},     // half a frame is 0: the minimum
        {0, 1000000, 1, 1},     // a minimum of 0 counts as 1
        {20, 1000000, 33, 20},  // a coarse device: its minimum
        {16, 1000000, 33, 16},  // half equal to the minimum takes half
        {1, 5, 33, 16},         // half a frame may exceed the maximum
        {10, 5, 4, 5},          // the minimum is limited to the maximum
    };
    for (const auto &c : cases)
        EXPECT_EQ(PlayTimerPeriod(c.minP, c.maxP, c.msPerFrame), c.period)
            << c.minP << " " << c.maxP << " " << c.msPerFrame;
}

TEST(PlayClock, DueFrameAndPacing)
{
    // 30000/1001 frames/s with a 16 ms period: 63 ticks are 1008 ms, 30.2
    // frames.
    EXPECT_EQ(DueFrame(30000, 1001, 63, 16), 30);
    EXPECT_EQ(DueFrame(30, 1, 0, 16), 0);
    EXPECT_EQ(DueFrame(25, 1, 2, 20), 1);  // exactly 40 ms: frame 1
    EXPECT_EQ(DueFrame(25, 0, 100, 20), 0);
    EXPECT_EQ(DueFrame(1000, 1, 0xFFFFFFFFu, 1000), 2147483647);
    // After frame 0 at 25 frames/s the next is due at 40 ms.
    EXPECT_EQ(PacingSleep(0, 25, 1, 0, 20), 40u);
    EXPECT_EQ(PacingSleep(0, 25, 1, 1, 20), 20u);
    EXPECT_EQ(PacingSleep(0, 25, 1, 2, 20), 0u);
    EXPECT_EQ(PacingSleep(4, 25, 1, 3, 20), 140u);
    // 29.97: frame 1 at 66.73 ms; 4 ticks of 16 are 64 ms: sleep 2.
    EXPECT_EQ(PacingSleep(1, 30000, 1001, 4, 16), 2u);
    EXPECT_EQ(PacingSleep(1, 30000, 1001, 5, 16), 0u);
    EXPECT_EQ(PacingSleep(0, 0, 1, 0, 16), 0u);
}

TEST(PlayClock, SkipRuleAndDelay)
{
    // More than two frames behind skips, except within the last three.
    EXPECT_TRUE(SkipNextFrame(13, 10, 100));
    EXPECT_FALSE(SkipNextFrame(12, 10, 100));
    EXPECT_TRUE(SkipNextFrame(100, 96, 100));
    EXPECT_FALSE(SkipNextFrame(100, 97, 100));
    // The title's delay: three frames behind shows 0, four shows 1, and
    // the clock past the end counts only to the last frame.
    EXPECT_EQ(PlayDelay(13, 10, 99), 0);
    EXPECT_EQ(PlayDelay(14, 10, 99), 1);
    EXPECT_EQ(PlayDelay(500, 10, 19), 6);
    EXPECT_EQ(PlayDelay(3, 10, 99), 0);
}

TEST(PlayClock, FirstFrameAndTimingRecord)
{
    // A play from one of the last two frames starts at the beginning.
    EXPECT_EQ(FirstPlayFrame(97, 100), 97);
    EXPECT_EQ(FirstPlayFrame(98, 100), 0);
    EXPECT_EQ(FirstPlayFrame(99, 100), 0);
    EXPECT_EQ(FirstPlayFrame(0, 1), 0);
    // The sound stays with the movie named by the setting through an
    // exchange: 0 the movie opened as left, 1 the one opened as right.
    static const struct {
        int soundlr, swapped;
        bool right;
    } cases[] = {{0, 0, false}, {0, 1, true}, {1, 0, true}, {1, 1, false}};
    for (const auto &c : cases)
        EXPECT_EQ(SoundFromRightRecord(c.soundlr, c.swapped), c.right) << c.soundlr << c.swapped;
}

// A loop as the players run it, on a simulated clock: showing a frame
// costs composeMs, sleeping advances the clock, ticks are whole periods.
struct LoopRun {
    std::vector<int> shown;
    int drops = 0;
    double endMs = 0;
};

LoopRun RunLoop(int frames, int first, unsigned rate, unsigned scale, unsigned period, double composeMs)
{
    LoopRun run;
    double now = 0;
    auto ticks = [&] { return (uint32_t)(now / period); };
    for (int k = 0; k < frames - first; k++) {
        run.shown.push_back(first + k);
        now += composeMs;
        now += PacingSleep(k, rate, scale, ticks(), period);
        if (SkipNextFrame(DueFrame(rate, scale, ticks(), period), k, frames)) {
            k++;
            run.drops++;
        }
    }
    run.endMs = now;
    return run;
}

TEST(PlayClock, AFastComposerHoldsTheRateWithoutDrops)
{
    LoopRun run = RunLoop(60, 0, 30, 1, PlayTimerPeriod(1, 1000000, 33), 5);
    EXPECT_EQ(run.drops, 0);
    EXPECT_EQ(run.shown.size(), 60u);
    EXPECT_NEAR(run.endMs, 2000, 20);
}

TEST(PlayClock, ASlowComposerShowsOneAndSkipsOne)
{
    // 30 frames/s with 80 ms per frame: the clock soon runs more than two
    // frames ahead; from then on every shown frame is followed by a
    // skipped one, and the last three are never skipped.
    LoopRun run = RunLoop(60, 0, 30, 1, 16, 80);
    ASSERT_GT(run.drops, 10);
    int firstSkip = -1;
    for (size_t i = 1; i < run.shown.size(); i++) {
        int step = run.shown[i] - run.shown[i - 1];
        EXPECT_LE(step, 2);
        if (step == 2 && firstSkip < 0)
            firstSkip = (int)i;
        if (firstSkip >= 0 && run.shown[i] < 57) {
            EXPECT_EQ(step, 2) << "frame " << run.shown[i];
        }
    }
    EXPECT_EQ(run.drops + (int)run.shown.size(), 60);
    EXPECT_EQ(run.shown.back(), 59);
    // A clock four frames ahead from the start: show, skip, show, skip.
    LoopRun late = RunLoop(20, 0, 30, 1, 16, 140);
    EXPECT_EQ(late.shown[1] - late.shown[0], 2);
    EXPECT_EQ(late.shown[2] - late.shown[1], 2);
}

}  // namespace
