// The 3D Vision viewer in a Wine virtual desktop of its own
// (scripts/run-in-desktop.sh), against the stand-in "nvapi.dll": the viewer
// runs its loop on the test's thread while a second thread drives it with
// posted messages. The viewer redraws continuously while idle; at every
// present the test hook sees the NV3D surface, and on request one present
// is read back whole and compared with ffmpeg's crops of the same frames,
// the composition kernels and the signature row.
#include "devices/device_frames.h"
#include "devices/nvapi_access.h"
#include "devices/stereo_player_geometry.h"
#include "devices/stereo_player_state.h"
#include "devices/stereo_vision_geometry.h"
#include "devices/stereo_vision_view.h"
#include "pipeline/compose.h"
#include "pipeline/compose_settings.h"
#include "shared/packed_dib.h"
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

const char kVisionClass[] = "QFR 3D Vision";
const int W = 1024, H = 768;

std::string Media(const char *name) { return HostFile(TWR_VISION_MEDIA_DIR, name); }

// A present read back: the surface (pixels 0x00RRGGBB, rows top-down,
// the signature row included) with the state it was drawn in.
struct Snap {
    int w = 0, h = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::vector<uint32_t> px;
    std::vector<BYTE> lastRow;  // 8 W bytes of row H
    int frame = -1, zoom = 0, swap = 0, dispFormat = -1, shiftX = 0, shiftY = 0, waku = -1;
    uint32_t at(int x, int y) const { return px[(size_t)y * w + x]; }
    std::vector<uint32_t> back;  // the back buffer after the stretch, W x H
};

std::atomic<int> g_frames(0);
std::atomic<bool> g_want(false), g_got(false);
bool g_backDue = false;  // the viewer's thread only
Snap g_snap;
std::vector<std::pair<int, int>> g_passFrames;  // (shown, current frame) of each pass frame
std::atomic<int> g_passCount(0);
std::function<void()> g_onFrame;  // run on the viewer's thread at a present

void ReadSurface(IDirect3DSurface9 *s, Snap &snap)
{
    D3DSURFACE_DESC d;
    D3DLOCKED_RECT r;
    if (FAILED(s->GetDesc(&d)) || FAILED(s->LockRect(&r, nullptr, D3DLOCK_READONLY)))
        return;
    snap.w = (int)d.Width;
    snap.h = (int)d.Height;
    snap.format = d.Format;
    snap.px.resize((size_t)snap.w * snap.h);
    for (int y = 0; y < snap.h; y++) {
        const uint32_t *row = (const uint32_t *)((const BYTE *)r.pBits + (size_t)y * r.Pitch);
        for (int x = 0; x < snap.w; x++)
            snap.px[(size_t)y * snap.w + x] = row[x] & 0xFFFFFF;
    }
    const BYTE *last = (const BYTE *)r.pBits + (size_t)(snap.h - 1) * r.Pitch;
    snap.lastRow.assign(last, last + 4 * snap.w);
    s->UnlockRect();
}

void SeeSurface(IDirect3DSurface9 *s, IDirect3DDevice9 *)
{
    if (g_want) {
        Snap snap;
        ReadSurface(s, snap);
        snap.frame = g_nPlaySource ? g_nPlayFrame : g_nFrame;
        snap.zoom = g_nVisionZoom;
        snap.waku = g_nWaku;
        snap.swap = g_nPlayerSwap;
        snap.dispFormat = g_nDispFormat;
        snap.shiftX = g_nPlaySource ? g_nFileShiftX : g_nShiftX;
        snap.shiftY = g_nPlaySource ? g_nFileShiftY : g_nShiftY;
        g_snap = std::move(snap);
        g_want = false;
        g_backDue = true;  // taken when the back buffer has been read
    }
    if (g_onFrame)
        g_onFrame();
    g_frames++;
}

// The back buffer of the present whose surface is being read.
void SeeBackBuffer(IDirect3DSurface9 *back)
{
    if (!g_backDue)
        return;
    Snap b;
    ReadSurface(back, b);
    g_snap.back = std::move(b.px);
    g_backDue = false;
    g_got = true;
}

void SeeTimes(const PlayerFrameTimes &t)
{
    g_passFrames.push_back({t.frame, g_nPlaySource ? g_nPlayFrame : g_nFrame});
    g_passCount++;
}

bool WaitFor(const std::function<bool()> &done, DWORD ms = 15000)
{
    for (DWORD until = GetTickCount() + ms; GetTickCount() < until; Sleep(2))
        if (done())
            return true;
    return false;
}

// Two more presents: the second began after every message posted before
// was taken (the loop empties the queue before each redraw).
bool Settle()
{
    int before = g_frames;
    return WaitFor([&] { return g_frames >= before + 2; });
}

// The next present read back.
Snap TakeSnap()
{
    g_got = false;
    g_want = true;
    if (!WaitFor([] { return g_got.load(); }))
        return Snap();
    return g_snap;
}

// Posts a message and waits until the viewer has taken it.
bool Post(HWND w, UINT msg, WPARAM wParam, LPARAM lParam = 0)
{
    PostMessageA(w, msg, wParam, lParam);
    return Settle();
}

// n more frames of a play pass.
bool PassFrames(int n)
{
    int before = g_passCount;
    return WaitFor([&] { return g_passCount >= before + n; });
}

// No pass frames for a while: the idle redraw has taken over.
bool PassesStopped()
{
    return WaitFor([&] {
        int before = g_passCount;
        Sleep(600);
        return g_passCount == before;
    });
}

std::vector<BYTE> Bgr(const char *name) { return ReadWholeFile(std::string(TWR_VISION_MEDIA_DIR) + "/" + name); }

