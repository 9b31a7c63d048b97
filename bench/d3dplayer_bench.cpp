// Full-screen playback through the Direct3D 7 stereo player, measured
// inside the program: the pair (its two halves drawn into the double-width
// surface with the stereo signature), or one side-by-side movie file in a
// display format (0 side by side on one screen, 1 grey anaglyph, 4 colour
// anaglyph, ...), played from its start (F3) at the screen size given.
// Prints frames shown and skipped (g_nDevicePlayDrops), the mean interval
// between shown frames beside the movie's frame duration, and per shown
// frame the milliseconds spent fetching and preparing the images, drawing
// or composing them into the work surface, and blitting and presenting
// (median and 90th percentile), and the main thread's CPU time per shown
// frame.
//
// Runs inside a virtual desktop at least as large as the screen size
// (scripts/run-in-desktop.sh): the output goes to the file it names.
//
// usage: d3dplayer_bench pair LEFT RIGHT WIDTH HEIGHT
//        d3dplayer_bench file MOVIE WIDTH HEIGHT FORMAT
#include "bench/bench_fullscreen_run.h"
#include "devices/stereo_player.h"
#include "devices/stereo_player_state.h"
#include "shell/main_window.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

int Usage()
{
    printf("usage: d3dplayer_bench pair LEFT RIGHT WIDTH HEIGHT\n"
           "       d3dplayer_bench file MOVIE WIDTH HEIGHT FORMAT\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    OpenDesktopLog();
    bool pair = argc >= 6 && strcmp(argv[1], "pair") == 0;
    bool file = argc >= 6 && strcmp(argv[1], "file") == 0;
    if (!pair && !file)
        return Usage();
    HWND main = pair ? OpenBenchMainWindow(argv[2], argv[3]) : OpenBenchMainWindow(nullptr, nullptr);
    int status = 1;
    if (pair && !(g_pLeft->bOpen && g_pRight->bOpen)) {
        printf("  the pair did not open\n");
    } else {
        g_nVidia = 1;
        g_nPlaySource = pair ? 0 : 2;
        g_n3DWidth = atoi(argv[pair ? 4 : 3]);
        g_n3DHeight = atoi(argv[pair ? 5 : 4]);
        g_n3DBits = 32;
        g_nStr3D = 0;
        g_nBunkatu = 0;
        g_bRepeat = 0;
        g_nFrame = 0;
        g_bShowInfo = 0;
        if (file) {
            g_nDispFormat = atoi(argv[5]);
            lstrcpynA(g_stereoPair.szName, argv[2], sizeof g_stereoPair.szName);
        }
        BenchFullscreenRun &run = BenchFullscreenRun::Get();
        g_pfnPlayerFrameTimes = BenchFullscreenRun::OnFrame;
        std::thread driverThread(BenchFullscreenRun::Drive, "nVidiaStereo");
        double cpu0 = ThreadCpuMs();
        RunNvidiaStereoPlayer(g_hInst, &g_stereoPair);
        double cpu = ThreadCpuMs() - cpu0;
        driverThread.join();
        g_pfnPlayerFrameTimes = nullptr;
        double frameMs = run.FrameMs();
        printf("  %dx%d at %.3f frames/s, %d frames, screen %dx%dx32\n", run.width, run.height,
               frameMs ? 1000.0 / frameMs : 0, g_nPlayFrames, g_n3DWidth, g_n3DHeight);
        status = run.Report(cpu, "draw or compose", "blit and present");
    }
    DestroyWindow(main);
    WriteDesktopStatus(status);
    return status;
}
