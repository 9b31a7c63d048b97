// The main window in this process: opened pairs, the busy rule, and the
// faults the shell mends (open flags reset on failures, dropped names taken
// only when their open runs, refetching at the last frame, clamped steps,
// clipboard blocks freed, the position bar beyond 655,350 frames). Message
// boxes are answered by a hook; modal dialogs are cancelled as they appear.
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/settings_store.h"
#include "shell/file_history.h"
#include "shell/main_window.h"
#include "shell/toolbars.h"
#include "shell/view_commands.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <stdio.h>

#include <string>
#include <vector>

namespace {

// A media file as the program sees it, through Wine's drive Z:.
std::string Media(const char *name) { return HostFile(TWR_SHELL_MEDIA_DIR, name); }

std::string Title()
{
    char text[1200] = "";
    GetWindowTextA(g_hwndMain, text, sizeof text);
    return MainWindowTest::Utf8(text);
}

// Each test starts from a closed pair.
class MainWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // Settings the commands change stay in memory between the tests.
        g_bBlurFrame = 0;
        g_nAutoColour = 0;
        g_nMirror = 0;
        g_nZoom = 100;
        g_nSType = 0;
        g_bAskFileType = 1;
        g_bRepeat = 0;
        g_nDisplayMode = 5;
        g_nTrimState = kTrimNone;
        if (!IsWindow(main)) {
            g_szLeftName[0] = g_szRightName[0] = '\0';
            OpenMainWindow();
        }
        // A closed pair and an empty history.
        ClosePair();
        ClearHistory();
        Pump();
    }

    // The message boxes' texts in UTF-8.
    static std::vector<std::string> Boxes()
    {
        std::vector<std::string> texts;
        for (const ShownBox &box : boxes->shown)
            texts.push_back(Utf8(box.text));
        return texts;
    }

    static void OpenMedia(const char *left, const char *right) { OpenPair(Media(left), Media(right)); }

    // Drops the files on the main window as the shell does.
    void Drop(const std::vector<std::string> &files)
    {
        size_t chars = 1;
        for (const std::string &f : files)
            chars += f.size() + 1;
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars);
        DROPFILES *df = (DROPFILES *)GlobalLock(h);
        df->pFiles = sizeof(DROPFILES);
        char *p = (char *)(df + 1);
        for (const std::string &f : files) {
            strcpy(p, f.c_str());
            p += f.size() + 1;
        }
        GlobalUnlock(h);
        SendMessageA(main, WM_DROPFILES, (WPARAM)h, 0);
    }
};

TEST_F(MainWindow, OpensThePairAndShowsItsLine)
{
    OpenMedia("scene_L.avi", "scene_R.avi");
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    EXPECT_EQ(g_nFrameCount, 10);
    EXPECT_EQ(Title(), "左映像 scene_L.avi(0-0-9)  右映像 scene_R.avi(0-0-9) ｻｲｽﾞ(160x120) (平行) (AC_OFF)");
    ASSERT_TRUE(g_pComposed);
    EXPECT_EQ(DibWidth(g_pComposed), 160);
    EXPECT_EQ(std::string(g_szHistory[0]), Media("scene_R.avi"));
    EXPECT_EQ(std::string(g_szHistory[1]), Media("scene_L.avi"));
    // Exchanged, and automatic colour from the right: the labels follow.
    Command(IDM_EXCHANGE);
    Command(IDM_NEXT_AUTO_COLOUR);
    Command(IDM_NEXT_AUTO_COLOUR);
    EXPECT_EQ(Title(), "左映像 scene_R.avi(0-0-9)  右映像 scene_L.avi(0-0-9) ｻｲｽﾞ(160x120) (交差) (AC_R)");
    // Mode 7 doubles the composed width; the title keeps the region.
    Command(IDM_MODE_IZ3D);
    EXPECT_EQ(g_nDisplayMode, 7);
    ASSERT_TRUE(g_pComposed);
    EXPECT_EQ(DibWidth(g_pComposed), 320);
    EXPECT_EQ(g_nShownWidth, 320);
}

TEST_F(MainWindow, FramesOfDifferentSizesAreRefused)
{
    OpenMedia("scene_L.avi", "sbs.avi");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "サイズが違うとステレオムービーは再生できません。");
}