// Pixels of snap at (x, y) that differ from a w x h BGR picture.
int Mismatches(const Snap &s, int x, int y, const std::vector<BYTE> &bgr, int w, int h)
{
    if (bgr.size() != (size_t)w * h * 3 || x < 0 || y < 0 || x + w > s.w || y + h > s.h)
        return -1;
    int bad = 0;
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++) {
            const BYTE *p = &bgr[((size_t)j * w + i) * 3];
            bad += s.at(x + i, y + j) != (uint32_t)(p[0] | p[1] << 8 | p[2] << 16);
        }
    return bad;
}

// The same for the picture scaled to dw x dh: each pixel from the source
// pixel it falls on, or (slack, for a scale that is no whole number, where
// the stretch may round the other way) from the next one on either axis.
int ScaledMismatches(const Snap &s, int x, int y, int dw, int dh, const std::vector<BYTE> &bgr, int w, int h,
                     bool slack = false)
{
    if (bgr.size() != (size_t)w * h * 3 || x < 0 || y < 0 || x + dw > s.w || y + dh > s.h)
        return -1;
    auto px = [&](int i, int j) {
        const BYTE *p = &bgr[((size_t)(j < h ? j : h - 1) * w + (i < w ? i : w - 1)) * 3];
        return (uint32_t)(p[0] | p[1] << 8 | p[2] << 16);
    };
    int bad = 0;
    for (int j = 0; j < dh; j++)
        for (int i = 0; i < dw; i++) {
            int si = i * w / dw, sj = j * h / dh;
            uint32_t got = s.at(x + i, y + j);
            bool ok = got == px(si, sj);
            for (int k = 1; slack && !ok && k < 4; k++)
                ok = got == px(si + (k & 1), sj + (k >> 1));
            bad += !ok;
        }
    return bad;
}

DWORD Word(const std::vector<BYTE> &row, int i)
{
    return row[4 * i] | row[4 * i + 1] << 8 | row[4 * i + 2] << 16 | (DWORD)row[4 * i + 3] << 24;
}

class StereoVisionTest : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        OpenMainWindow();
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        g_n3DWidth = W;
        g_n3DHeight = H;
        g_n3DBits = 32;
        g_nSound = 1;
        g_nBunkatu = 0;
        g_bRepeat = 0;
        g_nWaku = 10;
        g_bShowHelp = 0;
        g_bShowInfo = 0;
        g_nPlayerSwap = 0;
        g_nDispFormat = 1;
        g_nPlaySource = 1;
        g_nVisionZoom = 100;
        lstrcpynA(g_stereoPair.szName, Media("sbs.avi").c_str(), sizeof g_stereoPair.szName);
        standin = HostPath(TWR_NVAPI_STANDIN);
        g_pszNvApiLibrary = standin.c_str();
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        nvapiLog = std::string(dir) + "twr_vision_nvapi_" + std::to_string(GetCurrentProcessId()) + ".log";
        DeleteFileA(nvapiLog.c_str());
        SetEnvironmentVariableA("TWR_NVAPI_LOG", nvapiLog.c_str());
        for (const char *v : {"TWR_NVAPI_INIT", "TWR_NVAPI_ISENABLED", "TWR_NVAPI_ENABLED", "TWR_NVAPI_ENABLE",
                              "TWR_NVAPI_HIDE"})
            SetEnvironmentVariableA(v, nullptr);
        ResetNvApiForTests();
        g_frames = 0;
        g_passFrames.clear();
        g_passCount = 0;
        g_onFrame = nullptr;
        g_pfnVisionSurface = SeeSurface;
        g_pfnVisionBackBuffer = SeeBackBuffer;
        g_backDue = false;
        g_pfnVisionFrameTimes = SeeTimes;
    }

    void TearDown() override
    {
        g_pfnVisionSurface = nullptr;
        g_pfnVisionBackBuffer = nullptr;
        g_pfnVisionFrameTimes = nullptr;
        g_pfnVisionCreate9 = nullptr;
        g_pfnVisionCreateDevice = nullptr;
        g_pfnVisionCreateSurface = nullptr;
        g_pfnVisionCooperativeLevel = nullptr;
        g_onFrame = nullptr;
        ResetNvApiForTests();
        g_pszNvApiLibrary = "nvapi.dll";
        SetEnvironmentVariableA("TWR_NVAPI_LOG", nullptr);
        DeleteFileA(nvapiLog.c_str());
        MainWindowTest::TearDown();
    }

    // Runs the viewer on this thread; a second thread waits for the window
    // (and, unless told otherwise, its first present), drives it, and
    // closes it with Enter when the drive left it open. Whether the drive
    // went through; afterwards quit holds a WM_QUIT left waiting (-1:
    // none), taken off the queue.
    bool View(const std::function<bool(HWND)> &drive, bool waitForPresent = true)
    {
        std::atomic<bool> ok(true);
        std::thread driver([&] {
            HWND w = nullptr;
            if (!WaitFor([&] {
                    return (w = FindWindowA(kVisionClass, nullptr)) != nullptr && (!waitForPresent || g_frames > 0);
                })) {
                ok = false;
                if ((w = FindWindowA(kVisionClass, nullptr)) != nullptr)
                    PostMessageA(w, WM_CLOSE, 0, 0);
                return;
            }
            if (!drive(w))
                ok = false;
            if (IsWindow(w))
                PostMessageA(w, WM_KEYUP, VK_RETURN, 0);
        });
        returned = RunStereoVisionViewer(g_hInst, &g_stereoPair);
        driver.join();
        MSG m;
        quit = PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? (long long)m.wParam : -1;
        return ok;
    }

    // What every ended run leaves: no viewer window, no file open, no quit
    // for the program's loop, the main window alive.
    void ExpectEndedCleanly()
    {
        EXPECT_EQ(0, returned);
        EXPECT_EQ(-1, quit);
        EXPECT_EQ(nullptr, FindWindowA(kVisionClass, nullptr));
        EXPECT_EQ(nullptr, g_vision.window);
        EXPECT_EQ(nullptr, g_vision.device);
        EXPECT_EQ(nullptr, g_vision.surface);
        EXPECT_EQ(nullptr, g_vision.d3d);
        EXPECT_EQ(nullptr, g_pPlayMovie);
        EXPECT_FALSE(g_playMovie.bOpen);
        EXPECT_TRUE(IsWindow(main));
        EXPECT_FALSE(StereoVisionRunning());
    }

    std::string NvApiLog() const { return ReadWholeText(nvapiLog); }

    // A run that reads back the present after the keys released (empty
    // when the run did not go through), ended cleanly.
    Snap SnapAfterKeys(const std::vector<WPARAM> &keys = {})
    {
        Snap snap;
        EXPECT_TRUE(View([&](HWND w) {
            for (WPARAM k : keys)
                if (!Post(w, WM_KEYUP, k))
                    return false;
            snap = TakeSnap();
            return true;
        }));
        ExpectEndedCleanly();
        return snap;
    }

    std::string standin, nvapiLog;
    int returned = -1;
    long long quit = -1;
};

