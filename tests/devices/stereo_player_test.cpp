// The Direct3D 7 stereo player in a Wine virtual desktop of its own
// (scripts/run-in-desktop.sh): the player runs its own loop on the test's
// thread while a second thread drives it with posted keys. After every
// frame the player hands out its work surface and the render target
// (g_pfnPlayerSurfaces); what they hold is compared with the composition
// kernels' output, the frames' own eye images and the NV3D signature.
// No stereo surface exists under Wine: the 2 W-wide surface is squeezed
// into the W-wide back buffer, which is read back after the blit.
#include "devices/device_frames.h"
#include "devices/stereo_player.h"
#include "devices/stereo_player_geometry.h"
#include "devices/stereo_player_state.h"
#include "pipeline/compose.h"
#include "pipeline/compose_settings.h"
#include "resources/resource_ids.h"
#include "shared/packed_dib.h"
#include "shared/string_table.h"
#include "sources/movie_open.h"
#include "sources/movie_source.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_PLAYER_MEDIA_DIR, name); }

// Pixels as 0x00RRGGBB, rows top-down.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[(size_t)y * w + x]; }
};

Picture ReadSurface(IDirectDrawSurface7 *s, DWORD *bits = nullptr, std::vector<BYTE> *lastRow = nullptr)
{
    Picture p;
    DDSURFACEDESC2 d;
    memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    if (!s || FAILED(s->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr)))
        return p;
    p.w = (int)d.dwWidth;
    p.h = (int)d.dwHeight;
    p.px.resize((size_t)p.w * p.h);
    DWORD depth = d.ddpfPixelFormat.dwRGBBitCount;
    if (bits)
        *bits = depth;
    for (int y = 0; y < p.h; y++) {
        const BYTE *row = (const BYTE *)d.lpSurface + (size_t)y * d.lPitch;
        for (int x = 0; x < p.w; x++) {
            uint32_t v;
            if (depth == 16) {
                unsigned c = row[2 * x] | row[2 * x + 1] << 8;
                v = ((c >> 11 & 31) * 255 / 31) << 16 | ((c >> 5 & 63) * 255 / 63) << 8 | (c & 31) * 255 / 31;
            } else if (depth == 24) {
                v = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
            } else {
                v = ((const uint32_t *)row)[x] & 0xFFFFFF;
            }
            p.px[(size_t)y * p.w + x] = v;
        }
    }
    if (lastRow) {
        const BYTE *row = (const BYTE *)d.lpSurface + (size_t)(p.h - 1) * d.lPitch;
        lastRow->assign(row, row + 20);
    }
    s->Unlock(nullptr);
    return p;
}

// A 24-bit frame's pixel at (x, y) counted from the top.
uint32_t DibPixel(const PackedDib *dib, int x, int y)
{
    const BYTE *p = DibRow(dib, DibHeight(dib) - 1 - y) + 3 * x;
    return p[0] | p[1] << 8 | p[2] << 16;
}

int Diff(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int i = 0; i < 24; i += 8)
        d += abs((int)(a >> i & 255) - (int)(b >> i & 255));
    return d;
}

// What one drawn frame left behind, with the state it was drawn in.
struct Capture {
    int source, format, frame, swap, shiftX, shiftY, help, info, clear;
    int playFrames;
    RECT shown;
    Picture work, target;
    DWORD workBits = 0;
    std::vector<BYTE> lastRow;
};

std::vector<Capture> g_captures;
std::atomic<int> g_captureCount(0);
std::vector<int> g_timedFrames;
std::atomic<int> g_timedCount(0);

void SeeSurfaces(IDirectDrawSurface7 *work, const RECT &shown, IDirectDrawSurface7 *target)
{
    Capture c;
    c.source = g_nPlaySource;
    c.format = g_nDispFormat;
    c.frame = g_nPlaySource ? g_nPlayFrame : g_nFrame;
    c.swap = g_nPlayerSwap;
    c.shiftX = g_nPlaySource ? g_nFileShiftX : g_nShiftX;
    c.shiftY = g_nPlaySource ? g_nFileShiftY : g_nShiftY;
    c.help = g_bShowHelp;
    c.info = g_bShowInfo;
    c.clear = g_nPlayerClear;
    c.playFrames = g_nPlayFrames;
    c.shown = shown;
    c.work = ReadSurface(work, &c.workBits, &c.lastRow);
    c.target = ReadSurface(target);
    g_captures.push_back(std::move(c));
    g_captureCount++;
}

void SeeTimes(const PlayerFrameTimes &t)
{
    g_timedFrames.push_back(t.frame);
    g_timedCount++;
}

bool WaitFor(const std::function<bool()> &done, DWORD ms = 15000)
{
    for (DWORD until = GetTickCount() + ms; GetTickCount() < until; Sleep(5))
        if (done())
            return true;
    return false;
}

// One posted message, then a wait: for a new frame (the default), for a
// condition, or none.
struct Step {
    UINT msg;
    WPARAM key;
    std::function<bool()> until;  // null: a new frame
    bool wait = true;
};

