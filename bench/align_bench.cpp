// Times one automatic alignment of a frame pair with the built-in matcher,
// split into its parts (grey working images, keypoint extraction, pair
// search, the fit), the whole pass loop as command 2059 runs it, and the
// per-frame analysis in frames per second. Writes the working images of
// the first pass as PGM files for the peer.
//
//   align_bench LEFT.ppm RIGHT.ppm OUTDIR [REPEATS]
#include "alignment/auto_align.h"
#include "alignment/control_points.h"
#include "alignment/frame_adjustment.h"
#include "alignment/frame_log.h"
#include "alignment/surf_matcher.h"
#include "bench/bench_cpu_time.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "tests/adjust/ppm_frames.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}

void WritePgm(const std::string &path, const PackedDib *grey)
{
    FILE *f = fopen(path.c_str(), "wb");
    const int w = DibWidth(grey), h = DibHeight(grey);
    fprintf(f, "P5\n%d %d\n255\n", w, h);
    // The grey working image is stored top row first.
    for (int y = 0; y < h; y++)
        fwrite(FindDibBits(grey) + (size_t)y * DibRowBytes(w, 8), 1, (size_t)w, f);
    fclose(f);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    const int repeats = argc > 4 ? atoi(argv[4]) : 5;
    DibPtr left = LoadPpm(argv[1]), right = LoadPpm(argv[2]);
    if (!left || !right)
        return 2;
    const std::string out = argv[3];
    const int w = DibWidth(left.get()), h = DibHeight(left.get());
    g_nImageWidth = w;
    g_nImageHeight = h;
    const MatchWorkingSize ws = ChooseMatchWorkingSize(1, w, h);
    g_dMatchRatio = ws.ratio;
    const std::string points = out + "\\bench.oto";

    std::vector<double> tGrey, tExtract, tMatch, tFit, tPass;
    int keysL = 0, keysR = 0, pairs = 0, fitted = 0;
    for (int r = 0; r < repeats; r++) {
        double t0 = Now();
        PackedDib *greyL = ScaleDibToGrey(nullptr, left.get(), ws.width, ws.height);
        PackedDib *greyR = ScaleDibToGrey(nullptr, right.get(), ws.width, ws.height);
        double t1 = Now();
        std::vector<SurfPoint> pl, pr;
        SurfDescriptors dl, dr;
        const SurfParams params = MakeSurfParams(500, 1);
        ExtractSurf(FindDibBits(greyL), ws.width, ws.height, DibRowBytes(ws.width, 8), params, &pl, &dl);
        ExtractSurf(FindDibBits(greyR), ws.width, ws.height, DibRowBytes(ws.width, 8), params, &pr, &dr);
        double t2 = Now();
        std::vector<int> found;
        FindSurfPairs(pl, dl, pr, dr, &found);
        double t3 = Now();
        if (r == 0) {
            WritePgm(out + "\\work_l.pgm", greyL);
            WritePgm(out + "\\work_r.pgm", greyR);
            MatchSurfFeatures(greyL, greyR, points.c_str(), ws.scale);
        }
        FreeDib(greyL);
        FreeDib(greyR);

        g_nShiftX = g_nShiftY = 0;
        ResetAlignmentValuesForNewPair();
        double t4 = Now();
        fitted = FitControlPoints(points.c_str());
        double t5 = Now();
        tGrey.push_back(t1 - t0), tExtract.push_back(t2 - t1), tMatch.push_back(t3 - t2), tFit.push_back(t5 - t4);
        keysL = (int)pl.size(), keysR = (int)pr.size(), pairs = (int)found.size() / 2;
    }
    // The whole pass loop (work folder, control-point file, fit, clean-up).
    for (int r = 0; r < repeats; r++) {
        g_nShiftX = g_nShiftY = 0;
        ResetAlignmentValuesForNewPair();
        g_pAdjustDibL = left.get();
        g_pAdjustDibR = right.get();
        const double t0 = Now();
        RunAutoAlignPasses(nullptr, "Z:\\nonexistent\\movie.avi");
        tPass.push_back(Now() - t0);
    }
    printf("frame %dx%d, pass 1 working image %dx%d\n", w, h, ws.width, ws.height);
    printf("keypoints %d / %d, pairs %d, points fitted %d, passes run %d\n", keysL, keysR, pairs, fitted,
           g_nAlignPass - 1);
    printf("grey images ms   %8.1f\n", 1000 * Median(tGrey));
    printf("extraction ms    %8.1f\n", 1000 * Median(tExtract));
    printf("pair search ms   %8.1f\n", 1000 * Median(tMatch));
    printf("fit ms           %8.1f\n", 1000 * Median(tFit));
    printf("whole 2059 ms    %8.1f  (median of %d)\n", 1000 * Median(tPass), repeats);

    // The per-frame analysis: every frame aligned by itself and logged.
    MovieSource l, rr;
    InitMovieSource(&l);
    InitMovieSource(&rr);
    l.pCurrent = left.get();
    rr.pCurrent = right.get();
    strcpy(l.szPath, "Z:\\nonexistent\\movie.avi");
    g_bAllFrameAdjust = 1;
    g_bAdjustActive = 1;
    snprintf(g_szFrameLogPath, sizeof g_szFrameLogPath, "%s\\bench.csv", out.c_str());
    DeleteFileA(g_szFrameLogPath);
    const int frames = repeats * 2;
    double c0 = CpuSeconds(), t0 = Now();
    for (int f = 0; f < frames; f++) {
        g_nAdjustFrameNo = f;
        AutoAlignFrame(nullptr, &l, &rr);
    }
    double wall = Now() - t0, cpu = CpuSeconds() - c0;
    printf("per-frame analysis  %6.2f frames/s (wall), %6.2f frames per CPU second\n", frames / wall, frames / cpu);

    // A save in the per-frame mode after the analysis: each frame's values
    // from the log, its meshes and the warp of both eyes.
    SmoothFrameLog();
    g_bFrameLogRead = 1;
    c0 = CpuSeconds(), t0 = Now();
    for (int f = 0; f < frames; f++) {
        l.pCurrent = left.get();
        rr.pCurrent = right.get();
        g_nAdjustFrameNo = f;
        ApplyFrameAdjustments(nullptr, &l, &rr, 1);
    }
    wall = Now() - t0, cpu = CpuSeconds() - c0;
    printf("per-frame adjustment from the log  %6.2f frames/s (wall), %6.2f frames per CPU second\n", frames / wall,
           frames / cpu);
    FreeDib(l.pAligned);
    FreeDib(rr.pAligned);
    DeleteFileA(g_szFrameLogPath);
    DeleteFileA(points.c_str());
    return 0;
}
