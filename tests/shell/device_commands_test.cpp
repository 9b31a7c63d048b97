// The device commands of the main window in this process: the WinX3D
// check, the question before a saved movie of another layout, the devices'
// refusals under Wine, the media player's refusals, the
// settings dialog, and refusals while busy. Boxes are answered by a hook; dialogs are cancelled as they
// appear unless a file name waits for them.
#include "devices/stereo_player_state.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/movie_records.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_SHELL_MEDIA_DIR, name); }

class DeviceCommands : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!IsWindow(main))
            OpenMainWindow();
        ClosePair();
        g_nVidia = 0;
        g_nBunkatu = 0;
        g_nDispFormat = 0;
        g_nSaveLayout = 0;
        g_nPlaySource = 0;
        g_bGLActive = 0;
        g_szSaveName[0] = g_szPlayFile[0] = '\0';
        // The WinX3D driver is not installed for these tests.
        HKEY key;
        ASSERT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\W3D", 0, KEY_READ, &key), ERROR_SUCCESS)
            << "a WinX3D driver key is installed";
    }

    // The boxes' texts, as string-table texts (ANSI) to compare with.
    static std::vector<std::string> Boxes()
    {
        std::vector<std::string> texts;
        for (const ShownBox &box : boxes->shown)
            texts.push_back(box.text);
        return texts;
    }
    static std::vector<std::string> Texts(std::initializer_list<int> ids)
    {
        std::vector<std::string> texts;
        for (int id : ids)
            texts.push_back(LoadStr(id));
        return texts;
    }
};

TEST_F(DeviceCommands, PageFlipperWithoutItsDriverSaysSoAndTheProgramGoesOn)
{
    ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
    strcpy(g_szSaveName, Media("sbs.avi").c_str());
    g_nSaveLayout = 0;
    // 2030 asks for its file first; 2027 plays a file without the check:
    // its window finds no driver and closes without a word.
    g_nVidia = 0;
    for (int id : {IDM_SHUTTER_PLAY_PAIR, IDM_SHUTTER_PLAY_FILE, IDM_SHUTTER_PLAY_SAVED, IDM_PLAY_FILE_FULLSCREEN}) {
        SCOPED_TRACE(id);
        boxes->shown.clear();
        names.push_back(Media("sbs.avi"));
        g_nDispFormat = 0;
        Command(id);
        names.clear();
        if (id == IDM_PLAY_FILE_FULLSCREEN) {
            EXPECT_TRUE(boxes->shown.empty());
            EXPECT_EQ(FindWindowA("W3DWIN", nullptr), nullptr);
            continue;
        }
        ASSERT_EQ(Boxes(), Texts({IDS_NO_WINX3D}));
        EXPECT_EQ(boxes->shown[0].caption, LoadStr(IDS_ERROR_CAPTION));
        EXPECT_EQ(boxes->shown[0].type & MB_ICONMASK, (UINT)MB_ICONWARNING);
    }
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
}

// The media player (2028, and 2027 with the display format "as it is") is
// refused while busy and while the OpenGL window is the display.
TEST_F(DeviceCommands, MediaPlayerIsRefusedWhileBusyOrBesideOpenGl)
{
    strcpy(g_szSaveName, Media("sbs.avi").c_str());
    struct Row {
        int id, busy, gl;
    } rows[] = {{IDM_PLAY_SAVED, 1, 0}, {IDM_PLAY_SAVED, 0, 1}, {IDM_PLAY_FILE_FULLSCREEN, 1, 0},
                {IDM_PLAY_FILE_FULLSCREEN, 0, 1}};
    for (const Row &r : rows) {
        SCOPED_TRACE(std::to_string(r.id) + " " + std::to_string(r.busy) + " " + std::to_string(r.gl));
        g_nBusy = r.busy;
        g_bGLActive = r.gl;
        g_nDispFormat = 7;
        Command(r.id);
        g_nBusy = 0;
        g_bGLActive = 0;
        Pump();
        EXPECT_EQ(g_hwndPlayer, nullptr);
        EXPECT_EQ(FindWindowA("PLAYAVI", nullptr), nullptr);
        EXPECT_TRUE(dialogs.empty());
        EXPECT_TRUE(boxes->shown.empty());
    }
}

