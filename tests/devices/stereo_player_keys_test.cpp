// The player window's keys and mouse buttons on an application object
// whose draw and play operations only count: which operation each key
// reaches for each source, the frame steps at the ends, the offsets of a
// file and of the pair, the switches, and the play loops of F2/F3 and the
// mouse buttons.
#include "devices/stereo_app.h"
#include "devices/stereo_player_state.h"
#include "state/app_state.h"

#include <gtest/gtest.h>

#include <string.h>

#include <deque>
#include <vector>

namespace {

class CountingApp : public StereoApp {
public:
    int PlayFormattedFile() override { return Play(2); }
    int DrawFormattedFile() override { return Draw(2); }
    int PlayStereoFile() override { return Play(1); }
    int DrawStereoFile() override { return Draw(1); }
    int PlayStereoPair() override { return Play(0); }
    int DrawStereoPair() override { return Draw(0); }

    int Play(int source)
    {
        plays[source]++;
        int &frame = source ? g_nPlayFrame : g_nFrame;
        framesAtPlay.push_back(frame);
        frame += 5;  // a loop moves on before it stops
        int r = playResults.empty() ? 1 : playResults.front();
        if (!playResults.empty())
            playResults.pop_front();
        return r;
    }
    int Draw(int source)
    {
        draws[source]++;
        helpAtDraw.push_back(g_bShowHelp);
        return 0;
    }

    int plays[3] = {}, draws[3] = {};
    std::deque<int> playResults;
    std::vector<int> framesAtPlay, helpAtDraw;
};

class PlayerKeys : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterStereoApp(nullptr);
        g_playMovie.nFrames = 10;
        g_pPlayMovie = &g_playMovie;
        g_nClipLength = 20;
        g_nPlayFrame = g_nFrame = 0;
        g_nFileShiftX = g_nFileShiftY = g_nShiftX = g_nShiftY = 0;
        g_bRepeat = 0;
        g_bShowHelp = g_bShowInfo = 0;
        g_nPlayerSwap = g_nPlayerClear = 0;
        g_nDispFormat = 0;
        g_nPlaySource = 0;
    }
    void TearDown() override
    {
        RegisterStereoApp(nullptr);  // the objects die with the test
        g_pPlayMovie = nullptr;
        g_playMovie.nFrames = 0;
    }

    LRESULT Send(UINT message, WPARAM key) { return HandlePlayerInput(app, nullptr, message, key); }
    int Draws() const { return app.draws[0] + app.draws[1] + app.draws[2]; }

    CountingApp app;
};

TEST_F(PlayerKeys, SpaceAndBackSpaceStepTheFrameOfTheSourceAndStopAtTheEndsUnlessRepeating)
{
    struct {
        const char *what;
        int source;
        WPARAM key;
        int frame, repeat;
        int wantFrame;
        bool drawn;
    } cases[] = {
        {"file forward", 1, VK_SPACE, 3, 0, 4, true},
        {"file past the last frame", 1, VK_SPACE, 9, 0, 9, false},
        {"file past the last, repeating", 1, VK_SPACE, 9, 1, 0, true},
        {"file back", 2, VK_BACK, 3, 0, 2, true},
        {"file before the first", 2, VK_BACK, 0, 0, 0, false},
        {"file before the first, repeating", 2, VK_BACK, 0, 1, 9, true},
        {"pair forward", 0, VK_SPACE, 18, 0, 19, true},
        {"pair past the last", 0, VK_SPACE, 19, 0, 19, false},
        {"pair past the last, repeating", 0, VK_SPACE, 19, 1, 0, true},
        {"pair before the first, repeating", 0, VK_BACK, 0, 1, 19, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        memset(app.draws, 0, sizeof app.draws);
        g_nPlaySource = c.source;
        g_bRepeat = c.repeat;
        int &frame = c.source ? g_nPlayFrame : g_nFrame;
        int &other = c.source ? g_nFrame : g_nPlayFrame;
        frame = c.frame;
        other = 7;
        EXPECT_EQ(0, Send(WM_KEYDOWN, c.key));
        EXPECT_EQ(c.wantFrame, frame);
        EXPECT_EQ(7, other);
        EXPECT_EQ(c.drawn ? 1 : 0, app.draws[c.source]);
        EXPECT_EQ(c.drawn ? 1 : 0, Draws());
        // Released, the keys do nothing.
        Send(WM_KEYUP, c.key);
        EXPECT_EQ(c.wantFrame, frame);
    }
}

TEST_F(PlayerKeys, OffsetKeysMoveTheFilesOffsetsOrThePairs)
{
    struct {
        WPARAM key;
        int wantX, wantY;
    } cases[] = {
        {VK_LEFT, 6, 3}, {VK_RIGHT, 14, 3}, {VK_UP, 10, 2}, {VK_DOWN, 10, 4}, {VK_HOME, 0, 0},
    };
    for (int source : {0, 1, 2}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << "source " << source << " key " << c.key);
            int &x = source ? g_nFileShiftX : g_nShiftX, &y = source ? g_nFileShiftY : g_nShiftY;
            int &otherX = source ? g_nShiftX : g_nFileShiftX;
            g_nPlaySource = source;
            x = 10;
            y = 3;
            otherX = 99;
            int before = app.draws[source];
            Send(WM_KEYUP, c.key);
            EXPECT_EQ(c.wantX, x);
            EXPECT_EQ(c.wantY, y);
            EXPECT_EQ(99, otherX);
            EXPECT_EQ(before + 1, app.draws[source]);
            // Pressed, they do nothing.
            Send(WM_KEYDOWN, c.key);
            EXPECT_EQ(c.wantX, x);
        }
    }
}

