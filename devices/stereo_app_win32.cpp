#include "devices/stereo_app.h"

#include "devices/d3d_framework.h"
#include "devices/d3d_results.h"
#include "devices/named_texture.h"
#include "devices/stereo_player_state.h"
#include "shared/message_box.h"
#include "sources/movie_open.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <mmsystem.h>

#include <new>
#include <string.h>

namespace {

StereoApp *s_app = nullptr;
const char kClassName[] = "nVidiaStereo";

}  // namespace

void RegisterStereoApp(StereoApp *app) { s_app = app; }

LRESULT CALLBACK StereoAppWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (s_app)
        return s_app->HandleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

StereoApp::StereoApp()
    : pFramework(nullptr), bActive(FALSE), bReady(FALSE), bFrameMoving(TRUE), bSingleStep(FALSE), dwBaseTime(0),
      dwStopTime(0), hWnd(nullptr), pDeviceInfo(nullptr), pDD(nullptr), pD3D(nullptr), pDevice(nullptr),
      pBackBuffer(nullptr), pBackBufferLeft(nullptr), nWantedWidth(0), nWantedHeight(0), nWantedBits(0),
      pszTitle("nVidiaStereo"), bUseZBuffer(FALSE), bUseStereo(FALSE), bShowStats(TRUE), pfnConfirmDevice(nullptr),
      hInstance(nullptr), nPauseCount(0), bRunning(FALSE), hNoCursor(nullptr)
{
    memset(&ddsdRenderTarget, 0, sizeof ddsdRenderTarget);
    memset(szTextureName, 0, sizeof szTextureName);
    RegisterStereoApp(this);
}

HRESULT StereoApp::RenderFrame()
{
    if (!pFramework)
        return 0;
    HRESULT hr = RenderScene();
    if (FAILED(hr))
        return hr;
    hr = pFramework->ShowFrame();
    if (hr == DDERR_SURFACELOST) {
        pFramework->RestoreSurfaces();
        return RestoreScene();
    }
    return hr;
}

HRESULT StereoApp::InitScene() { return 0; }
int StereoApp::PlayFormattedFile() { return 0; }
int StereoApp::DrawFormattedFile() { return 0; }
int StereoApp::PlayStereoFile() { return 0; }
int StereoApp::DrawStereoFile() { return 0; }
int StereoApp::PlayStereoPair() { return 0; }
int StereoApp::DrawStereoPair() { return 0; }
HRESULT StereoApp::ReleaseSurfaces() { return 0; }
HRESULT StereoApp::RenderScene() { return 0; }
HRESULT StereoApp::MoveScene(float) { return 0; }
HRESULT StereoApp::RestoreScene() { return 0; }
HRESULT StereoApp::DestroyScene() { return 0; }

int StereoApp::OnPowerSuspend()
{
    SetPaused(1);
    return 1;
}

int StereoApp::OnPowerResume()
{
    SetPaused(0);
    return 1;
}

int StereoApp::DrawCurrent()
{
    switch (g_nPlaySource) {
    case 2: return DrawFormattedFile();
    case 1: return DrawStereoFile();
    default: return DrawStereoPair();
    }
}

int StereoApp::PlayCurrent()
{
    switch (g_nPlaySource) {
    case 2: return PlayFormattedFile();
    case 1: return PlayStereoFile();
    default: return PlayStereoPair();
    }
}

void StereoApp::ShowFrameworkError(HRESULT code, int kind)
{
    char text[512];
    FormatFrameworkError(text, sizeof text, (uint32_t)code, kind);
    AppMessageBox(nullptr, text, pszTitle, kind == kFrameworkErrorFatal ? MB_ICONERROR : MB_ICONWARNING);
}

HRESULT StereoApp::Create(HINSTANCE instance)
{
    hInstance = instance;
    SetPreferredMode((DWORD)nWantedWidth, (DWORD)nWantedHeight, (DWORD)nWantedBits);

    HRESULT hr = EnumerateDevices(pfnConfirmDevice);
    if (FAILED(hr))
        return FailCreate(hr);
    hr = SelectDefaultDevice(&pDeviceInfo, 0);
    if (FAILED(hr))
        return FailCreate(hr);
    hr = InitScene();
    if (FAILED(hr))
        return FailCreate(hr);
    pFramework = new (std::nothrow) D3DFramework;
    if (!pFramework)
        return FailCreate(E_OUTOFMEMORY);

    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = StereoAppWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "2REELS");
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly when the class is there
    HWND window = CreateWindowExA(0, kClassName, pszTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                  CW_USEDEFAULT, nWantedWidth, nWantedHeight, nullptr, nullptr, instance, nullptr);
    if (!window)
        return FailCreate(E_FAIL);
    hWnd = window;
    UpdateWindow(hWnd);

    hr = InitDevice();
    if (FAILED(hr))
        return FailCreate(hr);
    dwBaseTime = timeGetTime();
    bReady = TRUE;
    return 0;
}

