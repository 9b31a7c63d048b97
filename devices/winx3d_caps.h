// What the page-flip window derives from the WinX3D driver's caps flags
// before it changes the display mode: how many buffers the flip chain asks
// for, the fewest it accepts, the colour depth, whether the depth is
// refused, and whether Present is also called after the left eye.
#ifndef TWR_DEVICES_WINX3D_CAPS_H
#define TWR_DEVICES_WINX3D_CAPS_H

#include <stdint.h>

struct FlipChainPlan {
    int buffers;   // 3 (primary and two back buffers) or 2
    int minimum;   // the flip-chain creator's minimum: 3 or 4
    int bits;      // the full-screen depth, 16 lowered to 8 where the driver asks
    bool refused;  // the driver cannot show this depth
};

FlipChainPlan PlanFlipChain(uint32_t flags, uint32_t flags2, int bits);

// True when Present is also called after the left eye: a chain of three
// buffers on a driver that has neither flags 0x20000 nor flags2 0x40.
bool PresentAfterLeftEye(uint32_t flags, uint32_t flags2, int chainBuffers);

#endif
