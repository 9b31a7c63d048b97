// The settings record the kernel tests start from, and their fixture.
#ifndef TWR_TESTS_PIPELINE_KERNEL_SETTINGS_H
#define TWR_TESTS_PIPELINE_KERNEL_SETTINGS_H

#include "pipeline/compose.h"

#include <gtest/gtest.h>

// The two gammas and their tables.
inline void SetGammas(ComposeSettings *s, int left, int right)
{
    s->gammaLeft = left;
    s->gammaRight = right;
    BuildAnaglyphGammaTable(left, s->gammaTableLeft);
    BuildAnaglyphGammaTable(right, s->gammaTableRight);
}

// The program's start values: no trimming, the red-cyan variants, gamma
// 1.0, no mirror, a white key at tolerance 10, a soft border of 20, a blue
// frame border of 4, no iZ3D table.
inline ComposeSettings DefaultComposeSettings()
{
    ComposeSettings s = {};
    SetGammas(&s, 100, 100);
    s.chromaKey = RGB(255, 255, 255);
    s.chromaTolerance = 10;
    s.softBorderWidth = 20;
    s.frameWidth = 4;
    s.frameColour = 0xFF0000;
    return s;
}

class KernelTest : public testing::Test {
protected:
    ComposeSettings cs = DefaultComposeSettings();

    void SetGammas(int left, int right) { ::SetGammas(&cs, left, right); }
};

#endif
