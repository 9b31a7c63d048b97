// The media player over Wine's DirectShow, in this process beside the main
// window: opening movies made by ffmpeg, the title and the keys, sizes,
// the seek bar, the end of a clip with and without repeat, refused and
// unreadable files, and the gaps of Wine's renderer.
#include "resources/resource_ids.h"
#include "shared/platform_compat.h"
#include "shell/player_rules.h"
#include "shared/string_table.h"
#include "shell/main_window.h"
#include "shell/media_player.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>

namespace {

std::string Media(const char *name) { return HostFile(TWR_PLAYER_MEDIA_DIR, name); }

// ffprobe's duration of a movie, written beside it (ms).
int ProbedMs(const char *name)
{
    std::string path = HostFile(TWR_PLAYER_MEDIA_DIR, (std::string(name) + ".duration").c_str());
    FILE *f = fopen(path.c_str(), "r");
    int ms = -1;
    if (f) {
        if (fscanf(f, "%d", &ms) != 1)
            ms = -1;
        fclose(f);
    }
    return ms;
}

int PositionMs()
{
    REFTIME now = -1;
    if (!pMP || FAILED(pMP->get_CurrentPosition(&now)))
        return -1;
    return (int)(now * 1000 + 0.5);
}

class MediaPlayer : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!IsWindow(main))
            OpenMainWindow();
        ShowWindow(main, SW_SHOW);
        g_bRepeat = 0;
        g_bPlayerAtEnd = 0;
        g_szSaveName[0] = '\0';
    }
    void TearDown() override
    {
        if (g_hwndPlayer)
            SendMessageA(g_hwndPlayer, WM_CLOSE, 0, 0);
        Pump();
        MainWindowTest::TearDown();
    }

    // Pumps the thread's messages until the condition holds or the time
    // is up; whether it held.
    static bool PumpUntil(const std::function<bool()> &done, DWORD ms = 10000)
    {
        DWORD start = GetTickCount();
        for (;;) {
            Pump();
            if (done())
                return true;
            if (GetTickCount() - start > ms)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    static void PumpFor(DWORD ms)
    {
        PumpUntil([] { return false; }, ms);
    }

    // Opens the player on a movie and waits until it plays (or a box came).
    static bool Play(const std::string &path)
    {
        OpenPlayerWindow(path.c_str());
        return PumpUntil([] { return g_nPlayerState == kPlayerRunning || !boxes->shown.empty(); }) &&
               g_nPlayerState == kPlayerRunning;
    }

    static void Key(UINT vk)
    {
        SendMessageA(g_hwndPlayer, WM_KEYDOWN, vk, 0);
        Pump();
    }

    static std::string Title()
    {
        char text[512] = "";
        GetWindowTextA(g_hwndPlayer, text, sizeof text);
        return Utf8(text);
    }

    static SIZE VideoSize()
    {
        long left = 0, top = 0, w = 0, h = 0;
        if (pVW)
            pVW->GetWindowPosition(&left, &top, &w, &h);
        return SIZE{w, h};
    }

    static UINT ItemState(int id) { return GetMenuState(GetMenu(g_hwndPlayer), id, MF_BYCOMMAND); }
};

TEST_F(MediaPlayer, OpensAndPlaysWhatFfprobeMeasures)
{
    for (const char *name : {"clip.avi", "clip.mp4"}) {
        SCOPED_TRACE(name);
        boxes->shown.clear();
        ASSERT_TRUE(Play(Media(name))) << (boxes->shown.empty() ? "" : boxes->shown[0].text);
        EXPECT_TRUE(boxes->shown.empty());
        EXPECT_EQ(Title(), std::string(name) + u8" [ビデオ] ");
        int probed = ProbedMs(name);
        ASSERT_GT(probed, 0);
        EXPECT_NEAR(g_nClipLengthMs, probed, 40);
        EXPECT_EQ(g_nFrameMs, 40);  // 25 frames a second
        EXPECT_EQ(g_bAudioOnly, 0);
        // The main window and its position bar give way to the player.
        EXPECT_TRUE(IsWindowVisible(g_hwndPlayer));
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_TRUE(ItemState(IDM_PLAYER_SIZE_100) & MF_CHECKED);
        EXPECT_FALSE(ItemState(IDM_PLAYER_PLAY) & MF_GRAYED);
        SIZE video = VideoSize();
        EXPECT_EQ(video.cx, 320);
        EXPECT_EQ(video.cy, 240);
        RECT client;
        GetClientRect(g_hwndPlayer, &client);
        EXPECT_EQ(client.bottom, 240 + TOOLHIGHT);

        // While playing, the graph's position follows the clock, and the
        // timer brings it to g_nSeekMs.
        int from = PositionMs();
        DWORD start = GetTickCount();
        ASSERT_TRUE(PumpUntil([&] { return g_nSeekMs > from; }));
        PumpFor(500);
        int moved = PositionMs() - from, wall = (int)(GetTickCount() - start);
        EXPECT_NEAR(moved, wall, 60);
        EXPECT_LE(g_nSeekMs, PositionMs());

        // F2 reads as Q: the player closes and the main window returns.
        Key(VK_F2);
        EXPECT_EQ(g_hwndPlayer, nullptr);
        EXPECT_EQ(pGB, nullptr);
        EXPECT_TRUE(IsWindowVisible(main));
    }
    // The main window goes on.
    ASSERT_TRUE(OpenPair(HostFile(TWR_PLAYER_MEDIA_DIR, "clip.avi"), HostFile(TWR_PLAYER_MEDIA_DIR, "clip.avi")));
    Command(IDM_NEXT_FRAME);
    EXPECT_EQ(g_nFrame, 1);
}

// The graph is in the running-object table under its address and the
// process id while a clip is open, and leaves it with the clip.
TEST_F(MediaPlayer, GraphIsRegisteredWhileOpen)
{
    ASSERT_TRUE(Play(Media("clip.avi")));
    ASSERT_NE(g_dwRotRegister, 0u);
    WCHAR expected[64];
    wsprintfW(expected, L"!FilterGraph %08x pid %08x", (DWORD)(DWORD_PTR)pGB, GetCurrentProcessId());
    auto registered = [&]() {
        IRunningObjectTable *table = nullptr;
        IEnumMoniker *monikers = nullptr;
        bool found = false;
        if (SUCCEEDED(GetRunningObjectTable(0, &table)) && SUCCEEDED(table->EnumRunning(&monikers))) {
            IMoniker *m = nullptr;
            while (!found && monikers->Next(1, &m, nullptr) == S_OK) {
                IBindCtx *ctx = nullptr;
                LPOLESTR name = nullptr;
                if (SUCCEEDED(CreateBindCtx(0, &ctx)) && SUCCEEDED(m->GetDisplayName(ctx, nullptr, &name))) {
                    found = lstrcmpW(name, expected) == 0;
                    CoTaskMemFree(name);
                }
                if (ctx)
                    ctx->Release();
                m->Release();
            }
        }
        if (monikers)
            monikers->Release();
        if (table)
            table->Release();
        return found;
    };
    EXPECT_TRUE(registered());
    SendMessageA(g_hwndPlayer, WM_COMMAND, IDM_PLAYER_CLOSE_CLIP, 0);
    EXPECT_EQ(g_dwRotRegister, 0u);
    EXPECT_FALSE(registered());
    EXPECT_EQ(g_nPlayerState, kPlayerNoClip);
    EXPECT_EQ(Title(), u8"再生モード");
}

TEST_F(MediaPlayer, TitleFollowsTheKeys)
{
    ASSERT_TRUE(Play(Media("clip.avi")));
    const std::string base = u8"clip.avi [ビデオ] ";
    struct Row {
        UINT vk;
        const char *tail;
        double rate;
    } rows[] = {
        {VK_RIGHT, "(Rate:1.25)", 1.25},
        {VK_RIGHT, "(Rate:1.50)", 1.5},
        {VK_DOWN, "", 1.0},
        {VK_LEFT, "(Rate:0.75)", 0.75},
        {'S', u8"(停止中)(Rate:0.75)", 0.75},
        {VK_DOWN, u8"(停止中)", 1.0},
        {'P', "", 1.0},
        {VK_F4, u8"(停止中)", 1.0},  // F4 reads as S
        {VK_F1, "", 1.0},            // and F1 as P
        {VK_LEFT, "(Rate:0.75)", 0.75},
        {VK_LEFT, "(Rate:0.50)", 0.5},
        {VK_LEFT, "(Rate:0.25)", 0.25},
        {VK_LEFT, "(Rate:0.25)", 0.25},  // no rate of zero
        {VK_DOWN, "", 1.0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.vk);
        Key(r.vk);
        EXPECT_EQ(Title(), base + r.tail);
        EXPECT_DOUBLE_EQ(g_dRate, r.rate);
    }
    // The rate menu sets the rate outright.
    struct Command {
        int id;
        double rate;
    } commands[] = {{IDM_PLAYER_RATE_DOUBLE, 2.0}, {IDM_PLAYER_FASTER, 2.25}, {IDM_PLAYER_RATE_HALF, 0.5},
                    {IDM_PLAYER_SLOWER, 0.25}, {IDM_PLAYER_RATE_NORMAL, 1.0}};
    for (const Command &c : commands) {
        SendMessageA(g_hwndPlayer, WM_COMMAND, c.id, 0);
        EXPECT_DOUBLE_EQ(g_dRate, c.rate);
    }
}

// What Wine's renderer does not do, each with what the player makes of it.
TEST_F(MediaPlayer, PlatformGapsOfTheRenderer)
{
    ASSERT_TRUE(Play(Media("clip.avi")));
    // The rate is taken but not read back: the player keeps its own.
    ASSERT_TRUE(SUCCEEDED(pMP->put_Rate(1.5)));
    double rate = 0;
    ASSERT_TRUE(SUCCEEDED(pMP->get_Rate(&rate)));
    EXPECT_EQ(rate == 1.5, !GraphRateNotReadBack()) << rate;
    ASSERT_TRUE(SUCCEEDED(pMP->put_Rate(1.0)));

    // The frame time of 25 frames a second: Wine's 32-bit graph gives its
    // times in single precision, which the player rounds back to 100 ns.
    REFTIME perFrame = 0;
    ASSERT_TRUE(pBV && SUCCEEDED(pBV->get_AvgTimePerFrame(&perFrame)));
    EXPECT_TRUE(perFrame == 0.04 || (IsRunningOnWine() && perFrame == (double)0.04f)) << perFrame;
    EXPECT_EQ(GraphTimeExact(perFrame), 0.04);
    EXPECT_EQ(PlayerFrameMs(GraphTimeExact(perFrame), true), 40);

    // No single-frame stepping under Wine: the player steps by seeking.
    IVideoFrameStep *step = nullptr;
    HRESULT canStep = E_NOINTERFACE;
    if (SUCCEEDED(pGB->QueryInterface(IID_IVideoFrameStep, (void **)&step))) {
        canStep = step->CanStep(0, nullptr);
        step->Release();
    }
    if (IsRunningOnWine())
        EXPECT_EQ(canStep, E_NOTIMPL);
    EXPECT_EQ(g_pFrameStep != nullptr, canStep == S_OK);

    // No full-screen mode: Enter says so in its box and the clip plays on.
    boxes->shown.clear();
    Key(VK_RETURN);
    long mode = 0;
    HRESULT hr = pVW->get_FullScreenMode(&mode);
    if (hr == E_NOTIMPL) {
        ASSERT_EQ(boxes->shown.size(), 1u);
        EXPECT_EQ(boxes->shown[0].text, "FAILED(hr=0x80004001) in pVW->get_FullScreenMode(&lMode)\n");
        EXPECT_EQ(g_bPlayerFullScreen, 0);
    } else {
        EXPECT_TRUE(boxes->shown.empty());
        EXPECT_EQ(g_bPlayerFullScreen, 1);
        Key(VK_ESCAPE);  // leaves full screen, the player stays
        EXPECT_EQ(g_bPlayerFullScreen, 0);
    }
    EXPECT_EQ(g_nPlayerState, kPlayerRunning);
    ASSERT_NE(g_hwndPlayer, nullptr);

    // Mute: the volume is read and put (Wine's null sound device has one).
    boxes->shown.clear();
    Key('M');
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(g_lVolume, -10000);
    EXPECT_EQ(Title(), u8"clip.avi [ビデオ] (消音)");
    long volume = 0;
    ASSERT_TRUE(SUCCEEDED(pBA->get_Volume(&volume)));
    EXPECT_EQ(volume, -10000);
    Key(VK_SUBTRACT);  // the keypad's minus reads as M
    EXPECT_EQ(g_lVolume, 0);
    EXPECT_EQ(Title(), u8"clip.avi [ビデオ] ");
}

TEST_F(MediaPlayer, SizeKeysResizeTheVideoAndCheckTheirItem)
{
    ASSERT_TRUE(Play(Media("clip.avi")));
    struct Row {
        UINT vk;
        int item, w, h;
    } rows[] = {
        {'H', IDM_PLAYER_SIZE_50, 160, 120},   {'T', IDM_PLAYER_SIZE_75, 240, 180},
        {'D', IDM_PLAYER_SIZE_200, 640, 480},  {'N', IDM_PLAYER_SIZE_100, 320, 240},
        {VK_NUMPAD8, IDM_PLAYER_SIZE_50, 160, 120},  // the keypad's 8 reads as H
        {VK_NUMPAD4, IDM_PLAYER_SIZE_200, 640, 480},  // and its 4 as D
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.vk);
        Key(r.vk);
        SIZE video = VideoSize();
        EXPECT_EQ(video.cx, r.w);
        EXPECT_EQ(video.cy, r.h);
        // The window is never narrower than its 200-pixel minimum.
        RECT client;
        GetClientRect(g_hwndPlayer, &client);
        EXPECT_GE(client.right, r.w);
        EXPECT_EQ(client.bottom, r.h + TOOLHIGHT);
        for (int item : {IDM_PLAYER_SIZE_50, IDM_PLAYER_SIZE_75, IDM_PLAYER_SIZE_100, IDM_PLAYER_SIZE_200})
            EXPECT_EQ((ItemState(item) & MF_CHECKED) != 0, item == r.item) << item;
    }
    // The custom size, cancelled, changes nothing.
    dialogs.clear();
    SendMessageA(g_hwndPlayer, WM_COMMAND, IDM_PLAYER_CUSTOM_SIZE, 0);
    int asked = 0;  // the seek and position bars are dialogs too
    for (const SeenDialog &d : dialogs)
        asked += Utf8(d.title) == u8"カスタムサイズ";
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(VideoSize().cx, 640);
    EXPECT_TRUE(ItemState(IDM_PLAYER_SIZE_200) & MF_CHECKED);

    // The main window's accelerators keep off the player's keys, also
    // while its seek bar is in front.
    EXPECT_FALSE(KeysGoToMainWindow(g_hwndPlayer));
    EXPECT_FALSE(KeysGoToMainWindow(g_hwndSeekBar));
    EXPECT_TRUE(KeysGoToMainWindow(main));
    EXPECT_TRUE(KeysGoToMainWindow(nullptr));

    // The seek bar lies over the toolbar strip, right of its buttons.
    RECT player, bar;
    GetWindowRect(g_hwndPlayer, &player);
    GetWindowRect(g_hwndSeekBar, &bar);
    EXPECT_TRUE(IsWindowVisible(g_hwndSeekBar));
    EXPECT_EQ(bar.left, player.left + 320);
    EXPECT_EQ(bar.right - bar.left, player.right - player.left - 324);
}

