// Fuzzes the own reader's index walks, the header read with its checks
// and the 3D-AVI probe with any bytes as a file: nothing may be read or
// written outside the file or the tables, and every walk must end.
#include "sources/avi_headers.h"
#include "sources/avi_index.h"

#include <stddef.h>
#include <stdint.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    AviMemory mem{data, size};
    AviByteSource src = AviMemorySource(&mem);
    ChunkTable video, audio;
    AviIndexTotals totals;
    const AviStreamChoice choices[] = {{0, 1, false}, {2, 1, false}, {1, 0, true}, {0, -1, true}};
    for (const AviStreamChoice &c : choices) {
        InitChunkTable(&video, 64, false);
        InitChunkTable(&audio, 0, true);
        int n = ReadOpenDmlIndexFrom(src, c, &video, &audio, &totals);
        if (n != video.count || n > 64)
            __builtin_trap();
        for (int i = 0; i < video.count; i++)
            if (video.entries[i].size && video.entries[i].Offset() + video.entries[i].size > size)
                __builtin_trap();
        ReadAviIndexFrom(src, c, &video, &audio, &totals);
        FreeChunkTable(&video);
        FreeChunkTable(&audio);
    }
    AviHeaders headers;
    if (ReadAviHeaders(src, &headers)) {
        CheckAviHeaders(headers);
        for (const AviStreamHeader &s : headers.streams)
            UncompressedFormatUsable(s.format.data(), s.format.size());
    }
    // Any bytes as a picture format.
    UncompressedFormatUsable(data, size);
    int h, v;
    ProbeStereoAviBytes(data, size < kProbeBytes ? size : (size_t)kProbeBytes, &h, &v);
    return 0;
}
