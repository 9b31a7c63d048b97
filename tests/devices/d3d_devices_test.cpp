// The device table of the Direct3D 7 framework without a screen: the
// choice of the default device over tables of made-up records, the order
// of display modes, and what the device callback keeps of a made-up
// driver (modes by depth, the preferred mode, secondary drivers, the
// confirm filter, a full table).
#include "devices/d3d_devices.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

enum Kind { kTnL, kHal, kRgb, kRef };

struct FakeDevice {
    Kind kind;
    bool primary;  // of the primary display driver (desktop compatible)
};

const GUID &GuidOf(Kind kind)
{
    switch (kind) {
    case kTnL: return IID_IDirect3DTnLHalDevice;
    case kHal: return IID_IDirect3DHALDevice;
    case kRgb: return IID_IDirect3DRGBDevice;
    default: return IID_IDirect3DRefDevice;
    }
}

void FillTable(const std::vector<FakeDevice> &devices)
{
    FreeDeviceModes();
    memset(g_aD3DDevices, 0, sizeof g_aD3DDevices);
    g_nD3DDevices = (DWORD)devices.size();
    for (size_t i = 0; i < devices.size(); i++) {
        D3DDeviceInfo &d = g_aD3DDevices[i];
        d.guidDevice = GuidOf(devices[i].kind);
        d.pDeviceGuid = &d.guidDevice;
        d.bHardware = devices[i].kind == kTnL || devices[i].kind == kHal;
        d.bDesktopCompatible = devices[i].primary;
        d.bWindowed = FALSE;
    }
}

