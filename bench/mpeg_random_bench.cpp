// Random access into a long MPEG stream through the video stream object:
// the first open (with the settings in force: the time-code index where
// the stream allows it, else the GOP-list scan and its ".gl" file), then
// frames fetched in the order given and converted to 24-bit RGB. Prints
// CPU seconds; with an output folder, writes the luma of every frame asked
// (top row first) for the script to compare with ffmpeg's (time it without).
//
//   mpeg_random_bench movie simd idct gl frames-file [out-folder]
#include "bench/bench_cpu_time.h"
#include "mpeg/settings_store.h"
#include "mpeg/video_stream.h"

#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: mpeg_random_bench movie simd idct gl frames-file [out-folder]\n");
        return 2;
    }
    StoreDecoderDword("simd", (DWORD)atoi(argv[2]));
    StoreDecoderDword("idct_func", (DWORD)atoi(argv[3]));
    StoreDecoderDword("gl", (DWORD)atoi(argv[4]));
    std::vector<long long> frames;
    if (FILE *f = fopen(argv[5], "r")) {
        long long n;
        while (fscanf(f, "%lld", &n) == 1)
            frames.push_back(n);
        fclose(f);
    }
    auto w0 = std::chrono::steady_clock::now();
    double t0 = CpuSeconds();
    MpegVideoStream *s = OpenVideoStream(argv[1]);
    double t1 = CpuSeconds();
    double openWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
    if (!s) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    printf("open %.3f s CPU %.3f s wall, %lld frames, %s index\n", t1 - t0, openWall, s->frameCount,
           s->usesGopList ? "GOP-list" : "time-code");
    int w = s->outWidth, h = s->outHeight, pitch = 3 * w;
    std::vector<BYTE> rgb((size_t)pitch * h);
    auto w1 = std::chrono::steady_clock::now();
    double t2 = CpuSeconds();
    int failed = 0, written = 0;
    for (size_t i = 0; i < frames.size(); i++) {
        if (!ReadVideoFrameRgb24(s, frames[i], rgb.data(), pitch)) {
            failed++;
            continue;
        }
        if (argc > 6) {
            // The luma as decoded (the frame is in the cache now).
            const FrameCacheEntry *e = GetVideoFrame(s, frames[i]);
            char name[600];
            snprintf(name, sizeof name, "%s\\ours-%lld.y", argv[6], frames[i]);
            FILE *f = e ? fopen(name, "wb") : nullptr;
            if (f) {
                for (int r = 0; r < h && r < e->fb->height; r++)
                    fwrite(e->fb->y + (size_t)r * e->fb->width, 1, (size_t)(w < e->fb->width ? w : e->fb->width), f);
                fclose(f);
                written++;
            }
        }
    }
    double t3 = CpuSeconds();
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - w1).count();
    printf("frames %zu in %.3f s CPU %.3f s wall, %lld seeks, %d failed\n", frames.size(), t3 - t2, wall, s->seeks,
           failed);
    CloseVideoStream(s);
    for (const char *name : {"simd", "idct_func", "gl"})
        DeleteDecoderValue(name);
    return 0;
}
