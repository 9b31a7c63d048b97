// Movie sources: the open of a long OpenDML file (its index walk, and the
// whole open through AVIFile) and the fetch plus split of a side-by-side
// pair beside a plain copy of the same bytes. CPU time of this process.
#include "sources/avi_index.h"
#include "sources/movie_open.h"
#include "sources/stereo_layouts.h"
#include "sources/stereo_pair.h"
#include "shell/app_state.h"

#include <windows.h>
#include <vfw.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static double CpuSeconds()
{
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto s = [](FILETIME f) { return ((unsigned long long)f.dwHighDateTime << 32 | f.dwLowDateTime) * 1e-7; };
    return s(k) + s(u);
}

static double WallSeconds()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)f.QuadPart;
}

static int Open(const char *path, int reps)
{
    ChunkTable video, audio;
    AviIndexTotals totals;
    int found = 0;
    double w0 = WallSeconds();
    double t0 = CpuSeconds();
    for (int i = 0; i < reps; i++) {
        InitChunkTable(&video, 1 << 20, false);
        InitChunkTable(&audio, 0, true);
        found = ReadOpenDmlIndex(path, {0, 1}, &video, &audio, &totals);
        FreeChunkTable(&video);
        FreeChunkTable(&audio);
    }
    double walk = (CpuSeconds() - t0) / reps;
    double walkWall = (WallSeconds() - w0) / reps;

    AVIFileInit();
    MovieSource m;
    InitMovieSource(&m);
    char error[kOpenErrorBytes];
    w0 = WallSeconds();
    t0 = CpuSeconds();
    int frames = 0, kind = -1;
    for (int i = 0; i < reps; i++) {
        if (OpenMovieSource(nullptr, path, &m, error, 0) != 0) {
            printf("open failed\n");
            return 1;
        }
        frames = m.nFrames;
        kind = m.nKind;
        CloseMovieSource(&m);
    }
    double open = (CpuSeconds() - t0) / reps;
    double openWall = (WallSeconds() - w0) / reps;
    AVIFileExit();
    printf("  %-40s %8.2f ms CPU %8.2f ms wall  %d video chunks\n", "ours: index walk (ReadOpenDmlIndex)",
           walk * 1000, walkWall * 1000, found);
    printf("  %-40s %8.2f ms CPU %8.2f ms wall  %d frames, kind %d\n", "ours: whole open (AVIFile, own reader)",
           open * 1000, openWall * 1000, frames, kind);
    return 0;
}

static int Split(const char *path, int rounds)
{
    AVIFileInit();
    SetStartValues();
    char error[kOpenErrorBytes];
    if (OpenMovieSource(nullptr, path, &g_leftMovie, error, 0) || OpenMovieSource(nullptr, path, &g_rightMovie, error, 0)) {
        printf("open failed\n");
        return 1;
    }
    int w = g_leftMovie.nWidth, h = g_leftMovie.nHeight, frames = g_leftMovie.nFrames;
    SetupStereoFileRecords(&g_leftMovie, &g_rightMovie, 0);
    // Warm up: every frame read once.
    for (int n = 0; n < frames; n++)
        GetStereoFramePair(&g_leftMovie, n, &g_rightMovie, n);
    int count = rounds * frames;
    double t0 = CpuSeconds();
    for (int i = 0; i < count; i++)
        GetStereoFramePair(&g_leftMovie, i % frames, &g_rightMovie, i % frames);
    double pair = (CpuSeconds() - t0) / count;

    PackedDib *frame = g_leftMovie.pDecoded;
    size_t bytes = (size_t)DibRowBytes(w, 24) * h;
    t0 = CpuSeconds();
    for (int i = 0; i < count; i++)
        SplitSideBySideFrame(g_leftMovie.pView, g_rightMovie.pView, frame, w, h, 24);
    double split = (CpuSeconds() - t0) / count;

    BYTE *copy = (BYTE *)malloc(bytes);
    t0 = CpuSeconds();
    for (int i = 0; i < count; i++) {
        memcpy(copy, FindDibBits(frame), bytes);
        frame = i & 1 ? g_leftMovie.pDecoded : frame;
    }
    double plain = (CpuSeconds() - t0) / count;
    free(copy);
    printf("  %-40s %8.2f ms CPU per frame\n", "ours: fetch + split (GetStereoFramePair)", pair * 1000);
    printf("  %-40s %8.2f ms CPU per frame\n", "ours: split alone", split * 1000);
    printf("  %-40s %8.2f ms CPU per frame (%.1f MB)\n", "plain copy of the frame's bytes (memcpy)", plain * 1000,
           bytes / 1e6);
    CloseMovieSource(&g_leftMovie);
    CloseMovieSource(&g_rightMovie);
    AVIFileExit();
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "open") == 0)
        return Open(argv[2], atoi(argv[3]));
    if (argc == 4 && strcmp(argv[1], "split") == 0)
        return Split(argv[2], atoi(argv[3]));
    fprintf(stderr, "usage: sources_bench open <file> <repeats> | split <file> <rounds>\n");
    return 2;
}