// Under Wine neither the stereo pixel format nor NVAPI exists: each
// command ends in its device's refusal, nothing stays open, and the
// program goes on (no quit message is left for the main loop).
TEST_F(DeviceCommands, OpenGlAndVisionRefusalsLeaveTheProgramRunning)
{
    ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
    strcpy(g_szSaveName, Media("sbs.avi").c_str());
    const std::string openGl = "OpenGL Quad-buffered stereo is not supported. ";
    struct Row {
        int device, id;
        bool asksForFile;
        const char *caption;
    } rows[] = {
        {2, IDM_SHUTTER_PLAY_PAIR, false, "Error!"},
        {2, IDM_SHUTTER_PLAY_FILE, true, "Error!"},
        {2, IDM_PLAY_FILE_FULLSCREEN, true, "Error!"},
        {2, IDM_SHUTTER_PLAY_SAVED, false, "Error!"},
        {3, IDM_SHUTTER_PLAY_PAIR, false, "Unable to initialize NVAPI"},
        {3, IDM_SHUTTER_PLAY_FILE, true, "Unable to initialize NVAPI"},
        {3, IDM_PLAY_FILE_FULLSCREEN, true, "Unable to initialize NVAPI"},
        {3, IDM_SHUTTER_PLAY_SAVED, false, "Unable to initialize NVAPI"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::to_string(r.device) + " " + std::to_string(r.id));
        boxes->shown.clear();
        g_nVidia = r.device;
        g_nDispFormat = 0;
        if (r.asksForFile)
            names.push_back(Media("sbs.avi"));
        Command(r.id);
        names.clear();
        ASSERT_EQ(boxes->shown.size(), 1u);
        EXPECT_EQ(boxes->shown[0].caption, r.caption);
        if (r.device == 2)
            EXPECT_EQ(boxes->shown[0].text, openGl);
        EXPECT_FALSE(boxes->shown[0].quitPending);
        MSG quit;
        EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
        EXPECT_EQ(g_bGLActive, 0);
        EXPECT_EQ(g_hwndGL, nullptr);
        EXPECT_EQ(FindWindowA("OpenGL", nullptr), nullptr);
        EXPECT_EQ(FindWindowA("QFR 3D Vision", nullptr), nullptr);
        EXPECT_FALSE(g_playMovie.bOpen);
        Pump();
        EXPECT_TRUE(IsWindow(main));
    }
    // The pair stays open and the next command runs.
    EXPECT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    Command(IDM_NEXT_FRAME);
    EXPECT_EQ(g_nFrame, 1);
}

// The OpenGL window lies over the main window's client area: a full-screen
// view leaves full screen before it is made.
TEST_F(DeviceCommands, OpenGlDeviceLeavesFullScreenFirst)
{
    ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
    Command(IDM_FULLSCREEN);
    ASSERT_EQ(g_bFullScreen, 1);
    ASSERT_TRUE(GetWindowLongA(g_hwndView, GWL_STYLE) & WS_POPUP);
    g_nVidia = 2;
    Command(IDM_SHUTTER_PLAY_PAIR);
    EXPECT_EQ(g_bFullScreen, 0);
    ASSERT_TRUE(IsWindow(g_hwndView));
    EXPECT_TRUE(GetWindowLongA(g_hwndView, GWL_STYLE) & WS_CHILD);
}

