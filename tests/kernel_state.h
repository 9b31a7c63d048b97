// Puts the state the kernels read into its start values for each test.
#ifndef TWR_TESTS_KERNEL_STATE_H
#define TWR_TESTS_KERNEL_STATE_H

#include "pipeline/compose.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/pipeline_state.h"

#include <gtest/gtest.h>

class KernelTest : public testing::Test {
protected:
    void SetUp() override { ResetKernelState(); }
    void TearDown() override { ResetKernelState(); }

    static void SetGammas(int left, int right)
    {
        g_nGmmar = left;
        g_nGmmab = right;
        BuildAnaglyphGammaTable(left, g_aGammaRed);
        BuildAnaglyphGammaTable(right, g_aGammaBlue);
    }

    static void ResetKernelState()
    {
        g_nTrimState = 0;
        g_rcTrim = {0, 0, 0, 0};
        g_nAnatype = g_nAnactype = 0;
        g_nMirror = 0;
        g_bAllFrameAdjust = 0;
        g_nBordwf = 20;
        g_nWaku = 4;
        g_dwWCOL = 0xFF0000;
        g_rgbChromaKey = RGB(255, 255, 255);
        g_nChromaTolerance = 10;
        SetGammas(100, 100);
    }
};

#endif