Step Up(WPARAM key) { return {WM_KEYUP, key, nullptr}; }
Step Down(WPARAM key) { return {WM_KEYDOWN, key, nullptr}; }

class StereoPlayerTest : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        OpenMainWindow();
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        g_n3DWidth = 1024;
        g_n3DHeight = 768;
        g_n3DBits = 32;
        g_nStr3D = 0;
        g_nSound = 1;
        g_nBunkatu = 0;
        g_bRepeat = 0;
        g_nWaku = 10;
        g_bShowHelp = 0;
        g_bShowInfo = 0;
        g_nPlayerSwap = 0;
        g_nDispFormat = 1;
        g_nPlaySource = 1;
        lstrcpynA(g_stereoPair.szName, Media("sbs.avi").c_str(), sizeof g_stereoPair.szName);
        g_captures.clear();
        g_captureCount = 0;
        g_timedFrames.clear();
        g_timedCount = 0;
        g_pfnPlayerSurfaces = SeeSurfaces;
        g_pfnPlayerFrameTimes = SeeTimes;
    }

    void TearDown() override
    {
        g_pfnPlayerSurfaces = nullptr;
        g_pfnPlayerFrameTimes = nullptr;
        MainWindowTest::TearDown();
    }

    // Runs the player on this thread; a second thread waits for its first
    // frame, posts the steps and closes it with Enter. Whether every step
    // was seen through.
    bool Play(const std::vector<Step> &steps)
    {
        return PlayDriven([&](HWND w) {
            bool ok = true;
            for (const Step &s : steps) {
                int before = g_captureCount;
                PostMessageA(w, s.msg, s.key, 0);
                if (s.wait && !WaitFor(s.until ? s.until : [&] { return g_captureCount > before; }))
                    ok = false;
            }
            return ok;
        });
    }

    // The same with the player's window handed to drive on the second
    // thread once the first frame is there; Enter closes it afterwards.
    bool PlayDriven(const std::function<bool(HWND)> &drive)
    {
        g_captures.clear();
        g_captureCount = 0;
        std::atomic<bool> ok(true);
        std::thread driver([&] {
            HWND w = nullptr;
            if (!WaitFor([&] { return g_captureCount > 0 && (w = FindWindowA("nVidiaStereo", nullptr)) != nullptr; })) {
                ok = false;
                if ((w = FindWindowA("nVidiaStereo", nullptr)) != nullptr)
                    PostMessageA(w, WM_CLOSE, 0, 0);
                return;
            }
            if (!drive(w))
                ok = false;
            PostMessageA(w, WM_KEYUP, VK_RETURN, 0);
        });
        played = RunNvidiaStereoPlayer(g_hInst, &g_stereoPair);
        driver.join();
        // The quit of the player's window ends nothing else of the test.
        MSG m;
        quitLeft = PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        return ok;
    }

    WPARAM played = 0;
    bool quitLeft = false;
};

// The picture a display format composes, by the kernels themselves.
PackedDib *Compose(int format, PackedDib *frame, const int *m, int swap, int dx, int dy)
{
    ComposeSettings cs = ComposeSettingsFromState();
    switch (format) {
    case 1: return ComposeGreyAnaglyphSbs(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 0);
    case 2: return ComposeGreyAnaglyphSbs(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 1);
    case 3: return ComposeGreyAnaglyphSbs(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 2);
    case 8: return ComposeGreySbsYellowBlue(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 3);
    case 4: return ComposeColourAnaglyphSbs(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 0);
    case 5: return ComposeColourAnaglyphSbs(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 1);
    case 9: return ComposeColourSbsYellowBlue(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 2);
    case 10: return ComposeColourSbsYellowBlue(cs, frame, m[0], m[1], m[2], m[3], swap, dx, dy, 3);
    case 6: return ComposeInterlaceSbs(frame, m[0], m[1], m[2], m[3], swap, dx, dy);
    default: return nullptr;
    }
}

// The movie opened again after the player closed its own record.
struct OpenedMovie {
    MovieSource m;
    explicit OpenedMovie(const std::string &path)
    {
        char error[kOpenErrorBytes] = "";
        InitMovieSource(&m);
        open = OpenMovieSource(nullptr, path.c_str(), &m, error, 0) == 0;
    }
    ~OpenedMovie() { CloseMovieSource(&m); }
    bool open;
};

// Mean difference per pixel (sum over the channels) between a drawn
// rectangle and the eye image (ex, ey: its origin, rows from the top of
// the frame) scaled onto it by sampling.
double ScaledDifference(const Picture &p, int x0, int y0, int w, int h, const PackedDib *frame, int ex, int ey, int ew,
                        int eh)
{
    double sum = 0;
    int n = 0;
    for (int y = 1; y < h - 1; y++)
        for (int x = 1; x < w - 1; x++) {
            if (x0 + x < 0 || x0 + x >= p.w || y0 + y < 0 || y0 + y >= p.h)
                continue;
            int sx = ex + (int)((x + 0.5) * ew / w), sy = ey + (int)((y + 0.5) * eh / h);
            sum += Diff(p.at(x0 + x, y0 + y), DibPixel(frame, sx, sy));
            n++;
        }
    return n ? sum / n : 1e9;
}

