#include "devices/stereo_player_draw.h"

#include "devices/device_play_loop.h"
#include "devices/player_position.h"
#include "devices/stereo_player_state.h"
#include "pipeline/pair_position.h"
#include "pipeline/play_clock.h"
#include "sources/movie_source.h"

#include <vfw.h>

namespace {

enum PlayerLoopKind { kLoopFormatted, kLoopStereoFile, kLoopStereoPair };

struct PlayerLoop : DeviceLoopSource {
    PlayerLoopKind kind;
    int *shiftX, *shiftY;  // the file offsets or the pair's
};

// One mouse message and one key release of the window: true when the
// loop is to stop.
bool TakeLoopInput(HWND window, const PlayerLoop &src)
{
    MSG msg;
    bool stop = false;
    if (PeekMessageA(&msg, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) &&
        (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN))
        stop = true;
    if (!PeekMessageA(&msg, window, WM_KEYUP, WM_KEYUP, PM_REMOVE))
        return stop;
    bool isFile = src.kind != kLoopStereoPair;
    WPARAM key = msg.wParam;
    if (src.kind == kLoopFormatted && PlayerDigit(key) >= 0) {
        g_nDispFormat = PlayerDigit(key);
        g_nPlayerClear = 2;
        return stop;
    }
    switch (key) {
    case VK_HOME: *src.shiftX = 0; *src.shiftY = 0; g_nPlayerClear = 2; break;
    case VK_LEFT: *src.shiftX -= 4; g_nPlayerClear = 2; break;
    case VK_RIGHT: *src.shiftX += 4; g_nPlayerClear = 2; break;
    case VK_UP: *src.shiftY -= 1; g_nPlayerClear = 2; break;
    case VK_DOWN: *src.shiftY += 1; g_nPlayerClear = 2; break;
    case 'H':
    case VK_F1: g_bShowHelp = !g_bShowHelp; g_nPlayerClear = 4; break;
    case VK_F5: g_bShowInfo = !g_bShowInfo; g_nPlayerClear = 4; break;
    case 'X':
        g_nPlayerSwap = !g_nPlayerSwap;
        if (isFile)
            g_nPlayerClear = 4;
        break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_F2:
    case VK_F3: stop = true; break;
    default: break;
    }
    return stop;
}

int RunPlayerLoop(StereoApp &app, PlayerLoop &src)
{
    // Nothing to show (a start at or past the end): "played to the end
    // with repeat on" would start it again for ever.
    if (!src.sound || src.total - src.start <= 0)
        return 1;
    HWND window = g_hwndPlayer3D ? g_hwndPlayer3D : app.hWnd;
    DevicePlayLoop loop = SharedDevicePlayLoop(window, src.sound, src.partner, src.start, src.total, src.recordStart,
                                               src.kind != kLoopStereoPair);
    if (!StartDevicePlayLoop(loop))
        return 1;
    g_nPlayFrames = src.total;
    g_nPlayBase = src.start;
    g_nPlayStep = 0;
    if (src.kind == kLoopFormatted)
        g_nPlayerClear = 2;
    IDirectDrawSurface7 *work = nullptr;  // one work surface for all the steps

    int result = 0;
    int last = src.total - 1;
    for (int k = 0; k < src.total - src.start; k++) {
        if (!IsWindow(window)) {
            result = 1;  // the window closed meanwhile
            break;
        }
        int shown = src.start + k;
        *src.current = shown;
        g_nPlayStep = k;
        PlayerFrameTimes times = {shown, 0, 0, 0};
        PlayerFrameTimes *probe = g_pfnPlayerFrameTimes ? &times : nullptr;
        int drawn;
        if (src.kind == kLoopFormatted)
            drawn = DrawPlayerFormattedFrame(app, &work, false, probe);
        else
            drawn = DrawPlayerStereoFrame(app, &work, src.kind == kLoopStereoPair, k == 0 ? 0 : DDF_HALFTONE,
                                          (DWORD)g_n3DBits, probe);
        // The end comes back as frame 0, ready for the next pass.
        if (shown == last)
            *src.current = 0;
        if (drawn != 0) {
            result = 1;
            break;
        }
        if (probe)
            g_pfnPlayerFrameTimes(times);

        k = PaceDevicePlayLoop(loop, k);

        if (TakeLoopInput(window, src)) {
            result = 1;
            break;
        }
    }

    if (work)
        work->Release();
    EndDevicePlayLoop(loop);
    if (result == 0 && g_bRepeat != 1)
        result = 1;
    return result;
}

PlayerLoop MakeLoop(PlayerLoopKind kind, const DeviceLoopSource &from)
{
    PlayerLoop src;
    static_cast<DeviceLoopSource &>(src) = from;
    src.kind = kind;
    bool pair = kind == kLoopStereoPair;
    src.shiftX = pair ? &g_nShiftX : &g_nFileShiftX;
    src.shiftY = pair ? &g_nShiftY : &g_nFileShiftY;
    return src;
}

}  // namespace

int NvidiaStereoPlayer::PlayFormattedFile()
{
    PlayerLoop src = MakeLoop(kLoopFormatted, FileLoopSource());
    return RunPlayerLoop(*this, src);
}

int NvidiaStereoPlayer::PlayStereoFile()
{
    PlayerLoop src = MakeLoop(kLoopStereoFile, FileLoopSource());
    return RunPlayerLoop(*this, src);
}

int NvidiaStereoPlayer::PlayStereoPair()
{
    DeviceLoopSource pair;
    if (!PairLoopSource(g_pPlayPair, pair))
        return 1;
    g_nPlayFrames = g_nClipLength;
    PlayerLoop src = MakeLoop(kLoopStereoPair, pair);
    return RunPlayerLoop(*this, src);
}
