// The 3D Vision viewer's keys and mouse: frame steps, display formats,
// offsets, zoom, exchange of the eyes, help and status line, and the play
// passes started by F2/F3 or a mouse button. The same keys act inside a
// pass on its next frame.
#include "devices/stereo_vision_view.h"

#include "devices/page_flip_geometry.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_geometry.h"
#include "sources/movie_source.h"
#include "state/app_state.h"

namespace {

int &CurrentFrame() { return g_nPlaySource != 0 ? g_nPlayFrame : g_nFrame; }

int LastFrame()
{
    if (g_nPlaySource == 0)
        return g_nClipLength - 1;
    return (g_pPlayMovie ? g_pPlayMovie->nFrames : g_nPlayFrames) - 1;
}

int &OffsetX() { return g_nPlaySource != 0 ? g_nFileShiftX : g_nShiftX; }
int &OffsetY() { return g_nPlaySource != 0 ? g_nFileShiftY : g_nShiftY; }

int Digit(WPARAM key)
{
    if (key >= '0' && key <= '9')
        return (int)(key - '0');
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
        return (int)(key - VK_NUMPAD0);
    return -1;
}

enum KeyEffect { kKeyIgnored, kKeyChanged, kKeyClose, kKeyPlay, kKeyPlayFromStart };

// What a released key does to the shown state. Inside a pass the
// formatted file takes no zoom (it draws unscaled).
KeyEffect ApplyKey(WPARAM key, bool inPass)
{
    bool formatted = g_nPlaySource == 2;
    int digit = Digit(key);
    if (digit >= 0) {
        if (!formatted)
            return kKeyIgnored;
        g_nDispFormat = digit;
        return kKeyChanged;
    }
    bool zoom = !(inPass && formatted);
    switch (key) {
    case VK_RETURN:
    case VK_ESCAPE: return kKeyClose;
    case VK_F2: return kKeyPlay;
    case VK_F3: return kKeyPlayFromStart;
    case VK_HOME: OffsetX() = OffsetY() = 0; break;
    case VK_LEFT: OffsetX() -= 4; break;
    case VK_RIGHT: OffsetX() += 4; break;
    case VK_UP: OffsetY() -= 1; break;
    case VK_DOWN: OffsetY() += 1; break;
    case 'F':
        if (!zoom)
            return kKeyIgnored;
        g_nVisionZoom = kVisionZoomFit;
        break;
    case 'J':
        if (!zoom)
            return kKeyIgnored;
        g_nVisionZoom = kVisionZoomActual;
        break;
    case VK_PRIOR:
        if (!zoom)
            return kKeyIgnored;
        g_nVisionZoom = VisionZoomIn(g_nVisionZoom);
        break;
    case VK_NEXT:
        if (!zoom)
            return kKeyIgnored;
        g_nVisionZoom = VisionZoomOut(g_nVisionZoom);
        break;
    case 'X': g_nPlayerSwap = !g_nPlayerSwap; break;
    case 'H':
    case VK_F1: g_bShowHelp = !g_bShowHelp; break;
    case VK_F5: g_bShowInfo = !g_bShowInfo; break;
    default: return kKeyIgnored;
    }
    return kKeyChanged;
}

void StepFrame(int delta)
{
    W3DFrameStep step = StepW3DFrame(CurrentFrame(), LastFrame(), delta, g_bRepeat);
    CurrentFrame() = step.frame;
    if (step.draw)
        DrawVisionCurrent();
}

// Plays until a pass is stopped (a pass ends with 0 only when it reached
// the end with repeat on), then shows where it stopped with the key help.
void PlayThenShow(bool fromStart)
{
    do {
        if (fromStart)
            CurrentFrame() = 0;
    } while (PlayVisionCurrent() == 0 && g_vision.window);
    if (!g_vision.window)
        return;
    int help = g_bShowHelp;
    g_bShowHelp = 1;
    DrawVisionCurrent();
    g_bShowHelp = help;
    g_bVisionClear = 1;  // no help left around the next picture
}

}  // namespace

void HandleVisionInput(HWND window, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_KEYDOWN:
        g_bVisionClear = 1;
        if (wParam == VK_SPACE)
            StepFrame(+1);
        else if (wParam == VK_BACK)
            StepFrame(-1);
        break;
    case WM_KEYUP:
        g_bVisionClear = 1;
        switch (ApplyKey(wParam, false)) {
        case kKeyChanged: DrawVisionCurrent(); break;
        case kKeyClose: SendMessageA(window, WM_CLOSE, 0, 0); break;
        case kKeyPlay: PlayThenShow(false); break;
        case kKeyPlayFromStart: PlayThenShow(true); break;
        default: break;
        }
        break;
    case WM_LBUTTONDOWN:
        g_bVisionClear = 1;
        PlayThenShow(false);
        if (IsWindow(window))
            SetFocus(window);
        break;
    case WM_RBUTTONDOWN:
        g_bVisionClear = 1;
        PlayThenShow(true);
        break;
    case WM_MOUSEWHEEL:
        g_nVisionZoom = VisionZoomWheel(g_nVisionZoom, HIWORD(wParam));
        g_bVisionClear = 1;
        DrawVisionCurrent();
        break;
    }
}

bool HandleVisionPassKey(WPARAM key)
{
    KeyEffect effect = ApplyKey(key, true);
    if (effect == kKeyIgnored)
        return false;
    // What was shown around the picture may change: the next frame starts
    // black.
    g_bVisionClear = 1;
    return effect != kKeyChanged;
}