TEST_F(StereoPlayerTest, EachDigitShowsItsDisplayFormatAsTheKernelComposesIt)
{
    g_nPlaySource = 2;
    // Offsets 4 right and 1 down, exchanged, then every digit; 7 last but
    // one so that the back buffer it leaves alone can be told apart.
    std::vector<Step> steps = {Up(VK_RIGHT), Up(VK_DOWN)};
    const int digits[] = {1, 2, 3, 4, 5, 6, 8, 9, 0, 7};
    for (int d : digits)
        steps.push_back(Up('0' + d));
    steps.push_back(Up('X'));
    steps.push_back(Up(VK_NUMPAD6));
    steps.push_back(Up('1'));
    ASSERT_TRUE(Play(steps));

    OpenedMovie movie(Media("sbs.avi"));
    ASSERT_TRUE(movie.open);
    DeviceFileFrame f;
    ASSERT_TRUE(FetchDeviceFileFrame(&movie.m, 0, f));
    ASSERT_EQ(160, f.eyeW);
    PackedDib *frame = const_cast<PackedDib *>(f.image);
    const int W = 1024, H = 768;
    int checked = 0;
    for (size_t i = 0; i < g_captures.size(); i++) {
        const Capture &c = g_captures[i];
        if (c.shiftX != 4 || c.shiftY != 1)
            continue;
        SCOPED_TRACE(testing::Message() << "format " << c.format << " swap " << c.swap);
        ASSERT_EQ(0, c.frame);
        ASSERT_EQ(W, c.target.w);
        if (c.format == 7) {
            // Nothing composed, the overlay off: the back buffer is
            // presented as it was, which in a flip chain of two is the
            // frame drawn two frames before.
            EXPECT_EQ(0, c.shown.right - c.shown.left);
            ASSERT_GE(i, 2u);
            EXPECT_TRUE(c.target.px == g_captures[i - 2].target.px);
            checked++;
            continue;
        }
        if (c.format == 0) {
            PlayerSbsRequest r = {W, H, f.eyeW, f.eyeH, g_nWaku, c.shiftX, c.shiftY, c.swap, f.secondX, f.secondY};
            PlayerSbsLayout l = ComputePlayerSbs(r);
            ASSERT_TRUE(l.drawn);
            // Each picture shows its own eye image scaled, not the other.
            const PlayerDibDraw *d[2] = {&l.left, &l.right};
            for (const PlayerDibDraw *e : d) {
                int ex = e->srcX, other = e->srcX == 0 ? f.secondX : 0;
                double own = ScaledDifference(c.work, e->x, e->y, e->w, e->h, frame, ex, 0, f.eyeW, f.eyeH);
                double wrong = ScaledDifference(c.work, e->x, e->y, e->w, e->h, frame, other, 0, f.eyeW, f.eyeH);
                EXPECT_LT(own, 10.0);
                EXPECT_LT(own * 3, wrong);
            }
            // The frame between them is black (the first picture moved
            // by the offsets).
            for (int y = l.y0 + 2; y < l.y0 + l.pictureH - 2; y++)
                for (int x = l.left.x + l.left.w + 1; x < l.right.x - 1; x++)
                    ASSERT_EQ(0u, c.work.at(x, y)) << x << "," << y;
            EXPECT_GE(l.right.x - (l.left.x + l.left.w), 2 * g_nWaku - 4);
            EXPECT_EQ(l.x0, c.shown.left);
            EXPECT_EQ(l.y0, c.shown.top);
            EXPECT_EQ(W, c.shown.right);
            EXPECT_EQ(l.y0 + l.pictureH, c.shown.bottom);
        } else {
            int m[4];
            ShiftToCropMargins(m, f.eyeW, f.eyeH, c.shiftX, c.shiftY, g_bAllFrameAdjust);
            PackedDib *want = Compose(c.format, frame, m, c.swap, f.secondX, f.secondY);
            ASSERT_TRUE(want);
            int cw = DibWidth(want), ch = DibHeight(want);
            PlayerCopy show = ShowComposedPicture(W, H, cw, ch);
            EXPECT_EQ(show.srcX, c.shown.left);
            EXPECT_EQ(show.srcY, c.shown.top);
            int bad = 0;
            for (int y = 0; y < ch; y++)
                for (int x = 0; x < cw; x++)
                    bad += c.work.at(x, y) != DibPixel(want, x, y);
            EXPECT_EQ(0, bad);
            FreeDib(want);
        }
        // On the screen: the shown rectangle, 1:1, on black.
        int bad = 0;
        int w = c.shown.right - c.shown.left, h = c.shown.bottom - c.shown.top;
        int dx = c.format == 0 ? c.shown.left : (W - w) / 2, dy = c.format == 0 ? c.shown.top : (H - h) / 2;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                bad += c.target.at(dx + x, dy + y) != c.work.at(c.shown.left + x, c.shown.top + y);
        EXPECT_EQ(0, bad);
        EXPECT_EQ(0u, c.target.at(W - 1, H - 1));
        checked++;
    }
    // Grey red-cyan after the offsets, ten digits, 7 exchanged, the
    // exchanged interlace (keypad 6) and grey red-cyan.
    EXPECT_EQ(14, checked);
    FreeDeviceFileFrame(f);
}

