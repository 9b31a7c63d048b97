// The Direct3D 7 devices of every DirectDraw driver, with the display
// modes each can render, and the choice of the device the player starts
// on. One process-wide table, filled by EnumerateDevices.
#ifndef TWR_DEVICES_D3D_DEVICES_H
#define TWR_DEVICES_D3D_DEVICES_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

enum { kD3DMaxDevices = 20 };
// SelectDefaultDevice flags.
enum { kSelectSoftwareOnly = 1 };

struct D3DDeviceInfo {
    char szName[40];               // the device's name, or its secondary driver's description
    GUID *pDeviceGuid;             // points to guidDevice
    D3DDEVICEDESC7 ddDeviceDesc;
    BOOL bHardware;                // D3DDEVCAPS_HWRASTERIZATION
    GUID *pDriverGuid;             // points to guidDriver; null for the primary display driver
    DDCAPS ddHwCaps, ddHelCaps;
    DDSURFACEDESC2 ddsdMode;       // the full-screen mode chosen (zero when none matched)
    BOOL bWindowed;
    BOOL bStereo;                  // stereo flipping: never set
    GUID guidDevice, guidDriver;
    DDSURFACEDESC2 *pModes;        // the usable modes (owned)
    DWORD nModes, nCurrentMode;
    BOOL bDesktopCompatible;       // primary driver that can render in a window
    BOOL bStereoModes;             // a usable mode is a stereo one (not read)
};

extern D3DDeviceInfo g_aD3DDevices[kD3DMaxDevices];
extern DWORD g_nD3DDevices;      // usable devices in the table
extern DWORD g_nD3DDevicesSeen;  // every device enumerated

// Called for each device during enumeration; a negative result skips it.
typedef HRESULT (*D3DConfirmDevice)(DDCAPS *hwCaps, D3DDEVICEDESC7 *desc);

// The full-screen mode wanted (defaults 640 x 480 x 16). Returns 0.
HRESULT SetPreferredMode(DWORD width, DWORD height, DWORD bits);
// Fills the table: 0, 0x81000002 (no device at all) or 0x81000003 (none
// usable). Devices past the table's end are counted as seen, not kept.
HRESULT EnumerateDevices(D3DConfirmDevice confirm);
void GetDeviceList(D3DDeviceInfo **table, DWORD *count);
// Among the usable devices of the primary display driver: T&L, other
// hardware (both unless software only), software, reference, the last of
// each kind. 0 (the device's bWindowed set), E_INVALIDARG for a null out,
// 0x81000004 when none qualifies (out unchanged).
HRESULT SelectDefaultDevice(D3DDeviceInfo **out, DWORD flags);
// By width, then height, then bits per pixel: -1, 0 or 1.
int CompareDisplayModes(const DDSURFACEDESC2 *a, const DDSURFACEDESC2 *b);
// Frees every enumerated device's mode array.
void FreeDeviceModes();

// One DirectDraw driver while its devices are enumerated: what each of
// its devices inherits, and every display mode it offers (sorted).
struct D3DDriverRecord {
    char szDescription[40];
    GUID guid;
    GUID *pGuid;  // null for the primary display driver
    DDCAPS ddHwCaps, ddHelCaps;
    BOOL bDesktopCompatible;
    DDSURFACEDESC2 *pModes;
    DWORD nModes;
    D3DConfirmDevice confirm;
};
// The IDirect3D7::EnumDevices callback (context: the driver record):
// appends a usable device to the table, with the driver's modes it
// renders and the preferred mode among them.
HRESULT CALLBACK EnumDeviceProc(LPSTR description, LPSTR name, D3DDEVICEDESC7 *desc, void *context);

#endif