IDirect3D9 *NoDirect3D(UINT) { return nullptr; }
HRESULT NoDevice(IDirect3D9 *, D3DPRESENT_PARAMETERS *, IDirect3DDevice9 **device)
{
    *device = nullptr;
    return D3DERR_NOTAVAILABLE;
}

TEST_F(StereoVisionTest, EachFailedSetUpShowsItsBoxAndLeavesTheProgramRunning)
{
    const UINT setUp = MB_TOPMOST | MB_SETFOREGROUND, device = setUp | MB_SYSTEMMODAL;
    struct Case {
        const char *name;
        std::string library;
        const char *env, *value;
        IDirect3D9 *(*create9)(UINT);
        HRESULT (*createDevice)(IDirect3D9 *, D3DPRESENT_PARAMETERS *, IDirect3DDevice9 **);
        const char *text, *caption;
        UINT type;
    } cases[] = {
        {"no nvapi.dll", HostPath(std::string(TWR_NVAPI_STANDIN) + ".missing"), nullptr, nullptr, nullptr, nullptr,
         "NVAPI error -2", "Unable to initialize NVAPI", setUp},
        {"no query export", HostPath(TWR_NVAPI_NO_EXPORT), nullptr, nullptr, nullptr, nullptr, "NVAPI error -1",
         "Unable to initialize NVAPI", setUp},
        {"initialise fails", HostPath(TWR_NVAPI_STANDIN), "TWR_NVAPI_INIT", "-1", nullptr, nullptr, "NVAPI error -1",
         "Unable to initialize NVAPI", setUp},
        {"no stereo", HostPath(TWR_NVAPI_STANDIN), "TWR_NVAPI_ISENABLED", "-140", nullptr, nullptr,
         "Stereo is not available/nMake sure the stereo driver is installed correctly", "Stereo not available", setUp},
        {"no Direct3D 9", HostPath(TWR_NVAPI_STANDIN), nullptr, nullptr, NoDirect3D, nullptr, "Failed to create D3D9.",
         "QFR 3D Vision Error", device},
        {"no device", HostPath(TWR_NVAPI_STANDIN), nullptr, nullptr, nullptr, NoDevice,
         "Failed to create D3D Device.", "QFR 3D Vision Error", device},
    };
    for (int source : {1, 0}) {
        if (source == 0)
            ASSERT_TRUE(OpenPair(Media("pair_L.avi"), Media("pair_R.avi")));
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", source " << source);
            g_nPlaySource = source;
            ResetNvApiForTests();
            std::string library = c.library;
            g_pszNvApiLibrary = library.c_str();
            SetEnvironmentVariableA("TWR_NVAPI_INIT", nullptr);
            SetEnvironmentVariableA("TWR_NVAPI_ISENABLED", nullptr);
            if (c.env)
                SetEnvironmentVariableA(c.env, c.value);
            g_pfnVisionCreate9 = c.create9;
            g_pfnVisionCreateDevice = c.createDevice;
            boxes->shown.clear();
            g_frames = 0;
            returned = RunStereoVisionViewer(g_hInst, &g_stereoPair);
            MSG m;
            quit = PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? (long long)m.wParam : -1;
            ASSERT_EQ(1u, boxes->shown.size());
            EXPECT_EQ(c.text, boxes->shown[0].text);
            EXPECT_EQ(c.caption, boxes->shown[0].caption);
            EXPECT_EQ(c.type, boxes->shown[0].type);
            EXPECT_FALSE(boxes->shown[0].quitPending);
            EXPECT_EQ(0, g_frames.load());
            ExpectEndedCleanly();
            // The hidden window's empty pointer is not left behind.
            EXPECT_EQ(LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), GetCursor());
            // The main window still serves its messages.
            EXPECT_EQ(1, (int)SendMessageA(main, WM_NULL, 0, 0) + 1);
            g_pszNvApiLibrary = standin.c_str();
        }
    }
    ClosePair();
}

TEST_F(StereoVisionTest, StereoNotEnabledIsToldEnablingIsTriedAndTheViewerGoesOn)
{
    SetEnvironmentVariableA("TWR_NVAPI_ENABLED", "0");
    SetEnvironmentVariableA("TWR_NVAPI_ENABLE", "-1");  // not even enabling helps
    boxes->shown.clear();
    ASSERT_TRUE(View([](HWND) { return Settle(); }));
    ASSERT_EQ(1u, boxes->shown.size());
    EXPECT_EQ("Stereo is available but not enabled/nLet's enable it", boxes->shown[0].text);
    EXPECT_EQ("Stereo not enabled", boxes->shown[0].caption);
    EXPECT_EQ((UINT)(MB_TOPMOST | MB_SETFOREGROUND), boxes->shown[0].type);
    std::string log = NvApiLog();
    size_t enable = log.find("Enable result=-1"), key = log.find("CreateProfileKey profile=0");
    EXPECT_NE(std::string::npos, enable) << log;
    EXPECT_NE(std::string::npos, key);
    EXPECT_LT(enable, key);
    EXPECT_GT(g_frames.load(), 2);
    ExpectEndedCleanly();
}

