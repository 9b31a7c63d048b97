// The easy-adjustment preview rebuilt after one slider step: both grey eye
// copies turned by 1.5 degrees and enlarged by 20 per mille (the turn first,
// as for every enlargement), then composed as the anaglyph view at an offset
// (scaled with the copies, as the dialog scales it). The grey copies are
// made once, as the dialog makes them when it opens: at the size the frame
// is shown at. Prints the median of the rebuilds in milliseconds, the
// fastest beside it, and the share of each step.
//   adjust_preview_bench FRAME.bgr24 WIDTH HEIGHT [REBUILDS] [nearest]
// (the frame top-down, WIDTH x HEIGHT; "nearest" samples as "実寸表示" does)
#include "alignment/adjust_preview.h"
#include "state/app_state.h"

#include <algorithm>
#include <chrono>
#include <vector>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

int s_width = 1920, s_height = 1080;
const int kRotation = 15, kSize = 20;
// Offsets of a 1920 x 1080 frame, scaled with the copies.
int s_offsetX = 24, s_offsetY = -6;

double Now()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

PackedDib *LoadFrame(const char *path)
{
    PackedDib *dib = CreateDib(s_width, s_height, 24, 0);
    FILE *f = fopen(path, "rb");
    if (!dib || !f)
        return nullptr;
    for (int r = s_height - 1; r >= 0; r--)
        if (fread(DibRow(dib, r), 3, s_width, f) != (size_t)s_width)
            return nullptr;
    fclose(f);
    return dib;
}

double Median(std::vector<double> t)
{
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return fprintf(stderr, "usage: adjust_preview_bench FRAME.bgr24 WIDTH HEIGHT [REBUILDS] [nearest]\n"), 2;
    s_width = atoi(argv[2]);
    s_height = atoi(argv[3]);
    if (s_width < 16 || s_height < 16)
        return fprintf(stderr, "bad size\n"), 2;
    s_offsetX = (int)(24.0 * s_width / 1920 + 0.5);
    s_offsetY = -(int)(6.0 * s_height / 1080 + 0.5);
    const int rebuilds = argc > 4 ? atoi(argv[4]) : 20;
    const int nearest = argc > 5 && !strcmp(argv[5], "nearest") ? 1 : 0;
    SetStartValues();
    PackedDib *frame = LoadFrame(argv[1]);
    if (!frame)
        return fprintf(stderr, "cannot read %s\n", argv[1]), 1;
    PackedDib *greyL = MakeGreyDib(frame, 256), *greyR = MakeGreyDib(frame, 256);
    const AdjustPreviewRequest request = {nearest, 0, 0, 272};

    std::vector<double> total, warp, zoom, compose;
    unsigned check = 0;
    for (int i = 0; i < rebuilds; i++) {
        const double t0 = Now();
        PackedDib *wl = WarpPreviewImage(greyL, kRotation, 0, 0, 0, 0, request);
        PackedDib *wr = WarpPreviewImage(greyR, kRotation, 0, 0, 0, 0, request);
        const double t1 = Now();
        PackedDib *zl = ZoomPreviewImage(wl, 1000 + kSize), *zr = ZoomPreviewImage(wr, 1000 + kSize);
        const double t2 = Now();
        PreviewOrigins origins;
        PackedDib *out = ComposeAdjustPreview(zl, zr, s_offsetX, s_offsetY, kPreviewAnaglyph, &origins);
        const double t3 = Now();
        total.push_back(t3 - t0);
        warp.push_back(t1 - t0);
        zoom.push_back(t2 - t1);
        compose.push_back(t3 - t2);
        check += FindDibBits(out)[(s_height / 2) * DibRowBytes(DibWidth(out), 24) + 3 * (s_width / 2)];
        FreeDib(out);
        FreeDib(zl);
        FreeDib(zr);
        FreeDib(wl);
        FreeDib(wr);
    }
    std::vector<double> sorted = total;
    std::sort(sorted.begin(), sorted.end());
    printf("%4dx%-4d %-8s %7.2f ms (median of %d, fastest %.2f): warps %.2f, zooms %.2f, anaglyph %.2f\n", s_width, s_height,
           nearest ? "nearest" : "bilinear", Median(total), rebuilds, sorted[0], Median(warp), Median(zoom),
           Median(compose));
    fprintf(stderr, "(check %u)\n", check);
    FreeDib(greyL);
    FreeDib(greyR);
    FreeDib(frame);
    return 0;
}