TEST_F(DeviceCommands, FileDialogTakesThePlayedFile)
{
    strcpy(g_szLeftName, Media("scene_L.avi").c_str());
    struct Row {
        int id, source;
    } rows[] = {{IDM_PLAY_FILE_FULLSCREEN, 2}, {IDM_SHUTTER_PLAY_FILE, 1}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.id);
        g_nVidia = 3;
        g_szPlayFile[0] = '\0';
        g_bAllFrameAdjust = 1;
        names.push_back(Media("sbs.avi"));
        Command(r.id);
        EXPECT_EQ(g_nPlaySource, r.source);
        EXPECT_EQ(g_bAllFrameAdjust, 0);
        EXPECT_EQ(std::string(g_szPlayFile), Media("sbs.avi"));
        EXPECT_EQ(std::string(g_stereoPair.szName), Media("sbs.avi"));
    }
    // Cancelled: nothing is played and the name stays.
    boxes->shown.clear();
    Command(IDM_SHUTTER_PLAY_FILE);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, LoadStr(IDS_TITLE_OPEN_PLAY));
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(std::string(g_szPlayFile), Media("sbs.avi"));
}

TEST_F(DeviceCommands, SavedMovieOfAnotherLayoutAsksFirst)
{
    g_nVidia = 3;
    struct Row {
        int layout, answer;
        bool asked, played;
        int fileLayout;
    } rows[] = {
        {2, IDNO, true, false, 7}, {3, IDYES, true, true, 0}, {1, IDNO, false, true, 1}, {0, IDNO, false, true, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.layout);
        strcpy(g_szSaveName, Media("sbs.avi").c_str());
        g_szPlayFile[0] = '\0';
        g_nBunkatu = 7;
        g_nPlaySource = 0;
        g_nSaveLayout = r.layout;
        boxes->shown.clear();
        boxes->answer = r.answer;
        Command(IDM_SHUTTER_PLAY_SAVED);
        // Played, the viewer says NVAPI is missing.
        ASSERT_EQ(boxes->shown.size(), (size_t)(r.asked + r.played));
        if (r.asked) {
            EXPECT_EQ(boxes->shown[0].text, LoadStr(IDS_SAVED_LAYOUT_WARNING));
            EXPECT_EQ(boxes->shown[0].caption, LoadStr(IDS_WARNING_CAPTION));
            EXPECT_EQ(boxes->shown[0].type & 0xF, (UINT)MB_YESNO);
        }
        if (r.played)
            EXPECT_EQ(boxes->shown.back().caption, "Unable to initialize NVAPI");
        EXPECT_EQ(g_nBunkatu, r.fileLayout);
        EXPECT_EQ(std::string(g_szPlayFile), r.played ? Media("sbs.avi") : "");
        EXPECT_EQ(g_nPlaySource, r.played ? 1 : 0);
    }
}

TEST_F(DeviceCommands, Direct3DPlayerEndsSilentlyOnAFileItCannotOpen)
{
    ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
    const std::string missing = Media("no_such_movie.avi");
    struct Row {
        int id;
        bool asksForFile;
    } rows[] = {{IDM_SHUTTER_PLAY_FILE, true}, {IDM_PLAY_FILE_FULLSCREEN, true}, {IDM_SHUTTER_PLAY_SAVED, false}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.id);
        g_nVidia = 1;
        g_nDispFormat = 0;
        g_nSaveLayout = 0;
        strcpy(g_szSaveName, missing.c_str());
        boxes->shown.clear();
        if (r.asksForFile)
            names.push_back(missing);
        Command(r.id);
        names.clear();
        Pump();
        EXPECT_TRUE(boxes->shown.empty());
        EXPECT_EQ(FindWindowA("nVidiaStereo", nullptr), nullptr);
        EXPECT_TRUE(IsWindow(main));
    }
    // The pair stays open and the next command runs.
    EXPECT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    Command(IDM_NEXT_FRAME);
    EXPECT_EQ(g_nFrame, 1);
}

