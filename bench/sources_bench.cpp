// Movie sources: the open of a long OpenDML file (its index walk, and the
// whole open through AVIFile) and the fetch plus split of a side-by-side
// pair beside a plain copy of the same bytes. CPU time of this process.
// And the fetch of single frames of a compressed movie, by jumps and by
// steps, beside AVIFile's frame getter on the same file (wall time: both
// decode on this thread).
#include "sources/avi_index.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "sources/stereo_layouts.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"

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
    ResetMovieRecords();
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

// Milliseconds taken by fetch(n) for each frame in order.
template <typename Fetch> static void TimeFrames(const char *who, Fetch fetch, int last)
{
    struct Point {
        const char *what;
        int from, to;  // from: fetched first, untimed (-1 none)
    } points[] = {{"frame 0", -1, 0},   {"frame 100", -1, 100}, {"last frame", -1, last},
                  {"the last again", last, last}, {"step to the last", last - 1, last}};
    printf("  %-34s", who);
    for (const Point &p : points) {
        if (p.from >= 0)
            fetch(p.from);
        double w0 = WallSeconds();
        bool ok = fetch(p.to);
        printf(" %s %7.1f%s", p.what, (WallSeconds() - w0) * 1000, ok ? "" : "(failed)");
    }
    double w0 = WallSeconds();
    for (int n = 0; n < 25; n++)
        fetch(n);
    printf("  25 steps from 0 %6.1f per frame (ms)\n", (WallSeconds() - w0) * 1000 / 25);
}

static int Step(const char *path)
{
    AVIFileInit();
    ResetMovieRecords();
    SetStartValues();
    // The peer: a getter opened once, as the opener does.
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    if (AVIFileOpenA(&file, path, OF_SHARE_DENY_NONE, nullptr) != 0 ||
        AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) != 0) {
        printf("AVIFile open failed\n");
        return 1;
    }
    int last = (int)AVIStreamLength(stream) - 1;
    PGETFRAME getter = AVIStreamGetFrameOpen(stream, nullptr);
    if (!getter) {
        printf("no getter\n");
        return 1;
    }
    TimeFrames("AVIFile getter (AVIStreamGetFrame)", [&](int n) { return AVIStreamGetFrame(getter, n) != nullptr; },
               last);
    AVIStreamGetFrameClose(getter);
    AVIStreamRelease(stream);
    AVIFileRelease(file);

    char error[kOpenErrorBytes];
    MovieSource &m = g_leftMovie;
    if (OpenMovieSource(nullptr, path, &m, error, 0) != 0) {
        printf("open failed\n");
        return 1;
    }
    char who[64];
    snprintf(who, sizeof who, "ours: GetStereoFramePair (kind %d)", m.nKind);
    TimeFrames(who, [&](int n) { return GetStereoFramePair(&m, n, &m, n) == 0; }, last);
    CloseMovieSource(&m);
    AVIFileExit();
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "step") == 0)
        return Step(argv[2]);
    if (argc == 4 && strcmp(argv[1], "open") == 0)
        return Open(argv[2], atoi(argv[3]));
    if (argc == 4 && strcmp(argv[1], "split") == 0)
        return Split(argv[2], atoi(argv[3]));
    fprintf(stderr, "usage: sources_bench open <file> <repeats> | split <file> <rounds> | step <file>\n");
    return 2;
}
