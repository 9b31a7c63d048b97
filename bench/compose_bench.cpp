// Times every composition kernel on one pair of frames: the median of
// repeated runs in milliseconds per frame, beside a plain copy of the
// output size (the floor no kernel can beat).
//
// compose_bench left.bgr right.bgr width height [runs [name-part]]
// The inputs are raw top-down BGR24 frames of the given size; with a name
// part only the cases whose names contain it run (and the copy floor).
#include "pipeline/compose.h"
#include "pipeline/compose_gdi.h"
#include "shared/global_memory.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

static PackedDib *LoadRaw(const char *path, int w, int h)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return nullptr;
    PackedDib *dib = CreateDib(w, h, 24, 0);
    std::vector<BYTE> row((size_t)w * 3);
    for (int y = 0; y < h; y++) {
        if (fread(row.data(), 1, row.size(), f) != row.size()) {
            fclose(f);
            FreeDib(dib);
            return nullptr;
        }
        memcpy(DibRow(dib, h - 1 - y), row.data(), row.size());
    }
    fclose(f);
    return dib;
}

static double MedianMs(int runs, const std::function<void()> &fn)
{
    fn();  // warm the caches and the one-time tables
    std::vector<double> t;
    for (int i = 0; i < runs; i++) {
        auto a = std::chrono::steady_clock::now();
        fn();
        auto b = std::chrono::steady_clock::now();
        t.push_back(std::chrono::duration<double, std::milli>(b - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

int main(int argc, char **argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: compose_bench left.bgr right.bgr width height [runs [name-part]]\n");
        return 2;
    }
    int w = atoi(argv[3]), h = atoi(argv[4]);
    int runs = argc > 5 ? atoi(argv[5]) : 25;
    const char *only = argc > 6 ? argv[6] : nullptr;
    PackedDib *left = LoadRaw(argv[1], w, h), *right = LoadRaw(argv[2], w, h);
    if (!left || !right) {
        fprintf(stderr, "cannot read the frames\n");
        return 1;
    }
    // The program's start values: gamma 1.0, red-cyan, a white key at
    // tolerance 10, a soft border of 20.
    ComposeSettings cs = {};
    cs.gammaLeft = cs.gammaRight = 100;
    BuildAnaglyphGammaTable(100, cs.gammaTableLeft);
    BuildAnaglyphGammaTable(100, cs.gammaTableRight);
    cs.chromaKey = RGB(255, 255, 255);
    cs.chromaTolerance = 10;
    cs.softBorderWidth = 20;
    cs.iz3dTable = LoadIZ3DTable();

    int m[4];
    ShiftToCropMargins(m, w, h, 16, 0, 0);
    int rw = w - m[0] - m[2], rh = h - m[1] - m[3];
    PackedDib *out = CreateDib(rw, rh, 24, 1);
    PackedDib *wide = CreateDib(2 * rw, rh, 24, 1);
    PackedDib *tall = CreateDib(rw, 2 * rh, 24, 1);
    std::vector<BYTE> copyDst((size_t)DibRowBytes(rw, 24) * rh);

    struct Case {
        const char *name;
        std::function<void()> run;
    };
    auto pair = [&](PackedDib *(*k)(const ComposeSettings &, PackedDib *, PackedDib *, PackedDib *, int, int, int, int),
                    PackedDib *o) {
        return [=, &cs] { k(cs, o, left, right, m[0], m[1], m[2], m[3]); };
    };
    std::vector<Case> cases = {
        {"copy floor (output size)", [&] { memcpy(copyDst.data(), FindDibBits(left), copyDst.size()); }},
        {"grey anaglyph red-cyan", pair(ComposeGreyAnaglyph, out)},
        {"grey anaglyph yellow-blue", pair(ComposeGreyAnaglyphYellowBlue, out)},
        {"fast grey anaglyph", pair(ComposeFastAnaglyph, out)},
        {"colour anaglyph red-cyan", pair(ComposeColourAnaglyph, out)},
        {"colour anaglyph yellow-blue", pair(ComposeColourAnaglyphYellowBlue, out)},
        {"row interlace", pair(ComposeInterlace, out)},
        {"column interlace", pair(ComposeColumnInterlace, out)},
        {"blend", pair(ComposeBlend, out)},
        {"chroma key", pair(ComposeChromaKey, out)},
        {"iZ3D (twice the width)", pair(ComposeIz3d, wide)},
        {"row interlace scaled to 3/4",
         [&] { FreeDib(ComposeInterlaceScaled(cs, left, right, m[0], m[1], m[2], m[3], rh * 3 / 4 & ~1)); }},
        {"side by side 1:1 (GDI)",
         [&] { ComposeSideBySide(cs, nullptr, wide, left, right, m[0], m[1], m[2], m[3], rw, rh, 0); }},
        {"over/under 1:1 (GDI)",
         [&] { ComposeOverUnder(cs, nullptr, tall, left, right, m[0], m[1], m[2], m[3], rw, rh, 0); }},
        {"soft border n=20", [&] { ApplySoftBorder(cs, left, right, m[0], m[1], m[2], m[3], 0); }},
        {"single-frame grey anaglyph", [&] { FreeDib(ComposeGreyAnaglyphSbs(cs, wide, 0, 0, 0, 0, 0, rw, 0, 0)); }},
        {"single-frame row interlace", [&] { FreeDib(ComposeInterlaceSbs(wide, 0, 0, 0, 0, 0, rw, 0)); }},
    };
    printf("%dx%d pair, region %dx%d, median of %d runs\n", w, h, rw, rh, runs);
    for (Case &c : cases)
        if (!only || strstr(c.name, only) || &c == &cases[0])
            printf("  %-32s %8.2f ms\n", c.name, MedianMs(runs, c.run));
    return 0;
}
