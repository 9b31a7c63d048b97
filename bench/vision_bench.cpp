// Full-screen playback through the 3D Vision viewer (Direct3D 9, the NVAPI
// stand-in "nvapi.dll" beside this program), measured inside the program:
// the pair, or one side-by-side movie as a stereo file, drawn into the
// signed double-width surface and stretched onto the back buffer, played
// from its start (F3) at the screen size given. Prints frames shown and
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
//        vision_bench file MOVIE WIDTH HEIGHT
#include "bench/bench_desktop.h"
#include "bench/bench_frame_clock.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_view.h"
#include "shell/main_window.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

struct Shown {
    PlayerFrameTimes times;
    double at;
};
std::vector<Shown> s_shown;
std::atomic<int> s_count(0), s_lastFrame(-1);
int s_width, s_height;
unsigned s_rate, s_scale;

void OnFrame(const PlayerFrameTimes &t)
{
    if (s_shown.empty()) {
        const MovieSource *m = g_pPlayMovie ? g_pPlayMovie : g_pLeft;
        s_width = m->nWidth;
        s_height = m->nHeight;
        s_rate = m->nRate;
        s_scale = m->nScale;
    }
    s_shown.push_back(Shown{t, Now()});
    s_lastFrame = t.frame;
    s_count++;
}

// Starts the play once the viewer's window is up, and closes the window
// once the play has come to its end (or stalled for two seconds).
void Drive()
{
    DWORD until = GetTickCount() + 30000;
    HWND w = nullptr;
    while (!(w = FindWindowA("QFR 3D Vision", nullptr)) && GetTickCount() < until)
        Sleep(20);
    if (!w)
        return;
    Sleep(1000);
    int lastFrame = g_nPlayFrames - 1;
    PostMessageA(w, WM_KEYUP, VK_F3, 0);
    WaitForPlayEnd(s_count, s_lastFrame, lastFrame);
    // The first Enter stops a pass still running, the second closes.
    for (int i = 0; i < 2 && IsWindow(w); i++) {
        Sleep(500);
        PostMessageA(w, WM_KEYUP, VK_RETURN, 0);
    }
}

int Usage()
{
    printf("usage: vision_bench pair LEFT RIGHT WIDTH HEIGHT\n"
           "       vision_bench file MOVIE WIDTH HEIGHT\n");
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
        g_nPlaySource = pair ? 0 : 1;
        g_n3DWidth = atoi(argv[pair ? 4 : 3]);
        g_n3DHeight = atoi(argv[pair ? 5 : 4]);
        g_nBunkatu = 0;
        g_bRepeat = 0;
        g_nFrame = 0;
        g_bShowInfo = 0;
        g_nVisionZoom = 100;
        if (file)
            lstrcpynA(g_stereoPair.szName, argv[2], sizeof g_stereoPair.szName);
        g_pfnVisionFrameTimes = OnFrame;
        std::thread driverThread(Drive);
        double cpu0 = ThreadCpuMs();
        RunStereoVisionViewer(g_hInst, &g_stereoPair);
        double cpu = ThreadCpuMs() - cpu0;
        driverThread.join();
        g_pfnVisionFrameTimes = nullptr;
        double frameMs = s_rate ? (double)s_scale * 1000.0 / s_rate : 0;
        printf("  %dx%d at %.3f frames/s, %d frames, screen %dx%d, surface %dx%d\n", s_width, s_height,
               frameMs ? 1000.0 / frameMs : 0, g_nPlayFrames, g_n3DWidth, g_n3DHeight, 2 * g_n3DWidth,
               g_n3DHeight + 1);
        size_t n = s_shown.size();
        std::vector<double> fetch, draw, present, total;
        for (const Shown &s : s_shown) {
            fetch.push_back(s.times.fetch);
            draw.push_back(s.times.compose);
            present.push_back(s.times.present);
            total.push_back(s.times.fetch + s.times.compose + s.times.present);
        }
        double interval = n > 1 ? (s_shown[n - 1].at - s_shown[0].at) / (double)(n - 1) : 0;
        printf("  shown %zu, skipped %d; interval %.1f ms (movie %.1f ms); CPU %.1f ms a shown frame\n", n,
               g_nDevicePlayDrops, interval, frameMs, n ? cpu / (double)n : 0);
        printf("  %-22s %8s %8s\n", "ms a frame", "median", "p90");
        const struct {
            const char *name;
            const std::vector<double> &v;
        } rows[] = {{"fetch", fetch}, {"draw", draw}, {"stretch and present", present}, {"all", total}};
        for (const auto &r : rows)
            printf("  %-22s %8.1f %8.1f\n", r.name, Percentile(r.v, 0.5), Percentile(r.v, 0.9));
        status = n > 0 ? 0 : 1;
    }
    DestroyWindow(main);
    WriteDesktopStatus(status);
    return status;
}
