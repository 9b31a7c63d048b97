// The control-point loader and the whole fit on arbitrary files: the first
// bytes choose the frame size and the fit settings, the rest is the file.
#include "alignment/control_points.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"

#include <stdint.h>
#include <stdio.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6 || size > 16384)
        return 0;
    g_nImageWidth = 1 + (data[0] | (data[1] & 0x1F) << 8);
    g_nImageHeight = 1 + (data[2] | (data[3] & 0x1F) << 8);
    UnpackAdjustItems(data[4] & 1 ? 111111 : 111100);
    g_nAutopara = (data[4] >> 1) % 3;
    g_nDeviationMode = (data[4] >> 3) % 5;
    g_nDeviationPercent = data[5] * 2;
    g_nBarrel = data[5] & 1 ? 15100 : 5100;
    FILE *f = fmemopen((void *)(data + 6), size - 6, "r");
    if (!f)
        return 0;
    ReadControlPoints(f);
    fclose(f);
    FitLoadedControlPoints();
    return 0;
}
