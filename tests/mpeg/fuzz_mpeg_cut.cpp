// Arbitrary bytes as the input of the cutter (elementary or program
// stream), cut over a range taken from the first bytes.
#include "mpeg/mpeg_cutter.h"

#include <stdio.h>
#include <unistd.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    static std::string in = "/tmp/fuzz_mpeg_cut." + std::to_string(getpid()) + ".mpg";
    static std::string out = in + ".out.mpg";
    FILE *f = fopen(in.c_str(), "wb");
    if (!f)
        return 0;
    fwrite(data + 2, 1, size - 2, f);
    fclose(f);
    MpegCutter *c = PrepareMpegCut(in.c_str(), 0);
    if (!c)
        return 0;
    long long first = data[0] % 40, end = first + 1 + data[1] % 60;
    RunMpegCut(c, out.c_str(), first, end);
    CloseMpegCut(c);
    remove(out.c_str());
    return 0;
}