TEST_F(MainWindow, FailedOpensEndTheReopenAndThe3dAviPairing)
{
    static const struct {
        int command;
        const char *left, *right, *failing;
    } cases[] = {
        {IDM_OPEN_PAIR_BY_NAME, "missing_L.avi", "scene_R.avi", "missing_L.avi"},
        {IDM_OPEN_PAIR_BY_NAME, "scene_L.avi", "missing_R.avi", "missing_R.avi"},
        {IDM_OPEN_STEREO_BY_NAME, "missing.avi", "", "missing.avi"},
    };
    for (const auto &c : cases) {
        dialogs.clear();
        g_bReopening = 1;
        g_bTwoStreamAvi = 1;
        strcpy(g_szLeftName, Media(c.left).c_str());
        strcpy(g_szRightName, c.right[0] ? Media(c.right).c_str() : "");
        Command(c.command);
        EXPECT_EQ(g_bReopening, 0) << c.failing;
        EXPECT_EQ(g_bTwoStreamAvi, 0) << c.failing;
        EXPECT_FALSE(g_pLeft->bOpen || g_pRight->bOpen) << c.failing;
        ASSERT_EQ(dialogs.size(), 1u) << c.failing;
        EXPECT_EQ(Utf8(dialogs[0].title), Media(c.failing));
    }
    // The next open is recorded in the history again.
    OpenMedia("scene_L.avi", "scene_R.avi");
    EXPECT_EQ(std::string(g_szHistory[1]), Media("scene_L.avi"));
}

// A copy of scene_L.avi with one header word changed: the word at offset
// 'at' into the body of the first chunk 'id', of 16 or 32 bits; for 'idx1'
// every entry's word at 'at' (16 bytes an entry).
std::string DamagedCopy(const char *name, const char *id, size_t at, uint32_t value, int bits = 32)
{
    std::vector<unsigned char> bytes = ReadWholeFile(Media("scene_L.avi"));
    std::string all(bytes.begin(), bytes.end());
    size_t chunk = all.find(id);
    if (chunk == std::string::npos)
        return "";
    uint32_t size;
    memcpy(&size, &bytes[chunk + 4], 4);
    bool everyEntry = strcmp(id, "idx1") == 0;
    for (size_t pos = chunk + 8 + at; pos + 4 <= bytes.size() && pos < chunk + 8 + size; pos += 16) {
        memcpy(&bytes[pos], &value, bits / 8);
        if (!everyEntry)
            break;
    }
    std::string path = Media(name);
    return WriteWholeFile(path, bytes) ? path : "";
}

// Damaged movies opened as the left one beside a good right one and alone:
// a box titled with the damaged file, nothing left open, the history as it
// was, and the good pair opens after.
TEST_F(MainWindow, DamagedMoviesAreReportedAndLeftClosed)
{
    const std::vector<unsigned char> scene = ReadWholeFile(Media("scene_L.avi"));
    ASSERT_FALSE(scene.empty());
    struct Case {
        const char *name, *id;
        size_t at;
        uint32_t value;
        int bits;
    } cases[] = {
        {"damaged_streams0.avi", "avih", 24, 0, 32},        // no stream counted
        {"damaged_bits32.avi", "strf", 14, 32, 16},        // 32 bits said over 24-bit frames
        {"damaged_bits7.avi", "strf", 14, 7, 16},
        {"damaged_idx1past.avi", "idx1", 8, 0x7FFFFFF0, 32},  // every chunk past the end
    };
    for (const Case &c : cases) {
        std::string path = DamagedCopy(c.name, c.id, c.at, c.value, c.bits);
        ASSERT_FALSE(path.empty()) << c.name;
        for (int command : {IDM_OPEN_PAIR_BY_NAME, IDM_OPEN_STEREO_BY_NAME}) {
            SCOPED_TRACE(std::string(c.name) + (command == IDM_OPEN_PAIR_BY_NAME ? " beside a good one" : " alone"));
            dialogs.clear();
            strcpy(g_szLeftName, path.c_str());
            strcpy(g_szRightName, command == IDM_OPEN_PAIR_BY_NAME ? Media("scene_R.avi").c_str() : "");
            Command(command);
            Pump();
            EXPECT_FALSE(g_pLeft->bOpen || g_pRight->bOpen);
            ASSERT_EQ(dialogs.size(), 1u);
            EXPECT_EQ(Utf8(dialogs[0].title), path);
            EXPECT_EQ(g_szHistory[0][0], '\0');
        }
    }
    OpenMedia("scene_L.avi", "scene_R.avi");
    EXPECT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
}

// A stream length of 2,147,483,647 frames in a movie of 10: the pair counts
// the frames stored, and the last one is reached.
TEST_F(MainWindow, AFrameCountTheFileCannotHoldIsTheIndexOne)
{
    std::string path = DamagedCopy("damaged_length.avi", "strh", 32, 0x7FFFFFFF);
    ASSERT_FALSE(path.empty());
    OpenPair(path, Media("scene_R.avi"));
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    EXPECT_EQ(g_pLeft->nFrames, 10);
    EXPECT_EQ(g_nFrameCount, 10);
    Command(IDM_POSITION_LAST);
    EXPECT_EQ(g_nFrame, 9);
    EXPECT_NE(Title().find("damaged_length.avi(0-9-9)"), std::string::npos) << Title();
    Command(IDM_PREV_FRAME);
    EXPECT_EQ(g_nFrame, 8);
}

