// The 3D Vision viewer's run, set-up, device, NV3D surface and window.
#include "devices/stereo_vision_view.h"

#include "devices/nvapi_access.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_geometry.h"
#include "pipeline/pair_position.h"
#include "shared/message_box.h"
#include "sources/movie_open.h"
#include "sources/movie_source.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

StereoVisionView g_vision;
int g_nVisionZoom = kVisionZoomActual;
int g_bVisionClear = 1;

void (*g_pfnVisionSurface)(IDirect3DSurface9 *surface, IDirect3DDevice9 *device) = nullptr;
void (*g_pfnVisionBackBuffer)(IDirect3DSurface9 *back) = nullptr;
void (*g_pfnVisionFrameTimes)(const PlayerFrameTimes &times) = nullptr;
IDirect3D9 *(*g_pfnVisionCreate9)(UINT version) = nullptr;
HRESULT (*g_pfnVisionCreateDevice)(IDirect3D9 *d3d, D3DPRESENT_PARAMETERS *params, IDirect3DDevice9 **device) = nullptr;
HRESULT (*g_pfnVisionCreateSurface)(IDirect3DDevice9 *device, UINT w, UINT h, IDirect3DSurface9 **surface) = nullptr;
HRESULT (*g_pfnVisionCooperativeLevel)(IDirect3DDevice9 *device) = nullptr;
int g_nVisionPresents = 0;

namespace {

const char kVisionName[] = "QFR 3D Vision";
const char kVisionError[] = "QFR 3D Vision Error";
const UINT kSetUpBox = MB_TOPMOST | MB_SETFOREGROUND;
const UINT kDeviceBox = MB_TOPMOST | MB_SETFOREGROUND | MB_SYSTEMMODAL;
const UINT kD3DVersion = 31;

WNDCLASSEXA s_class;
HCURSOR s_cursor = nullptr;

// From the start of a run to its return.
bool s_running = false;

}  // namespace

bool StereoVisionRunning() { return s_running; }

bool CreateNV3DSurface(int w, int h)
{
    if (g_vision.surface)
        g_vision.surface->Release();
    g_vision.surface = nullptr;
    if (w <= 0 || h <= 0 || !g_vision.device)
        return w <= 0 || h <= 0;
    IDirect3DSurface9 *s = nullptr;
    // No alpha: the drawings go through the surface's GDI DC, which
    // Direct3D 9 gives only for formats without it.
    HRESULT hr = g_pfnVisionCreateSurface
                     ? g_pfnVisionCreateSurface(g_vision.device, (UINT)(2 * w), (UINT)(h + 1), &s)
                     : g_vision.device->CreateOffscreenPlainSurface((UINT)(2 * w), (UINT)(h + 1), D3DFMT_X8R8G8B8,
                                                                   D3DPOOL_DEFAULT, &s, nullptr);
    if (FAILED(hr) || !s)
        return false;
    D3DLOCKED_RECT locked;
    if (FAILED(s->LockRect(&locked, nullptr, 0))) {
        s->Release();
        return false;
    }
    // The picture starts black (a half that a display format leaves
    // empty stays so), the last row carries the signature.
    for (int y = 0; y < h; y++)
        memset((BYTE *)locked.pBits + (size_t)y * locked.Pitch, 0, (size_t)(8 * w));
    bool signedRow = SignVisionSurface((BYTE *)locked.pBits, locked.Pitch, h + 1, w, h);
    s->UnlockRect();
    if (!signedRow) {
        s->Release();
        return false;
    }
    g_vision.surface = s;
    g_bVisionClear = 1;
    return true;
}

void ReleaseNV3DSurface() { CreateNV3DSurface(0, 0); }

void RecreateNV3DSurfaceIfNeeded()
{
    if (!g_vision.recreate)
        return;
    // A surface that could not be made (video memory short for a moment)
    // is tried again at the next drawing rather than leaving the viewer
    // black for the rest of the run.
    g_vision.recreate =
        CreateNV3DSurface((int)g_vision.present.BackBufferWidth, (int)g_vision.present.BackBufferHeight) ? 0 : 1;
}

bool VisionDeviceReady()
{
    IDirect3DDevice9 *device = g_vision.device;
    if (!device)
        return false;
    HRESULT hr = g_pfnVisionCooperativeLevel ? g_pfnVisionCooperativeLevel(device) : device->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST)
        return false;
    if (hr == D3DERR_DEVICENOTRESET) {
        ReleaseNV3DSurface();
        g_vision.recreate = 1;
        if (FAILED(device->Reset(&g_vision.present)))
            return false;
    }
    RecreateNV3DSurfaceIfNeeded();
    return g_vision.surface != nullptr;
}

