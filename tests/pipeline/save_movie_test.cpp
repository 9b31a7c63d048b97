// The save loops on real pairs: stereo movies in every layout, left and
// right movies, copies without recompression, and their failures. What
// the files hold is read back here where the program's own reading says
// enough, and by ffprobe and ffmpeg in check_saves.py, which takes each
// file's expectations from the manifest these tests write.
#include "pipeline/save_movie.h"

#include "pipeline/compose_gdi.h"
#include "pipeline/compose_settings.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"
#include "state/pipeline_state.h"
#include "tests/pipeline/save_fixture.h"
#include "tests/test_frames.h"

#include <stdio.h>
#include <string.h>

#include <fstream>

namespace {

BOOL ChooseUncompressed(COMPVARS *vars)
{
    vars->fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
    return TRUE;
}

DWORD s_handler;
BOOL ChooseHandler(COMPVARS *vars)
{
    vars->fccHandler = s_handler;
    return TRUE;
}

BOOL CancelChoice(COMPVARS *)
{
    return FALSE;
}

// The titles the main window was given; the save loop is cancelled once
// the title has announced frame cancelAt, so that it ends after that frame.
std::vector<std::string> s_titles;
int s_cancelAt = -1;
WNDPROC s_mainProc;
LRESULT CALLBACK CountTitles(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETTEXT) {
        s_titles.push_back((const char *)lp);
        if (s_cancelAt >= 0 && (int)s_titles.size() == s_cancelAt + 1)
            g_bCancel = 1;
    }
    return CallWindowProcA(s_mainProc, w, msg, wp, lp);
}

// One line of the manifest check_saves.py reads: file, then key=value. The
// manifest starts afresh with every run of this program.
std::string ManifestPath() { return std::string(TWR_TEST_OUT_DIR) + "/manifest.txt"; }
const bool s_manifestCleared = (remove(ManifestPath().c_str()), true);
void Manifest(const std::string &line)
{
    std::ofstream out(ManifestPath(), std::ios::app);
    out << line << "\n";
}

class SaveMovieTest : public SaveTest {
protected:
    char error[kOpenErrorBytes];

    static void SetUpTestSuite()
    {
        SaveTest::SetUpTestSuite();
        s_mainProc = (WNDPROC)SetWindowLongPtrA(g_hwndMain, GWLP_WNDPROC, (LONG_PTR)CountTitles);
    }
    void SetUp() override
    {
        SaveTest::SetUp();
        ResetMovieRecords();
        SetStartValues();
        g_nCacheBudget = 16000000;
        g_bSavePreview = 1;
        g_nSoundlr = 0;
        g_bSwapped = 0;
        g_nShiftX = g_nShiftY = 0;
        g_nEndOffset = 0;
        g_nTrimState = 0;
        g_bSaveResize = g_bSmartSize = g_bKeepAspect = g_bHalfSize = g_bSaveBorder = 0;
        // The anaglyph tables as the program builds them at start.
        g_nGmmar = g_nGmmab = 100;
        BuildAnaglyphGammaTable(100, g_aGammaRed);
        BuildAnaglyphGammaTable(100, g_aGammaBlue);
        g_pfnCompressorChooseHook = ChooseUncompressed;
        s_titles.clear();
        s_cancelAt = -1;
        error[0] = '\0';
    }
    void TearDown() override
    {
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
        CloseMovieSource(g_pThird);
        if (g_bSwapped)
            ExchangeLeftRight();
        g_pfnCompressorChooseHook = nullptr;
        s_cancelAt = -1;
        SaveTest::TearDown();
    }