TEST_F(MainWindow, RefetchAtTheLastFrameStaysThere)
{
    OpenMedia("scene_L.avi", "scene_R.avi");
    Command(IDM_POSITION_LAST);
    EXPECT_EQ(g_nFrame, 9);
    for (int id : {IDM_NEXT_AUTO_COLOUR, IDM_BLUR_FRAME, IDM_SHIFT_LEFT}) {
        Command(id);
        EXPECT_EQ(g_nFrame, 9) << id;
        EXPECT_NE(Title().find("scene_L.avi(0-9-9)"), std::string::npos) << id << " " << Title();
    }
    // The frame steps themselves stop at the ends (no repeat).
    Command(IDM_NEXT_FRAME);
    EXPECT_EQ(g_nFrame, 9);
    Command(IDM_POSITION_FIRST);
    Command(IDM_PREV_FRAME);
    EXPECT_EQ(g_nFrame, 0);
}

TEST_F(MainWindow, DroppedNamesAreTakenWhenTheOpenRuns)
{
    OpenMedia("scene_L.avi", "scene_R.avi");
    // While saving the posted open is dropped: the names stay those of the
    // open pair.
    g_nBusy = kBusySaving;
    Drop({Media("scene_R.avi"), Media("scene_L.avi")});
    Pump();
    g_nBusy = 0;
    EXPECT_EQ(std::string(g_szLeftName), Media("scene_L.avi"));
    EXPECT_EQ(std::string(g_szRightName), Media("scene_R.avi"));
    // Idle, the drop opens the pair.
    Drop({Media("scene_R.avi"), Media("scene_L.avi"), Media("sbs.avi")});
    Pump();
    EXPECT_EQ(std::string(g_szLeftName), Media("scene_R.avi"));
    EXPECT_EQ(std::string(g_szRightName), Media("scene_L.avi"));
    EXPECT_EQ(Title().rfind("左映像 scene_R.avi", 0), 0u) << Title();
    // One file opens as a side-by-side movie (the question of its type is
    // the end-to-end tests'; a modal dialog costs seconds here).
    g_bAskFileType = 0;
    g_nSType = 5;
    Drop({Media("sbs.avi")});
    Pump();
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(g_nSType, 0);
    EXPECT_EQ(Title(), "左映像 sbs.avi(0-0-9)  右映像 sbs.avi(0-0-9) ｻｲｽﾞ(160x120) (平行) (AC_OFF)");
}

TEST_F(MainWindow, StepsKeepAtLeastOneFrame)
{
    OpenMedia("scene_L.avi", "scene_R.avi");
    Command(IDM_LEFT_START_BACK);
    EXPECT_EQ(g_pLeft->nStart, 0);
    for (int i = 0; i < 20; i++)
        Command(IDM_END_EARLIER);
    EXPECT_EQ(g_nEndOffset, 9);
    EXPECT_EQ(g_nFrameCount, 1);
    for (int i = 0; i < 5; i++)
        Command(IDM_RIGHT_START_FORWARD);
    EXPECT_EQ(g_pRight->nStart, 0);
    Command(IDM_END_TO_LAST);
    for (int i = 0; i < 20; i++)
        Command(IDM_RIGHT_START_FORWARD);
    EXPECT_EQ(g_pRight->nStart, 9);
    EXPECT_NE(Title().find("右映像 scene_R.avi(9-9-9)"), std::string::npos) << Title();
    // Zooming in for ever stays a number the view can multiply by.
    for (int i = 0; i < 200; i++)
        Command(IDM_ZOOM_IN);
    EXPECT_LE(g_nZoom, kMaxZoom);
}

TEST_F(MainWindow, BusyRule)
{
    OpenMedia("scene_L.avi", "scene_R.avi");
    g_nBusy = kBusySaving;
    Command(IDM_EXCHANGE);
    EXPECT_EQ(g_bSwapped, 0);
    boxes->answer = IDNO;
    Command(IDM_EXIT);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "処理を中止しますか？");
    EXPECT_EQ(g_bCancel, 0);
    Command(IDM_STOP);
    EXPECT_EQ(g_bCancel, 1);
    g_bCancel = 0;
    // Playing: frame steps are refused, display commands change the mode
    // without recomposing.
    g_nBusy = kBusyPlaying;
    PackedDib *composed = g_pComposed;
    Command(IDM_NEXT_FRAME);
    EXPECT_EQ(g_nFrame, 0);
    Command(IDM_MODE_ANAGLYPH);
    EXPECT_EQ(g_nDisplayMode, 2);
    EXPECT_EQ(g_pComposed, composed);
    // A close while playing asks, cancels the loop and keeps the window.
    boxes->shown.clear();
    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(g_bCancel, 1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "再生または保存中でした。");
}