TEST_F(DeviceCommands, RefusedWhileTheDirect3DPlayerRuns)
{
    ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
    strcpy(g_szSaveName, Media("sbs.avi").c_str());
    // A player's window is up (it serves the main window meanwhile).
    HWND player = CreateWindowExA(0, "STATIC", "nVidiaStereo", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr, g_hInst,
                                  nullptr);
    ASSERT_NE(player, nullptr);
    g_hwndPlayer3D = player;
    for (int device : {0, 1})
        for (int id : {IDM_SHUTTER_PLAY_PAIR, IDM_SHUTTER_PLAY_FILE, IDM_PLAY_FILE_FULLSCREEN,
                       IDM_SHUTTER_PLAY_SAVED}) {
            SCOPED_TRACE(std::to_string(device) + " " + std::to_string(id));
            g_nVidia = device;
            g_nPlaySource = 5;
            g_nBunkatu = 3;
            Command(id);
            EXPECT_TRUE(boxes->shown.empty());
            EXPECT_TRUE(dialogs.empty());
            EXPECT_EQ(g_nPlaySource, 5);
            EXPECT_EQ(g_nBunkatu, 3);
        }
    g_hwndPlayer3D = nullptr;
    DestroyWindow(player);
    // Closed, the commands run again.
    g_nVidia = 3;
    Command(IDM_SHUTTER_PLAY_PAIR);
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].caption, "Unable to initialize NVAPI");
}

TEST_F(DeviceCommands, NoSavedMovieNothingHappens)
{
    for (int device : {0, 1})
        for (int id : {IDM_SHUTTER_PLAY_SAVED, IDM_PLAY_SAVED}) {
            g_nVidia = device;
            Command(id);
        }
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(g_szPlayFile[0], '\0');
}

TEST_F(DeviceCommands, PairOfTwoSizesIsNotHandedToADevice)
{
    // 160 x 120 beside 320 x 120: opening the pair already says so once.
    OpenPair(Media("scene_L.avi"), Media("sbs.avi"));
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    g_nVidia = 1;
    boxes->shown.clear();
    Command(IDM_SHUTTER_PLAY_PAIR);
    EXPECT_EQ(Boxes(), Texts({IDS_SIZE_MISMATCH}));
}

TEST_F(DeviceCommands, SettingsCommandOpensTheDialog)
{
    Command(IDM_SHUTTER_SETTINGS);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(Utf8(dialogs[0].title), "液晶シャッター再生の設定");
}

TEST_F(DeviceCommands, RefusedWhileBusy)
{
    ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
    strcpy(g_szSaveName, Media("sbs.avi").c_str());
    g_nSaveLayout = 2;
    for (int busy : {kBusyPlaying, kBusySaving})
        for (int id : {IDM_SHUTTER_SETTINGS, IDM_SHUTTER_PLAY_PAIR, IDM_SHUTTER_PLAY_FILE, IDM_PLAY_FILE_FULLSCREEN,
                       IDM_SHUTTER_PLAY_SAVED, IDM_PLAY_SAVED}) {
            SCOPED_TRACE(std::to_string(busy) + " " + std::to_string(id));
            g_nBusy = busy;
            g_nPlaySource = 5;
            Command(id);
            g_nBusy = 0;
            EXPECT_TRUE(boxes->shown.empty());
            EXPECT_TRUE(dialogs.empty());
            EXPECT_EQ(g_nPlaySource, 5);
            EXPECT_EQ(g_szPlayFile[0], '\0');
        }
}

TEST_F(DeviceCommands, OpenGlDisplayPlaysThePairInItsWindowOrCancels)
{
    ASSERT_TRUE(OpenPair(Media("scene_L.avi"), Media("scene_R.avi")));
    g_nFrame = 3;
    g_bGLActive = 1;
    HWND gl = g_hwndGL;
    g_hwndGL = nullptr;  // no OpenGL window: the message goes nowhere
    Command(IDM_SHUTTER_PLAY_PAIR);
    EXPECT_EQ(g_nFrame, 0);
    g_nBusy = kBusyPlaying;
    g_bCancel = 0;
    Command(IDM_SHUTTER_PLAY_PAIR);
    EXPECT_EQ(g_bCancel, 1);
    // The media player and 2027 are refused beside the OpenGL window.
    g_nBusy = 0;
    strcpy(g_szSaveName, Media("sbs.avi").c_str());
    Command(IDM_PLAY_SAVED);
    Command(IDM_PLAY_FILE_FULLSCREEN);
    g_bGLActive = 0;
    g_hwndGL = gl;
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_TRUE(dialogs.empty());
}

}  // namespace
