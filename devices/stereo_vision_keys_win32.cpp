// The 3D Vision viewer's keys and mouse: frame steps, display formats,
// offsets, zoom, exchange of the eyes, help and status line, and the play
// passes started by F2/F3 or a mouse button. The same keys act inside a
// pass on its next frame.
#include "devices/stereo_vision_view.h"

#include "devices/player_position.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_geometry.h"
#include "sources/movie_source.h"
#include "state/app_state.h"

namespace {

enum KeyEffect { kKeyIgnored, kKeyChanged, kKeyClose, kKeyPlay, kKeyPlayFromStart };

// What a released key does to the shown state. Inside a pass the
// formatted file takes no zoom (it draws unscaled).
KeyEffect ApplyKey(WPARAM key, bool inPass)
{
    bool formatted = g_nPlaySource == 2;
    int digit = PlayerDigit(key);
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
    case VK_HOME: PlayerOffsetX() = PlayerOffsetY() = 0; break;
    case VK_LEFT: PlayerOffsetX() -= 4; break;
    case VK_RIGHT: PlayerOffsetX() += 4; break;
    case VK_UP: PlayerOffsetY() -= 1; break;
    case VK_DOWN: PlayerOffsetY() += 1; break;
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
    if (StepPlayerFrame(delta))
        DrawVisionCurrent();
}

void PlayThenShow(bool fromStart)
{
    PlayerPlayback p = {[](void *) { return PlayVisionCurrent(); }, [](void *) { return DrawVisionCurrent(); },
                        [](void *) { return g_vision.window != nullptr; }, nullptr};
    if (PlayThenShowHelp(p, fromStart))
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
    case WM_LBUTTONDBLCLK:  // a second click soon after the first
        g_bVisionClear = 1;
        PlayThenShow(false);
        if (IsWindow(window))
            SetFocus(window);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
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
