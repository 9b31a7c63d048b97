// Decodes an MPEG video elementary stream to 24-bit RGB frames with one
// "simd" / "idct_func" choice and prints frames per second of process CPU
// time: every picture decoded, each output frame upsampled and converted,
// as the plug-in does for each frame it delivers. With "sum" after the
// passes it prints a checksum of every RGB frame instead of timing, so that
// a faster build can be shown to give the same output for each setting.
//
// usage: mpeg_decode_bench stream simd idct_func [passes [sum]]
#include "mpeg/frame_output.h"
#include "shared/wintypes.h"
#include "tests/mpeg/es_feeder.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <vector>

static double CpuSeconds()
{
#ifdef _WIN32
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto v = [](FILETIME f) { return ((double)f.dwHighDateTime * 4294967296.0 + f.dwLowDateTime) * 1e-7; };
    return v(k) + v(u);
#else
    struct timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
#endif
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s stream simd idct_func [passes]\n", argv[0]);
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> es;
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        es.insert(es.end(), buf, buf + n);
    fclose(f);
    EsFeederOptions opt;
    opt.simd = atoi(argv[2]);
    opt.idctFunc = atoi(argv[3]);
    int passes = argc > 4 ? atoi(argv[4]) : 1;
    bool sum = argc > 5 && strcmp(argv[5], "sum") == 0;
    uint64_t hash = 1469598103934665603ull; // FNV-1a
    std::vector<uint8_t> rgb;
    long frames = 0;
    double t0 = CpuSeconds();
    for (int p = 0; p < passes; p++) {
        EsFeeder feeder(es.data(), es.size(), opt);
        DecoderRoutines r = {};
        int cf = -1;
        feeder.Run([&](const FrameBuffer *fb, const SequenceRecord &seq, const PictureHeader &ph) {
            int c = ChromaFormatOf(&seq);
            if (c != cf) {
                r = SelectDecoderRoutines(opt.simd, opt.idctFunc, c);
                cf = c;
            }
            // The output stage works in place on a frame the stream object
            // owns; here the decoder's own buffer serves, as the reference
            // pictures' upsampled halves are not read by prediction.
            FrameBuffer *out = (FrameBuffer *)fb;
            if (ph.has_coding_extension && !ph.progressive_frame)
                r.upsampleInterlaced(out);
            else
                r.upsampleProgressive(out);
            OutputInfo info;
            ComputeOutputInfo(&seq, 1, 0, &info);
            info.pitch = 3 * info.width;
            rgb.resize((size_t)info.pitch * info.height);
            r.convert(out, out, rgb.data(), &info);
            if (sum)
                for (uint8_t b : rgb)
                    hash = (hash ^ b) * 1099511628211ull;
            frames++;
        });
        SimdLeaveMmx();
    }
    double t = CpuSeconds() - t0;
    if (sum) {
        printf("%ld frames sum %016llx\n", frames, (unsigned long long)hash);
        return frames ? 0 : 1;
    }
    printf("%ld frames %.3f s %.1f fps\n", frames, t, frames / t);
    return frames ? 0 : 1;
}
