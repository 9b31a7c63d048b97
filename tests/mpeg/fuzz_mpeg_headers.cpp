// Arbitrary bytes as a video stream: every sequence and picture header in
// it is parsed, and the output information derived.
#include "mpeg/video_headers.h"
#include "tests/mpeg/fuzz_scratch_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzScratchFile file("fuzz_mpeg_headers");
    if (!file.Write(data, size))
        return 0;
    static VideoBitReader *v = (VideoBitReader *)malloc(sizeof(VideoBitReader));
    memset(v, 0, sizeof(*v));
    VideoSourceOptions o = {0x10000, 0};
    if (!OpenVideoSource(v, file.Path(), &o))
        return 0;
    SequenceRecord seq = {};
    int steps = 0;
    while (steps++ < 10000 && NextVideoStartCode(v)) {
        unsigned code = PeekVideoBits(v, 32);
        if (code == kSequenceHeaderCode) {
            if (ParseSequenceHeader(v, &seq)) {
                OutputInfo out;
                ComputeOutputInfo(&seq, steps & 1, steps % 9, &out);
                DWORD rate, scale;
                PictureRate(&seq, &rate, &scale);
                short m[4][64];
                SequenceQuantiserMatrices(&seq, m);
            }
        } else if (code == kPictureStartCode) {
            PictureHeader pic;
            if (ParsePictureHeader(v, &pic)) {
                short m[4][64];
                SequenceQuantiserMatrices(&seq, m);
                ApplyPictureQuantiserMatrices(&pic, m);
                FrameRecord rec;
                FillFrameRecord(&pic, &rec);
            }
        } else {
            SkipVideoBits(v, 32);
        }
        if (steps % 97 == 0)
            RewindToPreviousStartCode(v), SkipVideoBits(v, 32);
    }
    CloseVideoSource(v);
    return 0;
}
