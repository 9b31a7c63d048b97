// The page-flip window against the WinX3D stand-in (standins/w3d_dd),
// inside a Wine virtual desktop of its own (scripts/run-in-desktop.sh), where
// DirectDraw's exclusive mode and mode changes work. The window runs its
// own loop on the test's thread; a second thread waits for the driver to
// start flipping and drives it with posted keys. The stand-in's log and
// its dumps of the eye surfaces are the oracle: what each eye received is
// compared with ffmpeg's crop of the same frame.
#include "devices/device_window_loop.h"
#include "devices/flip_chain.h"
#include "devices/fullscreen_sound.h"
#include "devices/page_flip_state.h"
#include "devices/page_flip_window.h"
#include "pipeline/play_clock.h"
#include "pipeline/streamed_sound.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/movie_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/w3d_registry.h"

#include <gtest/gtest.h>


#include <atomic>
#include <functional>
#include <sstream>
#include <stdio.h>
#include <string.h>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_FLIP_MEDIA_DIR, name); }
std::string PlayMedia(const char *name) { return HostFile(TWR_PLAY_MEDIA_DIR, name); }
std::string DriverFolder() { return HostPath(TWR_W3D_DIRS "/driver"); }

const int kScreenW = 1024, kScreenH = 768;

// One posted message (none for msg 0) and what to note once the window
// has handled it.
struct Step {
    UINT msg;
    WPARAM key;
    std::function<void()> after;
    bool wait = true;  // false: the next message follows at once
};

// What happened while the window was open.
struct Outcome {
    bool returned = false;   // RunW3DWindow came back
    bool flipped = false;    // the driver was asked to start flipping
    bool visible = false;    // the window was shown when the steps began
    std::string log;         // the stand-in's
    std::vector<ShownBox> boxes;
};

// A message posted behind the others: once the window's thread takes it,
// everything posted before it has been handled (a hook on that thread sees
// it taken).
const UINT kFenceMessage = WM_APP + 0x3f0;
std::atomic<int> g_fencesTaken(0);

LRESULT CALLBACK SeeFences(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *m = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && m->message == kFenceMessage)
        g_fencesTaken = (int)m->wParam;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Fence(HWND w)
{
    static int fences = 0;
    int n = ++fences;
    PostMessageA(w, kFenceMessage, (WPARAM)n, 0);
    for (DWORD until = GetTickCount() + 10000; GetTickCount() < until; Sleep(5))
        if (g_fencesTaken >= n)
            return true;
    return false;
}

int Count(const std::string &log, const std::string &call)
{
    std::istringstream in(log);
    std::string line;
    int n = 0;
    while (std::getline(in, line))
        if (line.compare(0, call.size() + 1, call + " ") == 0)
            n++;
    return n;
}

bool NoQuitWaiting()
{
    MSG m;
    return !PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
}

