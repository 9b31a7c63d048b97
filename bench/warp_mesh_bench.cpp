// Warping a 1920 x 1080 eye frame through a rotation + perspective mesh,
// nearest and bilinear, and the per-frame budget of an aligned pair (two
// warps and one composition). Prints milliseconds per frame; with
// "corners" it prints the mesh's source corners instead, so that the
// benchmark script can give ffmpeg's perspective filter the same warp.
//   warp_mesh_bench FRAME.bgr24 FRAMES [corners]
#include "alignment/displacement_mesh.h"
#include "pipeline/compose_settings.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"

#include <algorithm>
#include <chrono>
#include <vector>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int kW = 1920, kH = 1080;
const int kRotation = 15, kPerspectiveV = 30, kPerspectiveH = -20;

double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

PackedDib *LoadFrame(const char *path)
{
    PackedDib *dib = CreateDib(kW, kH, 24, 0);
    FILE *f = fopen(path, "rb");
    if (!dib || !f)
        return nullptr;
    // Top-down rows on file, bottom-up in the frame.
    for (int r = kH - 1; r >= 0; r--)
        if (fread(DibRow(dib, r), 3, kW, f) != (size_t)kW)
            return nullptr;
    fclose(f);
    return dib;
}

// The machines these run on are shared: each figure is the median of the
// frames' times, with the fastest frame beside it.
struct Times {
    double median, best;
};

Times Summarise(std::vector<double> t)
{
    std::sort(t.begin(), t.end());
    return {t[t.size() / 2], t[0]};
}

Times TimeWarp(const DisplacementMesh *mesh, const PackedDib *frame, int frames, unsigned *check)
{
    std::vector<double> t;
    for (int i = 0; i < frames; i++) {
        const double start = Now();
        PackedDib *out = WarpDibByMesh(mesh, frame);
        t.push_back(Now() - start);
        *check += FindDibBits(out)[(kH / 2) * DibRowBytes(kW, 24) + 3 * (kW / 2)];
        FreeDib(out);
    }
    return Summarise(t);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return fprintf(stderr, "usage: warp_mesh_bench FRAME.bgr24 FRAMES [corners]\n"), 2;
    const int frames = atoi(argv[2]);
    PackedDib *frame = LoadFrame(argv[1]);
    if (!frame)
        return fprintf(stderr, "cannot read %s\n", argv[1]), 1;

    double start = Now();
    DisplacementMesh *id = AllocMesh(kW, kH);
    InitIdentityMesh(id);
    DisplacementMesh *mesh = BuildCorrectionMesh(id, 0, kRotation, kPerspectiveV, kPerspectiveH, 0, 0, 0, 0);
    const double build = Now() - start;
    FreeMesh(id);
    if (!mesh)
        return fprintf(stderr, "no mesh\n"), 1;

    if (argc > 3 && !strcmp(argv[3], "corners")) {
        // Output corners top-left, top-right, bottom-left, bottom-right
        // (top-down) and where they come from in the source.
        const int pts[4][2] = {{0, kH - 1}, {kW - 1, kH - 1}, {0, 0}, {kW - 1, 0}};
        for (const auto &p : pts) {
            const int32_t *m = MeshPoint(mesh, p[0], p[1]);
            printf("%.2f %.2f ", m[0] / 1024.0, kH - 1 - m[1] / 1024.0);
        }
        printf("\n");
        return 0;
    }

    unsigned check = 0;
    g_bResample = 0;
    const Times nearest = TimeWarp(mesh, frame, frames, &check);
    g_bResample = 1;
    const Times bilinear = TimeWarp(mesh, frame, frames, &check);

    // The per-frame work of an aligned pair: both eyes warped, then composed.
    PackedDib *out = CreateDib(kW, kH, 24, 0);
    const ComposeSettings cs = ComposeSettingsFromState();
    std::vector<double> t;
    for (int i = 0; i < frames; i++) {
        const double start = Now();
        PackedDib *l = WarpDibByMesh(mesh, frame), *r = WarpDibByMesh(mesh, frame);
        ComposeColourAnaglyph(cs, out, l, r, 0, 0, 0, 0);
        t.push_back(Now() - start);
        check += FindDibBits(out)[0];
        FreeDib(l);
        FreeDib(r);
    }
    const Times pair = Summarise(t);

    printf("mesh %dx%d (rotation %.1f, perspective %.1f / %.1f degrees) built in %.1f ms\n", kW, kH,
           kRotation / 10.0, kPerspectiveV / 10.0, kPerspectiveH / 10.0, build);
    printf("warp nearest   %7.2f ms/frame (fastest %.2f)\n", nearest.median, nearest.best);
    printf("warp bilinear  %7.2f ms/frame (fastest %.2f)\n", bilinear.median, bilinear.best);
    printf("two bilinear warps + colour anaglyph %7.2f ms/frame (fastest %.2f; %.0f%% of a 30 fps frame)\n",
           pair.median, pair.best, pair.median / (1000.0 / 30) * 100);
    fprintf(stderr, "(check %u)\n", check);
    FreeDib(out);
    FreeMesh(mesh);
    FreeDib(frame);
    return 0;
}
