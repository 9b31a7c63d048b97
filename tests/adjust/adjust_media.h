// The automatic alignment tests' media (made by make_media.sh before the
// tests run) and frames read from them.
#ifndef TWR_TESTS_ADJUST_ADJUST_MEDIA_H
#define TWR_TESTS_ADJUST_ADJUST_MEDIA_H

#include "tests/test_frames.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

#ifndef TWR_ADJUST_MEDIA_DIR
#error "TWR_ADJUST_MEDIA_DIR names the media folder"
#endif

// A build-tree path as the program sees it: through drive Z: under Wine.
inline std::string HostPath(const std::string &p)
{
#ifdef _WIN32
    std::string w = "Z:";
    for (char c : p)
        w += c == '/' ? '\\' : c;
    return w;
#else
    return p;
#endif
}

inline std::string AdjustMedia(const std::string &name) { return HostPath(std::string(TWR_ADJUST_MEDIA_DIR) + "/" + name); }

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

#define REQUIRE_ADJUST_MEDIA()                                                       \
    do {                                                                             \
        FILE *stamp_ = fopen(AdjustMedia(".stamp").c_str(), "rb");                   \
        if (!stamp_)                                                                 \
            GTEST_SKIP() << "no test media (run through ctest)";                     \
        fclose(stamp_);                                                              \
    } while (0)

#endif