TEST(D3DDevices, TheDefaultDeviceIsTheLastOfTheBestKindOfThePrimaryDriver)
{
    const bool P = true, S = false;
    struct {
        const char *what;
        std::vector<FakeDevice> devices;
        DWORD flags;
        int want;  // index, or -1: none qualifies
    } cases[] = {
        {"T&L first", {{kRgb, P}, {kHal, P}, {kTnL, P}, {kRef, P}}, 0, 2},
        {"software only skips hardware", {{kRgb, P}, {kHal, P}, {kTnL, P}, {kRef, P}}, kSelectSoftwareOnly, 0},
        {"HAL without T&L", {{kRef, P}, {kHal, P}, {kRgb, P}}, 0, 1},
        {"last T&L wins", {{kTnL, P}, {kHal, P}, {kTnL, P}}, 0, 2},
        {"last HAL wins", {{kHal, P}, {kHal, P}, {kRgb, P}}, 0, 1},
        {"secondary driver never chosen", {{kTnL, S}, {kHal, P}, {kTnL, S}}, 0, 1},
        {"software before reference", {{kRgb, P}, {kRef, P}}, 0, 0},
        {"last software wins", {{kRgb, P}, {kRef, P}, {kRgb, P}}, kSelectSoftwareOnly, 2},
        {"reference when nothing else", {{kRef, P}, {kHal, S}}, 0, 0},
        {"reference with software only", {{kHal, P}, {kRef, P}}, kSelectSoftwareOnly, 1},
        {"all hardware, software only (Wine)", {{kTnL, P}, {kHal, P}, {kHal, P}}, kSelectSoftwareOnly, -1},
        {"only secondary devices", {{kTnL, S}, {kHal, S}}, 0, -1},
        {"empty table", {}, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FillTable(c.devices);
        D3DDeviceInfo before, *out = &before;
        HRESULT hr = SelectDefaultDevice(&out, c.flags);
        if (c.want < 0) {
            EXPECT_EQ((HRESULT)0x81000004u, hr);
            EXPECT_EQ(&before, out);
            for (DWORD i = 0; i < g_nD3DDevices; i++)
                EXPECT_FALSE(g_aD3DDevices[i].bWindowed);
            continue;
        }
        EXPECT_EQ(0, hr);
        EXPECT_EQ(&g_aD3DDevices[c.want], out);
        for (DWORD i = 0; i < g_nD3DDevices; i++)
            EXPECT_EQ((int)i == c.want, g_aD3DDevices[i].bWindowed != 0) << i;
    }
    EXPECT_EQ(E_INVALIDARG, SelectDefaultDevice(nullptr, 0));
    FillTable({});
}

DDSURFACEDESC2 Mode(DWORD w, DWORD h, DWORD bits, DWORD refresh = 60, DWORD caps2 = 0)
{
    DDSURFACEDESC2 m;
    memset(&m, 0, sizeof m);
    m.dwSize = sizeof m;
    m.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    m.dwWidth = w;
    m.dwHeight = h;
    m.ddpfPixelFormat.dwSize = sizeof m.ddpfPixelFormat;
    m.ddpfPixelFormat.dwRGBBitCount = bits;
    m.dwRefreshRate = refresh;
    m.ddsCaps.dwCaps2 = caps2;
    return m;
}

TEST(D3DDevices, ModesOrderByWidthThenHeightThenDepth)
{
    struct {
        DDSURFACEDESC2 a, b;
        int want;
    } cases[] = {
        {Mode(640, 480, 16), Mode(640, 480, 16), 0},
        {Mode(640, 480, 16, 60), Mode(640, 480, 16, 85), 0},  // refresh not compared
        {Mode(640, 480, 32), Mode(800, 600, 16), -1},
        {Mode(800, 200, 16), Mode(640, 480, 16), 1},
        {Mode(640, 400, 32), Mode(640, 480, 16), -1},
        {Mode(640, 480, 16), Mode(640, 400, 32), 1},
        {Mode(640, 480, 16), Mode(640, 480, 32), -1},
        {Mode(640, 480, 32), Mode(640, 480, 24), 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.want, CompareDisplayModes(&c.a, &c.b))
            << c.a.dwWidth << "x" << c.a.dwHeight << "x" << c.a.ddpfPixelFormat.dwRGBBitCount << " vs "
            << c.b.dwWidth << "x" << c.b.dwHeight << "x" << c.b.ddpfPixelFormat.dwRGBBitCount;
    }
}

// A made-up driver offering modes, and its devices.
class DeviceCallback : public testing::Test {
protected:
    void SetUp() override
    {
        FillTable({});
        g_nD3DDevices = g_nD3DDevicesSeen = 0;
        memset(&driver, 0, sizeof driver);
        lstrcpyA(driver.szDescription, "Second display adapter");
        driver.bDesktopCompatible = TRUE;
        modes = {Mode(640, 480, 8),  Mode(640, 480, 16), Mode(800, 600, 16),   Mode(800, 600, 24),
                 Mode(800, 600, 32), Mode(800, 600, 32, 75), Mode(1024, 768, 32, 60, DDSCAPS2_STEREOSURFACELEFT)};
        driver.pModes = modes.data();
        driver.nModes = (DWORD)modes.size();
        SetPreferredMode(800, 600, 32);
    }
    void TearDown() override
    {
        FillTable({});
        SetPreferredMode(640, 480, 16);
    }

    void Offer(const char *name, DWORD devCaps, DWORD depths, const GUID &guid = IID_IDirect3DHALDevice)
    {
        D3DDEVICEDESC7 desc;
        memset(&desc, 0, sizeof desc);
        desc.dwDevCaps = devCaps;
        desc.dwDeviceRenderBitDepth = depths;
        desc.deviceGUID = guid;
        char description[] = "made-up device";
        EXPECT_EQ(D3DENUMRET_OK, EnumDeviceProc(description, (LPSTR)name, &desc, &driver));
    }

    D3DDriverRecord driver;
    std::vector<DDSURFACEDESC2> modes;
};

TEST_F(DeviceCallback, KeepsTheModesOfTheDepthsTheDeviceRendersAndTheLastPreferredOne)
{
    Offer("Both", D3DDEVCAPS_HWRASTERIZATION, DDBD_16 | DDBD_32);
    Offer("Deep", 0, DDBD_24, IID_IDirect3DRGBDevice);
    Offer("Palette", D3DDEVCAPS_HWRASTERIZATION, DDBD_8);  // no mode it renders
    ASSERT_EQ(2u, g_nD3DDevices);
    EXPECT_EQ(3u, g_nD3DDevicesSeen);

    const D3DDeviceInfo &both = g_aD3DDevices[0];
    EXPECT_STREQ("Both", both.szName);
    EXPECT_TRUE(both.bHardware);
    EXPECT_EQ(&both.guidDevice, both.pDeviceGuid);
    EXPECT_TRUE(both.guidDevice == IID_IDirect3DHALDevice);
    EXPECT_EQ(nullptr, both.pDriverGuid);
    EXPECT_TRUE(both.bWindowed);
    ASSERT_EQ(5u, both.nModes);  // 640x480x16, 800x600x16, 800x600x32 twice, 1024x768x32
    EXPECT_EQ(3u, both.nCurrentMode);
    EXPECT_EQ(800u, both.ddsdMode.dwWidth);
    EXPECT_EQ(32u, both.ddsdMode.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_EQ(75u, both.ddsdMode.dwRefreshRate);
    EXPECT_TRUE(both.bStereoModes);

    const D3DDeviceInfo &deep = g_aD3DDevices[1];
    EXPECT_FALSE(deep.bHardware);
    ASSERT_EQ(1u, deep.nModes);
    EXPECT_EQ(24u, deep.pModes[0].ddpfPixelFormat.dwRGBBitCount);
    EXPECT_FALSE(deep.bStereoModes);
    // No preferred mode among its modes: none chosen.
    DDSURFACEDESC2 zero;
    memset(&zero, 0, sizeof zero);
    EXPECT_EQ(0, memcmp(&zero, &deep.ddsdMode, sizeof zero));
}

TEST_F(DeviceCallback, ASecondaryDriverGivesOnlyHardwareDevicesUnderItsOwnName)
{
    driver.guid = IID_IDirectDraw7;  // any GUID: a secondary driver
    driver.pGuid = &driver.guid;
    driver.bDesktopCompatible = FALSE;
    Offer("RGB Emulation", 0, DDBD_16 | DDBD_32, IID_IDirect3DRGBDevice);
    Offer("Direct3D HAL", D3DDEVCAPS_HWRASTERIZATION, DDBD_16 | DDBD_32);
    ASSERT_EQ(1u, g_nD3DDevices);
    EXPECT_EQ(2u, g_nD3DDevicesSeen);
    const D3DDeviceInfo &d = g_aD3DDevices[0];
    EXPECT_STREQ("Second display adapter", d.szName);
    EXPECT_EQ(&d.guidDriver, d.pDriverGuid);
    EXPECT_TRUE(d.guidDriver == IID_IDirectDraw7);
    EXPECT_FALSE(d.bWindowed);
    D3DDeviceInfo *out = nullptr;
    EXPECT_EQ((HRESULT)0x81000004u, SelectDefaultDevice(&out, 0));
}

HRESULT RefuseSoftware(DDCAPS *, D3DDEVICEDESC7 *desc)
{
    return (desc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) ? 0 : E_FAIL;
}

TEST_F(DeviceCallback, TheConfirmFunctionSkipsWhatItRefuses)
{
    driver.confirm = RefuseSoftware;
    Offer("RGB Emulation", 0, DDBD_16, IID_IDirect3DRGBDevice);
    Offer("Direct3D HAL", D3DDEVCAPS_HWRASTERIZATION, DDBD_16);
    ASSERT_EQ(1u, g_nD3DDevices);
    EXPECT_STREQ("Direct3D HAL", g_aD3DDevices[0].szName);
}

TEST_F(DeviceCallback, ALongNameIsCutTo39Characters)
{
    std::string name(60, 'n');
    Offer(name.c_str(), D3DDEVCAPS_HWRASTERIZATION, DDBD_16);
    ASSERT_EQ(1u, g_nD3DDevices);
    EXPECT_EQ(std::string(39, 'n'), g_aD3DDevices[0].szName);
}

TEST_F(DeviceCallback, AFullTableKeepsTheFirstDevicesAndCountsTheRest)
{
    for (int i = 0; i < kD3DMaxDevices + 5; i++)
        Offer(("dev" + std::to_string(i)).c_str(), D3DDEVCAPS_HWRASTERIZATION, DDBD_32);
    EXPECT_EQ((DWORD)kD3DMaxDevices, g_nD3DDevices);
    EXPECT_EQ((DWORD)kD3DMaxDevices + 5, g_nD3DDevicesSeen);
    EXPECT_STREQ("dev0", g_aD3DDevices[0].szName);
    EXPECT_STREQ("dev19", g_aD3DDevices[kD3DMaxDevices - 1].szName);
    for (int i = 0; i < kD3DMaxDevices; i++)
        EXPECT_EQ(3u, g_aD3DDevices[i].nModes) << i;
    D3DDeviceInfo *out = nullptr;
    ASSERT_EQ(0, SelectDefaultDevice(&out, 0));
    EXPECT_EQ(&g_aD3DDevices[kD3DMaxDevices - 1], out);
}

}  // namespace