class PageFlipWindowTest : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        OpenMainWindow();
        fenceHook = SetWindowsHookExA(WH_GETMESSAGE, SeeFences, nullptr, GetCurrentThreadId());
    }

    static void TearDownTestSuite()
    {
        UnhookWindowsHookEx(fenceHook);
        MainWindowTest::TearDownTestSuite();
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        // The key goes back to its state before the test: the previous
        // holder restores it before the next one looks.
        registry.reset();
        registry.reset(new W3DRegistry);
        ASSERT_TRUE(registry->SetFolder(DriverFolder()));
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        work = std::string(temp) + "twr_flip_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(work.c_str(), nullptr);
        dumps = work + "\\dumps";
        CreateDirectoryA(dumps.c_str(), nullptr);
        logPath = work + "\\w3d.log";
        DeleteFileA(logPath.c_str());
        SetEnvironmentVariableA("TWR_W3D_LOG", logPath.c_str());
        for (const char *name : {"TWR_W3D_FLAGS", "TWR_W3D_FLAGS2", "TWR_W3D_START_RESULT", "TWR_W3D_CAPS_RESULT",
                                 "TWR_W3D_DUMP", "TWR_W3D_BLOCK"})
            SetEnvironmentVariableA(name, nullptr);
        g_n3DWidth = kScreenW;
        g_n3DHeight = kScreenH;
        g_n3DBits = 32;
        g_nStr3D = 0;
        g_nSound = 1;
        g_nBunkatu = 0;
        g_bRepeat = 0;
        g_bW3DHelp = 0;
        g_bW3DInfo = 0;
        g_nPlaySource = 1;
        lstrcpynA(g_stereoPair.szName, Media("sbs.avi").c_str(), sizeof g_stereoPair.szName);
    }

    void TearDown() override
    {
        g_pfnFullScreenSoundHook = nullptr;
        registry.reset();
        MainWindowTest::TearDown();
    }

    // Runs the window; once set-up has started the driver flipping (or
    // the window has gone), posts the steps one by one, then Esc unless
    // the window closes by itself.
    Outcome Run(const std::vector<Step> &steps, bool closesItself = false)
    {
        Outcome out;
        std::atomic<bool> done(false);
        std::thread driver([&] {
            HWND w = nullptr;
            DWORD until = GetTickCount() + 20000;
            while (!done && GetTickCount() < until) {
                w = FindWindowA("W3DWIN", "W3DWindow");
                if (w && Count(ReadWholeText(logPath), "StartFlipping") > 0)
                    break;
                Sleep(20);
            }
            if (done)
                return;
            out.flipped = Fence(w);
            out.visible = IsWindowVisible(w) != 0;
            for (const Step &s : steps) {
                if (s.msg)
                    PostMessageA(w, s.msg, s.key, 0);
                if (s.wait && !Fence(w))
                    break;
                if (s.after)
                    s.after();
            }
            if (!closesItself)
                PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0);
            until = GetTickCount() + 15000;
            while (!done && GetTickCount() < until)
                Sleep(20);
            if (!done)
                PostMessageA(w, WM_CLOSE, 0, 0);  // keeps a failing test from hanging
        });
        boxes->shown.clear();
        RunW3DWindow(&g_stereoPair);
        out.returned = true;
        done = true;
        driver.join();
        out.log = ReadWholeText(logPath);
        out.boxes = boxes->shown;
        return out;
    }

    std::string DumpPath(int present, const char *eye)
    {
        char name[96];
        snprintf(name, sizeof name, "\\present%06d_%s_%dx%d.bgra", present, eye, kScreenW, kScreenH);
        return dumps + name;
    }
    std::vector<unsigned char> Dump(int present, const char *eye) { return ReadWholeFile(DumpPath(present, eye)); }

    static std::unique_ptr<W3DRegistry> registry;
    static HHOOK fenceHook;
    std::string work, dumps, logPath;
};

std::unique_ptr<W3DRegistry> PageFlipWindowTest::registry;
HHOOK PageFlipWindowTest::fenceHook = nullptr;

// The w x h picture on the dumped screen, centred and then moved by
// (dx, dy) screen pixels, as B G R A rows with every fourth byte 0.
std::vector<unsigned char> Centre(const std::vector<unsigned char> &screen, int w, int h, int dx = 0, int dy = 0)
{
    std::vector<unsigned char> out;
    if (screen.size() != (size_t)kScreenW * kScreenH * 4)
        return out;
    int x0 = (kScreenW - w) / 2 + dx, y0 = (kScreenH - h) / 2 + dy;
    for (int y = 0; y < h; y++) {
        const unsigned char *row = &screen[((size_t)(y0 + y) * kScreenW + x0) * 4];
        out.insert(out.end(), row, row + (size_t)w * 4);
    }
    return out;
}

std::vector<unsigned char> Crop(const char *name)
{
    std::vector<unsigned char> b = ReadWholeFile(Media(name));
    for (size_t i = 3; i < b.size(); i += 4)
        b[i] = 0;
    return b;
}