// The seek bar, the ends and the steps move the graph's position (through
// IMediaPosition: Wine's renderer cannot step single frames).
TEST_F(MediaPlayer, SeekBarEndsAndStepsMoveThePosition)
{
    ASSERT_TRUE(Play(Media("clip.avi")));
    HWND scroll = GetDlgItem(g_hwndSeekBar, IDC_SEEK_SCROLL);
    int lo = -1, hi = -1;
    GetScrollRange(scroll, SB_CTL, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, (g_nClipLengthMs - 1) / 40);

    // The thumb at unit 25 is one second in; the clip pauses there.
    SendMessageA(g_hwndSeekBar, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 25), (LPARAM)scroll);
    EXPECT_EQ(g_nSeekMs, 1000);
    EXPECT_EQ(g_nPlayerState, kPlayerPaused);
    EXPECT_NEAR(PositionMs(), 1000, 1);
    struct Row {
        UINT vk;
        int ms;
    } rows[] = {{VK_SPACE, 1040}, {'5', 1240}, {'1', 1280}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.vk);
        Key(r.vk);
        EXPECT_NEAR(PositionMs(), r.ms, 1);
        EXPECT_EQ(g_nPlayerState, kPlayerPaused);
    }
    // The timer brings the paused position to the bar; a page is a tenth.
    ASSERT_TRUE(PumpUntil([] { return g_nSeekMs == PositionMs(); }, 2000));
    int before = g_nSeekMs;
    SendMessageA(g_hwndSeekBar, WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), (LPARAM)scroll);
    EXPECT_EQ(g_nSeekMs, before + (g_nClipLengthMs - 1) / 10);
    EXPECT_NEAR(PositionMs(), g_nSeekMs, 1);
    // The last button: the end, flagged.
    SendMessageA(g_hwndSeekBar, WM_COMMAND, IDC_SEEK_LAST, 0);
    EXPECT_EQ(g_bPlayerAtEnd, 1);
    EXPECT_NEAR(PositionMs(), g_nClipLengthMs - 1, 1);
    // Space at the end rewinds before its step.
    Key(VK_SPACE);
    EXPECT_EQ(g_bPlayerAtEnd, 0);
    EXPECT_NEAR(PositionMs(), 40, 1);
    // The first button.
    SendMessageA(g_hwndSeekBar, WM_COMMAND, IDC_SEEK_FIRST, 0);
    EXPECT_NEAR(PositionMs(), 0, 1);
}

