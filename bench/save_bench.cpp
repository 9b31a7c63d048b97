// Saving a pair side by side, uncompressed, as the program does it: opens
// the two movies, runs the stereo save into the output file and prints the
// frames per second of wall-clock and CPU time.
//
// Usage: save_bench.exe left.avi right.avi out.avi [preview]
#include "bench/bench_cpu_time.h"
#include "pipeline/save_movie.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <stdlib.h>

static BOOL ChooseUncompressed(COMPVARS *vars)
{
    vars->fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    return TRUE;
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: save_bench left.avi right.avi out.avi [preview]\n");
        return 2;
    }
    AVIFileInit();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TwrSaveBench";
    RegisterClassA(&wc);
    g_hwndMain = CreateWindowA("TwrSaveBench", "", WS_OVERLAPPEDWINDOW, 0, 0, 960, 600, nullptr, nullptr, wc.hInstance,
                               nullptr);
    g_hwndView = CreateWindowA("TwrSaveBench", "", WS_CHILD | WS_VISIBLE, 0, 0, 960, 540, g_hwndMain, nullptr,
                               wc.hInstance, nullptr);
    ResetMovieRecords();
    SetStartValues();
    g_nCacheBudget = 16000000;
    g_bSavePreview = argc > 4 ? atoi(argv[4]) : 0;
    g_nSaveLayout = 0;
    g_pfnCompressorChooseHook = ChooseUncompressed;
    char error[kOpenErrorBytes];
    if (OpenMovieSource(nullptr, argv[1], g_pLeft, error, 0) || OpenMovieSource(nullptr, argv[2], g_pRight, error, 0)) {
        fprintf(stderr, "cannot open the pair\n");
        return 1;
    }
    DeleteFileA(argv[3]);
    lstrcpynA(g_stereoPair.szName, argv[3], sizeof g_stereoPair.szName);
    g_stereoPair.pOutput = g_pThird;
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    double cpu0 = CpuSeconds();
    if (ChooseCompressor(error) || CreateSaveStreams(g_hwndMain, argv[3], g_pThird, error, &g_stereoPair)) {
        fprintf(stderr, "cannot create the output\n");
        return 1;
    }
    int result = SaveStereoMovie(g_hwndMain, argv[3], &g_stereoPair);
    QueryPerformanceCounter(&t1);
    double cpu = CpuSeconds() - cpu0, wall = (double)(t1.QuadPart - t0.QuadPart) / f.QuadPart;
    int frames = g_nFrameCount;
    printf("%d frames in %.2f s wall (%.1f frames/s), %.2f s CPU (%.1f frames/s of CPU)%s\n", frames, wall,
           frames / wall, cpu, frames / cpu, result ? " [split]" : "");
    CloseMovieSource(g_pLeft);
    CloseMovieSource(g_pRight);
    return 0;
}
