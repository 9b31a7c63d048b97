// The automatic alignment tests' media (made by make_media.sh before the
// tests run) and frames read from them.
#ifndef TWR_TESTS_ADJUST_ADJUST_MEDIA_H
#define TWR_TESTS_ADJUST_ADJUST_MEDIA_H

#include "tests/adjust/ppm_frames.h"
#include "tests/support/host_files.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

#ifndef TWR_ADJUST_MEDIA_DIR
#error "TWR_ADJUST_MEDIA_DIR names the media folder"
#endif

inline std::string AdjustMedia(const std::string &name) { return HostFile(TWR_ADJUST_MEDIA_DIR, name); }

#define REQUIRE_ADJUST_MEDIA()                                                       \
    do {                                                                             \
        FILE *stamp_ = fopen(AdjustMedia(".stamp").c_str(), "rb");                   \
        if (!stamp_)                                                                 \
            GTEST_SKIP() << "no test media (run through ctest)";                     \
        fclose(stamp_);                                                              \
    } while (0)

#endif