TEST_F(MediaPlayer, EndOfClipPausesAndPlayRewinds)
{
    ASSERT_TRUE(Play(Media("short.avi")));
    ASSERT_TRUE(PumpUntil([] { return g_bPlayerAtEnd == 1; }, 5000));
    EXPECT_EQ(g_nPlayerState, kPlayerPaused);
    EXPECT_NE(Title().find(u8"(停止中)"), std::string::npos);
    // P rewinds and plays again.
    Key('P');
    EXPECT_EQ(g_bPlayerAtEnd, 0);
    EXPECT_EQ(g_nPlayerState, kPlayerRunning);
    EXPECT_LT(PositionMs(), g_nClipLengthMs / 2);

    // The flag belongs to its clip: at the end again, a new file steps
    // from its own position.
    ASSERT_TRUE(PumpUntil([] { return g_bPlayerAtEnd == 1; }, 5000));
    static std::string next;
    next = Media("clip.avi");
    OpenPlayerWindow(next.c_str());
    ASSERT_TRUE(PumpUntil([] { return strstr(g_szClipName, "clip.avi") && g_nPlayerState == kPlayerRunning; }));
    EXPECT_EQ(g_bPlayerAtEnd, 0);
    Key('S');
    int at = PositionMs();
    Key(VK_SPACE);
    EXPECT_NEAR(PositionMs(), at + 40, 1);
}

