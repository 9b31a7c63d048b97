// Arbitrary bytes as the input of the cutter (elementary or program
// stream), cut over a range taken from the first bytes.
#include "mpeg/mpeg_cutter.h"
#include "tests/mpeg/fuzz_scratch_file.h"

#include <stdio.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    static FuzzScratchFile in("fuzz_mpeg_cut", ".mpg");
    static std::string out = in.Beside(".out.mpg");
    if (!in.Write(data + 2, size - 2))
        return 0;
    MpegCutter *c = PrepareMpegCut(in.Path(), 0);
    if (!c)
        return 0;
    long long first = data[0] % 40, end = first + 1 + data[1] % 60;
    RunMpegCut(c, out.c_str(), first, end);
    CloseMpegCut(c);
    remove(out.c_str());
    return 0;
}
