// A real split: the side-by-side save of two 640 x 480 movies of 1,200
// frames (1,843,200 bytes a frame and 320 of sound) passes 0x7F000000 bytes
// after frame 1,155; the loop returns kSaveSplit with both starts advanced
// by the 1,156 frames written, and the continuation writes the remaining 44
// into the numbered file. check_split.py reads both back.
#include "pipeline/save_movie.h"

#include "shell/app_state.h"
#include "sources/movie_open.h"
#include "tests/pipeline/save_fixture.h"

namespace {

BOOL ChooseUncompressed(COMPVARS *vars)
{
    vars->fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    return TRUE;
}

}  // namespace

TEST_F(SaveTest, SplitAtTheSizeLimitContinuesInTheNumberedFile)
{
    SetStartValues();
    g_nCacheBudget = 16000000;
    g_bSavePreview = 0;
    g_nSaveLayout = 0;
    g_pfnCompressorChooseHook = ChooseUncompressed;
    char error[kOpenErrorBytes];
    ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia("splitL.avi").c_str(), g_pLeft, error, 0), 0) << error;
    ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia("splitR.avi").c_str(), g_pRight, error, 0), 0) << error;
    const char *names[] = {"split.avi", "split01.avi"};
    int results[2] = {-1, -1};
    for (int part = 0; part < 2; part++) {
        std::string path = OutPath(names[part]);
        DeleteFileA(path.c_str());
        lstrcpynA(g_stereoPair.szName, path.c_str(), sizeof g_stereoPair.szName);
        g_stereoPair.pOutput = g_pThird;
        // The compressor of the first file stays in force for the next.
        if (part == 0)
            ASSERT_EQ(ChooseCompressor(error), 0);
        ASSERT_EQ(CreateSaveStreams(g_hwndMain, path.c_str(), g_pThird, error, &g_stereoPair), 0) << error;
        results[part] = SaveStereoMovie(g_hwndMain, path.c_str(), &g_stereoPair);
        if (part == 0) {
            EXPECT_EQ(g_compVars.fccHandler, mmioFOURCC('D', 'I', 'B', ' '));
            EXPECT_EQ(g_pLeft->nStart, 1156);
            EXPECT_EQ(g_pRight->nStart, 1156);
        }
    }
    EXPECT_EQ(results[0], kSaveSplit);
    EXPECT_EQ(results[1], 0);
    EXPECT_EQ(g_nFrameCount, 44);
    CloseMovieSource(g_pLeft);
    CloseMovieSource(g_pRight);
    g_pfnCompressorChooseHook = nullptr;
}