    void OpenPair(const char *left, const char *right, int leftStart = 0, int rightStart = 0)
    {
        ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia(left).c_str(), g_pLeft, error, 0), 0) << error;
        ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia(right).c_str(), g_pRight, error, 0), 0) << error;
        g_pLeft->nStart = leftStart;
        g_pRight->nStart = rightStart;
    }

    // The stereo save as the shell runs it: compressor, streams, loop.
    int SaveStereo(const std::string &name)
    {
        std::string path = OutPath(name);
        DeleteFileA(path.c_str());
        lstrcpynA(g_stereoPair.szName, path.c_str(), sizeof g_stereoPair.szName);
        g_stereoPair.pOutput = g_pThird;
        if (ChooseCompressor(error) != 0)
            return -1;
        if (CreateSaveStreams(g_hwndMain, path.c_str(), g_pThird, error, &g_stereoPair) != 0) {
            CloseMovieSource(g_pThird);
            return -2;
        }
        return SaveStereoMovie(g_hwndMain, path.c_str(), &g_stereoPair);
    }

    std::string PairFacts(int count) const
    {
        char text[400];
        snprintf(text, sizeof text, "left=%s right=%s lstart=%d rstart=%d count=%d shiftx=%d shifty=%d", g_pLeft->szName,
                 g_pRight->szName, g_pLeft->nStart, g_pRight->nStart, count, g_nShiftX, g_nShiftY);
        return text;
    }
};

}  // namespace

// Every layout of the pair (12 and 14 frames, the right one starting four
// frames later): 10 frames, each composed as the kernels compose it;
// check_saves.py compares them with ffmpeg's hstack, vstack and stereo3d of
// the sources. Once at offsets as well, which cut both images.
TEST_F(SaveMovieTest, EveryLayoutIsWrittenFrameByFrame)
{
    struct Case {
        int layout;
        const char *name;
        int shiftX, shiftY;
        int width, height;
    } cases[] = {
        {0, "sbs.avi", 0, 0, 128, 48},     {1, "ou.avi", 0, 0, 64, 96},        {2, "grey.avi", 0, 0, 64, 48},
        {3, "colour.avi", 0, 0, 64, 48},   {4, "rows.avi", 0, 0, 64, 48},      {6, "key.avi", 0, 0, 64, 48},
        {7, "columns.avi", 0, 0, 64, 48},  {0, "sbs_shift.avi", 8, -2, 112, 46}, {3, "colour_shift.avi", -6, 3, 56, 45},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenPair("L.avi", "R.avi", 0, 4);
        g_nSaveLayout = c.layout;
        g_nShiftX = c.shiftX;
        g_nShiftY = c.shiftY;
        ASSERT_EQ(SaveStereo(c.name), 0) << error;
        EXPECT_EQ(g_nFrameCount, 10);
        EXPECT_EQ(g_nBusy, 0);
        EXPECT_EQ(g_pThird->bOpen, 0);
        EXPECT_EQ(g_pThird->pAviFile, nullptr);
        EXPECT_TRUE(ShownBoxes().empty());
        char done[600];
        snprintf(done, sizeof done, LoadStr(IDS_SAVE_DONE), OutPath(c.name).c_str());
        EXPECT_EQ(WindowTitle(g_hwndMain), done);
        Manifest(std::string(c.name) + " check=layout layout=" + std::to_string(c.layout) + " width=" +
                 std::to_string(c.width) + " height=" + std::to_string(c.height) + " " + PairFacts(10) +
                 " sound=L.avi");
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
    }
}

// The loop's title names both movies, their frames and the bytes so far.
TEST_F(SaveMovieTest, TitleFollowsTheFrames)
{
    OpenPair("L.avi", "R.avi", 1, 0);
    g_nSaveLayout = 0;
    s_cancelAt = 3;
    ASSERT_EQ(SaveStereo("title.avi"), 0);
    EXPECT_EQ(g_bCancel, 0);
    // Frame 3 of 11 (the left movie from frame 1): three frames of 18,432
    // bytes and 1,764 sound samples of 4 bytes written before it.
    ASSERT_GE(s_titles.size(), 4u);
    char expected[600];
    snprintf(expected, sizeof expected, LoadStr(IDS_SAVE_PROGRESS), "L.avi", 1, 4, 11, "R.avi", 0, 3, 10, "title.avi", 76);
    EXPECT_EQ(s_titles[3], std::string(expected) + " (AC_OFF)");
    Manifest("title.avi check=frames frames=4 width=128 height=48");
}

