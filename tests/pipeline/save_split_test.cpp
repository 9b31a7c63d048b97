// A real split, through the main window as the user saves: the
// side-by-side save of two 640 x 480 movies of 1,200 frames (1,843,200
// bytes a frame and 320 of sound) passes 0x7F000000 bytes after frame
// 1,155; the save loop stops there, the command posts its continuation,
// which writes the remaining 44 frames into split01.avi with the same
// compressor, and the notice of the split closes the save. check_split.py
// reads both files back.
#include "pipeline/save_movie.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "shell/main_window.h"
#include "sources/movie_open.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/pipeline/test_paths.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_SAVE_MEDIA_DIR, name); }

class SaveSplit : public MainWindowTest {};

TEST_F(SaveSplit, SizeLimitContinuesInTheNumberedFile)
{
    ASSERT_TRUE(FileExists(Media(".stamp"))) << "no split media (run through ctest)";
    OpenMainWindow();
    g_bSavePreview = 0;
    g_nSaveLayout = 0;

    ASSERT_TRUE(OpenPair(Media("splitL.avi"), Media("splitR.avi")));
    std::string first = OutPath("split.avi"), second = OutPath("split01.avi");
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
    names = {first};
    Command(IDM_SAVE_STEREO);
    // The first file is written; its continuation waits in the queue.
    EXPECT_EQ(g_nSavePart, 1);
    EXPECT_STREQ(g_szSaveName, second.c_str());
    EXPECT_EQ(g_pLeft->nStart, 1156);
    EXPECT_EQ(g_pRight->nStart, 1156);
    EXPECT_TRUE(boxes->shown.empty());
    Pump();
    EXPECT_EQ(compressorChoices, 1) << "the numbered file keeps the first file's compressor";
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, LoadStr(IDS_SPLIT_SAVED));
    EXPECT_EQ(boxes->shown[0].caption, LoadStr(IDS_SPLIT_CAPTION));
    // The pair is shown as before the save.
    EXPECT_EQ(g_pLeft->nStart, 0);
    EXPECT_EQ(g_pRight->nStart, 0);
    EXPECT_EQ(g_nFrameCount, 1200);
}

}  // namespace