TEST_F(MediaPlayer, RepeatStartsTheClipOver)
{
    g_bRepeat = 1;
    ASSERT_TRUE(Play(Media("short.avi")));
    int length = g_nClipLengthMs;
    // Past its end the clip starts over and keeps running.
    int highest = 0;
    bool wrapped = PumpUntil(
        [&] {
            int at = PositionMs();
            highest = at > highest ? at : highest;
            return highest > length / 2 && at >= 0 && at < highest - length / 2;
        },
        5000);
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(g_bPlayerAtEnd, 0);
    EXPECT_EQ(g_nPlayerState, kPlayerRunning);
}

TEST_F(MediaPlayer, AudioOnlyClipHasNoVideoCommands)
{
    ASSERT_TRUE(Play(Media("sound.wav")));
    EXPECT_EQ(g_bAudioOnly, 1);
    EXPECT_EQ(Title(), u8"sound.wav [オーディオ] ");
    EXPECT_EQ(g_nFrameMs, 10);
    EXPECT_NEAR(g_nClipLengthMs, ProbedMs("sound.wav"), 40);
    Key('F');
    EXPECT_EQ(g_bPlayerFullScreen, 0);
    SendMessageA(g_hwndPlayer, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(g_bPlayerFullScreen, 0);
    EXPECT_TRUE(ItemState(IDM_PLAYER_SIZE_50) & MF_GRAYED);
    Key('S');
    EXPECT_EQ(Title(), u8"sound.wav [オーディオ] (停止中)");
}

// A file DirectShow cannot render, and a play list chosen in the player's
// own dialog: their boxes, no clip, and the player and the program go on.
TEST_F(MediaPlayer, RefusedAndUnreadableFilesSayWhy)
{
    EXPECT_FALSE(Play(Media("broken.avi")));
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text.rfind("FAILED(hr=0x", 0), 0u) << boxes->shown[0].text;
    EXPECT_NE(boxes->shown[0].text.find(") in pGB->RenderFile(wFile, NULL)\n"), std::string::npos);
    EXPECT_EQ(boxes->shown[0].caption, LoadStr(IDS_APP_NAME));
    EXPECT_EQ(boxes->shown[0].type, (UINT)MB_OK);
    EXPECT_EQ(g_nPlayerState, kPlayerNoClip);
    EXPECT_EQ(pGB, nullptr);
    ASSERT_NE(g_hwndPlayer, nullptr);

    // The open command with no clip asks for a file; a play list is refused.
    boxes->shown.clear();
    names.push_back(Media("list.asx"));
    SendMessageA(g_hwndPlayer, WM_COMMAND, IDM_PLAYER_OPEN, 0);
    EXPECT_TRUE(names.empty());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, std::string(LoadStr(IDS_PLAYER_NO_ASX)) + LoadStr(IDS_PLAYER_CHOOSE_MEDIA));
    EXPECT_EQ(g_nPlayerState, kPlayerNoClip);
    EXPECT_EQ(Title(), u8"再生モード");

    // The same window then plays a good file.
    boxes->shown.clear();
    names.push_back(Media("clip.avi"));
    SendMessageA(g_hwndPlayer, WM_COMMAND, IDM_PLAYER_OPEN, 0);
    EXPECT_EQ(g_nPlayerState, kPlayerRunning);
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_TRUE(IsWindow(main));
}

