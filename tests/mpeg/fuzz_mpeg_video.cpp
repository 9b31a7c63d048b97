// Arbitrary bytes as an MPEG file for the video stream object: opened with
// the index chosen by the first byte, then frames fetched in an order taken
// from the input (random seeks, backward steps, beyond the end), read as
// RGB rows with and without field pairing.
#include "mpeg/settings_store.h"
#include "mpeg/video_stream.h"
#include "tests/mpeg/fuzz_scratch_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

// Pictures past a quarter million samples only make the run slow and its
// memory large (the decoder's own limits are tested elsewhere): inputs
// whose sequence headers or extensions name such sizes are passed over.
static bool HasLargeSequence(const uint8_t *d, size_t n)
{
    for (size_t i = 0; i + 7 <= n; i++) {
        if (d[i] != 0 || d[i + 1] != 0 || d[i + 2] != 1)
            continue;
        if (d[i + 3] == 0xB3) {
            int w = d[i + 4] << 4 | d[i + 5] >> 4, h = (d[i + 5] & 15) << 8 | d[i + 6];
            if ((long long)(w + 15) * (h + 31) > 512 * 512)
                return true;
        } else if (d[i + 3] == 0xB5 && (d[i + 4] >> 4) == 1) {
            // sequence extension: horizontal and vertical size extensions
            int hx = (d[i + 5] & 1) << 1 | d[i + 6] >> 7, vx = (d[i + 6] >> 5) & 3;
            if (hx || vx)
                return true;
        }
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4 || HasLargeSequence(data, size))
        return 0;
    static FuzzScratchFile file("fuzz_mpeg_video", ".mpg");
    if (!file.Write(data + 1, size - 1))
        return 0;
    int mode = data[0];
    StoreDecoderDword("gl", kGlNoFile | (mode & kGlNoTimecodeIndex));
    StoreDecoderDword("field_order", (mode >> 2) & 3);
    StoreDecoderDword("aspect_ratio", (mode >> 4) & 1);
    StoreDecoderDword("simd", (mode >> 5) & 7);
    StoreDecoderDword("limit", 0x10000);
    MpegVideoStream *s = OpenVideoStream(file.Path());
    if (!s)
        return 0;
    std::vector<uint8_t> rgb((size_t)s->outWidth * s->outHeight * 3 + 16);
    // Requests from the input's last bytes, spread over the frame range.
    unsigned state = 2166136261u;
    for (size_t i = 0; i < size; i += 1 + size / 64)
        state = (state ^ data[i]) * 16777619u;
    long long count = s->frameCount;
    for (int k = 0; k < 12; k++) {
        state = state * 1103515245u + 12345u;
        long long n = (long long)(state >> 8) % (count + 3) - 1;
        if (k & 1) {
            GetVideoFrame(s, n);
            GetFrameCodingType(s, n - 1);
        } else {
            ReadVideoFrameRgb24(s, n, rgb.data(), s->outWidth * 3);
        }
    }
    CloseVideoStream(s);
    return 0;
}