void ShowVisionSurface()
{
    IDirect3DDevice9 *device = g_vision.device;
    const D3DPRESENT_PARAMETERS &pp = g_vision.present;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0.0f, 0);
    IDirect3DSurface9 *back = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) && back) {
        RECT src = {0, 0, 2 * (LONG)pp.BackBufferWidth, (LONG)pp.BackBufferHeight + 1};
        RECT dst = {0, 0, (LONG)pp.BackBufferWidth, (LONG)pp.BackBufferHeight};
        device->StretchRect(g_vision.surface, &src, back, &dst, D3DTEXF_LINEAR);
        if (g_pfnVisionBackBuffer)
            g_pfnVisionBackBuffer(back);
        back->Release();
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
    g_nVisionPresents++;
}

void PresentStereoVision()
{
    // Nothing is presented while the device is lost or without a surface.
    if (VisionDeviceReady())
        ShowVisionSurface();
}

void ReleaseStereoVision()
{
    if (g_vision.device)
        g_vision.device->Release();
    g_vision.device = nullptr;
    if (g_vision.d3d && g_vision.d3d->Release() != 0)
        AppMessageBox(nullptr, "Failed to release all D3D objects.", kVisionError, kDeviceBox);
    g_vision.d3d = nullptr;
}

bool InitStereoVision()
{
    DEVMODEA mode;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return false;
    if (!g_vision.classFilled) {
        memset(&s_class, 0, sizeof s_class);
        s_class.cbSize = sizeof s_class;
        s_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
        s_class.lpfnWndProc = StereoVisionWndProc;
        s_class.hInstance = g_vision.instance;
        s_class.lpszClassName = kVisionName;
        g_vision.classFilled = 1;
    }
    RegisterClassExA(&s_class);  // registered already: harmless
    g_vision.window = CreateWindowExA(0, kVisionName, kVisionName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, GetDesktopWindow(), nullptr, g_vision.instance,
                                      nullptr);
    if (!g_vision.window)
        return false;

    NvAPI_Status status = NvAPI_Initialize();
    if (status != NVAPI_OK) {
        NvAPI_ShortString text;
        if (NvAPI_GetErrorMessage(status, text) != NVAPI_OK || !text[0])
            snprintf(text, sizeof text, "NVAPI error %d", status);
        AppMessageBox(nullptr, text, "Unable to initialize NVAPI", kSetUpBox);
        return false;
    }
    NvU8 enabled = 0;
    if (NvAPI_Stereo_IsEnabled(&enabled) != NVAPI_OK) {
        AppMessageBox(nullptr, "Stereo is not available/nMake sure the stereo driver is installed correctly",
                      "Stereo not available", kSetUpBox);
        return false;
    }
    if (!enabled) {
        AppMessageBox(nullptr, "Stereo is available but not enabled/nLet's enable it", "Stereo not enabled",
                      kSetUpBox);
        NvAPI_Stereo_Enable();
    }
    NvAPI_Stereo_CreateConfigurationProfileRegistryKey(NVAPI_STEREO_DEFAULT_REGISTRY_PROFILE);

    g_vision.d3d = g_pfnVisionCreate9 ? g_pfnVisionCreate9(kD3DVersion) : Direct3DCreate9(kD3DVersion);
    if (!g_vision.d3d) {
        AppMessageBox(nullptr, "Failed to create D3D9.", kVisionError, kDeviceBox);
        return false;
    }
    D3DPRESENT_PARAMETERS &pp = g_vision.present;
    memset(&pp, 0, sizeof pp);
    pp.BackBufferWidth = (UINT)g_n3DWidth;
    pp.BackBufferHeight = (UINT)g_n3DHeight;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = g_vision.window;
    pp.Windowed = FALSE;
    pp.EnableAutoDepthStencil = FALSE;
    pp.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.FullScreen_RefreshRateInHz = mode.dmDisplayFrequency;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    HRESULT hr = g_pfnVisionCreateDevice
                     ? g_pfnVisionCreateDevice(g_vision.d3d, &pp, &g_vision.device)
                     : g_vision.d3d->CreateDevice(0, D3DDEVTYPE_HAL, g_vision.window,
                                                  D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &g_vision.device);
    if (FAILED(hr) || !g_vision.device) {
        g_vision.device = nullptr;
        AppMessageBox(nullptr, "Failed to create D3D Device.", kVisionError, kDeviceBox);
        return false;
    }
    return true;
}

