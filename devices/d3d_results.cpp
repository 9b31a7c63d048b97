#include "devices/d3d_results.h"

#include <stdio.h>

namespace {

struct CodeText {
    uint32_t code;
    const char *text;
};

const CodeText kTexts[] = {
    {kD3DOutOfMemory, "Not enough memory!"},
    {kD3DEnumNoDirectDraw, "Could not create DirectDraw!"},
    {kD3DEnumFailed, "Enumeration failed. Your system may be in an\nunstable state and need to be rebooted"},
    {kD3DEnumNoCompatibleDevices,
     "Could not find any compatible devices.\n\nTry enabling the reference rasterizer using\nEnableRefRast.reg."},
    {kD3DEnumNoDevice, "Could not find any compatible Direct3D\ndevices."},
    {kD3DGenericInit, "Generic initialization error.\n\nEnable debug output for detailed information."},
    {kD3DNoDirectDraw, "No DirectDraw"},
    {kD3DNoCooperativeLevel, "Could not set Cooperative Level"},
    {kD3DNoDirect3D, "No Direct3D"},
    {kD3DNoDevice, "Could not create the Direct3DDevice object."},
    {kD3DNoZBuffer, "No ZBuffer"},
    {kD3DBadZBufferDepth, "Invalid Z-buffer depth. Try switching modes\nfrom 16- to 32-bit (or vice versa)"},
    {kD3DNoViewport, "No Viewport"},
    {kD3DNoPrimary, "No primary"},
    {kD3DNoClipper, "No Clipper"},
    {kD3DBadDisplayMode, "Bad display mode"},
    {kD3DNoBackBuffer, "No backbuffer"},
    {kD3DReferencesLeft, "A DDraw object has a non-zero reference\ncount (meaning it was not properly cleaned up)."},
    {kD3DNoRenderTarget, "No render target"},
    {kD3DDesktopTooFewBits,
     "This sample requires a 16-bit (or higher) display mode\nto run in a window.\n\nPlease switch your desktop "
     "settings accordingly."},
    {kD3DOutOfVideoMemory, "There was insufficient video memory to use the\nhardware device."},
};

const char kGeneric[] = "Generic application error.\n\nEnable debug output for detailed information.";

}  // namespace

const char *FrameworkErrorText(uint32_t code)
{
    for (const CodeText &t : kTexts)
        if (t.code == code)
            return t.text;
    return kGeneric;
}

char *FormatFrameworkError(char *out, size_t bytes, uint32_t code, int kind)
{
    if (!out || bytes == 0)
        return out;
    // A device that cannot be made in the current mode says why the
    // hardware may have refused before the fall-back is announced.
    const char *extra = (code == kD3DNoDevice && kind == kFrameworkErrorFallBack)
                            ? "\nThe 3D hardware chipset may not support\nrendering in the current display mode."
                            : "";
    const char *ending = kind == kFrameworkErrorFatal      ? "\n\nThis sample will now exit."
                         : kind == kFrameworkErrorFallBack ? "\n\nSwitching to software rasterizer."
                                                           : "";
    snprintf(out, bytes, "%s%s%s", FrameworkErrorText(code), extra, ending);
    return out;
}
