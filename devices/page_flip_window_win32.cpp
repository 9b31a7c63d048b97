#include "devices/page_flip_window.h"

#include "devices/device_window_loop.h"
#include "devices/flip_chain.h"
#include "devices/page_flip_draw.h"
#include "devices/page_flip_geometry.h"
#include "devices/page_flip_state.h"
#include "devices/winx3d_caps.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/string_table.h"
#include "sources/movie_open.h"
#include "state/app_windows.h"

#include <ddraw.h>

#include <string.h>

WinX3DContext *g_pW3DContext = nullptr;
int g_nW3DDevice = 0;
int g_bW3DAttached = 0, g_bW3DExclusive = 0, g_bW3DFlipping = 0;
IDirectDraw *g_pW3DDirectDraw = nullptr;
IDirectDrawSurface *g_pW3DPrimary = nullptr;
IDirectDrawSurface *g_apW3DFlip[kW3DFlipSlots] = {};
int g_nW3DBuffers = 0;
W3DDisplayInfo g_w3dDisplayInfo;
WinX3DCaps g_w3dCaps;
StereoPair *g_pW3DPair = nullptr;
MovieSource g_w3dMovie;
MovieSource *g_pW3DMovie = nullptr;
int g_nW3DError = 0;
int g_nW3DFileFrame = 0, g_nW3DFileShiftX = 0, g_nW3DFileShiftY = 0;
int g_bW3DSwap = 0, g_bW3DHelp = 0, g_bW3DInfo = 0;
int g_nW3DClear = 0;
int g_nW3DLeftBuffer = 0, g_nW3DRightBuffer = 0;
int g_nW3DBase = 0, g_nW3DStep = 0, g_nW3DTotal = 0, g_nW3DDelay = 0;
HWND g_hwndW3D = nullptr;

