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

#include <cstdio>

int main(int argc, char **argv)
{
    OpenDesktopLog();
    bool pair = false;
    int format = -1;
    HWND main = BenchFullscreenRun::Open(argc, argv, true, "usage: d3dplayer_bench pair LEFT RIGHT WIDTH HEIGHT\n"
                                         "       d3dplayer_bench file MOVIE WIDTH HEIGHT FORMAT\n", &pair, &format);
    if (!main) {
        WriteDesktopStatus(2);
        return 2;
    }
    g_nVidia = 1;
    g_nPlaySource = pair ? 0 : 2;
    g_n3DBits = 32;
    g_nStr3D = 0;
    if (!pair)
        g_nDispFormat = format;
    BenchFullscreenRun &run = BenchFullscreenRun::Get();
    g_pfnPlayerFrameTimes = BenchFullscreenRun::OnFrame;
    double cpu = BenchFullscreenRun::Play(RunNvidiaStereoPlayer, "nVidiaStereo");
    g_pfnPlayerFrameTimes = nullptr;
    double frameMs = run.FrameMs();
    printf("  %dx%d at %.3f frames/s, %d frames, screen %dx%dx32\n", run.width, run.height,
           frameMs ? 1000.0 / frameMs : 0, g_nPlayFrames, g_n3DWidth, g_n3DHeight);
    int status = run.Report(cpu, "draw or compose", "blit and present");
    DestroyWindow(main);
    WriteDesktopStatus(status);
    return status;
}
