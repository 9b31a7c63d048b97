// The WinX3D page-flipping driver "W3D_DD.DLL": how the program finds and
// loads it, the records that cross its function table, and the calls into
// that table. The driver is a separately installed library; nothing of its
// inner working is assumed beyond what the table's calls return.
//
// Every slot is called with the caller removing the arguments (cdecl). The
// layouts below are those of the 32-bit program (the sizes in the comments);
// the 64-bit build keeps the same order with wider pointers.
#ifndef TWR_DEVICES_WINX3D_DRIVER_H
#define TWR_DEVICES_WINX3D_DRIVER_H

#include "shared/wintypes.h"

#include <stddef.h>

struct IDirectDraw;
struct IDirectDrawSurface;
struct WinX3DContext;

// Results of the loader and of the slot calls.
enum : DWORD {
    kW3DNullArgument = 0x60001,
    kW3DContextTooSmall = 0x60004,
    kW3DNotLoadable = 0x6000a,  // no library, no export, or a slot the call needs is empty
    kW3DNoMemory = 0x6000d,
    kW3DRegistryAbsent = 24,
    kW3DNoDeviceContext = 39,
};

typedef DWORD(__cdecl *W3DStartFlippingFn)(WinX3DContext *, int device, IDirectDraw *, IDirectDrawSurface *,
                                            IDirectDrawSurface *);
typedef DWORD(__cdecl *W3DPresentFn)(WinX3DContext *, int device, int one);
typedef DWORD(__cdecl *W3DSetEyeSurfaceFn)(WinX3DContext *, int device, IDirectDrawSurface *, int leftEye);
struct WinX3DCaps;
typedef DWORD(__cdecl *W3DGetCapsFn)(WinX3DContext *, int device, WinX3DCaps *);
typedef DWORD(__cdecl *W3DUnloadFn)(WinX3DContext *);
typedef DWORD(__cdecl *W3DSurfaceStatusFn)(WinX3DContext *, int device, IDirectDrawSurface *, DWORD *status);

// The 15-slot table (60 bytes), allocated zero-filled by the program and
// filled by the driver's "W3D_DDFillFunctions". Unused slots are never
// called.
struct WinX3DFunctions {
    W3DStartFlippingFn StartFlipping;  // 0x00
    W3DStartFlippingFn StopFlipping;   // 0x04, same arguments
    void *unused08, *unused0c;
    W3DPresentFn Present;              // 0x10
    void *unused14;
    W3DSetEyeSurfaceFn SetEyeSurface;  // 0x18; eye 1 left, 0 right
    void *unused1c, *unused20;
    W3DGetCapsFn GetCaps;              // 0x24
    W3DUnloadFn Unload;                // 0x28: overwritten with UnloadWinX3D after the fill
    W3DSurfaceStatusFn GetSurfaceStatus;  // 0x2c
    void *unused30, *unused34, *unused38;
};
static_assert(sizeof(WinX3DFunctions) == 15 * sizeof(void *), "15 slots");

struct W3DDisplayInfo;
typedef DWORD(__cdecl *W3DCloseFn)(WinX3DContext *);
typedef DWORD(__cdecl *W3DAttachPrimaryFn)(WinX3DContext *, int device, IDirectDrawSurface *);
typedef DWORD(__cdecl *W3DSelectDeviceFn)(WinX3DContext *, int zero, int *device);
typedef DWORD(__cdecl *W3DGetDisplayDeviceFn)(WinX3DContext *, int device, W3DDisplayInfo *);

// The driver's own block (global memory, freed by the program at unload).
// Its first word says how many bytes exist, and so which entries.
struct WinX3DDriverBlock {
    DWORD cbSize;
    W3DCloseFn Close;                  // 0x04
    W3DAttachPrimaryFn AttachPrimary;  // 0x08
    void *reserved[6];
    W3DSelectDeviceFn SelectDevice;         // 0x24
    W3DGetDisplayDeviceFn GetDisplayDevice;  // 0x28
};
// The sizes that decide which entries exist: 12 and 44 in the 32-bit build.
enum : DWORD {
    kW3DBlockShort = (DWORD)(offsetof(WinX3DDriverBlock, AttachPrimary) + sizeof(void *)),
    kW3DBlockFull = (DWORD)(offsetof(WinX3DDriverBlock, GetDisplayDevice) + sizeof(void *)),
};