TEST_F(MainWindow, ViewCommandsOfOneMovie)
{
    // F5 with no pair leaves the mode and resets the mirror.
    g_nMirror = 2;
    Command(IDM_MODE_BLEND);
    EXPECT_EQ(g_nDisplayMode, 5);
    EXPECT_EQ(g_nMirror, 0);
    OpenMedia("scene_L.avi", "scene_R.avi");
    Command(IDM_OU_MIRROR_BOTH);
    Command(IDM_SBS_MIRROR_RIGHT);
    EXPECT_EQ(g_nDisplayMode, 0);
    EXPECT_EQ(g_nMirror, 1);
    for (int i = 0; i < 3; i++)
        Command(IDM_NEXT_MIRROR);
    EXPECT_EQ(g_nMirror, 0);
    EXPECT_EQ(g_nDisplayMode, 0);
    // Offsets cannot move while the trimming is applied.
    g_nTrimState = kTrimApplied;
    Command(IDM_SHIFT_LEFT);
    EXPECT_EQ(g_nShiftX, 0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind("トリミングをセットしている時は", 0), 0u) << Boxes()[0];
    g_nTrimState = kTrimNone;
    Command(IDM_SHIFT_LEFT);
    EXPECT_EQ(g_nShiftX, 4);
    EXPECT_EQ(Title(), "元のサイズ (160 x 120)  位置合わせ後のサイズ (156 x 120)");
}

TEST_F(MainWindow, ClipboardBlocksAreFreedWhenTheClipboardIsBusy)
{
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, 64), text = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_TRUE(dib && text);
    HWND holder = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(holder));
    EXPECT_FALSE(HandToClipboard(main, dib, text));
    CloseClipboard();
    DestroyWindow(holder);
    EXPECT_EQ(GlobalFlags(dib), (UINT)GMEM_INVALID_HANDLE);
    EXPECT_EQ(GlobalFlags(text), (UINT)GMEM_INVALID_HANDLE);
}

TEST_F(MainWindow, PositionBarBeyondTheSixteenBitThumb)
{
    for (int frames : {100, 70000, 1000000}) {
        g_nFrameCount = frames;
        g_nFrame = 0;
        SendMessageA(g_hwndPosBar, WM_COMMAND, IDC_POS_RESET, 0);
        int lo = 0, hi = 0;
        GetScrollRange(g_hPosScroll, SB_CTL, &lo, &hi);
        EXPECT_LE(hi, 65535) << frames;
        EXPECT_EQ(hi, (frames - 1) / g_nPosScale) << frames;
        // Dragging the thumb to its end reaches the last unit's frame.
        SendMessageA(g_hwndPosBar, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, hi), (LPARAM)g_hPosScroll);
        EXPECT_EQ(g_nFrame, hi * g_nPosScale) << frames;
        EXPECT_GT(g_nFrame, frames - 1 - g_nPosScale) << frames;
    }
}

TEST_F(MainWindow, OpenFilterWithoutPluginOrAvisynth)
{
    // "Video File(AVI MPEG1/2)", its patterns, and the end.
    const char *second = g_szOpenFilter + strlen(g_szOpenFilter) + 1;
    EXPECT_STREQ(g_szOpenFilter, "Video File(AVI MPEG1/2)");
    EXPECT_EQ(std::string(second).substr(0, 12), "*.AVI;*.AVS;");
    EXPECT_EQ(second[strlen(second) + 1], '\0');
}

// Last: the window goes.
TEST_F(MainWindow, ShutdownWritesTheSettingsAndEnds)
{
    OpenMedia("scene_L.avi", "scene_R.avi");
    Command(IDM_ANAGLYPH_RED_BLUE);
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(main));
    char text[300];
    ReadSetting("szFile0", text);
    EXPECT_EQ(std::string(text), Media("scene_L.avi"));
    ReadSetting("nAnatype", text);
    EXPECT_STREQ(text, "2");
    EXPECT_FALSE(g_leftMovie.bOpen || g_rightMovie.bOpen);
    EXPECT_EQ(g_pComposed, nullptr);
    // The quit message of WM_DESTROY.
    MSG m;
    EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
