// Arbitrary bytes as a video stream for the GOP list scan and the time-code
// index, and as a ".gl" file to read.
#include "mpeg/gop_index.h"
#include "tests/mpeg/fuzz_scratch_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzScratchFile file("fuzz_mpeg_gop");
    static std::string gl = file.Beside(".gl");
    if (!file.Write(data, size))
        return 0;
    const char *path = file.Path();
    StreamFingerprint fp;
    if (!ComputeStreamFingerprint(path, 0, &fp))
        return 0;
    // The input read as a ".gl" file, against its own size.
    GopList *read = ReadGopListFile(path, (long long)size, &fp);
    if (read) {
        FindGopInList(read, read->totalFrames / 2);
        FreeGopList(read);
    }
    static VideoBitReader *v = (VideoBitReader *)malloc(sizeof(VideoBitReader));
    memset(v, 0, sizeof(*v));
    VideoSourceOptions o = {0x10000, 0};
    if (!OpenVideoSource(v, path, &o))
        return 0;
    GopList *list = BuildGopList(v, 1, nullptr, nullptr);
    if (list) {
        for (long long n = -1; n <= list->totalFrames; n += 1 + list->totalFrames / 7)
            FindGopInList(list, n);
        if (WriteGopListFile(list, gl.c_str(), &fp)) {
            GopList *back = ReadGopListFile(gl.c_str(), list->streamSize, &fp);
            if (!back || back->totalFrames != list->totalFrames || back->gopCount != list->gopCount)
                abort();
            FreeGopList(back);
        }
        // A list the scan made leads to what it recorded.
        if (v->sourceKind == kVideoSourceFile && !GopListMatchesStream(list, v))
            abort();
        FreeGopList(list);
    }
    SeekVideo(v, 0, 0);
    SequenceRecord seq;
    bool haveSeq = false;
    for (int i = 0; i < 100 && NextVideoStartCode(v); i++) {
        if (PeekVideoBits(v, 32) == kSequenceHeaderCode) {
            haveSeq = ParseSequenceHeader(v, &seq) != 0;
            break;
        }
        SkipVideoBits(v, 32);
    }
    if (haveSeq) {
        TimecodeIndex *t = NewTimecodeIndex(v, &seq, 1);
        long long total = CountFramesByTimecode(t);
        for (long long n = 0; n < total && n < 2000; n += 1 + total / 5)
            FindGopByTimecode(t, n);
        FreeTimecodeIndex(t);
    }
    CloseVideoSource(v);
    return 0;
}
