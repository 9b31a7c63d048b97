// Playback through the program's media player window: the main window is
// brought up as in the program, the player opened on the movie given
// (OpenPlayerWindow, which starts the play), and messages pumped for the
// seconds given. Prints the process's CPU time per second of play, and
// the frames the video renderer drew when one of the graph's filters
// offers IQualProp (Wine's do not: the script then counts the pictures in
// the video window's X drawable).
//
// Writes the screen rectangle of the video to RECTFILE (x y width height)
// as soon as the play runs, and its length, frame time and the measured
// figures to standard output as "key value" lines.
//
// usage: mediaplayer_bench MOVIE SECONDS RECTFILE
#include "bench/bench_cpu_time.h"
#include "bench/bench_desktop.h"
#include "shell/media_player.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

// The video's place on the screen: the video window's position in its
// owner's client area.
bool VideoRect(RECT *r)
{
    long x, y, w, h;
    if (!pVW || !ghApp || FAILED(pVW->GetWindowPosition(&x, &y, &w, &h)) || w <= 0 || h <= 0)
        return false;
    POINT p = {x, y};
    ClientToScreen(ghApp, &p);
    *r = {p.x, p.y, p.x + w, p.y + h};
    return true;
}

// Frames drawn and dropped by the first filter that reports them.
bool QualityFigures(int *drawn, int *dropped)
{
    IEnumFilters *filters = nullptr;
    if (!pGB || FAILED(pGB->EnumFilters(&filters)))
        return false;
    bool found = false;
    IBaseFilter *filter;
    while (!found && filters->Next(1, &filter, nullptr) == S_OK) {
        IQualProp *quality = nullptr;
        if (SUCCEEDED(filter->QueryInterface(IID_IQualProp, (void **)&quality))) {
            found = SUCCEEDED(quality->get_FramesDrawn(drawn));
            if (FAILED(quality->get_FramesDroppedInRenderer(dropped)))
                *dropped = -1;
            quality->Release();
        }
        filter->Release();
    }
    filters->Release();
    return found;
}

}  // namespace

int main(int argc, char **argv)
{
    OpenDesktopLog();
    if (argc != 4 || atoi(argv[2]) <= 0) {
        printf("usage: mediaplayer_bench MOVIE SECONDS RECTFILE\n");
        WriteDesktopStatus(2);
        return 2;
    }
    const char *movie = argv[1];
    DWORD playMs = atoi(argv[2]) * 1000;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND main = OpenBenchMainWindow(nullptr, nullptr);
    g_bRepeat = 0;  // the play ends paused
    OpenPlayerWindow(movie);

    // The graph is built and run by the player's own open command.
    DWORD until = GetTickCount() + 30000;
    while (!(pGB && g_nPlayerState == kPlayerRunning) && GetTickCount() < until)
        Pump(10);
    if (!pGB || g_nPlayerState != kPlayerRunning) {
        printf("error the player did not start the play\n");
        WriteDesktopStatus(1);
        return 1;
    }
    // Measured up to the movie's end at most: there the play stops.
    REFTIME duration = 0, perFrame = 0;
    if (pMP)
        pMP->get_Duration(&duration);
    if (pBV)
        pBV->get_AvgTimePerFrame(&perFrame);
    if (duration > 0 && duration * 1000 < playMs)
        playMs = (DWORD)(duration * 1000 + 0.5);
    double cpu0 = CpuSeconds();
    DWORD t0 = GetTickCount();
    if (FILE *f = fopen(argv[3], "w")) {
        RECT video;
        if (VideoRect(&video))
            fprintf(f, "%ld %ld %ld %ld\n", video.left, video.top, video.right - video.left, video.bottom - video.top);
        else
            fprintf(f, "none\n");
        fclose(f);
    }
    Pump(playMs);
    double cpu = CpuSeconds() - cpu0;
    double wall = (GetTickCount() - t0) / 1000.0;

    int drawn = -1, dropped = -1;
    bool quality = QualityFigures(&drawn, &dropped);
    printf("duration %.3f\n", duration);
    printf("frame_time %.6f\n", perFrame);
    printf("wall %.3f\n", wall);
    printf("cpu %.3f\n", cpu);
    if (quality)
        printf("qualprop %d %d\n", drawn, dropped);
    else
        printf("qualprop none\n");

    if (ghApp)
        SendMessageA(ghApp, WM_CLOSE, 0, 0);
    Pump(200);
    DestroyWindow(main);
    WriteDesktopStatus(0);
    return 0;
}
