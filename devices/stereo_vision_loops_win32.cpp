// The 3D Vision viewer's play passes: from the current frame to the end,
// timed by the device play loop's clock (with its sound and its one-frame
// skip), each frame drawn as the still drawing does. Only mouse buttons,
// the wheel and released keys are read during a pass.
#include "devices/stereo_vision_view.h"

#include "devices/device_play_loop.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_geometry.h"
#include "pipeline/pair_position.h"
#include "pipeline/play_clock.h"
#include "sources/movie_source.h"
#include "sources/stereo_pair.h"

namespace {

struct VisionPass : DeviceLoopSource {
    int source;  // g_nPlaySource of the pass: 2, 1 or 0
};

VisionPass MakePass(int source, const DeviceLoopSource &from)
{
    VisionPass pass;
    static_cast<DeviceLoopSource &>(pass) = from;
    pass.source = source;
    return pass;
}

// The mouse and one released key: true when the pass is to stop.
bool TakePassInput(HWND window, const VisionPass &pass)
{
    MSG msg;
    bool stop = false;
    if (PeekMessageA(&msg, window, WM_MOUSEFIRST, WM_MOUSEWHEEL, PM_REMOVE)) {
        // A second click soon after the first comes as a double click.
        if (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK ||
            msg.message == WM_RBUTTONDBLCLK) {
            stop = true;
        } else if (msg.message == WM_MOUSEWHEEL && pass.source != 2) {
            g_nVisionZoom = VisionZoomWheel(g_nVisionZoom, HIWORD(msg.wParam));
            g_bVisionClear = 1;
        }
    }
    if (PeekMessageA(&msg, window, WM_KEYUP, WM_KEYUP, PM_REMOVE) && HandleVisionPassKey(msg.wParam))
        stop = true;
    return stop;
}

int RunVisionPass(VisionPass &pass)
{
    HWND window = g_vision.window;
    // Nothing to show (a start at or past the end): "played to the end with
    // repeat on" would start it again for ever.
    if (!window || !pass.sound || pass.total - pass.start <= 0)
        return 1;
    DevicePlayLoop loop = SharedDevicePlayLoop(window, pass.sound, pass.partner, pass.start, pass.total,
                                               pass.recordStart, pass.source != 0);
    g_vision.playing = 1;
    if (!StartDevicePlayLoop(loop)) {
        g_vision.playing = 0;
        return 1;
    }
    g_nPlayBase = pass.start;
    g_nPlayFrames = pass.total;
    g_nPlayStep = 0;

    int result = 0;
    int last = pass.total - 1;
    for (int i = 0; i < pass.total - pass.start; i++) {
        if (!g_vision.window) {
            result = 1;  // the window closed meanwhile
            break;
        }
        int shown = pass.start + i;
        g_nPlayStep = i;
        // The end comes back as frame 0, ready for the next pass, while
        // the last frame is still shown.
        *pass.current = shown == last ? 0 : shown;
        PlayerFrameTimes times = {shown, 0, 0, 0};
        PlayerFrameTimes *probe = g_pfnVisionFrameTimes ? &times : nullptr;
        if (DrawVisionFrame(pass.source, shown, probe) != 0) {
            result = 1;
            break;
        }
        if (probe)
            g_pfnVisionFrameTimes(times);
        i = PaceDevicePlayLoop(loop, i);
        if (TakePassInput(window, pass)) {
            result = 1;
            break;
        }
    }

    EndDevicePlayLoop(loop);
    g_vision.playing = 0;
    if (result == 0 && g_bRepeat != 1)
        result = 1;
    return result;
}

}  // namespace

int PlayVisionFormattedFile()
{
    VisionPass pass = MakePass(2, FileLoopSource());
    return RunVisionPass(pass);
}

int PlayVisionStereoFile()
{
    VisionPass pass = MakePass(1, FileLoopSource());
    return RunVisionPass(pass);
}

int PlayVisionPair()
{
    DeviceLoopSource pair;
    if (!PairLoopSource(g_pPlayPair, pair))
        return 1;
    VisionPass pass = MakePass(0, pair);
    return RunVisionPass(pass);
}

int PlayVisionCurrent()
{
    switch (g_nPlaySource) {
    case 0: return PlayVisionPair();
    case 1: return PlayVisionStereoFile();
    case 2: return PlayVisionFormattedFile();
    default: return 1;
    }
}
