// The flip-chain plan read from the WinX3D driver's caps flags (see the
// header). Only the bits named here are looked at.
#include "devices/winx3d_caps.h"

namespace {

// Drivers that keep a third buffer to flip into while one is shown.
const uint32_t kTripleFlags = 0x20000 | 0x1000;
const uint32_t kTripleFlags2 = 0x40 | 0x8000;
// Drivers content with a chain of three where others need four.
const uint32_t kMinimumThreeFlags = 0x200000;
const uint32_t kMinimumThreeFlags2 = 0x1000000;
// 16-bit modes are shown at 8 bits on such a driver.
const uint32_t kSixteenAsEightFlags = 0x40;
// Drivers that cannot show an 8-bit mode.
const uint32_t kNoEightFlags = 0x4;
const uint32_t kNoEightFlags2 = 0x100;
// Drivers that present both eyes themselves after the right one.
const uint32_t kOnePresentFlags = 0x20000;
const uint32_t kOnePresentFlags2 = 0x40;

}  // namespace

FlipChainPlan PlanFlipChain(uint32_t flags, uint32_t flags2, int bits)
{
    FlipChainPlan plan;
    plan.buffers = ((flags & kTripleFlags) || (flags2 & kTripleFlags2)) ? 3 : 2;
    plan.minimum = ((flags & kMinimumThreeFlags) || (flags2 & kMinimumThreeFlags2)) ? 3 : 4;
    plan.bits = ((flags & kSixteenAsEightFlags) && bits == 16) ? 8 : bits;
    // Checked after the lowering: a 16-bit request can end refused.
    plan.refused = ((flags & kNoEightFlags) || (flags2 & kNoEightFlags2)) && plan.bits == 8;
    return plan;
}

bool PresentAfterLeftEye(uint32_t flags, uint32_t flags2, int chainBuffers)
{
    return !(flags & kOnePresentFlags) && !(flags2 & kOnePresentFlags2) && chainBuffers == 3;
}
