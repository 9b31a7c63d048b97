// Full-screen playback through the 3D Vision viewer (Direct3D 9, the NVAPI
// stand-in "nvapi.dll" beside this program), measured inside the program:
// the pair, one side-by-side movie as a stereo file, or that movie in a
// display format (0 side by side on one screen, 1 grey anaglyph, 4 colour
// anaglyph, ...), drawn into the signed double-width surface and stretched
// onto the back buffer, played from its start (F3) at the screen size
// given. Prints frames shown and
// skipped (g_nDevicePlayDrops), the mean interval between shown frames
// beside the movie's frame duration, and per shown frame the milliseconds
// spent fetching and preparing the images, drawing them into the surface
// (GDI, with the signature written again), and stretching and presenting
// (median and 90th percentile), and the main thread's CPU time per shown
// frame.
//
// Runs inside a virtual desktop at least as large as the screen size
// (scripts/run-in-desktop.sh): the output goes to the file it names.
//
// usage: vision_bench pair LEFT RIGHT WIDTH HEIGHT
//        vision_bench file MOVIE WIDTH HEIGHT [FORMAT]
#include "bench/bench_fullscreen_run.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_view.h"
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
    printf("usage: vision_bench pair LEFT RIGHT WIDTH HEIGHT\n"
           "       vision_bench file MOVIE WIDTH HEIGHT [FORMAT]\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    OpenDesktopLog();
    bool pair = argc >= 6 && strcmp(argv[1], "pair") == 0;
    bool file = argc >= 5 && strcmp(argv[1], "file") == 0;
    if (!pair && !file)
        return Usage();
    HWND main = pair ? OpenBenchMainWindow(argv[2], argv[3]) : OpenBenchMainWindow(nullptr, nullptr);
    int status = 1;
    if (pair && !(g_pLeft->bOpen && g_pRight->bOpen)) {
        printf("  the pair did not open\n");
    } else {
        // A file with a display format is played in it, else as a stereo
        // file.
        bool formatted = file && argc >= 6;
        g_nPlaySource = pair ? 0 : formatted ? 2 : 1;
        if (formatted)
            g_nDispFormat = atoi(argv[5]);
        g_n3DWidth = atoi(argv[pair ? 4 : 3]);
        g_n3DHeight = atoi(argv[pair ? 5 : 4]);
        g_nBunkatu = 0;
        g_bRepeat = 0;
        g_nFrame = 0;
        g_bShowInfo = 0;
        g_nVisionZoom = 100;
        if (file)
            lstrcpynA(g_stereoPair.szName, argv[2], sizeof g_stereoPair.szName);
        BenchFullscreenRun &run = BenchFullscreenRun::Get();
        g_pfnVisionFrameTimes = BenchFullscreenRun::OnFrame;
        std::thread driverThread(BenchFullscreenRun::Drive, "QFR 3D Vision");
        double cpu0 = ThreadCpuMs();
        RunStereoVisionViewer(g_hInst, &g_stereoPair);
        double cpu = ThreadCpuMs() - cpu0;
        driverThread.join();
        g_pfnVisionFrameTimes = nullptr;
        double frameMs = run.FrameMs();
        printf("  %dx%d at %.3f frames/s, %d frames, screen %dx%d, surface %dx%d\n", run.width, run.height,
               frameMs ? 1000.0 / frameMs : 0, g_nPlayFrames, g_n3DWidth, g_n3DHeight, 2 * g_n3DWidth,
               g_n3DHeight + 1);
        status = run.Report(cpu, "draw", "stretch and present");
    }
    DestroyWindow(main);
    WriteDesktopStatus(status);
    return status;
}