TEST_F(StereoVisionTest, ThePairFillsBothHalvesUnscaledAndTheLastRowIsSigned)
{
    ASSERT_TRUE(OpenPair(Media("pair_L.avi"), Media("pair_R.avi")));
    g_nPlaySource = 0;
    // The whole 718 columns in common (otherwise the common width is cut
    // to a multiple of 4).
    int allFrames = g_bAllFrameAdjust;
    g_bAllFrameAdjust = 1;
    std::vector<Snap> snaps;
    ASSERT_TRUE(View([&](HWND w) {
        snaps.push_back(TakeSnap());
        bool ok = Post(w, WM_KEYUP, 'X');
        snaps.push_back(TakeSnap());
        ok = ok && Post(w, WM_KEYUP, 'X') && Post(w, WM_KEYUP, 'F');
        snaps.push_back(TakeSnap());
        return ok;
    }));
    ClosePair();
    g_bAllFrameAdjust = allFrames;
    ExpectEndedCleanly();
    ASSERT_EQ(3u, snaps.size());
    std::vector<BYTE> left = Bgr("pair_L0.bgr"), right = Bgr("pair_R0.bgr");
    const int x = (W - 718) / 2, y = (H - 240) / 2;
    for (const Snap &s : snaps) {
        SCOPED_TRACE(testing::Message() << "swap " << s.swap << " zoom " << s.zoom << " offsets " << s.shiftX << "," << s.shiftY);
        ASSERT_EQ(2 * W, s.w);
        ASSERT_EQ(H + 1, s.h);
        EXPECT_EQ(D3DFMT_X8R8G8B8, s.format);
        // Row H: "NV3D", 2 W, H, 32 bits, scale to fit; then all 0xFF.
        const DWORD want[5] = {0x4433564E, 2 * W, H, 32, 2};
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(want[i], Word(s.lastRow, i)) << "word " << i;
        int notWhite = 0;
        for (size_t i = 20; i < s.lastRow.size(); i++)
            notWhite += s.lastRow[i] != 0xFF;
        EXPECT_EQ(0, notWhite);
        // The screen: the whole surface, its signature row included,
        // stretched linearly onto the W x H back buffer.
        ASSERT_EQ((size_t)W * H, s.back.size());
        double sum = 0;
        int n = 0;
        for (int j = 1; j < H - 1; j += 3)
            for (int i = 1; i < W - 1; i += 3) {
                uint32_t a = s.back[(size_t)j * W + i];
                uint32_t b = s.at(2 * i, (int)((long long)j * (H + 1) / H));
                for (int k = 0; k < 24; k += 8)
                    sum += abs((int)(a >> k & 255) - (int)(b >> k & 255));
                n++;
            }
        EXPECT_LT(sum / n, 12.0);
        if (s.zoom == 100) {
            EXPECT_EQ(0, Mismatches(s, x, y, s.swap ? right : left, 718, 240));
            EXPECT_EQ(0, Mismatches(s, W + x, y, s.swap ? left : right, 718, 240));
            EXPECT_EQ(0u, s.at(x - 1, y));
            EXPECT_EQ(0u, s.at(W + x + 718, y + 239));
            EXPECT_EQ(0u, s.at(W + x, y - 1));
        } else {
            // F: the largest that leaves the frame of 2 x "nWaku".
            VisionPairPlace p = PlaceVisionPair(W, H, 718, 240, s.waku, kVisionZoomFit);
            EXPECT_EQ(10, s.waku);
            EXPECT_EQ(p.zoom, s.zoom);
            for (int half = 0; half < 2; half++) {
                int x0 = half * W + p.x;
                EXPECT_EQ(0u, s.at(x0 - 1, H / 2));
                EXPECT_EQ(0u, s.at(x0 + p.w, H / 2));
                EXPECT_EQ(0u, s.at(x0 + p.w / 2, p.y - 1));
                int lit = 0;
                for (int i = 0; i < p.w; i++)
                    lit += s.at(x0 + i, H / 2) != 0;
                EXPECT_GT(lit, p.w / 2);
            }
        }
    }
    EXPECT_EQ(0, snaps[0].swap);
    EXPECT_EQ(1, snaps[1].swap);
    // The first picture's forced key help leaves nothing beside the
    // pictures of the redraws after it.
    int lit = 0;
    for (int yy = 0; yy < y; yy++)
        for (int xx = 0; xx < x; xx++)
            lit += snaps[0].at(xx, yy) != 0;
    EXPECT_EQ(0, lit);
    EXPECT_NE(100, snaps[2].zoom);
}

