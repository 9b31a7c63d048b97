#include "sources/movie_records.h"
#include "state/app_state.h"

#include "state/pipeline_state.h"

#include <gtest/gtest.h>

TEST(AppState, StartValues)
{
    ResetMovieRecords();
    SetStartValues();
    EXPECT_EQ(g_pLeft, &g_leftMovie);
    EXPECT_EQ(g_pRight, &g_rightMovie);
    EXPECT_EQ(g_pThird, &g_thirdMovie);
    EXPECT_EQ(g_stereoPair.pLeft, g_pLeft);
    EXPECT_EQ(g_stereoPair.pRight, g_pRight);
    EXPECT_EQ(g_leftMovie.hFile, -1);
    EXPECT_EQ(g_leftMovie.nStep, 1);
    EXPECT_EQ(g_nDisplayMode, 5);
    EXPECT_EQ(g_nZoom, 100);
    EXPECT_EQ(g_nSaveWidth, 720);
    EXPECT_EQ(g_nSaveHeight, 480);
    EXPECT_EQ(g_nShownWidth, 720);
    EXPECT_EQ(g_nViewScale, 100);
    EXPECT_EQ(g_n3DWidth, 640);
    EXPECT_EQ(g_n3DBits, 16);
    EXPECT_EQ(g_n3DBpp, 2);
    EXPECT_EQ(g_bSound1, 1);
    EXPECT_EQ(g_nMovrate, 30);
    EXPECT_EQ(g_dwWCOL, 0xFF0000u);
    EXPECT_EQ(g_bSavePreview, 1);
    EXPECT_EQ(g_nJpegQuality, 75);
    EXPECT_EQ(g_rgbChromaKey, RGB(255, 255, 255));
    EXPECT_STREQ(g_szAutoColourLabel[1], " (AC_L)");
    EXPECT_EQ(g_blendTable[255 * 256 + 255], 255);
    EXPECT_EQ(g_blendTable[128 * 256 + 100], 128 * 100 / 255);
}

TEST(AppState, MemoryBudget)
{
    EXPECT_EQ(MemoryBudgetFromPhysical(32000000), 16000000);
    EXPECT_EQ(MemoryBudgetFromPhysical(100000000), 25000000);
    EXPECT_EQ(MemoryBudgetFromPhysical(16ull << 30), 64000000);
}

TEST(AppState, ExchangeTwiceRestoresThePair)
{
    ResetMovieRecords();
    SetStartValues();
    g_nShiftX = 12;
    g_nShiftY = -3;
    g_nTurnL = 1;
    g_nTurnR = 4;
    g_leftMovie.nStart = 7;
    g_leftMovie.nLayout = 10;
    ExchangeLeftRight();
    EXPECT_EQ(g_bSwapped, 1);
    EXPECT_EQ(g_pLeft, &g_rightMovie);
    EXPECT_EQ(g_pRight, &g_leftMovie);
    EXPECT_EQ(g_stereoPair.pLeft, &g_rightMovie);
    EXPECT_EQ(g_nShiftX, -12);
    EXPECT_EQ(g_nShiftY, 3);
    EXPECT_EQ(g_nTurnL, 4);
    EXPECT_EQ(g_nTurnR, 1);
    // The records keep their start offsets and layouts.
    EXPECT_EQ(g_leftMovie.nStart, 7);
    EXPECT_EQ(g_leftMovie.nLayout, 10);
    ExchangeLeftRight();
    EXPECT_EQ(g_bSwapped, 0);
    EXPECT_EQ(g_pLeft, &g_leftMovie);
    EXPECT_EQ(g_stereoPair.pRight, &g_rightMovie);
    EXPECT_EQ(g_nShiftX, 12);
    EXPECT_EQ(g_nShiftY, -3);
    g_nShiftX = g_nShiftY = g_nTurnL = g_nTurnR = 0;
    g_leftMovie.nStart = g_leftMovie.nLayout = 0;
}