HRESULT StereoApp::FailCreate(HRESULT code)
{
    ShowFrameworkError(code, kFrameworkErrorFatal);
    // Cleanup destroys the scene with the framework; a start that failed
    // between the two (no memory for the framework) would leave the
    // scene's texture to the next start. Harmless when it was never made.
    if (!pFramework)
        DestroyScene();
    Cleanup();
    // Nothing of the player may outlive a failed start: the caller
    // returns at once and its object goes out of scope.
    if (g_nPlaySource != 0 && g_pPlayMovie)
        CloseMovieSource(g_pPlayMovie);
    RegisterStereoApp(nullptr);
    if (hWnd) {
        HWND window = hWnd;
        hWnd = nullptr;
        // Unregistered, the window ends through DefWindowProc: no quit.
        DestroyWindow(window);
    }
    if (g_hwndPlayer3D && !IsWindow(g_hwndPlayer3D))
        g_hwndPlayer3D = nullptr;
    return code;
}

WPARAM StereoApp::Run()
{
    MSG msg;
    memset(&msg, 0, sizeof msg);
    bRunning = TRUE;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    if (msg.message == WM_QUIT)
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    while (msg.message != WM_QUIT) {
        BOOL got = bActive ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) : GetMessageA(&msg, nullptr, 0, 0) > 0;
        if (got) {
            if (msg.message == WM_QUIT)
                break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (!bActive && msg.message == WM_QUIT) {
            break;  // GetMessage took the quit
        } else if (bActive && bReady) {
            if (RenderFrame() < 0 && hWnd)
                DestroyWindow(hWnd);
        }
    }
    bRunning = FALSE;
    // The window still there: the quit was the program's (its main window
    // closed). The player's window goes quietly and the quit is passed on.
    if (hWnd && IsWindow(hWnd)) {
        DestroyWindow(hWnd);
        PostQuitMessage((int)msg.wParam);
    }
    return msg.wParam;
}

HRESULT StereoApp::InitDevice()
{
    for (;;) {
        DWORD flags = pDeviceInfo->bWindowed ? 0 : kD3DFlagFullScreen;
        if (bUseStereo && pDeviceInfo->bStereo && !pDeviceInfo->bWindowed)
            flags |= kD3DFlagStereo;
        if (bUseZBuffer)
            flags |= kD3DFlagZBuffer;
        HRESULT hr = pFramework->Initialize(hWnd, pDeviceInfo->pDriverGuid, pDeviceInfo->pDeviceGuid,
                                            &pDeviceInfo->ddsdMode, flags);
        if (SUCCEEDED(hr)) {
            pDD = pFramework->pDD;
            pD3D = pFramework->pD3D;
            pDevice = pFramework->pDevice;
            pBackBuffer = pFramework->pddsBack;
            pBackBufferLeft = pFramework->pddsBackLeft;
            memset(&ddsdRenderTarget, 0, sizeof ddsdRenderTarget);
            ddsdRenderTarget.dwSize = sizeof ddsdRenderTarget;
            pBackBuffer->GetSurfaceDesc(&ddsdRenderTarget);
            TextureRestoreAll(pDevice);

            int help = g_bShowHelp;
            g_bShowHelp = 1;
            int drawn = DrawCurrent();
            g_bShowHelp = help;
            if (drawn == 0)
                return 0;
            // The first frame cannot be shown: this device is given up.
            ReleaseSurfaces();
            pFramework->ReleaseObjects();
            pDD = nullptr;
            pD3D = nullptr;
            pDevice = nullptr;
            pBackBuffer = pBackBufferLeft = nullptr;
            hr = drawn < 0 ? (HRESULT)drawn : E_FAIL;
        }
        if (!pDeviceInfo->bHardware)
            return hr;
        ShowFrameworkError(hr, kFrameworkErrorFallBack);
        // Without a software device there is nothing left to try.
        HRESULT chosen = SelectDefaultDevice(&pDeviceInfo, kSelectSoftwareOnly);
        if (FAILED(chosen))
            return chosen;
    }
}