TEST_F(StereoPlayerTest, DigitSevenWithTheHelpOnShowsBlackUnderTheOverlay)
{
    g_nPlaySource = 2;
    ASSERT_TRUE(Play({Up('H'), Up('7')}));
    ASSERT_GE(g_captures.size(), 3u);
    const Capture &c = g_captures.back();
    ASSERT_EQ(7, c.format);
    ASSERT_EQ(1, c.help);
    int white = 0, below = 0;
    for (int y = 0; y < c.target.h; y++)
        for (int x = 0; x < c.target.w; x++) {
            uint32_t v = c.target.at(x, y);
            if (y < 250)
                white += v == 0xFFFFFF;
            else
                below += v != 0;
        }
    EXPECT_GT(white, 100);  // the help's white lines
    EXPECT_EQ(0, below);    // below them black: no picture of before
}

// The eye image of w x h at (ex, ey) of frame (rows from the top) drawn
// 1:1 at (x, y) of p; pixels that differ.
int Mismatches(const Picture &p, int x, int y, const PackedDib *frame, int ex, int ey, int w, int h)
{
    int bad = 0;
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++)
            bad += p.at(x + i, y + j) != DibPixel(frame, ex + i, ey + j);
    return bad;
}

TEST_F(StereoPlayerTest, StereoFileFillsBothHalvesAndSignsTheLastRow)
{
    g_nPlaySource = 1;
    ASSERT_TRUE(Play({Up(VK_RIGHT), Up(VK_DOWN), Up('X')}));
    ASSERT_EQ(4u, g_captures.size());
    OpenedMovie movie(Media("sbs.avi"));
    DeviceFileFrame f;
    ASSERT_TRUE(FetchDeviceFileFrame(&movie.m, 0, f));
    const int W = 1024, H = 768, x = (W - 160) / 2, y = (H - 120) / 2;
    for (const Capture &c : g_captures) {
        SCOPED_TRACE(testing::Message() << "offsets " << c.shiftX << "," << c.shiftY << " swap " << c.swap);
        ASSERT_EQ(2 * W, c.work.w);
        ASSERT_EQ(H, c.work.h);
        // The first image moves with the offsets; the second never.
        int firstX = (c.swap ? W : 0) + x + c.shiftX, secondX = (c.swap ? 0 : W) + x;
        EXPECT_EQ(0, Mismatches(c.work, firstX, y + c.shiftY, f.image, 0, 0, 160, 120));
        EXPECT_EQ(0, Mismatches(c.work, secondX, y, f.image, 160, 0, 160, 120));
        EXPECT_EQ(0u, c.work.at(W + 2, H / 2));  // black around the images
        // "NV3D", 2 W, H, the mode's bits, the swap-eyes flag.
        const DWORD want[5] = {0x4433564E, 2 * W, H, 32, 1};
        ASSERT_EQ(20u, c.lastRow.size());
        for (int i = 0; i < 5; i++) {
            DWORD v = c.lastRow[4 * i] | c.lastRow[4 * i + 1] << 8 | c.lastRow[4 * i + 2] << 16 |
                      (DWORD)c.lastRow[4 * i + 3] << 24;
            EXPECT_EQ(want[i], v) << "word " << i;
        }
        // The screen: the double-width surface squeezed into W.
        double sum = 0;
        for (int j = 0; j < H - 1; j++)
            for (int i = 0; i < W; i++)
                sum += Diff(c.target.at(i, j), c.work.at(2 * i, j));
        EXPECT_LT(sum / ((double)W * (H - 1)), 2.0);
    }
    // The status line's total is known before any play loop.
    EXPECT_EQ(4, g_captures[0].playFrames);
    EXPECT_EQ(4, g_captures[2].shiftX);
    EXPECT_EQ(1, g_captures[2].shiftY);
    EXPECT_EQ(1, g_captures[3].swap);
    FreeDeviceFileFrame(f);
}

TEST_F(StereoPlayerTest, FileWiderThanTheEyeAreaShowsItsCentrePart)
{
    g_n3DWidth = 640;
    g_n3DHeight = 480;
    lstrcpynA(g_stereoPair.szName, Media("wide.avi").c_str(), sizeof g_stereoPair.szName);
    // Home redraws without the help that covers the first frame.
    ASSERT_TRUE(Play({Up(VK_HOME)}));
    ASSERT_EQ(2u, g_captures.size());
    OpenedMovie movie(Media("wide.avi"));
    DeviceFileFrame f;
    ASSERT_TRUE(FetchDeviceFileFrame(&movie.m, 0, f));
    ASSERT_EQ(800, f.eyeW);
    const Capture &c = g_captures[1];
    // 80 columns cut on each side, the rest from x 0 of each half.
    EXPECT_EQ(0, Mismatches(c.work, 0, 180, f.image, 80, 0, 640, 120));
    EXPECT_EQ(0, Mismatches(c.work, 640, 180, f.image, 800 + 80, 0, 640, 120));
    FreeDeviceFileFrame(f);
}