TEST_F(StereoVisionTest, TheStereoFilesEyesGoToTheirHalvesMovedByTheOffsets)
{
    std::vector<Snap> snaps;
    ASSERT_TRUE(View([&](HWND w) {
        snaps.push_back(TakeSnap());
        bool ok = Post(w, WM_KEYUP, VK_RIGHT) && Post(w, WM_KEYUP, VK_DOWN);
        snaps.push_back(TakeSnap());
        ok = ok && Post(w, WM_KEYUP, 'X');
        snaps.push_back(TakeSnap());
        return ok;
    }));
    ExpectEndedCleanly();
    ASSERT_EQ(3u, snaps.size());
    std::vector<BYTE> first = Bgr("sbs_first0.bgr"), second = Bgr("sbs_second0.bgr");
    const int x = (W - 320) / 2, y = (H - 120) / 2;
    for (const Snap &s : snaps) {
        SCOPED_TRACE(testing::Message() << "offsets " << s.shiftX << "," << s.shiftY << " swap " << s.swap);
        ASSERT_EQ(2 * W, s.w);
        int firstX = (s.swap ? W : 0) + x + s.shiftX, secondX = (s.swap ? 0 : W) + x;
        EXPECT_EQ(0, Mismatches(s, firstX, y + s.shiftY, first, 320, 120));
        EXPECT_EQ(0, Mismatches(s, secondX, y, second, 320, 120));
        EXPECT_EQ(0u, s.at(W + 2, 2));
        EXPECT_EQ(0x4433564Eu, Word(s.lastRow, 0));
    }
    EXPECT_EQ(4, snaps[1].shiftX);
    EXPECT_EQ(1, snaps[1].shiftY);
    EXPECT_EQ(1, snaps[2].swap);
}

TEST_F(StereoVisionTest, ZoomKeysFollowTheTableAndFIsClampedByTheDrawing)
{
    struct Step {
        UINT msg;
        WPARAM wParam;
        int zoom;  // after the drawing
    } steps[] = {
        {WM_KEYUP, VK_PRIOR, 110},
        {WM_KEYUP, VK_PRIOR, 121},
        {WM_KEYUP, VK_NEXT, 110},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-120), 100},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 110},
        {WM_KEYUP, 'J', 100},
        {WM_KEYUP, 'F', 320},  // 1024 x 100 / 320: the eye as wide as the half
        {WM_KEYUP, VK_PRIOR, 320},
        {WM_KEYUP, VK_NEXT, 290},
    };
    std::vector<int> seen;
    ASSERT_TRUE(View([&](HWND w) {
        for (const Step &s : steps) {
            if (!Post(w, s.msg, s.wParam))
                return false;
            seen.push_back(TakeSnap().zoom);
        }
        return true;
    }));
    ExpectEndedCleanly();
    ASSERT_EQ(sizeof steps / sizeof steps[0], seen.size());
    for (size_t i = 0; i < seen.size(); i++)
        EXPECT_EQ(steps[i].zoom, seen[i]) << "step " << i;
    EXPECT_EQ(290, g_nVisionZoom);  // kept for the next run
}

