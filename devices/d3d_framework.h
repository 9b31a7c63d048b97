// The Direct3D 7 objects of the stereo player: DirectDraw 7 and its
// cooperative level, the display mode, the primary surface with a flip
// chain (full screen) or an off-screen back buffer and a clipper (in a
// window), the device and its viewport; presenting and restoring.
#ifndef TWR_DEVICES_D3D_FRAMEWORK_H
#define TWR_DEVICES_D3D_FRAMEWORK_H

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

// Initialize flags. Only full screen is ever asked for; the others are
// kept for completeness.
enum { kD3DFlagFullScreen = 1, kD3DFlagStereo = 2, kD3DFlagZBuffer = 4, kD3DFlagKeepFpu = 8 };

class D3DFramework {
public:
    D3DFramework();
    ~D3DFramework();  // ReleaseObjects

    // 0 or a result code (E_INVALIDARG for a null window or device GUID,
    // or a null mode with the full-screen flag). On failure every object
    // made so far is released.
    HRESULT Initialize(HWND window, GUID *driverGuid, GUID *deviceGuid, DDSURFACEDESC2 *mode, DWORD flags);
    // 0, or 0x8200000C when the device or DirectDraw keeps references.
    HRESULT ReleaseObjects();
    // Flip (full screen) or blit the back buffer to its place on the
    // primary (window); 0x8200000F without a primary.
    HRESULT ShowFrame();
    HRESULT RestoreSurfaces();
    void MoveWindowRect(int x, int y);
    HRESULT FlipToGdi(BOOL redraw);

    HWND hWnd;
    BOOL bFullScreen;
    BOOL bStereo;
    DWORD dwRenderWidth, dwRenderHeight;
    RECT rcScreen;
    IDirectDraw7 *pDD;
    IDirect3D7 *pD3D;
    IDirect3DDevice7 *pDevice;
    IDirectDrawSurface7 *pddsFront;
    IDirectDrawSurface7 *pddsBack;
    IDirectDrawSurface7 *pddsBackLeft;
    IDirectDrawSurface7 *pddsZBuffer;
    DWORD dwDeviceMemType;

private:
    HRESULT CreateObjects(GUID *driverGuid, GUID *deviceGuid, DDSURFACEDESC2 *mode, DWORD flags);
    HRESULT CreateDirectDraw(GUID *driverGuid, DWORD flags);
    HRESULT CreateFullScreenBuffers(DDSURFACEDESC2 *mode, DWORD flags);
    HRESULT CreateWindowedBuffers();
    HRESULT CreateDevice(GUID *deviceGuid);
};

// Lets a test make one step of the set-up fail: called with the step and
// the result the step got; its return replaces that result. Null: unused.
enum D3DFrameworkStep {
    kStepCreateDirectDraw,
    kStepCooperativeLevel,
    kStepDisplayMode,
    kStepPrimary,
    kStepBackBuffer,
    kStepClipper,
    kStepDirect3D,
    kStepDevice,
    kStepViewport,
    // The desktop's bits per pixel take the result's place: a test may
    // give a depth the screen cannot be set to.
    kStepDesktopDepth,
};
extern HRESULT (*g_pfnD3DFrameworkStep)(D3DFrameworkStep step, HRESULT result);

#endif