HRESULT StereoApp::ChangeDevice()
{
    ReleaseSurfaces();
    HRESULT hr = pFramework->ReleaseObjects();
    if (FAILED(hr)) {
        ShowFrameworkError(hr, kFrameworkErrorFatal);
        SendMessageA(hWnd, WM_CLOSE, 0, 0);
        return hr;
    }
    hr = InitDevice();
    if (FAILED(hr)) {
        ShowFrameworkError(hr, kFrameworkErrorFatal);
        SendMessageA(hWnd, WM_CLOSE, 0, 0);
        return hr;
    }
    if (!bFrameMoving) {
        bSingleStep = TRUE;
        DWORD now = timeGetTime();
        dwBaseTime += now - dwStopTime;
        dwStopTime = now;
    }
    return 0;
}

void StereoApp::Cleanup()
{
    bActive = FALSE;
    bReady = FALSE;
    if (pFramework) {
        ReleaseSurfaces();
        delete pFramework;
        pFramework = nullptr;
        pDD = nullptr;
        pD3D = nullptr;
        pDevice = nullptr;
        pBackBuffer = pBackBufferLeft = nullptr;
        DestroyScene();
    }
    FreeDeviceModes();
}

int StereoApp::SetPaused(int pause)
{
    int was = nPauseCount;
    nPauseCount += pause ? 1 : -1;
    if (nPauseCount < 0)
        nPauseCount = 0;  // a resume without a pause changes nothing
    bReady = nPauseCount == 0;
    if (was == 0 && nPauseCount == 1) {
        if (pFramework)
            pFramework->FlipToGdi(TRUE);
        if (bFrameMoving)
            dwStopTime = timeGetTime();
    } else if (was > 0 && nPauseCount == 0 && bFrameMoving) {
        dwBaseTime += timeGetTime() - dwStopTime;
    }
    return nPauseCount;
}

LRESULT StereoApp::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool windowed = pDeviceInfo && pDeviceInfo->bWindowed;
    switch (message) {
    case WM_CREATE:
        hWnd = window;
        g_hwndPlayer3D = window;  // the sound's notifications come here
        hNoCursor = LoadCursorA(hInstance, "NOTHING");
        if (!hNoCursor)
            hNoCursor = g_hCursorNone;
        SetCursor(hNoCursor);
        break;
    case WM_DESTROY:
        Cleanup();
        if (g_hwndPlayer3D == window)
            g_hwndPlayer3D = nullptr;
        if (hWnd == window)
            hWnd = nullptr;
        // Only Run waits for this quit; outside it the quit would end
        // the program's own loop.
        if (bRunning)
            PostQuitMessage(0);
        return 0;
    case WM_MOVE:
        if (windowed && bActive && bReady && pFramework)
            pFramework->MoveWindowRect((short)LOWORD(lParam), (short)HIWORD(lParam));
        break;
    case WM_SIZE:
        bActive = !(wParam == SIZE_MINIMIZED || wParam == SIZE_MAXHIDE);
        if (windowed && bActive && bReady && pFramework) {
            bReady = FALSE;
            if (FAILED(ChangeDevice()))
                return 0;
            bReady = TRUE;
        }
        break;
    case WM_PAINT:
        if (pFramework && !bReady) {
            if (windowed)
                pFramework->ShowFrame();
            else
                pFramework->FlipToGdi(TRUE);
        }
        break;
    case WM_CLOSE:
        if (g_nPlaySource != 0 && g_pPlayMovie)
            CloseMovieSource(g_pPlayMovie);
        DestroyWindow(window);
        return 0;
    case WM_SETCURSOR:
        SetCursor(hNoCursor ? hNoCursor : g_hCursorNone);
        return 1;
    case WM_GETMINMAXINFO:
        ((MINMAXINFO *)lParam)->ptMinTrackSize.x = 100;
        ((MINMAXINFO *)lParam)->ptMinTrackSize.y = 100;
        return 0;
    case WM_SYSCOMMAND:
        if (!windowed) {
            switch (wParam & 0xFFF0) {
            case SC_SIZE:
            case SC_MOVE:
            case SC_MAXIMIZE:
            case SC_MONITORPOWER: return 1;
            }
        }
        break;
    case WM_NCHITTEST:
        if (!windowed)
            return HTCLIENT;
        break;
    case WM_ENTERMENULOOP: SetPaused(1); break;
    case WM_EXITMENULOOP: SetPaused(0); break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMQUERYSUSPEND)
            return OnPowerSuspend();
        if (wParam == PBT_APMRESUMESUSPEND)
            return OnPowerResume();
        break;
    case WM_ENTERSIZEMOVE:
        if (bFrameMoving)
            dwStopTime = timeGetTime();
        break;
    case WM_EXITSIZEMOVE:
        if (bFrameMoving)
            dwBaseTime += timeGetTime() - dwStopTime;
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: return HandlePlayerInput(*this, window, message, wParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