LRESULT CALLBACK StereoVisionWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_bVisionClear = 1;
        g_vision.playing = 0;
        g_hwndPlayer3D = window;  // the play passes' sound reports here
        s_cursor = LoadCursorA(g_vision.instance, "NOTHING");
        if (!s_cursor)
            s_cursor = g_hCursorNone;
        SetCursor(s_cursor);
        break;
    case WM_SETCURSOR: SetCursor(s_cursor); return TRUE;
    case WM_CLOSE:
        if (g_nPlaySource != 0 && g_pPlayMovie)
            CloseMovieSource(g_pPlayMovie);
        g_pPlayMovie = nullptr;
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (g_vision.window == window)
            g_vision.window = nullptr;
        if (g_hwndPlayer3D == window)
            g_hwndPlayer3D = nullptr;
        // No quit: the viewer's loop ends when g_vision.window is gone, and
        // a quit posted here could take the place of the program's own
        // (a thread keeps only one).
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEWHEEL: HandleVisionInput(window, message, wParam); break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

namespace {

struct RunningViewer {
    RunningViewer() { s_running = true; }
    ~RunningViewer() { s_running = false; }
};

// Serves every message of the thread and redraws while idle until the
// window is gone. Every quit is the program's: the window closes and the
// quit's code is returned (-1: none came).
long long RunVisionLoop()
{
    long long programQuit = -1;
    while (g_vision.window) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                programQuit = (long long)msg.wParam;
                if (g_vision.window)
                    SendMessageA(g_vision.window, WM_CLOSE, 0, 0);
                continue;
            }
            if (msg.message == WM_SYSKEYDOWN)
                continue;
            if (msg.message == WM_SYSKEYUP) {
                if (msg.wParam == VK_ESCAPE && g_vision.window)
                    SendMessageA(g_vision.window, WM_CLOSE, 0, 0);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!g_vision.window)
            break;
        if (!g_vision.playing)
            DrawVisionCurrent();
    }
    return programQuit;
}

void CloseVisionFile()
{
    if (g_pPlayMovie)
        CloseMovieSource(g_pPlayMovie);
    g_pPlayMovie = nullptr;
}

}  // namespace

int RunStereoVisionViewer(HINSTANCE instance, StereoPair *pair)
{
    // The loop serves every window of the thread: a command reaching the
    // main window meanwhile must not start a second viewer (or the
    // Direct3D 7 player) over this one's record and window.
    if (s_running || StereoPlayerRunning())
        return 0;
    RunningViewer running;
    g_vision.instance = instance;
    g_vision.pair = pair;
    g_pPlayPair = pair;
    g_pPlayMovie = nullptr;
    int length = 0;
    if (g_nPlaySource != 0) {
        if (!OpenPlayMovie(pair))
            return 0;
        length = g_playMovie.nFrames;
    } else {
        if (!pair || !pair->pLeft || !pair->pRight)
            return 0;
        length = PairFrameCount(pair->pLeft, pair->pRight, g_nEndOffset);
        g_nClipLength = length;
    }
    g_nPlayFrames = length;
    g_nPlayDelays = 0;
    g_nDevicePlayDrops = 0;

    if (!InitStereoVision()) {
        CloseVisionFile();
        ReleaseStereoVision();
        if (g_vision.window)
            DestroyWindow(g_vision.window);
        g_vision.window = nullptr;
        // The window hid the pointer at its creation; the main window's
        // would stay hidden until the mouse moves.
        SetCursor(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
        return 0;
    }
    g_vision.recreate = 1;
    ShowWindow(g_vision.window, SW_SHOWDEFAULT);
    UpdateWindow(g_vision.window);
    ValidateRect(g_vision.window, nullptr);
    PresentStereoVision();
    int help = g_bShowHelp;
    g_bShowHelp = 1;
    DrawVisionCurrent();
    g_bShowHelp = help;
    g_bVisionClear = 1;  // no help left around the next picture

    long long programQuit = RunVisionLoop();

    ReleaseNV3DSurface();
    ReleaseStereoVision();
    CloseVisionFile();
    if (programQuit >= 0)
        PostQuitMessage((int)programQuit);  // passed on to the program's loop
    return 0;
}
