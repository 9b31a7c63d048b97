#include "devices/d3d_devices.h"

#include <new>
#include <stdlib.h>
#include <string.h>

D3DDeviceInfo g_aD3DDevices[kD3DMaxDevices];
DWORD g_nD3DDevices = 0;
DWORD g_nD3DDevicesSeen = 0;

namespace {

DWORD s_preferredWidth = 640, s_preferredHeight = 480, s_preferredBits = 16;
D3DConfirmDevice s_confirm = nullptr;

int CompareModesForSort(const void *a, const void *b)
{
    return CompareDisplayModes((const DDSURFACEDESC2 *)a, (const DDSURFACEDESC2 *)b);
}

HRESULT WINAPI CollectDisplayModeProc(DDSURFACEDESC2 *mode, void *context)
{
    D3DDriverRecord *driver = (D3DDriverRecord *)context;
    DDSURFACEDESC2 *grown = (DDSURFACEDESC2 *)realloc(driver->pModes, (driver->nModes + 1) * sizeof *grown);
    if (!grown)
        return DDENUMRET_CANCEL;
    driver->pModes = grown;
    driver->pModes[driver->nModes++] = *mode;
    return DDENUMRET_OK;
}

BOOL WINAPI EnumDriverProc(GUID *guid, LPSTR description, LPSTR, void *, HMONITOR)
{
    IDirectDraw7 *dd = nullptr;
    IDirect3D7 *d3d = nullptr;
    if (FAILED(DirectDrawCreateEx(guid, (void **)&dd, IID_IDirectDraw7, nullptr)))
        return DDENUMRET_OK;
    if (FAILED(dd->QueryInterface(IID_IDirect3D7, (void **)&d3d))) {
        dd->Release();
        return DDENUMRET_OK;
    }
    D3DDriverRecord driver;
    memset(&driver, 0, sizeof driver);
    lstrcpynA(driver.szDescription, description ? description : "", sizeof driver.szDescription);
    driver.ddHwCaps.dwSize = sizeof driver.ddHwCaps;
    driver.ddHelCaps.dwSize = sizeof driver.ddHelCaps;
    dd->GetCaps(&driver.ddHwCaps, &driver.ddHelCaps);
    if (guid) {
        driver.guid = *guid;
        driver.pGuid = &driver.guid;
    }
    driver.bDesktopCompatible = !guid && (driver.ddHwCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED);
    driver.confirm = s_confirm;

    dd->EnumDisplayModes(0, nullptr, &driver, CollectDisplayModeProc);
    if (driver.nModes)
        qsort(driver.pModes, driver.nModes, sizeof *driver.pModes, CompareModesForSort);
    d3d->EnumDevices(EnumDeviceProc, &driver);

    free(driver.pModes);
    d3d->Release();
    dd->Release();
    return DDENUMRET_OK;
}

// Whether a device rendering into depths renders a mode of bits.
bool RendersDepth(DWORD depths, DWORD bits)
{
    switch (bits) {
    case 32: return (depths & DDBD_32) != 0;
    case 24: return (depths & DDBD_24) != 0;
    case 16: return (depths & DDBD_16) != 0;
    default: return false;
    }
}

}  // namespace

