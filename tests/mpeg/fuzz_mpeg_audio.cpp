// Arbitrary bytes as Layer II frames and as a program stream with sound.
#include "mpeg/audio_stream.h"
#include "tests/mpeg/fuzz_scratch_file.h"

#include <stdio.h>
#include <string.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The frame decoder on every header found in the bytes.
    Layer2Synthesis s;
    ResetLayer2Synthesis(&s);
    short out[2 * kLayer2FrameSamples];
    for (size_t i = 0; i + 4 <= size; i++) {
        DWORD w = (DWORD)data[i] << 24 | data[i + 1] << 16 | data[i + 2] << 8 | data[i + 3];
        Layer2Header h;
        if (!ParseLayer2Header(w, &h))
            continue;
        int n = (int)(size - i - 4 < (size_t)h.frameLength - 4 ? size - i - 4 : (size_t)h.frameLength - 4);
        DecodeLayer2Frame(&h, data + i + 4, n, &s, out);
    }
    CountLayer2Frames(data, (int)size);

    static FuzzScratchFile file("fuzz_mpeg_audio");
    if (!file.Write(data, size))
        return 0;
    MpegAudioStream *a = OpenAudioStream(file.Path(), 0);
    if (!a)
        return 0;
    static BYTE buf[5000 * 4];
    long long total = a->sampleCount;
    long long positions[5] = {0, total / 2, total - 100, 1152 * 3, total / 3};
    for (long long p : positions)
        ReadAudioSamples(a, p, buf, 5000);
    for (long long p = 0; p < total && p < 200000; p += 5000)
        ReadAudioSamples(a, p, buf, 5000);
    CloseAudioStream(a);
    return 0;
}
