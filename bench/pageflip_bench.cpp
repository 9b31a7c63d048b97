// Full-screen page-flip playback, measured inside the program: the pair
// played from its start by the page-flip window (F3) at the screen size
// given, through the WinX3D stand-in with its pixel hashing off, as the
// shutter-play command shows it. Prints frames shown and skipped
// (g_nPlayDrops), the mean interval between shown frames beside the
// movie's frame duration, and per shown frame the milliseconds spent
// fetching and preparing both images, drawing each eye into its flip
// buffer, and in the driver's presents (median and 90th percentile), and
// the main thread's CPU time per shown frame.
//
// Runs inside a virtual desktop at least as large as the screen size
// (scripts/run-in-desktop.sh): the output goes to the file it names.
//
// usage: pageflip_bench LEFT RIGHT WIDTH HEIGHT DRIVER_FOLDER
#include "bench/bench_desktop.h"
#include "bench/bench_frame_clock.h"
#include "devices/page_flip_draw.h"
#include "devices/page_flip_state.h"
#include "devices/page_flip_window.h"
#include "pipeline/play_clock.h"
#include "shell/main_window.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

struct Shown {
    W3DFrameTimes times;
    double at;
};
std::vector<Shown> s_shown;
std::atomic<int> s_count(0), s_lastFrame(-1);

void OnFrame(const W3DFrameTimes &t)
{
    s_shown.push_back(Shown{t, Now()});
    s_lastFrame = t.frame;
    s_count++;
}

// HKLM "SOFTWARE\W3D" "WIN3D" names the driver's folder for the run; the
// value it had comes back afterwards, and a key the run made goes again
// (the tests that share the prefix look for the driver there).
struct DriverFolder {
    HKEY key = nullptr;
    char old[MAX_PATH] = "";
    bool had = false;
    DWORD made = 0;
    explicit DriverFolder(const char *folder)
    {
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\W3D", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &made) != ERROR_SUCCESS)
            return;
        DWORD size = sizeof old;
        had = RegQueryValueExA(key, "WIN3D", nullptr, nullptr, (BYTE *)old, &size) == ERROR_SUCCESS;
        RegSetValueExA(key, "WIN3D", 0, REG_SZ, (const BYTE *)folder, (DWORD)strlen(folder) + 1);
    }
    ~DriverFolder()
    {
        if (!key)
            return;
        if (had)
            RegSetValueExA(key, "WIN3D", 0, REG_SZ, (const BYTE *)old, (DWORD)strlen(old) + 1);
        else
            RegDeleteValueA(key, "WIN3D");
        RegCloseKey(key);
        if (made == REG_CREATED_NEW_KEY)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\W3D");
    }
};

// Starts the play once the driver flips, and closes the window once the
// play has come to its end (or stalled for two seconds).
void Drive(int lastFrame)
{
    DWORD until = GetTickCount() + 30000;
    while (!(g_hwndW3D && g_bW3DFlipping) && GetTickCount() < until)
        Sleep(20);
    if (!g_hwndW3D)
        return;
    Sleep(500);
    PostMessageA(g_hwndW3D, WM_KEYDOWN, VK_F3, 0);
    WaitForPlayEnd(s_count, s_lastFrame, lastFrame);
    Sleep(500);
    PostMessageA(g_hwndW3D, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

int main(int argc, char **argv)
{
    OpenDesktopLog();
    if (argc < 6) {
        printf("usage: pageflip_bench LEFT RIGHT WIDTH HEIGHT DRIVER_FOLDER\n");
        return 2;
    }
    SetEnvironmentVariableA("TWR_W3D_HASH", "0");
    SetEnvironmentVariableA("TWR_W3D_LOG", nullptr);
    DriverFolder driver(argv[5]);
    HWND main = OpenBenchMainWindow(argv[1], argv[2]);
    int status = 1;
    if (g_pLeft->bOpen && g_pRight->bOpen) {
        g_nVidia = 0;
        g_nPlaySource = 0;
        g_n3DWidth = atoi(argv[3]);
        g_n3DHeight = atoi(argv[4]);
        g_n3DBits = 32;
        g_bRepeat = 0;
        g_nFrame = 0;
        g_pfnW3DFrameTimes = OnFrame;
        const MovieSource *m = g_pLeft;
        double frameMs = m->nRate ? (double)m->nScale * 1000.0 / m->nRate : 0;
        int frames = std::min(g_pLeft->nFrames - g_pLeft->nStart, g_pRight->nFrames - g_pRight->nStart);
        printf("  %dx%d at %.3f frames/s, %d frames, screen %sx%sx32, sound %s\n", m->nWidth, m->nHeight,
               frameMs ? 1000.0 / frameMs : 0, frames, argv[3], argv[4], m->pAudio ? "on" : "none");
        std::thread driverThread(Drive, frames - 1);
        double cpu0 = ThreadCpuMs();
        RunW3DWindow(&g_stereoPair);
        double cpu = ThreadCpuMs() - cpu0;
        driverThread.join();
        g_pfnW3DFrameTimes = nullptr;
        size_t n = s_shown.size();
        std::vector<double> fetch, left, right, present, total;
        for (const Shown &s : s_shown) {
            fetch.push_back(s.times.fetch);
            left.push_back(s.times.draw[0]);
            right.push_back(s.times.draw[1]);
            present.push_back(s.times.present);
            total.push_back(s.times.fetch + s.times.draw[0] + s.times.draw[1] + s.times.present);
        }
        double interval = n > 1 ? (s_shown[n - 1].at - s_shown[0].at) / (double)(n - 1) : 0;
        printf("  shown %zu, skipped %d; interval %.1f ms (movie %.1f ms); CPU %.1f ms a shown frame\n", n,
               g_nPlayDrops, interval, frameMs, n ? cpu / (double)n : 0);
        printf("  %-22s %8s %8s\n", "ms a frame", "median", "p90");
        const struct {
            const char *name;
            const std::vector<double> &v;
        } rows[] = {{"fetch both images", fetch}, {"draw left eye", left},  {"draw right eye", right},
                    {"present (flip)", present},  {"all", total}};
        for (const auto &r : rows)
            printf("  %-22s %8.1f %8.1f\n", r.name, Percentile(r.v, 0.5), Percentile(r.v, 0.9));
        status = n > 0 ? 0 : 1;
    } else {
        printf("  the pair did not open\n");
    }
    DestroyWindow(main);
    WriteDesktopStatus(status);
    return status;
}
