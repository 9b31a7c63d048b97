// Layer II decoding speed: a raw stream decoded frame by frame, and a
// program stream's sound read through the audio stream by position.
#include "bench/bench_cpu_time.h"
#include "mpeg/audio_stream.h"

#include <stdio.h>
#include <stdlib.h>

#include <vector>

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: mpeg_audio_bench raw.mp2 program.mpg\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f)
        return 1;
    std::vector<BYTE> d;
    BYTE buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        d.insert(d.end(), buf, buf + n);
    fclose(f);
    Layer2Synthesis s;
    ResetLayer2Synthesis(&s);
    static short out[2 * kLayer2FrameSamples];
    double t0 = CpuSeconds();
    long long samples = 0;
    int rate = 0;
    for (size_t i = 0; i + 4 <= d.size();) {
        DWORD w = (DWORD)d[i] << 24 | d[i + 1] << 16 | d[i + 2] << 8 | d[i + 3];
        Layer2Header h;
        if (!ParseLayer2Header(w, &h) || i + h.frameLength > d.size()) {
            i++;
            continue;
        }
        DecodeLayer2Frame(&h, d.data() + i + 4, h.frameLength - 4, &s, out);
        samples += kLayer2FrameSamples;
        rate = h.samplingRate;
        i += h.frameLength;
    }
    double t1 = CpuSeconds();
    printf("  %-40s %8.3f s  %.1f s of sound, %.0fx real time\n", "raw Layer II frames", t1 - t0,
           (double)samples / rate, samples / (double)rate / (t1 - t0));
    MpegAudioStream *a = OpenAudioStream(argv[2], 0);
    if (!a)
        return 1;
    std::vector<BYTE> pcm(48000 * 4);
    long long total = 0;
    for (long long p = 0;; p += 48000) {
        int got = ReadAudioSamples(a, p, pcm.data(), 48000);
        total += got;
        if (got < 48000)
            break;
    }
    double t2 = CpuSeconds();
    printf("  %-40s %8.3f s  %.1f s of sound, %.0fx real time\n", "program stream through ReadAudioSamples", t2 - t1,
           (double)total / a->rate, total / (double)a->rate / (t2 - t1));
    CloseAudioStream(a);
    return 0;
}
