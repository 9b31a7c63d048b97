#include "devices/d3d_framework.h"

#include "devices/d3d_results.h"

#include <string.h>

HRESULT (*g_pfnD3DFrameworkStep)(D3DFrameworkStep step, HRESULT result) = nullptr;

namespace {

// The result of a step as a test may have rewritten it.
HRESULT Step(D3DFrameworkStep step, HRESULT result)
{
    return g_pfnD3DFrameworkStep ? g_pfnD3DFrameworkStep(step, result) : result;
}

// Out of video memory is worth telling apart; every other failure of a
// surface gets the step's own code.
HRESULT SurfaceFailure(HRESULT hr, uint32_t code)
{
    return hr == DDERR_OUTOFVIDEOMEMORY ? hr : (HRESULT)code;
}

template <class T> void ReleaseInto(T *&p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

}  // namespace

D3DFramework::D3DFramework()
    : hWnd(nullptr), bFullScreen(FALSE), bStereo(FALSE), dwRenderWidth(0), dwRenderHeight(0), pDD(nullptr),
      pD3D(nullptr), pDevice(nullptr), pddsFront(nullptr), pddsBack(nullptr), pddsBackLeft(nullptr),
      pddsZBuffer(nullptr), dwDeviceMemType(0)
{
    SetRectEmpty(&rcScreen);
}

D3DFramework::~D3DFramework() { ReleaseObjects(); }

HRESULT D3DFramework::Initialize(HWND window, GUID *driverGuid, GUID *deviceGuid, DDSURFACEDESC2 *mode,
                                 DWORD flags)
{
    if (!window || !deviceGuid || (!mode && (flags & kD3DFlagFullScreen)))
        return E_INVALIDARG;
    hWnd = window;
    bFullScreen = (flags & kD3DFlagFullScreen) != 0;
    bStereo = FALSE;
    HRESULT hr = CreateObjects(driverGuid, deviceGuid, mode, flags);
    if (FAILED(hr))
        ReleaseObjects();
    return hr;
}

HRESULT D3DFramework::CreateObjects(GUID *driverGuid, GUID *deviceGuid, DDSURFACEDESC2 *mode, DWORD flags)
{
    bool hardware = *deviceGuid == IID_IDirect3DHALDevice || *deviceGuid == IID_IDirect3DTnLHalDevice;
    dwDeviceMemType = hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
    HRESULT hr = CreateDirectDraw(driverGuid, flags);
    if (FAILED(hr))
        return hr;
    hr = bFullScreen ? CreateFullScreenBuffers(mode, flags) : CreateWindowedBuffers();
    if (FAILED(hr))
        return hr;
    return CreateDevice(deviceGuid);
}

HRESULT D3DFramework::CreateDirectDraw(GUID *driverGuid, DWORD flags)
{
    HRESULT hr = Step(kStepCreateDirectDraw, DirectDrawCreateEx(driverGuid, (void **)&pDD, IID_IDirectDraw7, nullptr));
    if (FAILED(hr) || !pDD)
        return (HRESULT)kD3DNoDirectDraw;
    DWORD level = bFullScreen ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT : DDSCL_NORMAL;
    if (!(flags & kD3DFlagKeepFpu))
        level |= DDSCL_FPUSETUP;
    hr = Step(kStepCooperativeLevel, pDD->SetCooperativeLevel(hWnd, level));
    if (FAILED(hr))
        return (HRESULT)kD3DNoCooperativeLevel;
    // A palette desktop cannot be rendered to, not even before a
    // full-screen mode replaces it.
    DDSURFACEDESC2 desktop;
    memset(&desktop, 0, sizeof desktop);
    desktop.dwSize = sizeof desktop;
    pDD->GetDisplayMode(&desktop);
    if (Step(kStepDesktopDepth, (HRESULT)desktop.ddpfPixelFormat.dwRGBBitCount) <= 8)
        return (HRESULT)kD3DDesktopTooFewBits;
    return 0;
}

HRESULT D3DFramework::CreateFullScreenBuffers(DDSURFACEDESC2 *mode, DWORD)
{
    dwRenderWidth = mode->dwWidth;
    dwRenderHeight = mode->dwHeight;
    SetRect(&rcScreen, 0, 0, (int)dwRenderWidth, (int)dwRenderHeight);
    DWORD bits = mode->ddpfPixelFormat.dwRGBBitCount;
    DWORD modeFlags = (dwRenderWidth == 320 && dwRenderHeight == 200 && bits == 8) ? DDSDM_STANDARDVGAMODE : 0;
    // No preferred mode was found: some DirectDraw versions take a mode of
    // nothing as "the desktop's" and would leave a render size of 0 x 0.
    HRESULT hr = (dwRenderWidth && dwRenderHeight && bits)
                     ? pDD->SetDisplayMode(dwRenderWidth, dwRenderHeight, bits, mode->dwRefreshRate, modeFlags)
                     : DDERR_INVALIDMODE;
    hr = Step(kStepDisplayMode, hr);
    if (FAILED(hr))
        return (HRESULT)kD3DBadDisplayMode;

    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    hr = Step(kStepPrimary, pDD->CreateSurface(&desc, &pddsFront, nullptr));
    if (FAILED(hr) || !pddsFront)
        return SurfaceFailure(hr, kD3DNoPrimary);

    DDSCAPS2 caps;
    memset(&caps, 0, sizeof caps);
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    hr = Step(kStepBackBuffer, pddsFront->GetAttachedSurface(&caps, &pddsBack));
    if (FAILED(hr) || !pddsBack)
        return (HRESULT)kD3DNoBackBuffer;
    pddsBack->AddRef();
    return 0;
}

HRESULT D3DFramework::CreateWindowedBuffers()
{
    RECT client;
    GetClientRect(hWnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hWnd, &origin);
    dwRenderWidth = (DWORD)(client.right - client.left);
    dwRenderHeight = (DWORD)(client.bottom - client.top);
    SetRect(&rcScreen, origin.x, origin.y, origin.x + (int)dwRenderWidth, origin.y + (int)dwRenderHeight);

    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    HRESULT hr = Step(kStepPrimary, pDD->CreateSurface(&desc, &pddsFront, nullptr));
    if (FAILED(hr) || !pddsFront)
        return SurfaceFailure(hr, kD3DNoPrimary);

    IDirectDrawClipper *clipper = nullptr;
    hr = pDD->CreateClipper(0, &clipper, nullptr);
    if (SUCCEEDED(hr))
        hr = clipper->SetHWnd(0, hWnd);
    if (SUCCEEDED(hr))
        hr = pddsFront->SetClipper(clipper);
    if (clipper)
        clipper->Release();  // the primary keeps it
    if (FAILED(Step(kStepClipper, hr)))
        return (HRESULT)kD3DNoClipper;

    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    desc.dwWidth = dwRenderWidth;
    desc.dwHeight = dwRenderHeight;
    hr = Step(kStepBackBuffer, pDD->CreateSurface(&desc, &pddsBack, nullptr));
    if (FAILED(hr) || !pddsBack)
        return SurfaceFailure(hr, kD3DNoBackBuffer);
    return 0;
}

HRESULT D3DFramework::CreateDevice(GUID *deviceGuid)
{
    HRESULT hr = Step(kStepDirect3D, pDD->QueryInterface(IID_IDirect3D7, (void **)&pD3D));
    if (FAILED(hr) || !pD3D)
        return (HRESULT)kD3DNoDirect3D;
    hr = Step(kStepDevice, pD3D->CreateDevice(*deviceGuid, pddsBack, &pDevice));
    if (FAILED(hr) || !pDevice)
        return (HRESULT)kD3DNoDevice;
    D3DVIEWPORT7 viewport = {0, 0, dwRenderWidth, dwRenderHeight, 0.0f, 1.0f};
    hr = Step(kStepViewport, pDevice->SetViewport(&viewport));
    if (FAILED(hr))
        return (HRESULT)kD3DNoViewport;
    return 0;
}

HRESULT D3DFramework::ReleaseObjects()
{
    if (pDD)
        pDD->SetCooperativeLevel(hWnd, DDSCL_NORMAL);
    ULONG deviceLeft = 0, ddLeft = 0;
    if (pDevice) {
        deviceLeft = pDevice->Release();
        pDevice = nullptr;
    }
    ReleaseInto(pddsBack);
    ReleaseInto(pddsBackLeft);
    ReleaseInto(pddsZBuffer);
    ReleaseInto(pddsFront);
    ReleaseInto(pD3D);
    if (pDD) {
        ddLeft = pDD->Release();
        pDD = nullptr;
    }
    return deviceLeft || ddLeft ? (HRESULT)kD3DReferencesLeft : 0;
}

HRESULT D3DFramework::ShowFrame()
{
    if (!pddsFront)
        return (HRESULT)kD3DNoPrimaryToPresent;
    if (bFullScreen)
        return pddsFront->Flip(nullptr, DDFLIP_WAIT);
    return pddsFront->Blt(&rcScreen, pddsBack, nullptr, DDBLT_WAIT, nullptr);
}

HRESULT D3DFramework::RestoreSurfaces()
{
    if (pDD)
        pDD->RestoreAllSurfaces();
    return 0;
}

void D3DFramework::MoveWindowRect(int x, int y)
{
    if (!bFullScreen)
        SetRect(&rcScreen, x, y, x + (int)dwRenderWidth, y + (int)dwRenderHeight);
}

HRESULT D3DFramework::FlipToGdi(BOOL redraw)
{
    if (bFullScreen && pDD) {
        pDD->FlipToGDISurface();
        if (redraw) {
            DrawMenuBar(hWnd);
            RedrawWindow(hWnd, nullptr, nullptr, RDW_FRAME);
        }
    }
    return 0;
}
