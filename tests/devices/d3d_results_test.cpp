// The boxes of the Direct3D 7 framework: every code's text, the two
// endings, the extra line of a device refused before the software
// fall-back, and the generic text of a code without one of its own.
#include "devices/d3d_results.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

struct TextCase {
    uint32_t code;
    const char *text;
};

const TextCase kCases[] = {
    {0x8007000Eu, "Not enough memory!"},
    {0x81000001u, "Could not create DirectDraw!"},
    {0x81000002u, "Enumeration failed. Your system may be in an\nunstable state and need to be rebooted"},
    {0x81000003u,
     "Could not find any compatible devices.\n\nTry enabling the reference rasterizer using\nEnableRefRast.reg."},
    {0x81000004u, "Could not find any compatible Direct3D\ndevices."},
    {0x82000000u, "Generic initialization error.\n\nEnable debug output for detailed information."},
    {0x82000001u, "No DirectDraw"},
    {0x82000002u, "Could not set Cooperative Level"},
    {0x82000003u, "No Direct3D"},
    {0x82000004u, "Could not create the Direct3DDevice object."},
    {0x82000005u, "No ZBuffer"},
    {0x82000006u, "Invalid Z-buffer depth. Try switching modes\nfrom 16- to 32-bit (or vice versa)"},
    {0x82000007u, "No Viewport"},
    {0x82000008u, "No primary"},
    {0x82000009u, "No Clipper"},
    {0x8200000Au, "Bad display mode"},
    {0x8200000Bu, "No backbuffer"},
    {0x8200000Cu, "A DDraw object has a non-zero reference\ncount (meaning it was not properly cleaned up)."},
    {0x8200000Du, "No render target"},
    {0x8200000Eu,
     "This sample requires a 16-bit (or higher) display mode\nto run in a window.\n\nPlease switch your desktop "
     "settings accordingly."},
    {0x8876017Cu, "There was insufficient video memory to use the\nhardware device."},
};

const char kGeneric[] = "Generic application error.\n\nEnable debug output for detailed information.";
const char kFatalEnd[] = "\n\nThis sample will now exit.";
const char kFallBackEnd[] = "\n\nSwitching to software rasterizer.";
const char kChipsetLine[] = "\nThe 3D hardware chipset may not support\nrendering in the current display mode.";

std::string Format(uint32_t code, int kind)
{
    char box[512];
    return FormatFrameworkError(box, sizeof box, code, kind);
}

TEST(D3DResults, EveryCodeGivesItsTextWithTheEndingOfItsKind)
{
    for (const TextCase &c : kCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        EXPECT_STREQ(c.text, FrameworkErrorText(c.code));
        EXPECT_EQ(std::string(c.text) + kFatalEnd, Format(c.code, kFrameworkErrorFatal));
        std::string middle = c.code == 0x82000004u ? kChipsetLine : "";
        EXPECT_EQ(std::string(c.text) + middle + kFallBackEnd, Format(c.code, kFrameworkErrorFallBack));
        EXPECT_EQ(c.text, Format(c.code, 0));
    }
}

TEST(D3DResults, CodesWithoutATextGiveTheGenericApplicationError)
{
    for (uint32_t code : {0x8200000Fu, 0x80004005u, 0x81000000u, 0x82000010u, 0u}) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        EXPECT_STREQ(kGeneric, FrameworkErrorText(code));
        EXPECT_EQ(std::string(kGeneric) + kFatalEnd, Format(code, kFrameworkErrorFatal));
        EXPECT_EQ(std::string(kGeneric) + kFallBackEnd, Format(code, kFrameworkErrorFallBack));
    }
}

TEST(D3DResults, ASmallBufferIsCutAndEnded)
{
    char box[8];
    memset(box, 'x', sizeof box);
    FormatFrameworkError(box, sizeof box, 0x82000001u, kFrameworkErrorFatal);
    EXPECT_STREQ("No Dire", box);
}

}  // namespace
