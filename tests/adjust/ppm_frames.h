// Frames read from binary PPM files (ImageMagick's output).
#ifndef TWR_TESTS_ADJUST_PPM_FRAMES_H
#define TWR_TESTS_ADJUST_PPM_FRAMES_H

#include "tests/test_frames.h"

#include <stdio.h>
#include <string>

// A binary PPM (P6, 8 bits) as a bottom-up 24-bit frame; null when it
// cannot be read.
inline DibPtr LoadPpm(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return nullptr;
    int w = 0, h = 0, max = 0;
    DibPtr d;
    if (fscanf(f, "P6 %d %d %d", &w, &h, &max) == 3 && max == 255 && fgetc(f) != EOF) {
        d.reset(CreateDib(w, h, 24, 1));
        for (int y = 0; d && y < h; y++) {
            BYTE *row = DibRow(d.get(), h - 1 - y);
            for (int x = 0; x < w; x++) {
                BYTE rgb[3];
                if (fread(rgb, 1, 3, f) != 3) {
                    d.reset();
                    break;
                }
                row[3 * x] = rgb[2], row[3 * x + 1] = rgb[1], row[3 * x + 2] = rgb[0];
            }
        }
    }
    fclose(f);
    return d;
}

#endif
