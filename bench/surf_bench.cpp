// Times the built-in feature matcher on one frame pair: reduction to the
// grey working images, keypoint extraction of both and the pair search, at
// the working size of each alignment pass. Writes the working images as
// PGM files beside the output so that a peer can work on the same pixels.
//
//   surf_bench LEFT.ppm RIGHT.ppm OUTDIR [REPEATS]
//   surf_bench --keypoints IN.pgm OUT.txt   (x y size laplacian dir hessian)
#include "alignment/surf_matcher.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

PackedDib *ReadPpm(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return nullptr;
    int w = 0, h = 0, maxval = 0;
    PackedDib *dib = nullptr;
    if (fscanf(f, "P6 %d %d %d", &w, &h, &maxval) == 3 && maxval == 255 && fgetc(f) != EOF) {
        std::vector<BYTE> rgb((size_t)w * h * 3);
        dib = fread(rgb.data(), 1, rgb.size(), f) == rgb.size() ? CreateDib(w, h, 24, 1) : nullptr;
        for (int y = 0; dib && y < h; y++) {
            BYTE *row = DibRow(dib, h - 1 - y);
            for (int x = 0; x < w; x++) {
                const BYTE *p = &rgb[((size_t)y * w + x) * 3];
                row[3 * x] = p[2], row[3 * x + 1] = p[1], row[3 * x + 2] = p[0];
            }
        }
    }
    fclose(f);
    return dib;
}

std::vector<BYTE> ReadPgm(const char *path, int *w, int *h)
{
    std::vector<BYTE> px;
    FILE *f = fopen(path, "rb");
    int maxval = 0;
    if (f && fscanf(f, "P5 %d %d %d", w, h, &maxval) == 3 && maxval == 255 && fgetc(f) != EOF) {
        px.resize((size_t)*w * *h);
        if (fread(px.data(), 1, px.size(), f) != px.size())
            px.clear();
    }
    if (f)
        fclose(f);
    return px;
}

void WriteKeypoints(const char *path, const std::vector<SurfPoint> &points)
{
    FILE *f = fopen(path, "w");
    if (!f)
        return;
    for (const SurfPoint &p : points)
        fprintf(f, "%.3f %.3f %d %d %.2f %.1f\n", p.x, p.y, p.size, p.laplacian, p.dir, p.hessian);
    fclose(f);
}

void WritePgm(const std::string &path, const PackedDib *grey)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return;
    int w = DibWidth(grey), h = DibHeight(grey);
    fprintf(f, "P5\n%d %d\n255\n", w, h);
    for (int y = 0; y < h; y++)
        fwrite(FindDibBits(grey) + (size_t)y * DibRowBytes(w, 8), 1, w, f);
    fclose(f);
}

double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Features {
    std::vector<SurfPoint> points;
    SurfDescriptors descriptors;
};

void Extract(const PackedDib *grey, Features *f)
{
    int w = DibWidth(grey);
    ExtractSurf(FindDibBits(grey), w, DibHeight(grey), DibRowBytes(w, 8), MakeSurfParams(500, 1), &f->points,
                &f->descriptors);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::string(argv[1]) == "--keypoints") {
        int w = 0, h = 0;
        std::vector<BYTE> px = ReadPgm(argv[2], &w, &h);
        std::vector<SurfPoint> points;
        SurfDescriptors descriptors;
        if (px.empty() || !ExtractSurf(px.data(), w, h, w, MakeSurfParams(500, 1), &points, &descriptors)) {
            fprintf(stderr, "surf_bench: cannot read %s\n", argv[2]);
            return 1;
        }
        WriteKeypoints(argv[3], points);
        return 0;
    }
    if (argc < 4) {
        fprintf(stderr, "usage: surf_bench LEFT.ppm RIGHT.ppm OUTDIR [REPEATS]\n");
        return 2;
    }
    int repeats = argc > 4 ? atoi(argv[4]) : 5;
    PackedDib *left = ReadPpm(argv[1]), *right = ReadPpm(argv[2]);
    if (!left || !right) {
        fprintf(stderr, "surf_bench: cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    int W = DibWidth(left), H = DibHeight(left);
    printf("pass  size      scale+grey_ms  extract_ms  match_ms  keypoints_l  keypoints_r  pairs\n");
    for (int pass = 1; pass <= 3; pass++) {
        MatchWorkingSize ws = ChooseMatchWorkingSize(pass, W, H);
        g_dMatchRatio = ws.ratio;
        double bestGrey = 1e30, bestExtract = 1e30, bestMatch = 1e30;
        Features fl, fr;
        std::vector<int> pairs;
        PackedDib *gl = nullptr, *gr = nullptr;
        for (int r = 0; r < repeats; r++) {
            FreeDib(gl), FreeDib(gr);
            double t0 = Now();
            gl = ScaleDibToGrey(nullptr, left, ws.width, ws.height);
            gr = ScaleDibToGrey(nullptr, right, ws.width, ws.height);
            double t1 = Now();
            Extract(gl, &fl);
            Extract(gr, &fr);
            double t2 = Now();
            pairs.clear();
            FindSurfPairs(fl.points, fl.descriptors, fr.points, fr.descriptors, &pairs);
            double t3 = Now();
            bestGrey = std::min(bestGrey, t1 - t0);
            bestExtract = std::min(bestExtract, t2 - t1);
            bestMatch = std::min(bestMatch, t3 - t2);
        }
        std::string out = argv[3];
        WritePgm(out + "/work_l_" + std::to_string(pass) + ".pgm", gl);
        WritePgm(out + "/work_r_" + std::to_string(pass) + ".pgm", gr);
        WriteKeypoints((out + "/work_l_" + std::to_string(pass) + ".kp").c_str(), fl.points);
        // The whole call as the alignment makes it, file included.
        double t0 = Now();
        MatchSurfFeatures(gl, gr, (out + "/output_" + std::to_string(pass) + ".oto").c_str(), ws.scale);
        double whole = Now() - t0;
        printf("%d     %dx%d   %8.1f       %8.1f    %8.1f  %8d     %8d     %6d   (whole call %.1f ms)\n", pass,
               ws.width, ws.height, bestGrey, bestExtract, bestMatch, (int)fl.points.size(), (int)fr.points.size(),
               (int)pairs.size() / 2, whole);
        FreeDib(gl), FreeDib(gr);
    }
    FreeDib(left), FreeDib(right);
    return 0;
}