TEST_F(StereoVisionTest, SpaceAndBackSpaceStopAtTheEndsOrWrapWithRepeat)
{
    struct Case {
        int repeat;
        std::vector<WPARAM> keys;
        std::vector<int> frames;
    } cases[] = {
        {0, {VK_SPACE, VK_SPACE, VK_SPACE, VK_SPACE, VK_BACK}, {1, 2, 3, 3, 2}},
        {1, {VK_SPACE, VK_SPACE, VK_SPACE, VK_SPACE, VK_BACK}, {1, 2, 3, 0, 3}},
        {0, {VK_BACK, VK_SPACE}, {0, 1}},
        {1, {VK_BACK, VK_BACK}, {3, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "repeat " << c.repeat << ", " << c.keys.size() << " keys");
        g_bRepeat = c.repeat;
        std::vector<int> frames;
        ASSERT_TRUE(View([&](HWND w) {
            for (WPARAM k : c.keys) {
                if (!Post(w, WM_KEYDOWN, k))
                    return false;
                frames.push_back(TakeSnap().frame);
            }
            return true;
        }));
        EXPECT_EQ(c.frames, frames);
        ExpectEndedCleanly();
    }
}

TEST_F(StereoVisionTest, DigitsChooseTheDisplayFormatOfTheFormattedFileOnly)
{
    g_nPlaySource = 2;
    g_nDispFormat = 0;
    std::vector<Snap> snaps;
    ASSERT_TRUE(View([&](HWND w) {
        bool ok = Post(w, WM_KEYUP, '1');
        snaps.push_back(TakeSnap());
        ok = ok && Post(w, WM_KEYUP, VK_NUMPAD5);
        snaps.push_back(TakeSnap());
        return ok;
    }));
    ExpectEndedCleanly();
    ASSERT_EQ(2u, snaps.size());
    EXPECT_EQ(1, snaps[0].dispFormat);
    EXPECT_EQ(5, snaps[1].dispFormat);
    // Grey red-cyan as the kernel composes it, at (0, 0) of the left half.
    MovieSource m;
    char error[kOpenErrorBytes] = "";
    InitMovieSource(&m);
    ASSERT_EQ(0, OpenMovieSource(nullptr, Media("sbs.avi").c_str(), &m, error, 0));
    DeviceFileFrame f;
    ASSERT_TRUE(FetchDeviceFileFrame(&m, 0, f));
    int c[4];
    ShiftToCropMargins(c, f.eyeW, f.eyeH, 0, 0, g_bAllFrameAdjust);
    PackedDib *want = ComposeGreyAnaglyphSbs(ComposeSettingsFromState(), const_cast<PackedDib *>(f.image), c[0], c[1],
                                             c[2], c[3], 0, f.secondX, f.secondY, 0);
    ASSERT_TRUE(want);
    int bad = 0;
    for (int y = 0; y < DibHeight(want); y++)
        for (int x = 0; x < DibWidth(want); x++) {
            const BYTE *p = DibRow(want, DibHeight(want) - 1 - y) + 3 * x;
            bad += snaps[0].at(x, y) != (uint32_t)(p[0] | p[1] << 8 | p[2] << 16);
        }
    EXPECT_EQ(0, bad);
    FreeDib(want);
    FreeDeviceFileFrame(f);
    CloseMovieSource(&m);

    // The stereo file takes no digit.
    g_nPlaySource = 1;
    g_nDispFormat = 4;
    ASSERT_TRUE(View([](HWND w) { return Post(w, WM_KEYUP, '2'); }));
    EXPECT_EQ(4, g_nDispFormat);
    ExpectEndedCleanly();
}

TEST_F(StereoVisionTest, EscEnterAndAltEscCloseOtherSystemKeysAreSwallowed)
{
    struct Case {
        const char *name;
        UINT msg;
        WPARAM key;
    } cases[] = {
        {"Esc", WM_KEYUP, VK_ESCAPE},
        {"Enter", WM_KEYUP, VK_RETURN},
        {"Alt+Esc", WM_SYSKEYUP, VK_ESCAPE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        bool closed = false, stayed = false;
        ASSERT_TRUE(View([&](HWND w) {
            // System keys other than Esc change nothing (Alt+X is no X).
            bool ok = Post(w, WM_SYSKEYDOWN, 'X') && Post(w, WM_SYSKEYUP, 'X') && Post(w, WM_SYSKEYUP, VK_F4);
            stayed = ok && IsWindow(w) && TakeSnap().swap == 0;
            PostMessageA(w, c.msg, c.key, 0);
            closed = WaitFor([&] { return !IsWindow(w); });
            return ok;
        }));
        EXPECT_TRUE(stayed);
        EXPECT_TRUE(closed);
        ExpectEndedCleanly();
    }
}

TEST_F(StereoVisionTest, F2PlaysToTheEndAndTheLastFrameSetsTheCurrentToTheFirst)
{
    // The buttons play as F2 and F3 do; a second click soon after the first
    // comes as a double click, which is a click all the same.
    struct Case {
        const char *name;
        UINT msg;
        WPARAM key;
        int startAt;
        std::vector<std::pair<int, int>> want;  // (shown, current frame while shown)
    } cases[] = {
        {"F2", WM_KEYUP, VK_F2, 1, {{1, 1}, {2, 2}, {3, 0}}},
        {"F3", WM_KEYUP, VK_F3, 2, {{0, 0}, {1, 1}, {2, 2}, {3, 0}}},
        {"left button", WM_LBUTTONDOWN, 0, 1, {{1, 1}, {2, 2}, {3, 0}}},
        {"right button", WM_RBUTTONDOWN, 0, 2, {{0, 0}, {1, 1}, {2, 2}, {3, 0}}},
        {"left double click", WM_LBUTTONDBLCLK, 0, 2, {{2, 2}, {3, 0}}},
        {"right double click", WM_RBUTTONDBLCLK, 0, 1, {{0, 0}, {1, 1}, {2, 2}, {3, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_passFrames.clear();
        g_passCount = 0;
        int after = -1;
        ASSERT_TRUE(View([&](HWND w) {
            for (int i = 0; i < c.startAt; i++)
                if (!Post(w, WM_KEYDOWN, VK_SPACE))
                    return false;
            PostMessageA(w, c.msg, c.key, 0);
            // The pass ends (no repeat) and the idle redraw goes on.
            if (!WaitFor([&] { return g_passCount >= (int)c.want.size(); }) || !Settle())
                return false;
            after = TakeSnap().frame;
            return true;
        }));
        EXPECT_EQ(c.want, g_passFrames);
        EXPECT_EQ(0, after);
        ExpectEndedCleanly();
    }
}

TEST_F(StereoVisionTest, InsideAPassKeysActOnTheNextFrameAndEscOrAButtonStopsIt)
{
    g_bRepeat = 1;  // the passes go on until stopped
    struct Stop {
        const char *name;
        UINT msg;
        WPARAM wParam;
    } stops[] = {{"Esc", WM_KEYUP, VK_ESCAPE},
                 {"F2", WM_KEYUP, VK_F2},
                 {"left button", WM_LBUTTONDOWN, 0},
                 {"right double click", WM_RBUTTONDBLCLK, 0},
                 {"left double click", WM_LBUTTONDBLCLK, 0}};
    for (const Stop &stop : stops) {
        SCOPED_TRACE(stop.name);
        g_nPlayerSwap = 0;
        g_nVisionZoom = 100;
        Snap during, after;
        bool stopped = false, open = false;
        ASSERT_TRUE(View([&](HWND w) {
            PostMessageA(w, WM_KEYUP, VK_F2, 0);
            if (!PassFrames(2))
                return false;
            PostMessageA(w, WM_KEYUP, 'X', 0);
            PostMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
            if (!PassFrames(3))
                return false;
            during = TakeSnap();
            PostMessageA(w, stop.msg, stop.wParam, 0);
            // Stopped: the idle redraw takes over (no pass frames).
            stopped = PassesStopped();
            after = TakeSnap();
            open = IsWindow(w) != 0;
            return true;
        }));
        EXPECT_EQ(1, during.swap);
        EXPECT_EQ(110, during.zoom);
        EXPECT_TRUE(stopped);
        EXPECT_TRUE(open);  // a stop ends the pass, not the viewer
        EXPECT_EQ(1, after.swap);
        ExpectEndedCleanly();
    }
}

TEST_F(StereoVisionTest, AProgramQuitWhileTheViewerRunsIsPassedOn)
{
    DWORD thread = GetCurrentThreadId();
    ASSERT_TRUE(View([&](HWND w) {
        PostThreadMessageA(thread, WM_QUIT, 7, 0);
        return WaitFor([&] { return !IsWindow(w); });
    }));
    EXPECT_EQ(7, quit);
    quit = -1;
    ExpectEndedCleanly();
}

TEST_F(StereoVisionTest, AProgramQuitComingAsTheViewerClosesIsNotTakenForTheViewers)
{
    // A thread keeps one pending quit: the program's must not be lost
    // behind a close the viewer is making at the same time.
    DWORD thread = GetCurrentThreadId();
    ASSERT_TRUE(View([&](HWND w) {
        PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0);
        PostThreadMessageA(thread, WM_QUIT, 9, 0);
        return WaitFor([&] { return !IsWindow(w); });
    }));
    EXPECT_EQ(9, quit);
    quit = -1;
    ExpectEndedCleanly();
}

HRESULT NoSurface(IDirect3DDevice9 *, UINT, UINT, IDirect3DSurface9 **s)
{
    *s = nullptr;
    return E_OUTOFMEMORY;
}

TEST_F(StereoVisionTest, WithoutItsSurfaceTheViewerPresentsNothingAndStillCloses)
{
    g_pfnVisionCreateSurface = NoSurface;
    int presents = g_nVisionPresents;
    ASSERT_TRUE(View(
        [](HWND w) {
            Sleep(300);
            PostMessageA(w, WM_KEYUP, 'X', 0);  // a redraw asked for
            Sleep(200);
            return true;
        },
        false));
    EXPECT_EQ(0, g_frames.load());
    EXPECT_EQ(presents, g_nVisionPresents);
    ExpectEndedCleanly();
}

TEST_F(StereoVisionTest, APairOfTwoSizesIsNeverDrawn)
{
    ASSERT_TRUE(OpenPair(Media("big.avi"), Media("small.avi")));
    g_nPlaySource = 0;
    ASSERT_TRUE(View(
        [](HWND w) {
            Sleep(300);
            PostMessageA(w, WM_KEYUP, VK_F2, 0);  // nor played
            Sleep(100);
            return true;
        },
        false));
    ClosePair();
    EXPECT_EQ(0, g_frames.load());
    EXPECT_EQ(0, g_passCount.load());
    ExpectEndedCleanly();
}

TEST_F(StereoVisionTest, ASecondViewerIsRefusedWhileOneRuns)
{
    int second = -1;
    bool kept = false;
    g_onFrame = [&] {
        if (second != -1)
            return;
        HWND window = g_vision.window;
        second = RunStereoVisionViewer(g_hInst, &g_stereoPair);
        kept = g_vision.window == window && IsWindow(window) && g_pPlayMovie == &g_playMovie && g_playMovie.bOpen;
    };
    ASSERT_TRUE(View([](HWND) { return Settle(); }));
    EXPECT_EQ(0, second);
    EXPECT_TRUE(kept);
    ExpectEndedCleanly();
}

int s_surfaceTries = 0;
HRESULT NoSurfaceAtFirst(IDirect3DDevice9 *device, UINT w, UINT h, IDirect3DSurface9 **s)
{
    if (s_surfaceTries++ == 0) {
        *s = nullptr;
        return E_OUTOFMEMORY;  // video memory short for a moment
    }
    return device->CreateOffscreenPlainSurface(w, h, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, s, nullptr);
}

TEST_F(StereoVisionTest, ASurfaceThatCouldNotBeMadeIsTriedAgainAtTheNextDrawing)
{
    s_surfaceTries = 0;
    g_pfnVisionCreateSurface = NoSurfaceAtFirst;
    Snap snap = SnapAfterKeys();
    EXPECT_GE(s_surfaceTries, 2);
    EXPECT_GT(g_frames.load(), 0);
    ASSERT_EQ(2 * W, snap.w);
    EXPECT_EQ(0x4433564Eu, Word(snap.lastRow, 0));
    const int x = (W - 320) / 2, y = (H - 120) / 2;
    EXPECT_EQ(0, Mismatches(snap, x, y, Bgr("sbs_first0.bgr"), 320, 120));
}

// The device lost for a number of checks, then once to be reset.
std::atomic<int> s_lostChecks(0), s_resetChecks(0);
HRESULT LostThenReset(IDirect3DDevice9 *device)
{
    if (s_lostChecks > 0) {
        s_lostChecks--;
        return D3DERR_DEVICELOST;
    }
    if (s_resetChecks > 0) {
        s_resetChecks--;
        return D3DERR_DEVICENOTRESET;
    }
    return device->TestCooperativeLevel();
}

TEST_F(StereoVisionTest, NothingIsPresentedWhileTheDeviceIsLostThenItIsResetWithANewSignedSurface)
{
    s_lostChecks = 0;
    s_resetChecks = 0;
    g_pfnVisionCooperativeLevel = LostThenReset;
    std::atomic<bool> arm(false), armed(false);
    int presentsWhileLost = 0;
    IDirect3DSurface9 *before = nullptr;
    // Armed on the viewer's thread, between two drawings.
    g_onFrame = [&] {
        if (arm && !armed) {
            before = g_vision.surface;
            s_lostChecks = 10;
            s_resetChecks = 1;
            armed = true;
            return;
        }
        if (armed && (s_lostChecks > 0 || s_resetChecks > 0))
            presentsWhileLost++;
    };
    Snap after;
    ASSERT_TRUE(View([&](HWND) {
        arm = true;
        if (!WaitFor([&] { return armed.load(); }))
            return false;
        after = TakeSnap();
        return true;
    }));
    EXPECT_TRUE(armed);
    EXPECT_EQ(0, s_lostChecks.load());
    EXPECT_EQ(0, s_resetChecks.load());
    EXPECT_EQ(0, presentsWhileLost);
    EXPECT_NE(nullptr, before);
    // Made again after the reset, signed, with the picture.
    ASSERT_EQ(2 * W, after.w);
    const DWORD want[5] = {0x4433564E, 2 * W, H, 32, 2};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(want[i], Word(after.lastRow, i)) << "word " << i;
    const int x = (W - 320) / 2, y = (H - 120) / 2;
    EXPECT_EQ(0, Mismatches(after, x, y, Bgr("sbs_first0.bgr"), 320, 120));
    ExpectEndedCleanly();
}

TEST_F(StereoVisionTest, ThePairsOffsetsAndTrimmingShowWhatFfmpegCrops)
{
    ASSERT_TRUE(OpenPair(Media("pair_L.avi"), Media("pair_R.avi")));
    g_nPlaySource = 0;
    int allFrames = g_bAllFrameAdjust, trimState = g_nTrimState;
    RECT trim = g_rcTrim;
    g_bAllFrameAdjust = 1;
    struct Case {
        const char *name;
        int trimState;
        RECT trim;
        int zoom;
        std::vector<WPARAM> keys;
        const char *left, *right;  // ffmpeg's crops (null: not compared)
        int w, h;
    } cases[] = {
        // Right moves the right image's part 4 columns on; Down the left
        // image's one row down (rows counted from the top).
        {"Right and Down", 0, {0, 0, 0, 0}, 100, {VK_RIGHT, VK_DOWN}, "pair_L0_moved.bgr", "pair_R0_moved.bgr", 714, 239},
        // The applied trimming alone, scaled without DrawDib.
        {"trimmed at 200", kTrimApplied, {100, 40, 300, 140}, 200, {}, "pair_L0_trim.bgr", "pair_R0_trim.bgr", 200, 100},
        // Scaled to fit without an applied trimming: the rectangle the user
        // made stays as it was.
        {"fit, trimming not applied", 0, {5, 6, 100, 90}, kVisionZoomFit, {}, nullptr, nullptr, 718, 240},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        g_nTrimState = c.trimState;
        g_rcTrim = c.trim;
        g_nVisionZoom = c.zoom;
        g_nShiftX = g_nShiftY = 0;
        Snap snap = SnapAfterKeys(c.keys);
        EXPECT_EQ(c.trim.left, g_rcTrim.left);
        EXPECT_EQ(c.trim.top, g_rcTrim.top);
        EXPECT_EQ(c.trim.right, g_rcTrim.right);
        EXPECT_EQ(c.trim.bottom, g_rcTrim.bottom);
        ASSERT_EQ(2 * W, snap.w);
        VisionPairPlace p = PlaceVisionPair(W, H, c.w, c.h, 10, c.zoom);
        if (!c.left) {
            EXPECT_TRUE(p.scaled);
            EXPECT_EQ(p.zoom, snap.zoom);
            continue;
        }
        EXPECT_EQ(c.zoom, snap.zoom);
        int bad = ScaledMismatches(snap, p.x, p.y, p.w, p.h, Bgr(c.left), c.w, c.h);
        EXPECT_EQ(0, bad) << "left";
        bad = ScaledMismatches(snap, W + p.x, p.y, p.w, p.h, Bgr(c.right), c.w, c.h);
        EXPECT_EQ(0, bad) << "right";
        EXPECT_EQ(0u, snap.at(p.x - 1, p.y));
        EXPECT_EQ(0u, snap.at(W + p.x + p.w, p.y + p.h - 1));
    }
    ClosePair();
    g_bAllFrameAdjust = allFrames;
    g_nTrimState = trimState;
    g_rcTrim = trim;
}

TEST_F(StereoVisionTest, TheFileScaledAndDisplayFormatZeroShowFfmpegsHalves)
{
    std::vector<BYTE> first = Bgr("sbs_first0.bgr"), second = Bgr("sbs_second0.bgr");
    {
        SCOPED_TRACE("stereo file at 200");
        g_nPlaySource = 1;
        g_nVisionZoom = 200;
        Snap snap = SnapAfterKeys();
        VisionPlace p = PlaceVisionFileEye(W, H, 320, 120, 200);
        EXPECT_EQ(200, snap.zoom);
        EXPECT_EQ(640, p.w);
        EXPECT_EQ(0, ScaledMismatches(snap, p.x, p.y, p.w, p.h, first, 320, 120));
        EXPECT_EQ(0, ScaledMismatches(snap, W + p.x, p.y, p.w, p.h, second, 320, 120));
    }
    {
        SCOPED_TRACE("display format 0");
        g_nPlaySource = 2;
        g_nDispFormat = 0;
        Snap snap = SnapAfterKeys();
        PlayerSbsRequest r = {W, H, 320, 120, 10, 0, 0, 0, 320, 0};
        PlayerSbsLayout l = ComputePlayerSbs(r);
        ASSERT_TRUE(l.drawn);
        for (const PlayerDibDraw *d : {&l.left, &l.right}) {
            SCOPED_TRACE(d->srcX);
            EXPECT_GT(d->w, 320);  // scaled: no whole number
            EXPECT_EQ(0, ScaledMismatches(snap, d->x, d->y, d->w, d->h, d->srcX == 0 ? first : second, 320, 120, true));
        }
        EXPECT_EQ(0u, snap.at(W + 5, H / 2));  // the right half stays black
    }
}

TEST_F(StereoVisionTest, APassOfTheFormattedFileTakesNoZoomButOtherKeys)
{
    g_bRepeat = 1;
    g_nPlaySource = 2;
    g_nDispFormat = 1;
    Snap during;
    bool stopped = false;
    ASSERT_TRUE(View([&](HWND w) {
        PostMessageA(w, WM_KEYUP, VK_F2, 0);
        if (!PassFrames(2))
            return false;
        PostMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
        for (WPARAM k : {(WPARAM)'F', (WPARAM)'J', (WPARAM)VK_PRIOR, (WPARAM)VK_NEXT, (WPARAM)'X'}) {
            PostMessageA(w, WM_KEYUP, k, 0);
            if (!PassFrames(2))  // one key release a frame
                return false;
        }
        during = TakeSnap();
        PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0);
        stopped = PassesStopped();
        return true;
    }));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(100, during.zoom);
    EXPECT_EQ(1, during.swap);  // X still acts
    EXPECT_EQ(100, g_nVisionZoom);
    ExpectEndedCleanly();
}

}  // namespace