TEST_F(StereoPlayerTest, PairDrawsEachEyeCentredInItsHalfWithTheSurfacesBits)
{
    ASSERT_TRUE(OpenPair(Media("pair_L.avi"), Media("pair_R.avi")));
    g_nPlaySource = 0;
    g_nEndOffset = 1;
    ASSERT_TRUE(Play({Up('X')}));
    g_nEndOffset = 0;
    ASSERT_EQ(2u, g_captures.size());
    // The pair's length: four frames less the one cut off the end.
    EXPECT_EQ(3, g_captures[0].playFrames);
    EXPECT_EQ(3, g_nClipLength);
    OpenedMovie left(Media("pair_L.avi")), right(Media("pair_R.avi"));
    ASSERT_EQ(0, FetchMovieFrame24(&left.m, 0));
    ASSERT_EQ(0, FetchMovieFrame24(&right.m, 0));
    const int W = 1024, x = (W - 160) / 2, y = (768 - 120) / 2;
    for (const Capture &c : g_captures) {
        SCOPED_TRACE(c.swap);
        const PackedDib *l = left.m.pCurrent, *r = right.m.pCurrent;
        EXPECT_EQ(0, Mismatches(c.work, x, y, c.swap ? r : l, 0, 0, 160, 120));
        EXPECT_EQ(0, Mismatches(c.work, W + x, y, c.swap ? l : r, 0, 0, 160, 120));
        DWORD bits = c.lastRow[12] | c.lastRow[13] << 8;
        EXPECT_EQ(c.workBits, bits);
    }
    ClosePair();
}

TEST_F(StereoPlayerTest, PairOfTwoSizesDrawsNothingAndThePlayerDoesNotStay)
{
    ASSERT_TRUE(OpenPair(Media("big.avi"), Media("small.avi")));
    g_nPlaySource = 0;
    g_captures.clear();
    g_captureCount = 0;
    boxes->shown.clear();
    // The first frame cannot be drawn: the start fails with the
    // framework's boxes, and nothing was read past the smaller frame.
    EXPECT_EQ(0u, RunNvidiaStereoPlayer(g_hInst, &g_stereoPair));
    MSG m;
    PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    EXPECT_EQ(0, g_captureCount.load());
    EXPECT_EQ(nullptr, FindWindowA("nVidiaStereo", nullptr));
    ASSERT_FALSE(boxes->shown.empty());
    for (const ShownBox &b : boxes->shown)
        EXPECT_EQ("nVidiaStereo", b.caption);
    ClosePair();
}

TEST_F(StereoPlayerTest, FileThatCannotBeOpenedEndsThePlayerSilently)
{
    lstrcpynA(g_stereoPair.szName, Media("missing.avi").c_str(), sizeof g_stereoPair.szName);
    boxes->shown.clear();
    EXPECT_EQ(0u, RunNvidiaStereoPlayer(g_hInst, &g_stereoPair));
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(nullptr, FindWindowA("nVidiaStereo", nullptr));
    EXPECT_EQ(nullptr, g_pPlayMovie);
    EXPECT_FALSE(g_playMovie.bOpen);
}

TEST_F(StereoPlayerTest, F3RestartsFromTheFirstFrameOnEveryRepeatF2GoesOnFromTheCurrent)
{
    g_bRepeat = 1;
    struct Case {
        WPARAM key;
        std::vector<int> want;
    } cases[] = {
        {VK_F3, {0, 1, 2, 3, 0, 1}},
        {VK_F2, {2, 3, 0, 1, 2, 3}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.key == VK_F3 ? "F3" : "F2");
        g_timedFrames.clear();
        g_timedCount = 0;
        // At frame 2, play until six frames were shown, stop with Esc.
        ASSERT_TRUE(Play({Down(VK_SPACE), Down(VK_SPACE), {WM_KEYUP, k.key, [] { return g_timedCount >= 6; }},
                          Up(VK_ESCAPE)}));
        ASSERT_GE(g_timedFrames.size(), 6u);
        EXPECT_EQ(k.want, std::vector<int>(g_timedFrames.begin(), g_timedFrames.begin() + 6));
    }
}

// A device command reaching the main window while the player runs (Run
// serves every window of the thread) asks for a second player: it is
// refused at once, and the running one goes on and ends as usual.
struct SecondStart {
    bool tried = false;
    WPARAM result = 99;
    DWORD ms = 0;
    bool recordKept = false, windowKept = false, nothingDrawn = false;
} s_second;

