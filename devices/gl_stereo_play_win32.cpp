#include "devices/gl_stereo_window.h"

#include "devices/device_frames.h"
#include "devices/device_play_loop.h"
#include "devices/gl_stereo_draw.h"
#include "devices/stereo_player_state.h"
#include "pipeline/pair_position.h"
#include "pipeline/play_clock.h"
#include "pipeline/play_pair.h"
#include "pipeline/wave_player.h"
#include "resources/resource_ids.h"
#include "shared/packed_dib.h"
#include "shared/path_helpers.h"
#include "sources/movie_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <mmsystem.h>

#include <stdio.h>

namespace {

GlStereoView &V() { return g_glView; }

// Every waiting message of the thread, the main window's accelerators
// first: the main window drives the pair while it plays. A quit is put
// back for the main loop and ends the pass.
void PumpAll()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage((int)m.wParam);
            g_bCancel = 1;
            return;
        }
        // The sound's buffers are the loop's, not the main window's.
        if (m.message == MM_WOM_DONE && m.hwnd == g_hwndMain) {
            OnWaveOutDone(m.hwnd, m.message, m.wParam, m.lParam);
            continue;
        }
        if (g_hwndMain && g_hAccel && TranslateAcceleratorA(g_hwndMain, g_hAccel, &m))
            continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Only the OpenGL window's messages: its keys and mouse act during play.
void PumpWindow(HWND window)
{
    MSG m;
    while (window && IsWindow(window) && PeekMessageA(&m, window, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void Report(GlFrameTimes &t, double t0, double t1, double t2)
{
    if (!g_pfnGlFrameTimes)
        return;
    t.fetch = t1 - t0;
    t.upload = t2 - t1;
    t.present = DeviceClockMs() - t2;
    g_pfnGlFrameTimes(t);
}

}  // namespace

int PlayGlPair()
{
    GlStereoView &v = V();
    StereoPair *pair = v.pair;
    HWND window = v.window;
    if (!v.rc || !pair || !pair->pLeft || !pair->pRight)
        return 1;
    if (g_hwndMain)
        SetActiveWindow(g_hwndMain);
    g_nBusy = 1;
    g_bCancel = 0;
    g_uDeviceTimerId = 0;
    MovieSource *left = pair->pLeft, *right = pair->pRight;
    MovieSource *sound = SoundFromRightRecord(g_nSoundlr, g_bSwapped) ? right : left;
    int s = g_nFrame > g_nFrameCount - 3 ? 0 : g_nFrame;
    // Nothing to show: "played to the end with repeat on" would start it
    // again for ever.
    if (g_nFrameCount - s <= 0) {
        g_nBusy = 0;
        return 1;
    }
    g_nPlayBase = s;
    g_nPlayFrames = g_nFrameCount;
    DevicePlayLoop loop = SharedDevicePlayLoop(g_hwndMain, sound, sound == left ? right : left, s, g_nFrameCount,
                                               sound->nStart + s, false);
    loop.pairSound = true;
    if (!StartDevicePlayLoop(loop)) {
        g_nBusy = 0;
        return 1;
    }

    bool cancelled = false;
    for (int i = 0; s + i < g_nFrameCount; i++) {
        if (V().window != window || !V().rc) {
            cancelled = true;  // the window closed meanwhile
            break;
        }
        g_nPlayStep = i;
        // An exchange or a new pair may come from the main window meanwhile.
        left = pair->pLeft;
        right = pair->pRight;
        g_nFrameCount = PairFrameCount(left, right, g_nEndOffset);
        g_nFrame = s + i;
        MovePositionThumb();
        GlFrameTimes times = {s + i, 0, 0, 0};
        double t0 = DeviceClockMs();
        DevicePairFrame f;
        if (FetchDevicePairFrame(pair, s + i, f)) {
            double t1 = DeviceClockMs();
            // As the view's own play: the trimming follows the common region
            // until it is applied.
            if (g_nTrimState != kTrimApplied)
                SetRect(&g_rcTrim, 0, 0, f.region.w, f.region.h);
            SetGlPairTitle(left, right, f.region.w, f.region.h);
            UploadGlFrame(0, FindDibBits(f.left), DibWidth(f.left), DibHeight(f.left));
            UploadGlFrame(1, FindDibBits(f.right), DibWidth(f.right), DibHeight(f.right));
            double t2 = DeviceClockMs();
            if (g_bGLRedrawPending) {
                DrawGlPair();
                g_bGLRedrawPending = 0;
            } else {
                DrawGlPairFrame();
            }
            Report(times, t0, t1, t2);
        }
        // Never skipped past the last frames: the pass must end on the last.
        loop.skipLimit = g_nFrameCount - 3 > 0 ? g_nFrameCount - 3 : 0;
        i = PaceDevicePlayLoop(loop, i);
        PumpAll();
        if (g_bCancel) {
            cancelled = true;
            break;
        }
    }

    if (g_hwndPosBar)
        SendMessageA(g_hwndPosBar, WM_COMMAND, IDC_POS_RESET, 0);
    EndDevicePlayLoop(loop);
    g_nBusy = 0;
    g_bCancel = 0;
    if (cancelled)
        return 1;
    return g_bRepeat == 1 ? 0 : 1;
}

int PlayGlFile()
{
    GlStereoView &v = V();
    MovieSource *movie = g_pPlayMovie;
    HWND window = v.window;
    if (!v.rc || !movie)
        return 1;
    int frames = movie->nFrames;
    int s = g_nPlayFrame;
    if (frames - s <= 0)
        return 1;
    g_nBusy = 1;
    g_bCancel = 0;
    char name[kPathBytes] = "";
    if (v.pair)
        GetFileNameFromPath(name, v.pair->szName);
    g_nPlayBase = s;
    g_nPlayFrames = frames;
    DevicePlayLoop loop = SharedDevicePlayLoop(window, movie, nullptr, s, frames, s, true);
    if (!StartDevicePlayLoop(loop)) {
        g_nBusy = 0;
        g_bCancel = 0;
        return 1;
    }

    int result = 0;
    for (int n = 0; n < frames - s; n++) {
        if (V().window != window || !V().rc) {
            result = 1;
            break;
        }
        g_nPlayStep = n;
        char title[600];
        snprintf(title, sizeof title, "%s(%d-%d-%d) Size(%d x %d) Drop Frame(%d)", name, 0, s + n, frames - 1, v.eyeW,
                 v.eyeH, g_nDevicePlayDrops);
        SetWindowTextA(window, title);
        g_nPlayFrame = s + n == frames - 1 ? 0 : s + n;
        GlFrameTimes times = {s + n, 0, 0, 0};
        double t0 = DeviceClockMs();
        DeviceFileFrame f;
        if (!FetchDeviceFileHalves(movie, s + n, f)) {
            result = 1;
            break;
        }
        double t1 = DeviceClockMs();
        UploadGlFrame(0, FindDibBits(f.image), DibWidth(f.image), DibHeight(f.image));
        FreeDeviceFileFrame(f);
        double t2 = DeviceClockMs();
        DrawGlFileFrame();
        Report(times, t0, t1, t2);
        n = PaceDevicePlayLoop(loop, n);
        PumpWindow(window);
        if (g_bCancel) {
            result = 1;
            break;
        }
    }

    EndDevicePlayLoop(loop);
    g_nBusy = 0;
    g_bCancel = 0;
    if (result == 0 && g_bRepeat != 1)
        result = 1;
    return result;
}