namespace {

HCURSOR NoCursor()
{
    HCURSOR c = LoadCursorA(g_hInst, "NOTHING");
    return c ? c : g_hCursorNone;
}

int DrawCurrent(HWND hwnd)
{
    if (g_pW3DMovie)
        return DrawW3DFileFrame(hwnd, g_pW3DContext, g_nW3DDevice, g_pW3DMovie);
    return DrawW3DPairFrame(hwnd, g_pW3DContext, g_nW3DDevice, g_pW3DPair);
}

void DrawWithHelp(HWND hwnd)
{
    int help = g_bW3DHelp;
    g_bW3DHelp = 1;
    DrawCurrent(hwnd);
    g_bW3DHelp = help;
}

void SetUpFailed(HWND hwnd)
{
    g_nW3DError = kW3DErrorSetUp;
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

bool OnWindows9x()
{
    OSVERSIONINFOA v;
    memset(&v, 0, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    return GetVersionExA(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

void SetFullScreenMode(HWND)
{
    IDirectDraw *dd = g_pW3DDirectDraw;
    if (!OnWindows9x()) {
        DWORD rate = 0;
        GetWinX3DRefreshRate(g_n3DWidth, g_n3DHeight, g_n3DBits, g_nW3DDevice, &rate);
        IDirectDraw2 *dd2 = nullptr;
        if (dd->QueryInterface(IID_IDirectDraw2, (void **)&dd2) == S_OK && dd2) {
            dd2->SetDisplayMode((DWORD)g_n3DWidth, (DWORD)g_n3DHeight, (DWORD)g_n3DBits, rate, 0);
            dd2->Release();
            return;
        }
    }
    dd->SetDisplayMode((DWORD)g_n3DWidth, (DWORD)g_n3DHeight, (DWORD)g_n3DBits);
}

// Exclusive full screen, the flip chain and the driver flipping it; the
// current frame shown once with the key help.
void SetUp(HWND hwnd)
{
    g_bW3DExclusive = 0;
    // Without DirectDraw or the driver the window has not been shown and
    // nothing would ever close it: it closes now (the loader reports its
    // failures by result only).
    if (DirectDrawCreate(nullptr, &g_pW3DDirectDraw, nullptr) != DD_OK) {
        g_pW3DDirectDraw = nullptr;
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    if (LoadWinX3D(&g_pW3DContext) != 0) {
        g_pW3DContext = nullptr;
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return;
    }
    g_nW3DDevice = 0;
    if (W3DHasSelectDevice(g_pW3DContext))
        W3DSelectDevice(g_pW3DContext, &g_nW3DDevice);
    memset(&g_w3dDisplayInfo, 0, sizeof g_w3dDisplayInfo);
    GetWinX3DDisplayInfo(hwnd, g_pW3DContext, g_nW3DDevice, &g_w3dDisplayInfo);
    memset(&g_w3dCaps, 0, sizeof g_w3dCaps);
    g_w3dCaps.cbSize = sizeof g_w3dCaps;
    if (W3DGetCaps(g_pW3DContext, g_nW3DDevice, &g_w3dCaps) != 0) {
        SetUpFailed(hwnd);
        return;
    }
    FlipChainPlan plan = PlanFlipChain(g_w3dCaps.dwFlags, g_w3dCaps.dwFlags2, g_n3DBits);
    g_n3DBits = plan.bits;
    if (plan.refused) {
        SetUpFailed(hwnd);
        return;
    }
    IDirectDraw *dd = g_pW3DDirectDraw;
    dd->SetCooperativeLevel(hwnd, DDSCL_SETFOCUSWINDOW);
    if (dd->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK) {
        SetUpFailed(hwnd);
        return;
    }
    SetFullScreenMode(hwnd);
    g_bW3DExclusive = 1;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    HRESULT chain = CreateFlipChain(dd, &g_pW3DPrimary, plan.buffers, plan.minimum, &g_nW3DBuffers);
    if (chain == 0 && OnWindows9x() && W3DAttachPrimary(g_pW3DContext, g_nW3DDevice, g_pW3DPrimary) == 0)
        g_bW3DAttached = 1;
    if (chain == 0)
        CollectFlipChain(g_pW3DPrimary, g_apW3DFlip, g_nW3DBuffers);
    // Nothing to draw into without a chain of two surfaces: never hand
    // the driver a null surface.
    if (chain != 0 || !g_apW3DFlip[0] || !g_apW3DFlip[1]) {
        SetUpFailed(hwnd);
        return;
    }
    ClearFlipSurfaces(g_apW3DFlip[0], g_apW3DFlip[1]);
    if (W3DStartFlipping(g_pW3DContext, g_nW3DDevice, dd, g_apW3DFlip[0], g_apW3DFlip[1]) != 0)
        return;  // a black window that Esc or Enter closes
    g_bW3DFlipping = 1;
    DrawWithHelp(hwnd);
}

void Leave(HWND hwnd)
{
    if (g_pW3DMovie) {
        CloseMovieSource(g_pW3DMovie);
        g_pW3DMovie = nullptr;
    }
    if (g_bW3DFlipping && g_pW3DContext && g_pW3DDirectDraw && g_apW3DFlip[0] && g_apW3DFlip[1]) {
        g_bW3DFlipping = 0;
        W3DStopFlipping(g_pW3DContext, g_nW3DDevice, g_pW3DDirectDraw, g_apW3DFlip[0], g_apW3DFlip[1]);
    }
    g_bW3DFlipping = 0;
    if (g_pW3DPrimary)
        g_pW3DPrimary->Release();
    g_pW3DPrimary = nullptr;
    memset(g_apW3DFlip, 0, sizeof g_apW3DFlip);
    g_nW3DBuffers = 0;
    if (g_pW3DContext)
        W3DUnload(g_pW3DContext);
    g_pW3DContext = nullptr;
    if (g_pW3DDirectDraw) {
        g_bW3DExclusive = 0;
        if (g_w3dDisplayInfo.nWidth > 0)
            g_pW3DDirectDraw->SetDisplayMode((DWORD)g_w3dDisplayInfo.nWidth, (DWORD)g_w3dDisplayInfo.nHeight,
                                             (DWORD)g_w3dDisplayInfo.nBits);
        g_pW3DDirectDraw->SetCooperativeLevel(hwnd, DDSCL_NORMAL);
        g_pW3DDirectDraw->Release();
        g_pW3DDirectDraw = nullptr;
    }
    g_bW3DExclusive = 0;
    g_bW3DAttached = 0;
    DestroyWindow(hwnd);
    // The failure's message follows once the window's loop has taken the
    // quit its destruction posted (RunW3DWindow).
}

void ReportW3DError()
{
    if (g_nW3DError == kW3DErrorFile)
        AppMessageBox(g_hwndMain, LoadStr(IDS_W3D_CANNOT_SHOW_FILE), LoadStr(IDS_WARNING_CAPTION),
                      MB_ICONEXCLAMATION);
    else if (g_nW3DError != 0)
        AppMessageBox(g_hwndMain, LoadStr(IDS_W3D_CANNOT_SHOW), LoadStr(IDS_WARNING_CAPTION), MB_ICONEXCLAMATION);
    g_nW3DError = 0;
}

// F2 (fromStart false) and F3: the play loop again as long as it ends at
// the end with repeat on; then the frame with the key help.
void Play(HWND hwnd, bool fromStart)
{
    for (;;) {
        if (fromStart)
            (g_pW3DMovie ? g_nW3DFileFrame : g_nFrame) = 0;
        int r = g_pW3DMovie ? PlayW3DFile(hwnd, g_pW3DContext, g_nW3DDevice, g_pW3DMovie)
                            : PlayW3DPair(hwnd, g_pW3DContext, g_nW3DDevice, g_pW3DPair);
        if (r != 0)
            break;
    }
    DrawWithHelp(hwnd);
}

void Step(HWND hwnd, int delta)
{
    bool file = g_pW3DMovie != nullptr;
    int &frame = file ? g_nW3DFileFrame : g_nFrame;
    int last = file ? g_pW3DMovie->nFrames - 1 : g_nFrameCount - 1;
    W3DFrameStep s = StepW3DFrame(frame, last, delta, g_bRepeat);
    frame = s.frame;
    if (s.draw)
        DrawCurrent(hwnd);
}

void OnKeyDown(HWND hwnd, WPARAM key)
{
    bool file = g_pW3DMovie != nullptr;
    int &shiftX = file ? g_nW3DFileShiftX : g_nShiftX;
    int &shiftY = file ? g_nW3DFileShiftY : g_nShiftY;
    switch (key) {
    case VK_RETURN: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case VK_HOME: shiftX = shiftY = 0; DrawCurrent(hwnd); break;
    case VK_LEFT: shiftX -= 4; DrawCurrent(hwnd); break;
    case VK_RIGHT: shiftX += 4; DrawCurrent(hwnd); break;
    case VK_UP: shiftY -= 1; DrawCurrent(hwnd); break;
    case VK_DOWN: shiftY += 1; DrawCurrent(hwnd); break;
    case VK_SPACE: Step(hwnd, 1); break;
    case VK_BACK: Step(hwnd, -1); break;
    case 'X': g_bW3DSwap = !g_bW3DSwap; DrawCurrent(hwnd); break;
    case 'H':
    case VK_F1:
        g_bW3DHelp = !g_bW3DHelp;
        DrawCurrent(hwnd);
        DrawCurrent(hwnd);
        break;
    case VK_F5:
        g_bW3DInfo = !g_bW3DInfo;
        DrawCurrent(hwnd);
        DrawCurrent(hwnd);
        break;
    case VK_F2: Play(hwnd, false); break;
    case VK_F3: Play(hwnd, true); break;
    default: break;
    }
}

bool OnCreate(HWND hwnd, const CREATESTRUCTA *cs)
{
    g_hwndW3D = hwnd;
    g_bW3DSwap = 0;
    g_nW3DFileShiftX = g_nW3DFileShiftY = 0;
    g_nW3DError = 0;
    g_pW3DPair = (StereoPair *)cs->lpCreateParams;
    g_pW3DMovie = nullptr;
    memset(g_apW3DFlip, 0, sizeof g_apW3DFlip);
    // Only a mode this window changed is restored at its close.
    memset(&g_w3dDisplayInfo, 0, sizeof g_w3dDisplayInfo);
    if (g_nPlaySource != 0) {
        char error[kOpenErrorBytes] = "";
        InitMovieSource(&g_w3dMovie);
        if (!g_pW3DPair || OpenMovieSource(nullptr, g_pW3DPair->szName, &g_w3dMovie, error, 0) != 0) {
            CloseMovieSource(&g_w3dMovie);
            g_nW3DError = kW3DErrorFile;
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return true;
        }
        g_pW3DMovie = &g_w3dMovie;
    }
    g_nW3DFileFrame = 0;
    SetCursor(NoCursor());
    PostMessageA(hwnd, kW3DSetUpMessage, 0, 0);
    return true;
}

}  // namespace

int RunW3DWindow(StereoPair *pair)
{
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "W3DWIN", "W3DWindow", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                                g_hInst, pair);
    if (!hwnd)
        return 1;
    RunDeviceWindowLoop(hwnd);
    ReportW3DError();
    return 1;
}

LRESULT CALLBACK W3DWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        OnCreate(hwnd, (const CREATESTRUCTA *)lParam);
        break;
    case kW3DSetUpMessage:
        SetUp(hwnd);
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && g_bW3DExclusive && g_bW3DFlipping) {
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        if (g_pW3DContext && g_bW3DExclusive && g_bW3DFlipping)
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT:
        ValidateRect(hwnd, nullptr);
        return 0;
    case WM_ERASEBKGND:
        if (g_apW3DFlip[0])
            return 1;
        break;
    case WM_SETCURSOR:
        SetCursor(NoCursor());
        return 1;
    case WM_KEYDOWN:
        OnKeyDown(hwnd, wParam);
        break;
    case WM_KEYUP:
        if (wParam == VK_ESCAPE)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case WM_LBUTTONDOWN:
        Play(hwnd, false);
        break;
    case WM_RBUTTONDOWN:
        Play(hwnd, true);
        break;
    case WM_CLOSE:
        Leave(hwnd);
        return 0;
    case WM_DESTROY:
        if (g_hwndW3D == hwnd)
            g_hwndW3D = nullptr;
        EndDeviceWindowLoop(hwnd);
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
