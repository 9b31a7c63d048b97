// The flip chain planned from the WinX3D driver's caps flags: each rule
// from the bit that sets it, the bits that must not, and the 16-bit
// request that is lowered to 8 bits and then refused.
#include "devices/winx3d_caps.h"

#include <gtest/gtest.h>

namespace {

struct PlanCase {
    const char *what;
    uint32_t flags, flags2;
    int bits;
    FlipChainPlan expected;
};

const PlanCase kPlans[] = {
    {"no bits: two buffers, minimum four", 0, 0, 32, {2, 4, 32, false}},
    {"flags 0x20000: three buffers", 0x20000, 0, 32, {3, 4, 32, false}},
    {"flags 0x1000: three buffers", 0x1000, 0, 32, {3, 4, 32, false}},
    {"flags2 0x40: three buffers", 0, 0x40, 32, {3, 4, 32, false}},
    {"flags2 0x8000: three buffers", 0, 0x8000, 32, {3, 4, 32, false}},
    {"flags 0x8000 (a flags2 bit) does nothing", 0x8000, 0, 32, {2, 4, 32, false}},
    {"flags 0x200000: minimum three", 0x200000, 0, 32, {2, 3, 32, false}},
    {"flags2 0x1000000: minimum three", 0, 0x1000000, 32, {2, 3, 32, false}},
    {"the minimum bit in the other word does nothing", 0x1000000, 0x200000, 32, {2, 4, 32, false}},
    {"flags 0x40 lowers 16 bits to 8", 0x40, 0, 16, {2, 4, 8, false}},
    {"flags 0x40 leaves 32 bits", 0x40, 0, 32, {2, 4, 32, false}},
    {"flags 0x40 leaves 24 bits", 0x40, 0, 24, {2, 4, 24, false}},
    {"flags2 0x40 does not lower 16 bits", 0, 0x40, 16, {3, 4, 16, false}},
    {"flags 0x4 refuses 8 bits", 0x4, 0, 8, {2, 4, 8, true}},
    {"flags2 0x100 refuses 8 bits", 0, 0x100, 8, {2, 4, 8, true}},
    {"flags 0x4 leaves 16 bits alone", 0x4, 0, 16, {2, 4, 16, false}},
    {"flags2 0x100 leaves 32 bits alone", 0, 0x100, 32, {2, 4, 32, false}},
    {"16 -> 8 -> refused (flags 0x44)", 0x44, 0, 16, {2, 4, 8, true}},
    {"16 -> 8 -> refused (flags 0x40, flags2 0x100)", 0x40, 0x100, 16, {2, 4, 8, true}},
    {"every rule at once", 0x20000 | 0x200000 | 0x40 | 0x4, 0, 16, {3, 3, 8, true}},
    {"unrelated bits do nothing", 0xFFFFFFFFu & ~(0x20000u | 0x1000 | 0x200000 | 0x40 | 0x4),
     0xFFFFFFFFu & ~(0x40u | 0x8000 | 0x1000000 | 0x100), 16, {2, 4, 16, false}},
};

TEST(WinX3DCaps, PlanFollowsEachRule)
{
    for (const PlanCase &c : kPlans) {
        FlipChainPlan p = PlanFlipChain(c.flags, c.flags2, c.bits);
        EXPECT_EQ(p.buffers, c.expected.buffers) << c.what;
        EXPECT_EQ(p.minimum, c.expected.minimum) << c.what;
        EXPECT_EQ(p.bits, c.expected.bits) << c.what;
        EXPECT_EQ(p.refused, c.expected.refused) << c.what;
    }
}

struct PresentCase {
    const char *what;
    uint32_t flags, flags2;
    int buffers;
    bool early;
};

const PresentCase kPresents[] = {
    {"three buffers, neither bit", 0, 0, 3, true},
    {"three buffers by flags 0x1000", 0x1000, 0, 3, true},
    {"three buffers by flags2 0x8000", 0, 0x8000, 3, true},
    {"two buffers", 0, 0, 2, false},
    {"flags 0x20000", 0x20000, 0, 3, false},
    {"flags2 0x40", 0, 0x40, 3, false},
    {"flags 0x40 is not flags2 0x40", 0x40, 0, 3, true},
    {"flags2 0x20000 is not flags 0x20000", 0, 0x20000, 3, true},
    {"no chain", 0, 0, 0, false},
};

TEST(WinX3DCaps, PresentAfterLeftEyeOnlyWithThreeBuffersAndNeitherBit)
{
    for (const PresentCase &c : kPresents)
        EXPECT_EQ(PresentAfterLeftEye(c.flags, c.flags2, c.buffers), c.early) << c.what;
}

// The chain the plan asks for decides the presents: a driver with flags
// 0x1000 gets three buffers and both presents, one with 0x20000 three
// buffers and one present.
TEST(WinX3DCaps, PlannedChainAndPresentsTogether)
{
    FlipChainPlan a = PlanFlipChain(0x1000, 0, 32);
    EXPECT_TRUE(PresentAfterLeftEye(0x1000, 0, a.buffers));
    FlipChainPlan b = PlanFlipChain(0x20000, 0, 32);
    EXPECT_EQ(b.buffers, 3);
    EXPECT_FALSE(PresentAfterLeftEye(0x20000, 0, b.buffers));
}

}  // namespace