TEST_F(PlayerKeys, DigitsChooseTheDisplayFormatOfAFormattedFileOnly)
{
    g_nPlaySource = 2;
    Send(WM_KEYUP, '3');
    EXPECT_EQ(3, g_nDispFormat);
    Send(WM_KEYUP, VK_NUMPAD7);
    EXPECT_EQ(7, g_nDispFormat);
    EXPECT_EQ(2, app.draws[2]);
    Send(WM_KEYDOWN, '5');
    EXPECT_EQ(7, g_nDispFormat);
    for (int source : {0, 1}) {
        g_nPlaySource = source;
        Send(WM_KEYUP, '1');
        Send(WM_KEYUP, VK_NUMPAD0);
        EXPECT_EQ(7, g_nDispFormat);
    }
    EXPECT_EQ(2, Draws());
}

TEST_F(PlayerKeys, SwitchesToggleAndAskForClearedFrames)
{
    g_nPlaySource = 1;
    Send(WM_KEYUP, 'H');
    EXPECT_EQ(1, g_bShowHelp);
    Send(WM_KEYUP, VK_F1);
    EXPECT_EQ(0, g_bShowHelp);
    Send(WM_KEYUP, 'X');
    EXPECT_EQ(1, g_nPlayerSwap);
    EXPECT_EQ(2, g_nPlayerClear);
    g_nPlayerClear = 0;
    Send(WM_KEYUP, VK_F5);
    EXPECT_EQ(1, g_bShowInfo);
    EXPECT_EQ(2, g_nPlayerClear);
    Send(WM_KEYUP, 'X');
    EXPECT_EQ(0, g_nPlayerSwap);
    EXPECT_EQ(5, app.draws[1]);
    Send(WM_KEYUP, 'Q');  // not a key of the player
    EXPECT_EQ(5, Draws());
}

TEST_F(PlayerKeys, PlayKeysRepeatTheLoopWhileItEndsAtTheEndAndThenShowTheHelpOnce)
{
    struct {
        const char *what;
        int source;
        UINT message;
        WPARAM key;
        std::vector<int> wantFrames;  // the frame at each call of the loop
    } cases[] = {
        {"F2 goes on from the frame", 1, WM_KEYUP, VK_F2, {4, 9, 14}},
        {"left button as F2", 0, WM_LBUTTONDOWN, 0, {4, 9, 14}},
        {"F3 starts each repeat at 0", 2, WM_KEYUP, VK_F3, {0, 0, 0}},
        {"right button as F3", 0, WM_RBUTTONDOWN, 0, {0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        CountingApp fresh;
        g_nPlaySource = c.source;
        (c.source ? g_nPlayFrame : g_nFrame) = 4;
        fresh.playResults = {0, 0, 1};
        HandlePlayerInput(fresh, nullptr, c.message, c.key);
        EXPECT_EQ(3, fresh.plays[c.source]);
        EXPECT_EQ(c.wantFrames, fresh.framesAtPlay);
        EXPECT_EQ(1, fresh.draws[c.source]);
        EXPECT_EQ(std::vector<int>{1}, fresh.helpAtDraw);
        EXPECT_EQ(0, g_bShowHelp);
    }
}

LRESULT CALLBACK CountCloses(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_CLOSE) {
        SetWindowLongPtrA(w, GWLP_USERDATA, GetWindowLongPtrA(w, GWLP_USERDATA) + 1);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

TEST_F(PlayerKeys, EnterAndEscapeCloseTheWindowWhenReleased)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CountCloses;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TwrCountCloses";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, w);
    HandlePlayerInput(app, w, WM_KEYDOWN, VK_RETURN);
    HandlePlayerInput(app, w, WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(0, GetWindowLongPtrA(w, GWLP_USERDATA));
    HandlePlayerInput(app, w, WM_KEYUP, VK_RETURN);
    HandlePlayerInput(app, w, WM_KEYUP, VK_ESCAPE);
    EXPECT_EQ(2, GetWindowLongPtrA(w, GWLP_USERDATA));
    EXPECT_EQ(0, Draws());
    DestroyWindow(w);
}

}  // namespace