HRESULT CALLBACK EnumDeviceProc(LPSTR, LPSTR name, D3DDEVICEDESC7 *desc, void *context)
{
    D3DDriverRecord *driver = (D3DDriverRecord *)context;
    g_nD3DDevicesSeen++;
    // A full table keeps the devices it has; later ones are only counted.
    if (g_nD3DDevices >= kD3DMaxDevices || !desc)
        return D3DENUMRET_OK;

    D3DDeviceInfo &info = g_aD3DDevices[g_nD3DDevices];
    memset(&info, 0, sizeof info);
    info.ddDeviceDesc = *desc;
    info.guidDevice = desc->deviceGUID;
    info.pDeviceGuid = &info.guidDevice;
    info.ddHwCaps = driver->ddHwCaps;
    info.ddHelCaps = driver->ddHelCaps;
    if (driver->pGuid) {
        info.guidDriver = *driver->pGuid;
        info.pDriverGuid = &info.guidDriver;
    }
    info.bDesktopCompatible = driver->bDesktopCompatible;
    lstrcpynA(info.szName, driver->pGuid ? driver->szDescription : (name ? name : ""), sizeof info.szName);
    info.bHardware = (desc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;

    if (driver->pGuid && !info.bHardware)
        return D3DENUMRET_OK;
    if (driver->confirm && driver->confirm(&info.ddHwCaps, &info.ddDeviceDesc) < 0)
        return D3DENUMRET_OK;

    if (driver->nModes) {
        info.pModes = new (std::nothrow) DDSURFACEDESC2[driver->nModes];
        if (!info.pModes)
            return D3DENUMRET_OK;
    }
    for (DWORD i = 0; i < driver->nModes; i++) {
        const DDSURFACEDESC2 &mode = driver->pModes[i];
        DWORD bits = mode.ddpfPixelFormat.dwRGBBitCount;
        if (!RendersDepth(desc->dwDeviceRenderBitDepth, bits))
            continue;
        if (mode.ddsCaps.dwCaps2 & DDSCAPS2_STEREOSURFACELEFT)
            info.bStereoModes = TRUE;
        if (mode.dwWidth == s_preferredWidth && mode.dwHeight == s_preferredHeight && bits == s_preferredBits) {
            info.ddsdMode = mode;
            info.nCurrentMode = info.nModes;
        }
        info.pModes[info.nModes++] = mode;
    }
    if (!info.nModes) {
        delete[] info.pModes;
        info.pModes = nullptr;
        return D3DENUMRET_OK;
    }
    info.bWindowed = info.bDesktopCompatible;
    g_nD3DDevices++;
    return D3DENUMRET_OK;
}

HRESULT SetPreferredMode(DWORD width, DWORD height, DWORD bits)
{
    s_preferredWidth = width;
    s_preferredHeight = height;
    s_preferredBits = bits;
    return 0;
}

HRESULT EnumerateDevices(D3DConfirmDevice confirm)
{
    FreeDeviceModes();
    g_nD3DDevices = 0;
    g_nD3DDevicesSeen = 0;
    s_confirm = confirm;
    DirectDrawEnumerateExA(EnumDriverProc, nullptr,
                           DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES);
    if (g_nD3DDevicesSeen == 0)
        return (HRESULT)0x81000002u;
    if (g_nD3DDevices == 0)
        return (HRESULT)0x81000003u;
    return 0;
}

void GetDeviceList(D3DDeviceInfo **table, DWORD *count)
{
    if (table)
        *table = g_aD3DDevices;
    if (count)
        *count = g_nD3DDevices;
}

HRESULT SelectDefaultDevice(D3DDeviceInfo **out, DWORD flags)
{
    if (!out)
        return E_INVALIDARG;
    D3DDeviceInfo *tnl = nullptr, *hardware = nullptr, *software = nullptr, *reference = nullptr;
    for (DWORD i = 0; i < g_nD3DDevices && i < kD3DMaxDevices; i++) {
        D3DDeviceInfo *d = &g_aD3DDevices[i];
        if (!d->bDesktopCompatible)
            continue;
        if (d->bHardware) {
            if (d->guidDevice == IID_IDirect3DTnLHalDevice)
                tnl = d;
            else
                hardware = d;
        } else {
            if (d->guidDevice == IID_IDirect3DRefDevice)
                reference = d;
            else
                software = d;
        }
    }
    bool softwareOnly = (flags & kSelectSoftwareOnly) != 0;
    D3DDeviceInfo *chosen = !softwareOnly && tnl        ? tnl
                            : !softwareOnly && hardware ? hardware
                            : software                  ? software
                                                        : reference;
    if (!chosen)
        return (HRESULT)0x81000004u;
    chosen->bWindowed = TRUE;
    *out = chosen;
    return 0;
}

int CompareDisplayModes(const DDSURFACEDESC2 *a, const DDSURFACEDESC2 *b)
{
    if (a->dwWidth != b->dwWidth)
        return a->dwWidth < b->dwWidth ? -1 : 1;
    if (a->dwHeight != b->dwHeight)
        return a->dwHeight < b->dwHeight ? -1 : 1;
    DWORD ab = a->ddpfPixelFormat.dwRGBBitCount, bb = b->ddpfPixelFormat.dwRGBBitCount;
    if (ab != bb)
        return ab < bb ? -1 : 1;
    return 0;
}

void FreeDeviceModes()
{
    for (DWORD i = 0; i < kD3DMaxDevices; i++) {
        delete[] g_aD3DDevices[i].pModes;
        g_aD3DDevices[i].pModes = nullptr;
        g_aD3DDevices[i].nModes = 0;
    }
}