void SeeSurfacesAndStartASecondPlayer(IDirectDrawSurface7 *work, const RECT &shown, IDirectDrawSurface7 *target)
{
    // The second frame: the player's redraw of a key, inside Run.
    if (g_captureCount == 1 && !s_second.tried) {
        s_second.tried = true;
        HWND window = FindWindowA("nVidiaStereo", nullptr);
        DWORD start = GetTickCount();
        s_second.result = RunNvidiaStereoPlayer(g_hInst, &g_stereoPair);
        s_second.ms = GetTickCount() - start;
        s_second.recordKept = g_pPlayMovie == &g_playMovie && g_playMovie.bOpen && g_playMovie.nFrames == 4;
        s_second.windowKept = window && IsWindow(window) && g_hwndPlayer3D == window &&
                              FindWindowA("nVidiaStereo", nullptr) == window;
        s_second.nothingDrawn = g_captureCount == 1;
    }
    SeeSurfaces(work, shown, target);
}

TEST_F(StereoPlayerTest, ASecondPlayerIsRefusedWhileOneRuns)
{
    s_second = SecondStart();
    g_pfnPlayerSurfaces = SeeSurfacesAndStartASecondPlayer;
    ASSERT_TRUE(Play({Up(VK_HOME)}));
    ASSERT_TRUE(s_second.tried);
    EXPECT_EQ(0u, s_second.result);
    EXPECT_LT(s_second.ms, 1000u);
    EXPECT_TRUE(s_second.recordKept);
    EXPECT_TRUE(s_second.windowKept);
    EXPECT_TRUE(s_second.nothingDrawn);
    // The first player closed with Enter as usual: Run returned its own
    // quit, the record is closed, no window and no quit are left.
    EXPECT_EQ(0u, played);
    EXPECT_EQ(2u, g_captures.size());
    EXPECT_EQ(nullptr, FindWindowA("nVidiaStereo", nullptr));
    EXPECT_EQ(nullptr, g_hwndPlayer3D);
    EXPECT_EQ(nullptr, g_pPlayMovie);
    EXPECT_FALSE(g_playMovie.bOpen);
    EXPECT_FALSE(quitLeft);
    // Once it has ended, a player starts again.
    g_pfnPlayerSurfaces = SeeSurfaces;
    ASSERT_TRUE(Play({}));
    EXPECT_EQ(1u, g_captures.size());
}

// The bits per pixel the signature tells: the single pair draw the work
// surface's own, every frame of the pair's play loop g_n3DBits. The mode
// is set at the start; g_n3DBits changed after the first frame makes the
// two differ.
void SeeSurfacesThenSixteenBits(IDirectDrawSurface7 *work, const RECT &shown, IDirectDrawSurface7 *target)
{
    SeeSurfaces(work, shown, target);
    g_n3DBits = 16;
}

TEST_F(StereoPlayerTest, ThePairsSingleDrawSignsTheSurfacesBitsItsPlayLoopTheModes)
{
    ASSERT_TRUE(OpenPair(Media("pair_L.avi"), Media("pair_R.avi")));
    g_nPlaySource = 0;
    g_nFrame = 0;
    g_pfnPlayerSurfaces = SeeSurfacesThenSixteenBits;
    // X redraws once; F2 plays the four frames (no repeat) and then draws
    // where it stopped.
    ASSERT_TRUE(Play({Up('X'), {WM_KEYUP, VK_F2, [] { return g_timedCount >= 4 && g_captureCount >= 7; }}}));
    ClosePair();
    ASSERT_EQ(7u, g_captures.size());
    ASSERT_EQ((std::vector<int>{0, 1, 2, 3}), g_timedFrames);
    for (size_t i = 0; i < g_captures.size(); i++) {
        const Capture &c = g_captures[i];
        bool loop = i >= 2 && i <= 5;
        SCOPED_TRACE(testing::Message() << "capture " << i << (loop ? " (loop)" : " (single)"));
        ASSERT_EQ(20u, c.lastRow.size());
        DWORD bits = c.lastRow[12] | c.lastRow[13] << 8 | c.lastRow[14] << 16 | (DWORD)c.lastRow[15] << 24;
        EXPECT_EQ(32u, c.workBits);
        EXPECT_EQ(loop ? 16u : c.workBits, bits);
    }
}

// The play loops' keys. The driver does not post a key itself: it sends
// the player's window a message whose handling (on the player's thread,
// inside the loop's own message calls) notes how many frames were drawn
// and posts the key there, so that the next frame is the first after the
// key was taken.
const UINT kPostKeyNow = WM_APP + 77;
WNDPROC s_playerProc = nullptr;
std::atomic<int> s_keyCapture(-1), s_keyTimed(-1);

LRESULT CALLBACK PostingKeysProc(HWND w, UINT m, WPARAM wParam, LPARAM lParam)
{
    if (m == kPostKeyNow) {
        s_keyCapture = g_captureCount.load();
        s_keyTimed = g_timedCount.load();
        PostMessageA(w, WM_KEYUP, wParam, 0);
        return 0;
    }
    return CallWindowProcA(s_playerProc, w, m, wParam, lParam);
}

