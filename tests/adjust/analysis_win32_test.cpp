// The movie-wide analysis of the per-frame mode and the per-frame hook that
// reads its log, on two small movies whose right frames are 4 pixels lower
// than the left ones.
#include "adjust_media.h"
#include "alignment/auto_align.h"
#include "alignment/frame_adjustment.h"
#include "alignment/frame_log.h"
#include "sources/movie_records.h"
#include "state/app_windows.h"
#include "sources/movie_open.h"
#include "sources/stereo_pair.h"
#include "tests/alignment/alignment_fixture.h"

#include <vfw.h>

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<int>> LogRows(const std::string &path, bool *header)
{
    std::vector<std::vector<int>> rows;
    *header = false;
    FILE *f = fopen(path.c_str(), "rt");
    if (!f)
        return rows;
    char line[600];
    while (fgets(line, sizeof line, f)) {
        if (line[0] == '-') {
            *header = *header || strcmp(line, kFrameLogHeader) == 0;
            continue;
        }
        std::vector<int> row;
        for (char *p = line; *p && *p != '\n';) {
            row.push_back(atoi(p));
            while (*p && *p != ',')
                p++;
            if (*p == ',')
                p++;
        }
        rows.push_back(row);
    }
    fclose(f);
    return rows;
}

LRESULT CALLBACK CancelOnAppMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP)
        g_bCancel = 1;
    return DefWindowProcA(w, msg, wp, lp);
}

class AnalysisTest : public AlignmentTest {
protected:
    std::string log_;

    static void SetUpTestSuite() { AVIFileInit(); }
    static void TearDownTestSuite() { AVIFileExit(); }

    void SetUp() override
    {
        AlignmentTest::SetUp();
        InitMovieSource(&g_leftMovie);
        InitMovieSource(&g_rightMovie);
        SetPairRecords(&g_leftMovie, &g_rightMovie);
        g_bSwapped = 0;
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        log_ = std::string(temp) + "twr_analysis_test.csv";
        DeleteFileA(log_.c_str());
        strcpy(g_szFrameLogPath, log_.c_str());
        ForgetFrameLog();
        g_bAllFrameAdjust = 1;
        g_bAdjustActive = 1;
        g_bFrameLogRead = g_bFrameLogWrite = 0;
        g_nEndOffset = 0;
        g_nPmax = 3;
        g_nTrimState = kTrimNone;
        g_bCancel = 0;
    }
    void TearDown() override
    {
        for (MovieSource *m : {&g_leftMovie, &g_rightMovie})
            CloseMovieSource(m);
        if (g_bSwapped)
            ExchangeLeftRight();
        FreeAlignmentMeshes();
        DeleteFileA(log_.c_str());
        g_bAdjustActive = 0;
        g_bFrameLogRead = g_bFrameLogWrite = 0;
        g_nTrimState = kTrimNone;
        AlignmentTest::TearDown();
    }

    bool OpenPair()
    {
        char error[kOpenErrorBytes] = "";
        const bool ok = OpenMovieSource(nullptr, AdjustMedia("left.avi").c_str(), &g_leftMovie, error, 0) == 0 &&
                        OpenMovieSource(nullptr, AdjustMedia("right.avi").c_str(), &g_rightMovie, error, 0) == 0;
        EXPECT_TRUE(ok) << error;
        return ok;
    }
};

