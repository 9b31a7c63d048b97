// Command 4306 through the main window: nothing without "cosima.exe", the
// error box when the run fails (the alignment and the offsets of an
// exchanged pair as they were), and the question about the earlier report.
#include "alignment/frame_adjustment.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/movie_records.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

std::string Media(const char *name) { return HostFile(TWR_SHELL_MEDIA_DIR, name); }

const char kReport[] = "Mean error of height = -2.00 px\nMean error of size = 1.0 %\n"
                       "Mean error of rotation = 0.4 deg\nMean error of vergence = 0\n"
                       "Near point deviation = 12 px\nNear point deviation = 2 px\n";

class CosimaCommand : public MainWindowTest {
protected:
    std::string adj_;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!IsWindow(main))
            OpenMainWindow();
        ClosePair();
        g_bGLActive = 0;
        adj_ = Media("scene_L.adj");
        DeleteFileA(adj_.c_str());
        // The program is looked for where nothing is.
        strcpy(g_szCosimaPath, Media("no_such_folder\\cosima.exe").c_str());
        ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
        boxes->shown.clear();
        g_nRotationL = 3, g_nRotationR = -3, g_nShiftX = 5, g_nShiftY = -4;
    }

    void TearDown() override
    {
        DeleteFileA(adj_.c_str());
        g_bCosima = 0;
        g_bSwapped = 0;
        ClosePair();
        MainWindowTest::TearDown();
    }
};

TEST_F(CosimaCommand, NothingWithoutTheProgram)
{
    g_bCosima = 0;
    WriteWholeText(adj_, kReport);
    Command(IDM_COSIMA_ALIGN);
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(3, g_nRotationL);
    EXPECT_EQ(5, g_nShiftX);
}

TEST_F(CosimaCommand, FailedRunShowsTheErrorAndChangesNothing)
{
    g_bCosima = 1;  // found at start, gone since
    for (int swapped : {0, 1}) {
        SCOPED_TRACE(swapped);
        boxes->shown.clear();
        g_bSwapped = swapped;
        Command(IDM_COSIMA_ALIGN);
        ASSERT_EQ(1u, boxes->shown.size());
        EXPECT_EQ("Cosima error!", boxes->shown[0].text);
        EXPECT_EQ(LoadStr(IDS_ERROR_CAPTION), boxes->shown[0].caption);
        EXPECT_EQ((UINT)MB_ICONWARNING, boxes->shown[0].type & MB_ICONMASK);
        EXPECT_EQ(3, g_nRotationL);
        EXPECT_EQ(-3, g_nRotationR);
        EXPECT_EQ(5, g_nShiftX);
        EXPECT_EQ(-4, g_nShiftY);
    }
}

TEST_F(CosimaCommand, EarlierReportIsOfferedAgain)
{
    g_bCosima = 1;
    // Yes: the report's values in force, no run.
    WriteWholeText(adj_, kReport);
    boxes->answer = IDYES;
    Command(IDM_COSIMA_ALIGN);
    ASSERT_EQ(1u, boxes->shown.size());
    EXPECT_EQ(LoadStr(IDS_ASK_REUSE_ADJUSTMENT), boxes->shown[0].text);
    EXPECT_EQ(adj_, boxes->shown[0].caption);
    EXPECT_EQ((UINT)MB_YESNO, boxes->shown[0].type & MB_TYPEMASK);
    EXPECT_EQ(-2, g_nRotationL);
    EXPECT_EQ(2, g_nRotationR);
    EXPECT_EQ(10, g_nShiftX);
    EXPECT_EQ(-2, g_nShiftY);
    EXPECT_EQ(1, g_bAdjustActive);

    // No: the report is dropped and the program run, which is missing here.
    boxes->shown.clear();
    boxes->answer = IDNO;
    Command(IDM_COSIMA_ALIGN);
    ASSERT_EQ(2u, boxes->shown.size());
    EXPECT_EQ(LoadStr(IDS_ASK_REUSE_ADJUSTMENT), boxes->shown[0].text);
    EXPECT_EQ("Cosima error!", boxes->shown[1].text);
    EXPECT_FALSE(FileExists(adj_));
    EXPECT_EQ(10, g_nShiftX);
}

} // namespace
