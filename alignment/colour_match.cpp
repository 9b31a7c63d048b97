#include "alignment/colour_match.h"

#include "state/app_state.h"

#include <string.h>

namespace {

bool Matchable(const PackedDib *a, const PackedDib *b)
{
    return a && b && DibBitCount(a) == 24 && DibBitCount(b) == 24 && a->biCompression == BI_RGB &&
           b->biCompression == BI_RGB && DibWidth(a) == DibWidth(b) && DibHeight(a) == DibHeight(b) &&
           DibWidth(a) > 0 && DibHeight(a) > 0;
}

// Pixels per level of each channel (blue, green, red) over the whole frame.
void CountLevels(const PackedDib *frame, unsigned counts[3][256])
{
    memset(counts, 0, sizeof(unsigned) * 3 * 256);
    const int w = DibWidth(frame), h = DibHeight(frame);
    for (int y = 0; y < h; y++) {
        const BYTE *p = DibRow(frame, y);
        for (int x = 0; x < w; x++, p += 3) {
            counts[0][p[0]]++;
            counts[1][p[1]]++;
            counts[2][p[2]]++;
        }
    }
}

// The level maps (target level -> new level; blue, green, red) from the two
// frames' histograms. False for frames that cannot be matched.
bool BuildColourMaps(const PackedDib *reference, const PackedDib *target, BYTE maps[3][256])
{
    if (!Matchable(reference, target))
        return false;
    unsigned ref[3][256], tgt[3][256];
    CountLevels(reference, ref);
    CountLevels(target, tgt);
    memset(maps, 0, 3 * 256);
    // One sweep over the reference levels: a target level t goes to the
    // first reference level j whose running total exceeds the target pixels
    // below t. Counts stay below 2^32: a frame has at most 32767^2 pixels.
    for (int c = 0; c < 3; c++) {
        unsigned r = 0, t = 0;
        int next = 0;
        for (int j = 0; j < 256; j++) {
            r += ref[c][j];
            while (t < r && next < 256) {
                maps[c][next] = (BYTE)j;
                t += tgt[c][next];
                next++;
            }
        }
    }
    return true;
}

} // namespace

int MatchColours(PackedDib *left, PackedDib *right)
{
    PackedDib *reference = left, *target = right;
    if (g_nAutoColour != 1) {
        reference = right;
        target = left;
    }
    BYTE maps[3][256];
    if (!BuildColourMaps(reference, target, maps))
        return 0;
    const int w = DibWidth(target), h = DibHeight(target);
    for (int y = 0; y < h; y++) {
        BYTE *p = DibRow(target, y);
        for (int x = 0; x < w; x++, p += 3) {
            p[0] = maps[0][p[0]];
            p[1] = maps[1][p[1]];
            p[2] = maps[2][p[2]];
        }
    }
    return 0;
}