struct WinX3DContext {
    DWORD cbSize;  // set once the library has loaded
    HMODULE hModule;
    WinX3DFunctions *pFunctions;
    WinX3DDriverBlock *pDriverBlock;  // set by the driver while it fills the table
    DWORD reserved;
};
// The context's size once loaded: 20 in the 32-bit build.
enum : DWORD { kW3DContextBytes = (DWORD)(offsetof(WinX3DContext, reserved) + sizeof(DWORD)) };

struct WinX3DCaps {
    DWORD cbSize;  // 12
    DWORD dwFlags;
    DWORD dwFlags2;
};

// Filled by the driver's GetDisplayDevice, so its layout is fixed (296
// bytes in the 32-bit build).
struct W3DDisplayInfo {
    char szDevice[260];  // for CreateDC; "display" without GetDisplayDevice
    int nWidth, nHeight, nBits;  // the desktop mode restored at close
    int reserved;
    HWND hwnd;
    RECT rcWindow;
};

typedef DWORD(__cdecl *W3DFillFunctionsFn)(WinX3DContext *);

// Loads the driver named by HKLM "SOFTWARE\W3D" "WIN3D" (its folder) and
// has it fill a new context's table. 0, or an error above (the pointer is
// then null and nothing stays loaded).
DWORD LoadWinX3D(WinX3DContext **out);
// Closes the driver block, frees it, the table, the module and the
// context. Reached through the table's Unload slot.
DWORD __cdecl UnloadWinX3D(WinX3DContext *context);

// The display device and its mode before the mode change. 0, 1 for a null
// context or record, 39 without a device context, or GetDisplayDevice's
// result.
DWORD GetWinX3DDisplayInfo(HWND window, WinX3DContext *context, int device, W3DDisplayInfo *info);
// The refresh rate kept for a mode: "RateFor%dx%dx%d", else "RateFor%dx%d"
// under the device's flipper key. 0 when the first lookup found its value,
// else 24 (1 for a null out pointer); *rate 0 when none is configured.
DWORD GetWinX3DRefreshRate(int width, int height, int bits, int device, DWORD *rate);
// A value of a registry key, matched by name without regard to ASCII case:
// as text (text non-null) or as its first 32-bit word. 0 found, 24 not.
DWORD FindRegistryValue(HKEY root, const char *key, const char *name, char *text, int length, DWORD *value,
                        const char *defaultText, DWORD defaultValue);
// Byte difference after folding 'a'-'z' to upper case; 0 when equal.
int CompareNoCase(const char *a, const char *b);
// "SOFTWARE\W3D\FLIPPER\WIN3D\%d", or without the number for device -1.
// out holds at least 64 bytes. Returns 0.
DWORD GetWinX3DFlipperKey(int device, char *out);

// The calls into the table and the driver block: an empty slot that must
// be called refuses with kW3DNotLoadable, a null context with
// kW3DNullArgument; a block entry that does not exist (cbSize too small)
// is not called and gives kW3DNotLoadable.
DWORD W3DStartFlipping(WinX3DContext *c, int device, IDirectDraw *dd, IDirectDrawSurface *a, IDirectDrawSurface *b);
DWORD W3DStopFlipping(WinX3DContext *c, int device, IDirectDraw *dd, IDirectDrawSurface *a, IDirectDrawSurface *b);
DWORD W3DPresent(WinX3DContext *c, int device);
DWORD W3DSetEyeSurface(WinX3DContext *c, int device, IDirectDrawSurface *surface, int leftEye);
DWORD W3DGetCaps(WinX3DContext *c, int device, WinX3DCaps *caps);
DWORD W3DUnload(WinX3DContext *c);
// 0 with *status filled (preset to 0), or an error.
DWORD W3DGetSurfaceStatus(WinX3DContext *c, int device, IDirectDrawSurface *surface, DWORD *status);
DWORD W3DSelectDevice(WinX3DContext *c, int *device);
DWORD W3DAttachPrimary(WinX3DContext *c, int device, IDirectDrawSurface *primary);
bool W3DHasSelectDevice(const WinX3DContext *c);

#endif
