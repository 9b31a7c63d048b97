#include "devices/gl_stereo_window.h"

#include "devices/gl_stereo_draw.h"
#include "devices/page_flip_geometry.h"
#include "devices/stereo_player_state.h"
#include "sources/movie_source.h"
#include "state/app_windows.h"

namespace {

enum { kGlZoomFit = 1034, kGlZoom100 = 1035 };

GlStereoView &V() { return g_glView; }

// Enter: the window made again with the full-screen flag turned over.
// When that fails the display is closed, as after Esc.
void SwitchFullScreen()
{
    GlStereoView &v = V();
    HINSTANCE instance = v.instance;
    StereoPair *pair = v.pair;
    DestroyGlStereoWindow();
    v.fullScreen = v.fullScreen ? 0 : 1;
    if (!CreateGlStereoWindow(instance, pair))
        CloseGlStereoDisplay();
}

// F2 (from the current frame) and F3 (from the start): passes as long as
// each ends at the end with repeat on.
void Play(HWND hwnd, bool fromStart)
{
    if (g_nBusy != 0) {
        g_bCancel = 1;
        return;
    }
    if (fromStart)
        g_nPlayFrame = 0;
    while (PlayGlFile() == 0 && V().window == hwnd) {
    }
}

void Step(int delta)
{
    if (g_nBusy != 0 || !g_pPlayMovie)
        return;
    W3DFrameStep s = StepW3DFrame(g_nPlayFrame, g_pPlayMovie->nFrames - 1, delta, g_bRepeat);
    g_nPlayFrame = s.frame;
    if (!s.draw)
        return;
    LoadGlFileTexture();
    DrawGlFile();
}

void Shift(int &value, int delta)
{
    value += delta;
    DrawGlFile();
}

}  // namespace

void OnGlStereoKey(HWND hwnd, WPARAM key)
{
    GlStereoView &v = V();
    switch (key) {
    case VK_ESCAPE:
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return;
    case VK_RETURN:
        if (g_nBusy != 0)
            g_bCancel = 1;
        else
            SwitchFullScreen();
        return;
    case 'H':
    case VK_F1:
        v.help = !v.help;
        DrawGlView();
        return;
    case VK_F5:
        v.info = !v.info;
        DrawGlView();
        return;
    case 'F':
        SendMessageA(hwnd, kGlZoomFit, 0, 0);
        return;
    case 'J':
        SendMessageA(hwnd, kGlZoom100, 0, 0);
        return;
    default:
        break;
    }
    // The rest act on the file; in pair mode the main window has the
    // keyboard and the file record is closed.
    if (!v.file)
        return;
    switch (key) {
    case VK_F2: Play(hwnd, false); break;
    case VK_F3: Play(hwnd, true); break;
    case VK_SPACE: Step(1); break;
    case VK_BACK: Step(-1); break;
    case VK_LEFT: Shift(g_nFileShiftX, -4); break;
    case VK_RIGHT: Shift(g_nFileShiftX, 4); break;
    case VK_UP: Shift(g_nFileShiftY, -1); break;
    case VK_DOWN: Shift(g_nFileShiftY, 1); break;
    case VK_HOME:
        g_nFileShiftX = g_nFileShiftY = 0;
        DrawGlFile();
        break;
    case 'X':
        v.swap = !v.swap;
        DrawGlFile();
        break;
    default: break;
    }
}