TEST_F(PageFlipWindowTest, EachEyeReceivesFfmpegsCropOfItsImage)
{
    // What each eye shows after the keys, compared with ffmpeg's crop of
    // the same frame: present k (1 is set-up's), the eye, the crop, its
    // size and its move from the screen's centre.
    struct Seen {
        int present;
        const char *eye, *crop;
        int w, h, dx, dy;
    };
    struct {
        const char *what;
        std::function<void()> arrange;
        std::vector<Step> keys;
        int presents;
        std::vector<Seen> seen;
    } cases[] = {
        // Space shows frame 1 (present 2); X the same frame swapped.
        {"side by side",
         [] {},
         {{WM_KEYDOWN, VK_SPACE, nullptr}, {WM_KEYDOWN, 'X', nullptr}},
         3,
         {{2, "left", "frame1_left.bgra", 160, 120, 0, 0},
          {2, "right", "frame1_right.bgra", 160, 120, 0, 0},
          {3, "left", "frame1_right.bgra", 160, 120, 0, 0},
          {3, "right", "frame1_left.bgra", 160, 120, 0, 0}}},
        // Rows of an image's origin count from the frame's first row in
        // memory: the first image of a bottom-up frame is its lower half.
        {"over/under",
         [] {
             g_nBunkatu = 1;
             lstrcpynA(g_stereoPair.szName, Media("ou.avi").c_str(), sizeof g_stereoPair.szName);
         },
         {{WM_KEYDOWN, VK_SPACE, nullptr}},
         2,
         {{2, "left", "ou1_bottom.bgra", 160, 120, 0, 0}, {2, "right", "ou1_top.bgra", 160, 120, 0, 0}}},
        // Left twice and Down once move the first image by (-8, +1) screen
        // pixels, whichever eye shows it; the second image stays.
        {"file offset",
         [] {},
         {{WM_KEYDOWN, VK_SPACE, nullptr},
          {WM_KEYDOWN, VK_LEFT, nullptr},
          {WM_KEYDOWN, VK_LEFT, nullptr},
          {WM_KEYDOWN, VK_DOWN, nullptr},
          {WM_KEYDOWN, 'X', nullptr}},
         6,
         {{5, "left", "frame1_left.bgra", 160, 120, -8, 1},
          {5, "right", "frame1_right.bgra", 160, 120, 0, 0},
          {6, "left", "frame1_right.bgra", 160, 120, 0, 0},
          {6, "right", "frame1_left.bgra", 160, 120, -8, 1}}},
        // The pair's offsets make margins (right column, right row, left
        // column, left row) of (8, 0, 0, 6) and (0, 6, 8, 0), rows from
        // the bottom: the crops named by their top-left corner.
        {"pair shifted right and up",
         [] {
             g_nPlaySource = 0;
             OpenPair(Media("pair_L.avi"), Media("pair_R.avi"));
             g_nShiftX = 8;
             g_nShiftY = -6;
         },
         {},
         1,
         {{1, "left", "pair_L_0_0.bgra", 152, 114, 0, 0}, {1, "right", "pair_R_8_6.bgra", 152, 114, 0, 0}}},
        {"pair shifted left and down",
         [] {
             g_nPlaySource = 0;
             OpenPair(Media("pair_L.avi"), Media("pair_R.avi"));
             g_nShiftX = -8;
             g_nShiftY = 6;
         },
         {{WM_KEYDOWN, 'X', nullptr}},
         2,
         {{1, "left", "pair_L_8_6.bgra", 152, 114, 0, 0},
          {1, "right", "pair_R_0_0.bgra", 152, 114, 0, 0},
          {2, "left", "pair_R_0_0.bgra", 152, 114, 0, 0},
          {2, "right", "pair_L_8_6.bgra", 152, 114, 0, 0}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        SetEnvironmentVariableA("TWR_W3D_DUMP", dumps.c_str());
        // No picture of an earlier case passes for this one's.
        for (const Seen &e : c.seen)
            DeleteFileA(DumpPath(e.present, e.eye).c_str());
        c.arrange();
        Outcome o = Run(c.keys);
        ClosePair();
        ASSERT_TRUE(o.flipped) << o.log;
        EXPECT_EQ(c.presents, Count(o.log, "Present")) << o.log;
        EXPECT_EQ(0, Count(o.log, "unexpected")) << o.log;
        for (const Seen &e : c.seen) {
            SCOPED_TRACE(testing::Message() << "present " << e.present << ", " << e.eye << " eye");
            std::vector<unsigned char> want = Crop(e.crop);
            ASSERT_EQ((size_t)e.w * e.h * 4, want.size()) << e.crop;
            std::vector<unsigned char> got = Centre(Dump(e.present, e.eye), e.w, e.h, e.dx, e.dy);
            ASSERT_EQ(want.size(), got.size());
            EXPECT_TRUE(got == want) << "differs from ffmpeg's " << e.crop;
        }
    }
}

TEST_F(PageFlipWindowTest, PresentTwiceAFrameOnlyWithThreeBuffersAndNeitherImmediateFlag)
{
    struct {
        const char *flags, *flags2;
        int buffers, presentsPerFrame;
    } cases[] = {
        {"0", "0", 2, 1},
        {"0x1000", "0", 3, 2},
        {"0", "0x8000", 3, 2},
        {"0x20000", "0", 3, 1},
        {"0x1000", "0x40", 3, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags << " flags2 " << c.flags2);
        DeleteFileA(logPath.c_str());
        SetEnvironmentVariableA("TWR_W3D_FLAGS", c.flags);
        SetEnvironmentVariableA("TWR_W3D_FLAGS2", c.flags2);
        int buffers = 0, afterSetUp = 0, afterSpace = 0;
        Outcome o = Run({{0, 0, [&] { afterSetUp = Count(ReadWholeText(logPath), "Present"); }},
                         {WM_KEYDOWN, VK_SPACE, [&] {
                              buffers = g_nW3DBuffers;
                              afterSpace = Count(ReadWholeText(logPath), "Present");
                          }}});
        ASSERT_TRUE(o.flipped) << o.log;
        EXPECT_EQ(c.buffers, buffers);
        EXPECT_EQ(c.presentsPerFrame, afterSetUp) << o.log;
        EXPECT_EQ(2 * c.presentsPerFrame, afterSpace) << o.log;
    }
}

TEST_F(PageFlipWindowTest, SetUpFailuresCloseWithTheirMessageAndTheProgramGoesOn)
{
    const std::string cannotShow = "表示できません！\n色数や画像サイズを変えて再表示してください";
    struct {
        const char *what;
        std::function<void()> arrange;
        bool closesItself;
        std::string box;  // empty: none
        int bitsAfter;    // the full-screen depth afterwards; 0: not looked at
    } cases[] = {
        {"GetCaps fails", [] { SetEnvironmentVariableA("TWR_W3D_CAPS_RESULT", "5"); }, true, cannotShow, 32},
        {"8 bits refused", [] { SetEnvironmentVariableA("TWR_W3D_FLAGS", "0x44"); g_n3DBits = 16; }, true, cannotShow, 8},
        {"file not openable",
         [] { lstrcpynA(g_stereoPair.szName, Media("missing.avi").c_str(), sizeof g_stereoPair.szName); }, true,
         "表示できないファイルです。", 0},
        {"no driver", [] { registry->SetFolder(HostPath(TWR_W3D_DIRS "/empty")); }, true, "", 0},
        {"StartFlipping fails", [] { SetEnvironmentVariableA("TWR_W3D_START_RESULT", "1"); }, false, "", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.arrange();
        Outcome o = Run({}, c.closesItself);
        ASSERT_TRUE(o.returned);
        if (c.box.empty()) {
            EXPECT_TRUE(o.boxes.empty()) << (o.boxes.empty() ? "" : Utf8(o.boxes[0].text));
        } else {
            ASSERT_EQ(1u, o.boxes.size());
            EXPECT_EQ(c.box, Utf8(o.boxes[0].text));
            EXPECT_EQ("実行注意", Utf8(o.boxes[0].caption));
            // Shown with no quit waiting, or it would close unread.
            EXPECT_FALSE(o.boxes[0].quitPending);
        }
        // Nothing ever reaches the driver as an eye.
        EXPECT_EQ(0, Count(o.log, "SetEyeSurface")) << o.log;
        EXPECT_EQ(nullptr, FindWindowA("W3DWIN", nullptr));
        EXPECT_TRUE(NoQuitWaiting());
        EXPECT_TRUE(IsWindow(main));
        if (!c.closesItself) {
            // The black window stayed, shown, until Esc.
            EXPECT_TRUE(o.flipped);
            EXPECT_TRUE(o.visible);
        }
        if (c.bitsAfter) {
            EXPECT_EQ(c.bitsAfter, g_n3DBits);
        }
    }
}

TEST_F(PageFlipWindowTest, FrameKeysAtTheEndsFollowRepeat)
{
    g_nPlaySource = 0;
    ASSERT_TRUE(OpenPair(Media("sbs.avi"), Media("sbs.avi")));
    ASSERT_EQ(4, g_nFrameCount);
    struct {
        int start;
        WPARAM key;
        int repeat;
        int want;
        bool drawn;
    } cases[] = {
        {3, VK_SPACE, 0, 3, false}, {3, VK_SPACE, 1, 0, true},  {0, VK_BACK, 0, 0, false},
        {0, VK_BACK, 1, 3, true},   {1, VK_SPACE, 0, 2, true},  {2, VK_BACK, 0, 1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.start << " key " << c.key << " repeat " << c.repeat);
        DeleteFileA(logPath.c_str());
        g_nFrame = c.start;
        g_bRepeat = c.repeat;
        int frame = -1, presents = -1;
        Outcome o = Run({{WM_KEYDOWN, c.key, [&] {
            frame = g_nFrame;
            presents = Count(ReadWholeText(logPath), "Present");
        }}});
        ASSERT_TRUE(o.flipped) << o.log;
        EXPECT_EQ(c.want, frame);
        EXPECT_EQ(c.drawn ? 2 : 1, presents);
    }
    ClosePair();
}

TEST_F(PageFlipWindowTest, PairOfTwoSizesIsRefusedBeforeAnythingIsDrawn)
{
    g_nPlaySource = 0;
    OpenPair(Media("big.avi"), Media("small.avi"));
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    g_nFrame = 0;
    Outcome o = Run({{WM_KEYDOWN, VK_SPACE, nullptr}, {WM_KEYDOWN, VK_F2, nullptr}});
    ASSERT_TRUE(o.flipped) << o.log;
    // The command refuses such a pair with its box before the window opens;
    // the window itself draws nothing and shows no box behind itself.
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(0, Count(o.log, "SetEyeSurface")) << o.log;
    EXPECT_TRUE(NoQuitWaiting());
    ClosePair();
}

TEST_F(PageFlipWindowTest, PlayingWithNothingLeftToShowReturnsAtOnce)
{
    // With repeat on, a loop that has no frame to show must not count as
    // "played to the end", or the key would start it again for ever.
    g_nPlaySource = 0;
    ASSERT_TRUE(OpenPair(Media("sbs.avi"), Media("sbs.avi")));
    g_bRepeat = 1;
    struct {
        const char *what;
        WPARAM key;
        int endOffset, frame;
    } cases[] = {
        {"F3, the whole pair cut by the end offset", VK_F3, 4, 0},
        {"F2 from past the shortened end", VK_F2, 2, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        g_nEndOffset = c.endOffset;
        g_nFrame = c.frame;
        bool answered = false;
        Outcome o = Run({{WM_KEYDOWN, c.key, nullptr}, {0, 0, [&] { answered = true; }}});
        ASSERT_TRUE(o.flipped) << o.log;
        EXPECT_TRUE(answered);  // the window took the next message
        EXPECT_TRUE(o.returned);
    }
    g_nEndOffset = 0;
    ClosePair();
}

// The stand-in's hash of an eye surface that shows the w x h picture
// centred on a black screen.
std::string ScreenHash(const std::vector<unsigned char> &picture, int w, int h)
{
    std::vector<unsigned char> screen((size_t)kScreenW * kScreenH * 4, 0);
    int x0 = (kScreenW - w) / 2, y0 = (kScreenH - h) / 2;
    for (int y = 0; y < h && picture.size() == (size_t)w * h * 4; y++)
        memcpy(&screen[((size_t)(y0 + y) * kScreenW + x0) * 4], &picture[(size_t)y * w * 4], (size_t)w * 4);
    unsigned long long hash = 0xcbf29ce484222325ULL;
    for (unsigned char b : screen)
        hash = (hash ^ b) * 0x100000001b3ULL;
    char hex[20];
    snprintf(hex, sizeof hex, "%016llx", hash);
    return hex;
}

// The left eye's hash at each Present of the log, in order.
std::vector<std::string> LeftHashes(const std::string &log)
{
    std::istringstream in(log);
    std::string line;
    std::vector<std::string> out;
    while (std::getline(in, line)) {
        size_t at = line.find(" lefthash=");
        if (line.compare(0, 8, "Present ") == 0 && at != std::string::npos)
            out.push_back(line.substr(at + 10, line.find(' ', at + 10) - at - 10));
    }
    return out;
}

TEST_F(PageFlipWindowTest, PlayingRunsToTheEndOrStopsOnItsKeys)
{
    // Four frames at 4 frames a second, no sound. A loop that falls behind
    // skips frames (counted in g_nPlayDrops). The frames a loop shows are
    // told apart by the left eye's hash (its picture on black).
    std::vector<std::string> frameHash;
    for (int n = 0; n < 4; n++)
        frameHash.push_back(ScreenHash(Crop(("frame" + std::to_string(n) + "_left.bgra").c_str()), 160, 120));
    struct {
        const char *what;
        int repeat;
        int spaces;                      // Space presses before: the current frame
        UINT msg;                        // starts the loop
        WPARAM key;
        std::vector<WPARAM> keyUpAfter;  // released at once after it
        bool escAfterWrap;               // Esc once the loop has come round to frame 0
        std::vector<int> shown;          // frames shown by the loop (the first ones with escAfterWrap)
        int frameAfter;                  // -1: not looked at
    } cases[] = {
        {"to the end", 0, 0, WM_KEYDOWN, VK_F2, {}, false, {0, 1, 2, 3}, 0},
        {"Esc stops it at once", 1, 0, WM_KEYDOWN, VK_F2, {VK_ESCAPE}, false, {0}, 0},
        {"F2 from the current frame", 0, 2, WM_KEYDOWN, VK_F2, {}, false, {2, 3}, 0},
        {"F3 from the start", 0, 2, WM_KEYDOWN, VK_F3, {}, false, {0, 1, 2, 3}, 0},
        {"left click as F2", 0, 2, WM_LBUTTONDOWN, MK_LBUTTON, {}, false, {2, 3}, 0},
        {"right click as F3", 0, 2, WM_RBUTTONDOWN, MK_RBUTTON, {}, false, {0, 1, 2, 3}, 0},
        // With repeat on, the loop that reached the end plays again from
        // frame 0 until a key stops it.
        {"repeat goes round to frame 0", 1, 2, WM_KEYDOWN, VK_F2, {}, true, {2, 3, 0, 1}, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(logPath.c_str());
        g_bRepeat = c.repeat;
        int presents = 0, frame = -1, total = 0, before = 0, drops = 0;
        bool wrapped = false;
        std::vector<Step> steps;
        for (int i = 0; i < c.spaces; i++)
            steps.push_back({WM_KEYDOWN, VK_SPACE, nullptr});
        steps.push_back({0, 0, [&] { before = Count(ReadWholeText(logPath), "Present"); }});
        steps.push_back({c.msg, c.key, nullptr, c.keyUpAfter.empty() && !c.escAfterWrap});
        for (WPARAM k : c.keyUpAfter)
            steps.push_back({WM_KEYUP, k, nullptr});
        if (c.escAfterWrap) {
            steps.push_back({0, 0,
                             [&] {
                                 for (DWORD until = GetTickCount() + 15000; !wrapped && GetTickCount() < until;
                                      Sleep(20))
                                     wrapped = (int)LeftHashes(ReadWholeText(logPath)).size() >=
                                               before + (int)c.shown.size();
                             },
                             false});
            steps.push_back({WM_KEYUP, VK_ESCAPE, nullptr});
        }
        steps.push_back({0, 0, [&] {
            presents = Count(ReadWholeText(logPath), "Present");
            frame = g_nW3DFileFrame;
            total = g_nW3DTotal;
            drops = g_nPlayDrops;
        }});
        Outcome o = Run(steps);
        ASSERT_TRUE(o.flipped) << o.log;
        EXPECT_EQ(1 + c.spaces, before);
        // The loop's frames, then the frame once more with the key help.
        std::vector<std::string> hashes = LeftHashes(o.log);
        ASSERT_GE((int)hashes.size(), before + 1) << o.log;
        std::vector<int> shown;
        for (int i = before; i < presents - 1 && i < (int)hashes.size(); i++) {
            int n = 0;
            while (n < 4 && frameHash[n] != hashes[i])
                n++;
            shown.push_back(n < 4 ? n : -1);
        }
        if (c.escAfterWrap) {
            EXPECT_TRUE(wrapped);
            ASSERT_GE(shown.size(), c.shown.size()) << o.log;
            shown.resize(c.shown.size());
        } else {
            EXPECT_EQ(before + (int)c.shown.size() - drops + 1, presents) << o.log;
        }
        if (drops == 0) {
            EXPECT_EQ(c.shown, shown) << o.log;
        }
        if (drops == 0 && c.frameAfter >= 0) {
            EXPECT_EQ(c.frameAfter, frame);
        }
        EXPECT_EQ(4, total);
        EXPECT_TRUE(o.boxes.empty());
    }
}

// Every image the loop's in-memory sound was started with, copied when
// given (the stream goes on writing behind it); empty where it stopped.
std::vector<std::vector<unsigned char>> s_soundImages;
void KeepSoundImage(const unsigned char *image, size_t bytes)
{
    s_soundImages.push_back(image ? std::vector<unsigned char>(image, image + bytes) : std::vector<unsigned char>());
}

TEST_F(PageFlipWindowTest, PlayLoopStartsTheSoundAtItsRecordsOwnFrame)
{
    // The playback tests' movies (own reader, 25 frames a second, 1,764
    // samples a frame, a different noise in each). The pair's records are
    // offset by 2 and 5 frames: a loop from pair frame 12 plays the chosen
    // record's sound from its own frame 14 or 17; the choice stays with
    // the movie through an exchange. The file loop starts at the file
    // frame that Space reached.
    g_nSound = 0;
    g_pfnFullScreenSoundHook = KeepSoundImage;
    struct {
        const char *what;
        bool pair;
        int soundlr;
        bool exchanged;
        const char *pcm;
        int soundFrame;
    } cases[] = {
        {"pair, the left movie's sound", true, 0, false, "raw_L.pcm", 14},
        {"pair, the right movie's sound", true, 1, false, "raw_R.pcm", 17},
        {"pair exchanged, the left movie's sound", true, 0, true, "raw_L.pcm", 14},
        {"pair exchanged, the right movie's sound", true, 1, true, "raw_R.pcm", 17},
        {"file from frame 3", false, 0, false, "raw_L.pcm", 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Step> steps;
        if (c.pair) {
            g_nPlaySource = 0;
            ASSERT_TRUE(OpenPair(PlayMedia("raw_L.avi"), PlayMedia("raw_R.avi")));
            ASSERT_EQ(kSourceOwnReader, g_leftMovie.nKind);
            ASSERT_EQ(kSourceOwnReader, g_rightMovie.nKind);
            g_leftMovie.nStart = 2;
            g_rightMovie.nStart = 5;
            if (c.exchanged)
                ExchangeLeftRight();
            g_nSoundlr = c.soundlr;
            g_nFrame = 12;
        } else {
            g_nPlaySource = 1;
            lstrcpynA(g_stereoPair.szName, PlayMedia("raw_L.avi").c_str(), sizeof g_stereoPair.szName);
            steps.assign(3, Step{WM_KEYDOWN, VK_SPACE, nullptr});
        }
        steps.push_back({WM_KEYDOWN, VK_F2, nullptr});
        s_soundImages.clear();
        Outcome o = Run(steps);
        g_nSoundlr = 0;
        g_leftMovie.nStart = g_rightMovie.nStart = 0;
        ClosePair();
        ASSERT_TRUE(o.flipped) << o.log;
        // Started once, stopped at the loop's end.
        ASSERT_EQ(2u, s_soundImages.size());
        EXPECT_TRUE(s_soundImages[1].empty());
        const size_t frameBytes = 1764 * 4, header = kWaveHeaderBytes;
        std::vector<unsigned char> source = ReadWholeFile(PlayMedia(c.pcm));
        ASSERT_GE(source.size(), (c.soundFrame + 1) * frameBytes);
        ASSERT_GE(s_soundImages[0].size(), header + frameBytes);
        EXPECT_EQ(0, memcmp(&s_soundImages[0][header], &source[c.soundFrame * frameBytes], frameBytes))
            << "the first frame's sound is not frame " << c.soundFrame << " of " << c.pcm;
    }
}

TEST_F(PageFlipWindowTest, FlipChainIsCreatedAndCollectedInChainOrder)
{
    IDirectDrawSurface *primary = nullptr;
    int count = -1;
    EXPECT_EQ(1, CreateFlipChain(nullptr, nullptr, 3, 3, &count));
    EXPECT_EQ(1, CreateFlipChain(nullptr, &primary, 3, 3, nullptr));
    IDirectDrawSurface *none[2] = {nullptr, nullptr};
    EXPECT_EQ(1, CollectFlipChain(nullptr, none, 2));
    EXPECT_EQ(nullptr, none[0]);

    HWND w = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "chain", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                             g_hInst, nullptr);
    IDirectDraw *dd = nullptr;
    ASSERT_EQ(DD_OK, DirectDrawCreate(nullptr, &dd, nullptr));
    // Without exclusive mode there is no flip chain: nothing is handed out.
    dd->SetCooperativeLevel(w, DDSCL_NORMAL);
    EXPECT_NE(0, CreateFlipChain(dd, &primary, 3, 3, &count));
    EXPECT_EQ(nullptr, primary);
    EXPECT_EQ(0, count);

    ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(w, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN));
    dd->SetDisplayMode(kScreenW, kScreenH, 32);
    struct {
        int buffers, collect, filled;
    } cases[] = {{3, 4, 3}, {3, 2, 2}, {2, 4, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.buffers << " buffers collected into " << c.collect);
        ASSERT_EQ(0, CreateFlipChain(dd, &primary, c.buffers, 4, &count));
        EXPECT_EQ(c.buffers, count);
        IDirectDrawSurface *chain[4] = {primary, primary, primary, primary};
        EXPECT_EQ(1, CollectFlipChain(primary, chain, c.collect));
        EXPECT_EQ(primary, chain[0]);
        for (int i = 1; i < c.collect; i++) {
            SCOPED_TRACE(i);
            if (i < c.filled) {
                // Chain order: each entry is the flip surface attached to
                // the one before it.
                DDSCAPS flip = {DDSCAPS_FLIP};
                IDirectDrawSurface *next = nullptr;
                ASSERT_EQ(DD_OK, chain[i - 1]->GetAttachedSurface(&flip, &next));
                EXPECT_EQ(next, chain[i]);
                next->Release();
            } else {
                EXPECT_EQ(nullptr, chain[i]);
            }
        }
        primary->Release();
        primary = nullptr;
    }
    dd->RestoreDisplayMode();
    dd->SetCooperativeLevel(w, DDSCL_NORMAL);
    dd->Release();
    DestroyWindow(w);
}

TEST_F(PageFlipWindowTest, WindowDestroyedOutsideItsLoopLeavesNoQuitForTheProgram)
{
    g_nPlaySource = 0;
    HWND w = CreateWindowExA(WS_EX_TOPMOST, "W3DWIN", "W3DWindow", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, g_hInst,
                             &g_stereoPair);
    ASSERT_NE(nullptr, w);
    DestroyWindow(w);
    EXPECT_TRUE(NoQuitWaiting());
    Pump();
    EXPECT_TRUE(IsWindow(main));
}

}  // namespace