TEST_F(AnalysisTest, EveryFrameIsAlignedLoggedAndSmoothed)
{
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(OpenPair());
    ASSERT_EQ(5, g_leftMovie.nFrames);
    EXPECT_EQ(0, AnalyseMoviePositions(nullptr, &g_stereoPair));
    EXPECT_EQ(kBusyIdle, g_nBusy);
    EXPECT_EQ(5, g_nFrameCount);
    bool header;
    const auto rows = LogRows(log_, &header);
    EXPECT_TRUE(header);
    ASSERT_EQ(5u, rows.size());
    for (int f = 0; f < 5; f++) {
        SCOPED_TRACE(f);
        ASSERT_EQ(27u, rows[f].size());
        EXPECT_EQ(f, rows[f][0]);
        EXPECT_NEAR(-4, rows[f][3], 1);   // Y_Org: the right frames are 4 pixels lower
        EXPECT_NEAR(-4, rows[f][4], 1);   // Y_Ave
        EXPECT_GT(rows[f][26], 50);       // points of the frame's fit
        EXPECT_EQ(-1, rows[f][25]);
    }
    // The trimming is the region common to all frames.
    EXPECT_EQ(kTrimApplied, g_nTrimState);
    EXPECT_EQ(0, (g_rcTrim.right - g_rcTrim.left) % 4);
}

TEST_F(AnalysisTest, CancelledAnalysisKeepsTheFramesDone)
{
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(OpenPair());
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CancelOnAppMessage;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TwrAnalysisCancel";
    RegisterClassA(&wc);
    HWND w = CreateWindowA("TwrAnalysisCancel", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(w);
    PostMessageA(w, WM_APP, 0, 0);  // served after the first frame
    EXPECT_EQ(1, AnalyseMoviePositions(nullptr, &g_stereoPair));
    DestroyWindow(w);
    EXPECT_EQ(0, g_bCancel);
    EXPECT_EQ(kBusyIdle, g_nBusy);
    bool header;
    EXPECT_EQ(1u, LogRows(log_, &header).size());
    EXPECT_FALSE(header);  // no smoothing after a cancel
    EXPECT_EQ(kTrimNone, g_nTrimState);
}

TEST_F(AnalysisTest, ReusedLogIsReadFrameByFrame)
{
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(OpenPair());
    FILE *f = fopen(log_.c_str(), "wt");
    fputs(kFrameLogHeader, f);
    for (int frame = 0; frame < 5; frame++)
        fprintf(f, "%d,%d,%d,%d,%d,%d,%d,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,320,0,240,-1,99,\n", frame, 3 * frame,
                3 * frame, -frame, -frame, frame % 2, frame % 2);
    fclose(f);
    g_bFrameLogRead = 1;
    // Nothing is analysed; the log is smoothed again (frames 1 and 2 take
    // centred means: the rotation of frame 1 becomes (0 + 1 + 0) / 3 = 0).
    EXPECT_EQ(0, AnalyseMoviePositions(nullptr, &g_stereoPair));
    bool header;
    EXPECT_EQ(5u, LogRows(log_, &header).size());
    // Each shown frame takes its smoothed values from the log.
    for (int frame : {3, 2}) {
        ASSERT_EQ(0, GetStereoFramePair(&g_leftMovie, frame, &g_rightMovie, frame));
        PackedDib *fetched = g_leftMovie.pCurrent;
        g_nAdjustFrameNo = frame;
        ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1);
        EXPECT_EQ(3 * frame, g_nShiftX);
        EXPECT_EQ(-frame, g_nShiftY);
        EXPECT_EQ(frame % 2, g_nRotationL);
        // A rotation is in force for odd frames only: then the frame is warped.
        EXPECT_EQ(frame % 2 == 1, g_leftMovie.pCurrent != fetched);
    }
}

TEST_F(AnalysisTest, ExchangedPairKeepsTheOffsetsOfTheShownSides)
{
    // Aligned on its own, frame 0 gives the right movie 4 pixels lower. Shown
    // exchanged, the offsets in force must be those of the exchanged view,
    // as after the automatic alignment command: negated.
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(OpenPair());
    int shown[2];
    for (int swapped = 0; swapped < 2; swapped++) {
        if (swapped)
            ExchangeLeftRight();
        ASSERT_EQ(0, GetStereoFramePair(g_pLeft, 0, g_pRight, 0));
        g_nAdjustFrameNo = 0;
        ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1);
        shown[swapped] = g_nShiftY;
    }
    EXPECT_NEAR(-4, shown[0], 1);
    EXPECT_EQ(-shown[0], shown[1]);
}

} // namespace