TEST_F(StereoPlayerTest, KeysInsideAPlayLoopActAsTheLoopsTableSays)
{
    enum Effect { kMove, kHome, kHelp, kInfo, kSwap, kDigit, kStop };
    struct Key {
        WPARAM key;
        Effect effect;
        int dx, dy;
    };
    std::vector<Key> keys = {
        {VK_RIGHT, kMove, 4, 0}, {VK_RIGHT, kMove, 4, 0}, {VK_DOWN, kMove, 0, 1}, {VK_LEFT, kMove, -4, 0},
        {VK_DOWN, kMove, 0, 1},  {VK_UP, kMove, 0, -1},
        // After an offset key (clear 2): the pair loop's X leaves it so.
        {'X', kSwap, 0, 0},      {VK_HOME, kHome, 0, 0},  {'H', kHelp, 0, 0},      {VK_F1, kHelp, 0, 0},
        {VK_F5, kInfo, 0, 0},    {VK_LEFT, kMove, -4, 0}, {'X', kSwap, 0, 0},      {VK_F5, kInfo, 0, 0},
    };
    for (WPARAM d = 0; d < 10; d++) {
        keys.push_back({'0' + (d + 3) % 10, kDigit, 0, 0});  // 3 4 ... 9 0 1 2
        keys.push_back({VK_NUMPAD0 + d, kDigit, 0, 0});
    }
    for (WPARAM k : {VK_RETURN, VK_ESCAPE, VK_F2, VK_F3})
        keys.push_back({k, kStop, 0, 0});

    struct Loop {
        const char *name;
        int source;
    } loops[] = {{"formatted file", 2}, {"stereo file", 1}, {"pair", 0}};
    for (const Loop &loop : loops) {
        SCOPED_TRACE(loop.name);
        SetUp();
        g_bRepeat = 1;
        g_nPlaySource = loop.source;
        g_nPlayerClear = 0;
        g_nShiftX = g_nShiftY = 0;
        g_nFrame = 0;
        const int firstFormat = g_nDispFormat;
        if (loop.source == 0)
            ASSERT_TRUE(OpenPair(Media("pair_L.avi"), Media("pair_R.avi")));
        else
            lstrcpynA(g_stereoPair.szName, Media("long.avi").c_str(), sizeof g_stereoPair.szName);

        // Per key: the first capture drawn after it was taken; for the
        // stop keys also the loop frames before it and after a pause, and
        // whether the window stayed.
        struct Seen {
            int capture = -1, timedAtKey = -1, timedLater = -1;
            bool windowStayed = false;
        };
        std::vector<Seen> seen(keys.size());
        bool ok = PlayDriven([&](HWND w) {
            // The old procedure is known before the new one can be called.
            s_playerProc = (WNDPROC)GetWindowLongPtrA(w, GWLP_WNDPROC);
            SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)PostingKeysProc);
            auto playing = [&] {
                int timed = g_timedCount;
                PostMessageA(w, WM_KEYUP, VK_F2, 0);
                return WaitFor([&] { return g_timedCount >= timed + 2; });
            };
            if (!playing())
                return false;
            for (size_t i = 0; i < keys.size(); i++) {
                DWORD_PTR answer = 0;
                if (!SendMessageTimeoutA(w, kPostKeyNow, keys[i].key, 0, SMTO_NORMAL, 10000, &answer))
                    return false;
                seen[i].capture = s_keyCapture;
                seen[i].timedAtKey = s_keyTimed;
                if (!WaitFor([&] { return g_captureCount > seen[i].capture; }))
                    return false;
                if (keys[i].effect != kStop)
                    continue;
                // Stopped: no loop frame follows for a while (four frames'
                // time of the slowest medium), the window is still there.
                Sleep(1000);
                seen[i].timedLater = g_timedCount;
                seen[i].windowStayed = IsWindow(w) != 0;
                if (i + 1 < keys.size() && !playing())
                    return false;
            }
            return true;
        });
        if (loop.source == 0)
            ClosePair();
        ASSERT_TRUE(ok);

        // The state the keys lead to, and what each key's frame shows.
        int shiftX = 0, shiftY = 0, help = 0, info = 0, swap = 0, format = firstFormat;
        for (size_t i = 0; i < keys.size(); i++) {
            const Key &k = keys[i];
            SCOPED_TRACE(testing::Message() << "key " << i << " (0x" << std::hex << k.key << ")");
            ASSERT_GT((int)g_captures.size(), seen[i].capture);
            ASSERT_GE(seen[i].capture, 1);
            const Capture &c = g_captures[seen[i].capture];
            const Capture &before = g_captures[seen[i].capture - 1];
            int clear = -1;  // -1: as before the key
            switch (k.effect) {
            case kMove:
                shiftX += k.dx;
                shiftY += k.dy;
                clear = 2;
                break;
            case kHome:
                shiftX = shiftY = 0;
                clear = 2;
                break;
            case kHelp:
                help = !help;
                clear = 4;
                break;
            case kInfo:
                info = !info;
                clear = 4;
                break;
            case kSwap:
                swap = !swap;
                if (loop.source != 0)
                    clear = 4;
                else
                    EXPECT_NE(4, before.clear) << "the pair's X would not be told from a clearing one";
                break;
            case kDigit:
                if (loop.source == 2) {
                    format = (int)(k.key >= VK_NUMPAD0 ? k.key - VK_NUMPAD0 : k.key - '0');
                    clear = 2;
                }
                break;
            case kStop:
                EXPECT_EQ(seen[i].timedAtKey, seen[i].timedLater) << "a loop frame after the stop";
                EXPECT_TRUE(seen[i].windowStayed);
                EXPECT_EQ(1, c.help) << "the stop's frame shows the key help";
                break;
            }
            EXPECT_EQ(shiftX, c.shiftX);
            EXPECT_EQ(shiftY, c.shiftY);
            EXPECT_EQ(swap, c.swap);
            EXPECT_EQ(info, c.info);
            EXPECT_EQ(format, c.format);
            if (k.effect == kStop)
                continue;
            EXPECT_EQ(help, c.help);
            // The formatted loop counts its clearing down at the frame.
            if (clear < 0)
                EXPECT_EQ(before.clear, c.clear);
            else
                EXPECT_EQ(loop.source == 2 ? clear - 1 : clear, c.clear);
        }
        EXPECT_EQ(0u, played);
        EXPECT_EQ(nullptr, FindWindowA("nVidiaStereo", nullptr));
        TearDown();
    }
}