// Cancelling after frame 10 leaves a playable file of 11 frames with the
// sound of 11 frames; the sound comes from the movie opened as right when
// "nSoundlr" is 1, also when the eyes are exchanged (it then serves the
// left eye). Motion-JPEG sources: their sound is AVIFile's stream.
TEST_F(SaveMovieTest, CancelKeepsTheFramesWrittenWithTheirSound)
{
    struct Case {
        const char *name;
        int soundlr;
        bool exchange;
        const char *sound;
    } cases[] = {{"cancel_l.avi", 0, false, "Lm.avi"}, {"cancel_r.avi", 1, false, "Rm.avi"},
                 {"cancel_x.avi", 1, true, "Rm.avi"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenPair("Lm.avi", "Rm.avi");
        g_nSoundlr = c.soundlr;
        if (c.exchange)
            ExchangeLeftRight();
        g_nSaveLayout = 0;
        s_titles.clear();
        s_cancelAt = 10;
        ASSERT_EQ(SaveStereo(c.name), 0);
        s_cancelAt = -1;
        Manifest(std::string(c.name) + " check=sound frames=11 sound=" + c.sound + " sstart=0 count=11");
        if (c.exchange)
            ExchangeLeftRight();
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
    }
}

// Resized saves: the custom size per eye, through GDI's stretch or the
// smart resize (area averaging for reductions), keeping the aspect on a
// black canvas when asked.
TEST_F(SaveMovieTest, ResizedSaves)
{
    struct Case {
        const char *name;
        int layout, smart, aspect, half;
        int sw, sh, width, height;
    } cases[] = {
        {"resize_sbs.avi", 0, 0, 0, 0, 32, 24, 64, 24},  {"smart_sbs.avi", 0, 1, 0, 0, 32, 24, 64, 24},
        {"smart_ou.avi", 1, 1, 0, 0, 32, 24, 32, 48},    {"smart_grey.avi", 2, 1, 0, 0, 32, 24, 32, 24},
        {"aspect_sbs.avi", 0, 1, 1, 0, 40, 40, 80, 40},  {"half_sbs.avi", 0, 1, 1, 1, 32, 48, 64, 48},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenPair("L.avi", "R.avi");
        g_nSaveLayout = c.layout;
        g_bSaveResize = 1;
        g_bSmartSize = c.smart;
        g_bKeepAspect = c.aspect;
        g_bHalfSize = c.half;
        g_nSaveWidth = c.sw;
        g_nSaveHeight = c.sh;
        ASSERT_EQ(SaveStereo(c.name), 0) << error;
        Manifest(std::string(c.name) + " check=resize layout=" + std::to_string(c.layout) + " smart=" +
                 std::to_string(c.smart) + " aspect=" + std::to_string(c.aspect) + " half=" + std::to_string(c.half) +
                 " sw=" + std::to_string(c.sw) + " sh=" + std::to_string(c.sh) + " width=" + std::to_string(c.width) +
                 " height=" + std::to_string(c.height) + " " + PairFacts(12));
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
    }
}

// The saved frame carries the border the option draws; read back through
// the program's own opener.
TEST_F(SaveMovieTest, BorderIsDrawnIntoTheSavedFrames)
{
    OpenPair("L.avi", "R.avi");
    g_nSaveLayout = 0;
    g_bSaveBorder = 1;
    ASSERT_EQ(SaveStereo("border.avi"), 0);
    CloseMovieSource(g_pLeft);
    CloseMovieSource(g_pRight);
    OpenPair("L.avi", "R.avi");
    DibPtr expected(CreateDib(128, 48, 24, 0));
    ASSERT_EQ(GetStereoFramePair(g_pLeft, 0, g_pRight, 0), 0);
    const ComposeSettings cs = ComposeSettingsFromState();
    ComposeSideBySide(cs, nullptr, expected.get(), g_pLeft->pCurrent, g_pRight->pCurrent, 0, 0, 0, 0, 64, 48, 0);
    DrawSaveBorder(cs, expected.get(), 0);
    MovieSource saved;
    InitMovieSource(&saved);
    ASSERT_EQ(OpenMovieSource(nullptr, OutPath("border.avi").c_str(), &saved, error, 0), 0) << error;
    ASSERT_EQ(GetStereoFramePair(&saved, 0, &saved, 0), 0);
    ASSERT_EQ(DibWidth(saved.pCurrent), 128);
    EXPECT_EQ(memcmp(FindDibBits(saved.pCurrent), FindDibBits(expected.get()), expected->biSizeImage), 0);
    CloseMovieSource(&saved);
}

TEST_F(SaveMovieTest, CreationFailuresGiveTheirText)
{
    OpenPair("L.avi", "R.avi");
    struct Case {
        const char *name;
        DWORD handler;
        std::string path;
        int id;
    } cases[] = {
        {"no folder", mmioFOURCC('D', 'I', 'B', ' '), OutPath("missing\\x.avi"), IDS_NO_SAVE_FILE},
        // Wine's Cinepak compressor refuses 24-bit frames.
        {"refusing codec", mmioFOURCC('c', 'v', 'i', 'd'), OutPath("cvid.avi"), IDS_NO_SAVE_FORMAT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        s_handler = c.handler;
        g_pfnCompressorChooseHook = ChooseHandler;
        ASSERT_EQ(ChooseCompressor(error), 0);
        g_stereoPair.pOutput = g_pThird;
        EXPECT_EQ(CreateSaveStreams(g_hwndMain, c.path.c_str(), g_pThird, error, &g_stereoPair), 1);
        EXPECT_STREQ(error, LoadStr(c.id));
        CloseMovieSource(g_pThird);
        ICCompressorFree(&g_compVars);
    }
    g_pfnCompressorChooseHook = CancelChoice;
    EXPECT_EQ(ChooseCompressor(error), 1);
    EXPECT_STREQ(error, LoadStr(IDS_SAVE_CANCELLED));
}

// Left and right movies of 12 and 14 frames with starts 0 and 4: two files
// of 10 frames each, both with the sound.
TEST_F(SaveMovieTest, LeftAndRightMovies)
{
    struct Case {
        const char *name;
        int shiftX, shiftY, resize;
        int width, height;
    } cases[] = {{"lr", 0, 0, 0, 64, 48}, {"lr_shift", 8, 2, 0, 56, 46}, {"lr_resize", 0, 0, 1, 32, 24}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenPair("L.avi", "R.avi", 0, 4);
        g_nShiftX = c.shiftX;
        g_nShiftY = c.shiftY;
        g_bSaveResize = c.resize;
        g_nSaveWidth = 32;
        g_nSaveHeight = 24;
        ASSERT_EQ(ChooseCompressor(error), 0);
        std::string l = OutPath(std::string(c.name) + "_l.avi"), r = OutPath(std::string(c.name) + "_r.avi");
        lstrcpynA(g_stereoPair.szName, l.c_str(), sizeof g_stereoPair.szName);
        ASSERT_EQ(SaveLeftRightMovies(g_hwndMain, &g_stereoPair, l.c_str(), r.c_str()), 0);
        EXPECT_TRUE(ShownBoxes().empty());
        Manifest(std::string(c.name) + "_l.avi check=eye eye=left resize=" + std::to_string(c.resize) + " width=" +
                 std::to_string(c.width) + " height=" + std::to_string(c.height) + " " + PairFacts(10) +
                 " sound=L.avi");
        Manifest(std::string(c.name) + "_r.avi check=eye eye=right resize=" + std::to_string(c.resize) + " width=" +
                 std::to_string(c.width) + " height=" + std::to_string(c.height) + " " + PairFacts(10) +
                 " sound=L.avi");
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
    }
}

// A left/right save that cannot make its files says why, leaves none of
// them behind and does not announce a finished save.
TEST_F(SaveMovieTest, LeftAndRightFailureIsReportedAndLeavesNoFile)
{
    OpenPair("L.avi", "R.avi");
    std::string l = OutPath("fail_l.avi"), r = OutPath("missing\\fail_r.avi");
    DeleteFileA(l.c_str());
    ASSERT_EQ(ChooseCompressor(error), 0);
    SetWindowTextA(g_hwndMain, "before");
    EXPECT_EQ(SaveLeftRightMovies(g_hwndMain, &g_stereoPair, l.c_str(), r.c_str()), 0);
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].text, LoadStr(IDS_NO_SAVE_FILE));
    EXPECT_EQ(ShownBoxes()[0].caption, r);
    EXPECT_FALSE(FileExists(l)) << "the left file was made, then removed";
    EXPECT_EQ(WindowTitle(g_hwndMain), "before");
    EXPECT_EQ(g_nBusy, 0);
}

