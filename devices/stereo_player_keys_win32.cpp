// The player window's keys and mouse buttons while no play loop runs:
// frame steps, display formats, offsets, help and status line, exchange
// of the images, and the play loops started by F2/F3 or a mouse button.
#include "devices/page_flip_geometry.h"
#include "devices/stereo_app.h"
#include "devices/stereo_player_state.h"
#include "state/app_state.h"

namespace {

// The frame being shown and its last: the file's, or the pair's.
int &CurrentFrame() { return g_nPlaySource != 0 ? g_nPlayFrame : g_nFrame; }

int LastFrame()
{
    if (g_nPlaySource == 0)
        return g_nClipLength - 1;
    return (g_pPlayMovie ? g_pPlayMovie->nFrames : g_nPlayFrames) - 1;
}

int &OffsetX() { return g_nPlaySource != 0 ? g_nFileShiftX : g_nShiftX; }
int &OffsetY() { return g_nPlaySource != 0 ? g_nFileShiftY : g_nShiftY; }

void StepFrame(StereoApp &app, int delta)
{
    W3DFrameStep step = StepW3DFrame(CurrentFrame(), LastFrame(), delta, g_bRepeat);
    CurrentFrame() = step.frame;
    if (step.draw)
        app.DrawCurrent();
}

// Plays until a loop is stopped (a loop ends with 0 only when it reached
// the end with repeat on), then shows where it stopped with the key help.
void PlayThenShow(StereoApp &app, bool fromStart)
{
    do {
        if (fromStart)
            CurrentFrame() = 0;
    } while (app.PlayCurrent() == 0);
    int help = g_bShowHelp;
    g_bShowHelp = 1;
    app.DrawCurrent();
    g_bShowHelp = help;
}

int Digit(WPARAM key)
{
    if (key >= '0' && key <= '9')
        return (int)(key - '0');
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
        return (int)(key - VK_NUMPAD0);
    return -1;
}

void KeyUp(StereoApp &app, HWND window, WPARAM key)
{
    int digit = Digit(key);
    if (digit >= 0) {
        if (g_nPlaySource == 2) {
            g_nDispFormat = digit;
            app.DrawCurrent();
        }
        return;
    }
    switch (key) {
    case VK_RETURN:
    case VK_ESCAPE: SendMessageA(window, WM_CLOSE, 0, 0); return;
    case VK_HOME: OffsetX() = OffsetY() = 0; break;
    case VK_LEFT: OffsetX() -= 4; break;
    case VK_RIGHT: OffsetX() += 4; break;
    case VK_UP: OffsetY() -= 1; break;
    case VK_DOWN: OffsetY() += 1; break;
    case 'H':
    case VK_F1: g_bShowHelp = !g_bShowHelp; break;
    case 'X':
        g_nPlayerClear = 2;
        g_nPlayerSwap = !g_nPlayerSwap;
        break;
    case VK_F5:
        g_bShowInfo = !g_bShowInfo;
        g_nPlayerClear = 2;
        break;
    case VK_F2: PlayThenShow(app, false); return;
    case VK_F3: PlayThenShow(app, true); return;
    default: return;
    }
    app.DrawCurrent();
}

}  // namespace

LRESULT HandlePlayerInput(StereoApp &app, HWND window, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_SPACE)
            StepFrame(app, +1);
        else if (wParam == VK_BACK)
            StepFrame(app, -1);
        break;
    case WM_KEYUP: KeyUp(app, window, wParam); break;
    case WM_LBUTTONDOWN: PlayThenShow(app, false); break;
    case WM_RBUTTONDOWN: PlayThenShow(app, true); break;
    }
    return 0;
}
