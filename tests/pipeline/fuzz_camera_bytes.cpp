// Fuzzes what the camera files read from bytes they did not make
// themselves: the JPEG segment rewrite and repacks, and the 3DS date
// search and rewrite. Everything stays inside the input.
#include "pipeline/camera_files.h"
#include "pipeline/movie_date.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<BYTE> out;
    static const BYTE block[6] = {0xFF, 0xE1, 0, 4, 'E', 'X'};
    for (int mode : {2, 3})
        if (RewriteSegments(data, size, mode, block, sizeof block, &out) == 0 && out.size() > size + sizeof block)
            __builtin_trap();
    if (RepackAvi1Frame(data, size, &out) && (out.size() % 32 || out.size() + 430 < size))
        __builtin_trap();
    if (RepackPreviewJpeg(data, size, &out) && out.size() + 34 != size)
        __builtin_trap();
    std::vector<BYTE> area(data, data + size);
    MovieDate d;
    if (FindMovieDate(area.data(), area.size(), &d)) {
        if (RewriteMovieDates(area.data(), area.size(), MovieDate{2012, 3, 4, 5, 6, 7}) <= 0)
            __builtin_trap();
    }
    return 0;
}
