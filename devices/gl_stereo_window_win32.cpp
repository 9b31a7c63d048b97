#include "devices/gl_stereo_window.h"

#include "devices/gl_stereo_draw.h"
#include "devices/gl_stereo_geometry.h"
#include "devices/stereo_player_state.h"
#include "pipeline/wave_player.h"
#include "shared/message_box.h"
#include "sources/movie_open.h"
#include "sources/movie_source.h"
#include "state/app_windows.h"

#include <GL/gl.h>
#include <mmsystem.h>

#include <string.h>

bool (*g_pfnGlCreateStep)(GlCreateStep step) = nullptr;

namespace {

enum {
    kGlRedraw = WM_USER,
    kGlHelp = 1025,
    kGlPlay = 1026,
    kGlFetchAndRedraw = 1027,
    kGlFullScreen = 1029,
    kGlZoomFit = 1034,
    kGlZoom100 = 1035,
};

GlStereoView &V() { return g_glView; }

bool StepAllowed(GlCreateStep step) { return !g_pfnGlCreateStep || g_pfnGlCreateStep(step); }

// The cursor hidden while the window covers the screen: ShowCursor keeps a
// count, so each hide is undone once only.
void HideCursor(bool hide)
{
    GlStereoView &v = V();
    if (hide == v.cursorHidden)
        return;
    ShowCursor(hide ? FALSE : TRUE);
    v.cursorHidden = hide;
}

void ShutdownBox(const char *text)
{
    AppMessageBox(nullptr, text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

// Textures, font lists, contexts, cursor and the file: everything but the
// window itself.
void ReleaseGl()
{
    GlStereoView &v = V();
    if (v.rc && wglGetCurrentContext() == v.rc) {
        glDeleteTextures(2, (GLuint *)v.textures);
        if (v.fontBase)
            glDeleteLists((GLuint)v.fontBase, 128);
    }
    v.textures[0] = v.textures[1] = 0;
    v.fontBase = 0;
    v.frameW = v.frameH = 0;
    HideCursor(false);
    if (v.rc) {
        // Only a context made current has anything to release.
        if (wglGetCurrentContext() == v.rc && !wglMakeCurrent(nullptr, nullptr))
            ShutdownBox("Release Of DC And RC Failed.");
        if (!wglDeleteContext(v.rc))
            ShutdownBox("Release Rendering Context Failed.");
        v.rc = nullptr;
    }
    if (v.dc) {
        if (!ReleaseDC(v.window, v.dc))
            ShutdownBox("Release Device Context Failed.");
        v.dc = nullptr;
    }
    if (v.file && g_pPlayMovie) {
        CloseMovieSource(g_pPlayMovie);
        g_pPlayMovie = nullptr;
    }
}

// In file mode the main window is hidden while the window stands (and
// after Enter's destruction): a box owned by it would be hidden too.
HWND BoxOwner() { return V().file ? nullptr : g_hwndMain; }

void CreationFailed(const char *text)
{
    DestroyGlStereoWindow();
    AppMessageBox(BoxOwner(), text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

void ShowMainAgain()
{
    if (g_hwndMain)
        ShowWindow(g_hwndMain, SW_SHOW);
    if (g_hwndPosBar)
        ShowWindow(g_hwndPosBar, SW_SHOW);
}

// The main window keeps the keyboard in pair mode.
void BackToMain()
{
    if (!V().file && g_hwndMain)
        SetActiveWindow(g_hwndMain);
}

bool FrameKnown() { return V().frameW > 0 && V().frameH > 0; }

void ZoomToFit()
{
    GlStereoView &v = V();
    if (!FrameKnown())
        return;
    GlEyeSize eye = GlFitEyeSize(v.file, g_nBunkatu, v.frameW, v.frameH);
    v.zoom = GlFitZoom(v.zoom, v.cw, v.ch, eye.w, eye.h);
}

// Zoom z0 -> zoom, the client centre kept in place.
void Rezoom(int z0, int px0, int py0)
{
    GlStereoView &v = V();
    GlPan p = GlPanAboutCentre(z0, v.zoom, px0, py0, v.cw, v.ch);
    v.px = p.px;
    v.py = p.py;
    SetupGlOrtho(v.cw, v.ch);
    DrawGlView();
}

// Placement: the screen when full screen, the file window's own client
// area, or the pair laid over the main window below its bars.
void Place(HWND hwnd)
{
    GlStereoView &v = V();
    int w = 0, h = 0;
    if (g_bFullScreen == 1 || v.fullScreen == 1) {
        HDC dc = GetDC(hwnd);
        w = GetDeviceCaps(dc, HORZRES);
        h = GetDeviceCaps(dc, VERTRES);
        ReleaseDC(hwnd, dc);
        RECT r;
        GetWindowRect(hwnd, &r);
        if (r.left != 0 || r.top != 0 || r.right != w || r.bottom != h)
            MoveWindow(hwnd, 0, 0, w, h, TRUE);
    } else if (v.file) {
        RECT r;
        GetClientRect(hwnd, &r);
        w = r.right;
        h = r.bottom;
    } else if (g_hwndMain) {
        RECT main, bar = {0, 0, 0, 0};
        GetClientRect(g_hwndMain, &main);
        if (g_hwndFileToolbar)
            GetClientRect(g_hwndFileToolbar, &bar);
        POINT at = {main.left, main.top + 30};
        ClientToScreen(g_hwndMain, &at);
        w = main.right - main.left;
        h = main.bottom - bar.bottom - 30;
        if (h < 0)
            h = 0;
        RECT r;
        GetWindowRect(hwnd, &r);
        if (r.left != at.x || r.top != at.y || r.right - r.left != w || r.bottom - r.top != h)
            MoveWindow(hwnd, at.x, at.y, w, h, TRUE);
    }
    // The fit follows the size just taken.
    SetupGlOrtho(w, h);
    if (v.file && g_nStr3D == 1 && FrameKnown() && v.rc)
        SendMessageA(hwnd, kGlZoomFit, 0, 0);
    if (v.file && g_nBusy != 0 && v.rc)
        DrawGlFile();
}

POINT ClientPoint(LPARAM lParam) { return {(short)LOWORD(lParam), (short)HIWORD(lParam)}; }

// A drag with the left (pan) or right (zoom) button: the mouse captured,
// the window's own mouse messages handled here, every other message
// dispatched, until the button comes up.
void Drag(HWND hwnd, LPARAM lParam, bool zoom)
{
    GlStereoView &v = V();
    POINT a = ClientPoint(lParam);
    v.anchorX = a.x;
    v.anchorY = a.y;
    int z0 = v.zoom, px0 = v.px, py0 = v.py;
    UINT up = zoom ? WM_RBUTTONUP : WM_LBUTTONUP;
    SetCapture(hwnd);
    MSG m;
    while (GetCapture() == hwnd && V().window == hwnd) {
        if (!GetMessageA(&m, nullptr, 0, 0)) {
            PostQuitMessage((int)m.wParam);
            break;
        }
        // A pair pass's sound notices come to the main window, whose
        // procedure has no use for them: the buffers are the loop's.
        if (m.message == MM_WOM_DONE && m.hwnd == g_hwndMain && g_hwndMain) {
            OnWaveOutDone(m.hwnd, m.message, m.wParam, m.lParam);
            continue;
        }
        if (m.hwnd != hwnd || m.message < WM_MOUSEFIRST || m.message > 0x209) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
            continue;
        }
        if (m.message == up)
            break;
        if (m.message != WM_MOUSEMOVE)
            continue;
        POINT p = ClientPoint(m.lParam);
        if (zoom) {
            if (p.y < v.anchorY)
                v.zoom = GlZoomIn(v.zoom);
            else if (p.y > v.anchorY)
                v.zoom = GlZoomOut(v.zoom);
            Rezoom(z0, px0, py0);
        } else {
            v.px += v.anchorX - p.x;
            v.py += p.y - v.anchorY;
            DrawGlView();
        }
        v.anchorX = p.x;
        v.anchorY = p.y;
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
    BackToMain();
}

// Destroyed from outside (the owner closing): nothing of it may be used.
void Destroyed(HWND hwnd)
{
    GlStereoView &v = V();
    if (v.window != hwnd)
        return;
    ReleaseGl();
    v.window = nullptr;
    g_hwndGL = nullptr;
    g_bGLActive = 0;
    if (g_nBusy != 0)
        g_bCancel = 1;
}

}  // namespace

int CreateGlStereoWindow(HINSTANCE instance, StereoPair *pair)
{
    GlStereoView &v = V();
    // A window still standing would be lost with its contexts.
    if (v.window)
        CloseGlStereoDisplay();
    v.instance = instance;
    v.pair = pair;
    v.file = g_nPlaySource != 0;
    v.minTexture = v.file ? 2048 : 1024;
    v.texture = 0;
    v.frameW = v.frameH = 0;
    v.textures[0] = v.textures[1] = v.textures[2] = 0;
    DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    HWND owner = g_hwndMain;
    if (v.file) {
        if (!OpenPlayMovie(pair))
            return 0;
        v.swap = 0;
        if (v.fullScreen != 1)
            style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        owner = nullptr;
    }

    HWND hwnd = nullptr;
    if (StepAllowed(kGlStepWindow))
        hwnd = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, "OpenGL", "Quillframe - OpenGL", style,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                               nullptr);
    v.window = hwnd;
    g_hwndGL = hwnd;
    if (!hwnd) {
        CreationFailed("Window Creation Error.");
        return 0;
    }
    SendMessageA(hwnd, WM_SIZE, 0, 0);
    RECT client;
    GetClientRect(hwnd, &client);
    v.dc = StepAllowed(kGlStepDeviceContext) ? GetDC(hwnd) : nullptr;
    if (!v.dc) {
        CreationFailed("Can't Create A  Device Context.");
        return 0;
    }
    PIXELFORMATDESCRIPTOR pfd;
    memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_STEREO;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    int format = StepAllowed(kGlStepChooseFormat) ? ChoosePixelFormat(v.dc, &pfd) : 0;
    if (format == 0) {
        CreationFailed("Can't Find A Suitable PixelFormat.");
        return 0;
    }
    if (!StepAllowed(kGlStepSetFormat) || !SetPixelFormat(v.dc, format, &pfd)) {
        CreationFailed("Can't Set The PixelFormat.");
        return 0;
    }
    v.rc = StepAllowed(kGlStepCreateContext) ? wglCreateContext(v.dc) : nullptr;
    if (!v.rc) {
        CreationFailed("Can't Create A GL Rendering Context.");
        return 0;
    }
    if (!StepAllowed(kGlStepMakeCurrent) || !wglMakeCurrent(v.dc, v.rc)) {
        CreationFailed("Can't Activate The GL Rendering Context.");
        return 0;
    }

    GLboolean stereo = GL_FALSE;
    glGetBooleanv(GL_STEREO, &stereo);
    if (!stereo && !g_bGlMonoBuffers) {
        DestroyGlStereoWindow();
        AppMessageBox(BoxOwner(), "OpenGL Quad-buffered stereo is not supported. ", "Error!",
                      MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }

    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    GetClientRect(hwnd, &client);
    SetupGlOrtho(client.right, client.bottom);
    if (v.file)
        LoadGlFileTexture();
    else
        LoadGlPairTextures();
    glEnable(GL_TEXTURE_2D);
    v.fontBase = CreateGlFont("Aerial", 16);
    DrawGlView();
    g_bGLActive = 1;
    if (!v.file) {
        // Over a full-screen main window: as message 1029 would hide it.
        HideCursor(g_bFullScreen == 1);
        SetActiveWindow(g_hwndMain);
    } else {
        if (g_hwndMain)
            ShowWindow(g_hwndMain, SW_HIDE);
        if (g_hwndPosBar)
            ShowWindow(g_hwndPosBar, SW_HIDE);
        if (v.fullScreen == 1)
            HideCursor(true);
    }
    if (v.file && g_nStr3D == 1 && FrameKnown())
        SendMessageA(hwnd, kGlZoomFit, 0, 0);
    return 1;
}

void DestroyGlStereoWindow()
{
    GlStereoView &v = V();
    ReleaseGl();
    HWND w = v.window;
    v.window = nullptr;
    g_hwndGL = nullptr;
    if (w && !DestroyWindow(w))
        ShutdownBox("Could Not Release hWnd.");
}

void CloseGlStereoDisplay()
{
    bool file = V().file;
    DestroyGlStereoWindow();
    if (file)
        ShowMainAgain();
    g_bGLActive = 0;
}

LRESULT CALLBACK GlStereoWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    GlStereoView &v = V();
    // Messages of a window this one no longer is (creation's own WM_SIZE
    // comes before the window is recorded) go nowhere but WM_SIZE.
    bool ours = v.window == hwnd;
    switch (msg) {
    case WM_SIZE:
        if (ours)
            Place(hwnd);
        return 0;
    case WM_ACTIVATE:
        return 0;
    case WM_PAINT:
        if (ours && v.file && g_nBusy == 0 && v.rc) {
            DrawGlFile();
            return 0;  // not validated: drawn again whenever the queue is empty
        }
        break;
    case WM_CLOSE:
        if (g_nBusy != 0) {
            g_bCancel = 1;
            return 0;
        }
        if (ours)
            CloseGlStereoDisplay();
        else
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        Destroyed(hwnd);
        return 0;
    case MM_WOM_DONE:
        // The file pass's sound: its messages pump here, so the refills do too.
        return OnWaveOutDone(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN:
        if (ours)
            OnGlStereoKey(hwnd, wParam);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER)
            return 0;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (ours && v.rc)
            Drag(hwnd, lParam, msg == WM_RBUTTONDOWN);
        return 0;
    case WM_MOUSEWHEEL:
        if (ours && v.rc) {
            int z0 = v.zoom;
            v.zoom = GlWheelZoom(v.zoom, (unsigned)wParam);
            Rezoom(z0, v.px, v.py);
            BackToMain();
        }
        return 0;
    case kGlRedraw:
    case kGlHelp:
    case kGlFetchAndRedraw:
    case kGlFullScreen:
        if (!ours || !v.rc)
            return 0;
        if (msg == kGlHelp)
            v.help = !v.help;
        if (msg == kGlFetchAndRedraw) {
            if (v.file)
                LoadGlFileTexture();
            else
                LoadGlPairTextures();
        }
        if (msg == kGlFullScreen)
            HideCursor(g_bFullScreen == 1);
        SetupGlOrtho(v.cw, v.ch);
        DrawGlView();
        return 0;
    case kGlPlay:
        if (g_nBusy != 0) {
            g_bCancel = 1;  // a pass runs already: this ends it
            return 0;
        }
        if (ours && v.rc)
            while ((v.file ? PlayGlFile() : PlayGlPair()) == 0 && V().window == hwnd) {
            }
        return 0;
    case kGlZoomFit:
    case kGlZoom100:
        if (!ours || !v.rc)
            return 0;
        if (msg == kGlZoomFit)
            ZoomToFit();
        else
            v.zoom = 100;
        DrawGlView();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