// A running player takes the next file by name: the clip is replaced.
TEST_F(MediaPlayer, RunningPlayerTakesTheNextFile)
{
    ASSERT_TRUE(Play(Media("clip.avi")));
    HWND first = g_hwndPlayer;
    static std::string next;
    next = Media("clip.mp4");
    ASSERT_EQ(OpenPlayerWindow(next.c_str()), 1);
    ASSERT_TRUE(PumpUntil([] { return strstr(g_szClipName, "clip.mp4") && g_nPlayerState == kPlayerRunning; }));
    EXPECT_EQ(g_hwndPlayer, first);
    EXPECT_EQ(Title(), u8"clip.mp4 [ビデオ] ");
}

// The main window's commands: 2028 plays the saved movie, 2027 a chosen
// file when its panel says "as it is" (display format 7).
TEST_F(MediaPlayer, MainWindowCommandsOpenThePlayer)
{
    struct Row {
        int id;
        bool asksForFile;
    } rows[] = {{IDM_PLAY_FILE_FULLSCREEN, true}, {IDM_PLAY_SAVED, false}};
    strcpy(g_szSaveName, Media("clip.avi").c_str());
    for (const Row &r : rows) {
        SCOPED_TRACE(r.id);
        g_nDispFormat = 7;
        if (r.asksForFile)
            names.push_back(Media("clip.avi"));
        Command(r.id);
        EXPECT_TRUE(names.empty());
        ASSERT_TRUE(PumpUntil([] { return g_nPlayerState == kPlayerRunning; }));
        EXPECT_TRUE(boxes->shown.empty());
        EXPECT_EQ(Title(), u8"clip.avi [ビデオ] ");
        // Esc closes it and the main window comes back.
        Key(VK_ESCAPE);
        EXPECT_EQ(g_hwndPlayer, nullptr);
        EXPECT_TRUE(IsWindowVisible(main));
    }
}

}  // namespace
