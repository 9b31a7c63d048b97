// The first open of a long MPEG stream: the full GOP-list scan (and the
// ".gl" file it writes), then the open that reads the file back, and the
// time-code count. Prints CPU seconds and frames.
#include "bench/bench_cpu_time.h"
#include "mpeg/gop_index.h"

#include <stdio.h>
#include <stdlib.h>

#include <chrono>

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: mpeg_index_bench movie\n");
        return 2;
    }
    const char *path = argv[1];
    VideoBitReader *v = (VideoBitReader *)calloc(1, sizeof(VideoBitReader));
    VideoSourceOptions o = {0x800000, 0};
    auto w0 = std::chrono::steady_clock::now();
    double t0 = CpuSeconds();
    if (!OpenVideoSource(v, path, &o)) {
        fprintf(stderr, "cannot open %s\n", path);
        return 1;
    }
    GopList *list = BuildGopList(v, 1, nullptr, nullptr);
    if (!list) {
        fprintf(stderr, "scan failed\n");
        return 1;
    }
    char gl[260];
    StreamFingerprint fp;
    GopListFileName(path, gl);
    ComputeStreamFingerprint(path, 0, &fp);
    WriteGopListFile(list, gl, &fp);
    double t1 = CpuSeconds();
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
    printf("  %-40s %8.3f s CPU %8.3f s wall  %lld frames, %d GOPs, %.1f MB\n", "first open: GOP-list scan + .gl",
           t1 - t0, wall, list->totalFrames, list->gopCount, v->streamSize / 1e6);
    StreamFingerprint fp2;
    ComputeStreamFingerprint(path, 0, &fp2);
    GopList *back = ReadGopListFile(gl, v->streamSize, &fp2);
    double t2 = CpuSeconds();
    printf("  %-40s %8.3f s  %lld frames\n", "next open: .gl read and checked", t2 - t1, back ? back->totalFrames : -1);
    SeekVideo(v, 0, 0);
    NextVideoStartCode(v);
    SequenceRecord seq;
    ParseSequenceHeader(v, &seq);
    TimecodeIndex *t = NewTimecodeIndex(v, &seq, 1);
    long long n = CountFramesByTimecode(t);
    double t3 = CpuSeconds();
    printf("  %-40s %8.3f s  %lld frames\n", "time-code count (when regular)", t3 - t2, n);
    FreeTimecodeIndex(t);
    FreeGopList(back);
    FreeGopList(list);
    CloseVideoSource(v);
    free(v);
    return 0;
}
