// The result codes of the Direct3D 7 framework and the texts its boxes
// show for them. Portable: no Windows header.
#ifndef TWR_DEVICES_D3D_RESULTS_H
#define TWR_DEVICES_D3D_RESULTS_H

#include <stddef.h>
#include <stdint.h>

enum : uint32_t {
    kD3DOutOfMemory = 0x8007000Eu,  // E_OUTOFMEMORY
    kD3DOutOfVideoMemory = 0x8876017Cu,  // DDERR_OUTOFVIDEOMEMORY
    // Enumeration.
    kD3DEnumNoDirectDraw = 0x81000001u,
    kD3DEnumFailed = 0x81000002u,
    kD3DEnumNoCompatibleDevices = 0x81000003u,
    kD3DEnumNoDevice = 0x81000004u,
    // Framework.
    kD3DGenericInit = 0x82000000u,
    kD3DNoDirectDraw = 0x82000001u,
    kD3DNoCooperativeLevel = 0x82000002u,
    kD3DNoDirect3D = 0x82000003u,
    kD3DNoDevice = 0x82000004u,
    kD3DNoZBuffer = 0x82000005u,
    kD3DBadZBufferDepth = 0x82000006u,
    kD3DNoViewport = 0x82000007u,
    kD3DNoPrimary = 0x82000008u,
    kD3DNoClipper = 0x82000009u,
    kD3DBadDisplayMode = 0x8200000Au,
    kD3DNoBackBuffer = 0x8200000Bu,
    kD3DReferencesLeft = 0x8200000Cu,
    kD3DNoRenderTarget = 0x8200000Du,
    kD3DDesktopTooFewBits = 0x8200000Eu,
    kD3DNoPrimaryToPresent = 0x8200000Fu,
};

// How a box reports a failure: the program ends the player (fatal), or a
// hardware device is replaced by a software one.
enum { kFrameworkErrorFatal = 1, kFrameworkErrorFallBack = 2 };

// The text of code alone (any code without one of its own gives the
// generic application error).
const char *FrameworkErrorText(uint32_t code);
// The whole text of the box for code and kind, with its ending; cut to
// the buffer. Returns out.
char *FormatFrameworkError(char *out, size_t bytes, uint32_t code, int kind);

#endif
