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
#include "devices/stereo_vision_view.h"

#include <cstdio>

int main(int argc, char **argv)
{
    OpenDesktopLog();
    bool pair = false;
    int format = -1;
    HWND main = BenchFullscreenRun::Open(argc, argv, false, "usage: vision_bench pair LEFT RIGHT WIDTH HEIGHT\n"
                                         "       vision_bench file MOVIE WIDTH HEIGHT [FORMAT]\n", &pair, &format);
    if (!main) {
        WriteDesktopStatus(2);
        return 2;
    }
    // A file with a display format is played in it, else as a stereo file.
    g_nPlaySource = pair ? 0 : format >= 0 ? 2 : 1;
    if (format >= 0)
        g_nDispFormat = format;
    g_nVisionZoom = 100;
    BenchFullscreenRun &run = BenchFullscreenRun::Get();
    g_pfnVisionFrameTimes = BenchFullscreenRun::OnFrame;
    double cpu = BenchFullscreenRun::Play(RunStereoVisionViewer, "QFR 3D Vision");
    g_pfnVisionFrameTimes = nullptr;
    double frameMs = run.FrameMs();
    printf("  %dx%d at %.3f frames/s, %d frames, screen %dx%d, surface %dx%d\n", run.width, run.height,
           frameMs ? 1000.0 / frameMs : 0, g_nPlayFrames, g_n3DWidth, g_n3DHeight, 2 * g_n3DWidth,
           g_n3DHeight + 1);
    int status = run.Report(cpu, "draw", "stretch and present");
    DestroyWindow(main);
    WriteDesktopStatus(status);
    return status;
}