// The overlay drawn by hand: the status line and the given help lines, in
// black and then in white one pixel down and right.
Picture HandDrawn(const char *status, const std::vector<std::pair<int, int>> &help, int w, int h);

Picture DrawnBy(const std::function<void(HDC)> &draw, int w, int h)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    // Grey, so that the black shadow shows.
    RECT r = {0, 0, w, h};
    HBRUSH grey = CreateSolidBrush(RGB(90, 90, 90));
    FillRect(dc, &r, grey);
    DeleteObject(grey);
    draw(dc);
    GdiFlush();
    Picture p;
    p.w = w;
    p.h = h;
    p.px.assign((const uint32_t *)bits, (const uint32_t *)bits + (size_t)w * h);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return p;
}

Picture HandDrawn(const char *status, const std::vector<std::pair<int, int>> &help, int w, int h)
{
    return DrawnBy(
        [&](HDC dc) {
            SetBkMode(dc, TRANSPARENT);
            auto line = [&](const char *text, int x, int y) {
                SetTextColor(dc, RGB(0, 0, 0));
                TextOutA(dc, x, y, text, lstrlenA(text));
                SetTextColor(dc, RGB(255, 255, 255));
                TextOutA(dc, x + 1, y + 1, text, lstrlenA(text));
            };
            if (status)
                line(status, 2, 2);
            for (const auto &l : help) {
                char text[256];
                lstrcpynA(text, LoadStr(l.first), sizeof text);
                line(text, 2, l.second);
            }
        },
        w, h);
}

std::string StatusLine(int shown, int last, int delay, int drops, const char *tag)
{
    char line[320];
    wsprintfA(line, LoadStr(IDS_DEVICE_STATUS), shown, last, delay, drops);
    return std::string(line) + tag;
}

TEST_F(StereoPlayerTest, OverlaysShowTheStatusTotalAsFramesLessOneAndTheirHelpLines)
{
    g_nPlayBase = 2;
    g_nPlayStep = 1;
    g_nPlayFrames = 4;
    g_nPlayDelays = 5;
    g_nDevicePlayDrops = 6;
    std::vector<std::pair<int, int>> common;
    for (int i = 0; i < 10; i++)
        common.push_back({2500 + i, 22 + 20 * i});
    std::vector<std::pair<int, int>> vision = common, nvidia = common;
    for (int i = 0; i < 3; i++)
        vision.push_back({2511 + i, 222 + 20 * i});
    nvidia.push_back({2510, 222});
    struct Case {
        const char *name;
        std::function<void(HDC)> draw;
        const char *tag;
        std::vector<std::pair<int, int>> help;
    } cases[] = {
        {"player", [](HDC dc) { DrawPlayerOverlay(dc, 0); }, "     [nVidia]", common},
        {"3D Vision", [](HDC dc) { DrawPlayerOverlay(dc, 1); }, "     [3D Vision]", vision},
        {"formatted", [](HDC dc) { DrawNvidiaOverlay(dc); }, "     [nVidia]", nvidia},
    };
    const int w = 900, h = 300;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_bShowInfo = 1;
        g_bShowHelp = 1;
        Picture got = DrawnBy(c.draw, w, h);
        std::string status = StatusLine(3, 3, 5, 6, c.tag);
        EXPECT_TRUE(got.px == HandDrawn(status.c_str(), c.help, w, h).px);
        // A total of 4 would read differently: the comparison sees it.
        std::string wrong = StatusLine(3, 4, 5, 6, c.tag);
        EXPECT_FALSE(got.px == HandDrawn(wrong.c_str(), c.help, w, h).px);
        // Both off: nothing drawn.
        g_bShowInfo = 0;
        g_bShowHelp = 0;
        EXPECT_TRUE(DrawnBy(c.draw, w, h).px == HandDrawn(nullptr, {}, w, h).px);
    }
}

}  // namespace
