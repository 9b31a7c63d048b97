// The player window's keys and mouse buttons while no play loop runs:
// frame steps, display formats, offsets, help and status line, exchange
// of the images, and the play loops started by F2/F3 or a mouse button.
#include "devices/player_position.h"
#include "devices/stereo_app.h"
#include "devices/stereo_player_state.h"
#include "state/app_state.h"

namespace {

void StepFrame(StereoApp &app, int delta)
{
    if (StepPlayerFrame(delta))
        app.DrawCurrent();
}

void PlayThenShow(StereoApp &app, bool fromStart)
{
    PlayerPlayback p = {[](void *a) { return static_cast<StereoApp *>(a)->PlayCurrent(); },
                        [](void *a) { return static_cast<StereoApp *>(a)->DrawCurrent(); }, nullptr, &app};
    PlayThenShowHelp(p, fromStart);
}

void KeyUp(StereoApp &app, HWND window, WPARAM key)
{
    int digit = PlayerDigit(key);
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
    case VK_HOME: PlayerOffsetX() = PlayerOffsetY() = 0; break;
    case VK_LEFT: PlayerOffsetX() -= 4; break;
    case VK_RIGHT: PlayerOffsetX() += 4; break;
    case VK_UP: PlayerOffsetY() -= 1; break;
    case VK_DOWN: PlayerOffsetY() += 1; break;
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