// Copies without recompression: check_saves.py compares the packets
// (ffmpeg -c copy -f framemd5) with the source's range and the sound with
// the source's.
TEST_F(SaveMovieTest, CopiesWithoutRecompression)
{
    struct Case {
        const char *name, *source;
        int start, frames, streams;
    } cases[] = {{"copy_mjpg.avi", "Lm.avi", 3, 5, 2}, {"copy_raw.avi", "L.avi", 2, 7, 2}, {"copy_nosound.avi", "Rns.avi", 1, 9, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MovieSource m;
        InitMovieSource(&m);
        ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia(c.source).c_str(), &m, error, 0), 0);
        m.nStart = c.start;
        EXPECT_EQ(SaveTrimmedMovie(g_hwndMain, &m, OutPath(c.name).c_str(), c.frames), 1);
        CloseMovieSource(&m);
        Manifest(std::string(c.name) + " check=copy source=" + c.source + " start=" + std::to_string(c.start) +
                 " frames=" + std::to_string(c.frames) + " streams=" + std::to_string(c.streams));
    }
    EXPECT_TRUE(ShownBoxes().empty());

    OpenPair("Lm.avi", "Rm.avi", 2, 0);
    EXPECT_EQ(SaveTrimmedPair(g_hwndMain, g_pLeft, g_pRight, OutPath("copy_pair.avi").c_str(), 6), 1);
    Manifest("copy_pair.avi check=copypair left=Lm.avi right=Rm.avi start=2 frames=6");
}

TEST_F(SaveMovieTest, CopyFailureAndEscape)
{
    MovieSource m;
    InitMovieSource(&m);
    ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia("Lm.avi").c_str(), &m, error, 0), 0);
    // A range beyond the movie cannot be copied: said, and no file stays.
    m.nStart = 40;
    std::string path = OutPath("copy_beyond.avi");
    EXPECT_EQ(SaveTrimmedMovie(g_hwndMain, &m, path.c_str(), 5), 0);
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes()[0].text, LoadStr(IDS_COPY_FAILED));
    EXPECT_FALSE(FileExists(path));

    // Escape during the copy stops it.
    m.nStart = 0;
    path = OutPath("copy_escape.avi");
    PostMessageA(g_hwndMain, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(SaveTrimmedMovie(g_hwndMain, &m, path.c_str(), 10), 0);
    EXPECT_EQ(ShownBoxes().size(), 1u) << "a cancel is not an error";
    EXPECT_FALSE(FileExists(path));
    CloseMovieSource(&m);
}
