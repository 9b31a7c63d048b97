// The Direct3D 7 framework and its application object on Wine's devices,
// in a virtual desktop of 1024 x 768 of its own (scripts/run-in-desktop.sh),
// where exclusive full screen and mode changes work. The application is a
// small derived object whose draw operations count their calls and return
// a chosen result, so nothing of the player is needed. A test hook makes
// one step of the set-up fail; the boxes are answered and recorded.
#include "devices/d3d_devices.h"
#include "devices/d3d_framework.h"
#include "devices/d3d_results.h"
#include "devices/named_texture.h"
#include "devices/stereo_app.h"
#include "devices/stereo_player_state.h"
#include "sources/movie_open.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/message_boxes.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

const int kDesktopW = 1024, kDesktopH = 768;
const HRESULT kNoDevice = (HRESULT)0x81000004u;

class TestApp : public StereoApp {
public:
    explicit TestApp(bool fullScreen = true) : fullScreen(fullScreen)
    {
        nWantedWidth = g_n3DWidth;
        nWantedHeight = g_n3DHeight;
        nWantedBits = g_n3DBits;
        lstrcpyA(szTextureName, "nVidiaStereo");
    }

    HRESULT RenderFrame() override
    {
        idle++;
        if (onIdle)
            onIdle(idle);
        Sleep(2);
        return idle >= failRenderAt && failRenderAt > 0 ? DDERR_WRONGMODE : 0;
    }
    HRESULT InitScene() override
    {
        if (FAILED(sceneResult))
            return sceneResult;
        if (fullScreen)
            pDeviceInfo->bWindowed = FALSE;
        return TextureCreate(szTextureName, 0, 4);
    }
    int DrawFormattedFile() override { return Draw(2); }
    int DrawStereoFile() override { return Draw(1); }
    int DrawStereoPair() override { return Draw(0); }
    HRESULT ReleaseSurfaces() override
    {
        released++;
        return TextureInvalidateAll();
    }
    HRESULT DestroyScene() override { return TextureDestroy(szTextureName); }

    int Draw(int source)
    {
        draws[source]++;
        helpAtDraw.push_back(g_bShowHelp);
        IDirectDrawSurface7 *s = TextureGetSurface(szTextureName);
        textureAtDraw = s != nullptr;
        if (s) {
            memset(&textureDesc, 0, sizeof textureDesc);
            textureDesc.dwSize = sizeof textureDesc;
            s->GetSurfaceDesc(&textureDesc);
        }
        if (drawResult == 0)
            presented = pFramework->ShowFrame();
        return drawResult;
    }

    bool fullScreen;
    HRESULT sceneResult = 0;
    int drawResult = 0;
    int failRenderAt = 0;  // the idle render that fails (0: none)
    int draws[3] = {}, released = 0, idle = 0;
    std::vector<int> helpAtDraw;
    bool textureAtDraw = false;
    DDSURFACEDESC2 textureDesc = {};
    HRESULT presented = E_FAIL;
    std::function<void(int)> onIdle;
};

// The step the hook makes fail, and what it answers instead.
D3DFrameworkStep s_failStep;
HRESULT s_failWith;
HRESULT FailOneStep(D3DFrameworkStep step, HRESULT result) { return step == s_failStep ? s_failWith : result; }

// Makes the next allocation of the framework object fail, as when memory
// runs out: the application makes it with the nothrow new. Other nothrow
// allocations are served as usual.
bool s_failFrameworkAlloc = false;

}  // namespace

void *operator new(size_t size, const std::nothrow_t &) noexcept
{
    if (s_failFrameworkAlloc && size == sizeof(D3DFramework)) {
        s_failFrameworkAlloc = false;
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

bool NoQuitWaiting()
{
    MSG m;
    return !PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
}

bool PlayerWindowGone() { return FindWindowA("nVidiaStereo", nullptr) == nullptr; }

std::string Box(HRESULT code, int kind)
{
    char text[512];
    return FormatFrameworkError(text, sizeof text, (uint32_t)code, kind);
}

class StereoAppTest : public testing::Test {
protected:
    void SetUp() override
    {
        boxes.reset();  // the old answerer's end would unhook the new one
        boxes.reset(new BoxAnswerer(kAnswerYesOrOk));
        g_hInst = GetModuleHandleA(nullptr);
        g_pfnD3DFrameworkStep = nullptr;
        g_n3DWidth = 800;
        g_n3DHeight = 600;
        g_n3DBits = 32;
        g_nPlaySource = 0;
        g_nClipLength = 10;
        g_nFrame = g_nPlayFrame = 0;
        g_bShowHelp = 0;
        // A stand-in for the played file: closing it empties the record.
        InitMovieSource(&g_playMovie);
        g_playMovie.nFrames = 30;
        g_pPlayMovie = &g_playMovie;
    }
    void TearDown() override
    {
        g_pfnD3DFrameworkStep = nullptr;
        if (HWND w = FindWindowA("nVidiaStereo", nullptr))
            DestroyWindow(w);
        ChangeDisplaySettingsA(nullptr, 0);
        RegisterStereoApp(nullptr);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            ;
        g_pPlayMovie = nullptr;
        boxes.reset();
    }

    // The desktop's size comes back with the released DirectDraw object;
    // a loaded machine may show it a moment later.
    static bool DesktopRestored()
    {
        for (DWORD until = GetTickCount() + 3000;; Sleep(20)) {
            if (GetSystemMetrics(SM_CXSCREEN) == kDesktopW && GetSystemMetrics(SM_CYSCREEN) == kDesktopH)
                return true;
            if (GetTickCount() > until)
                return false;
        }
    }

    // A Create that failed with the device's failure and then found no
    // software device: the two boxes, and nothing left behind.
    void ExpectFallBackThatFindsNothing(TestApp &app, HRESULT created, HRESULT deviceFailure)
    {
        EXPECT_EQ(kNoDevice, created);
        ASSERT_EQ(2u, boxes->shown.size());
        EXPECT_EQ(Box(deviceFailure, kFrameworkErrorFallBack), boxes->shown[0].text);
        EXPECT_EQ((UINT)MB_ICONWARNING, boxes->shown[0].type);
        EXPECT_EQ(Box(kNoDevice, kFrameworkErrorFatal), boxes->shown[1].text);
        EXPECT_EQ((UINT)MB_ICONERROR, boxes->shown[1].type);
        for (const ShownBox &b : boxes->shown)
            EXPECT_EQ("nVidiaStereo", b.caption);
        ExpectNothingLeft(app);
    }

    void ExpectNothingLeft(TestApp &app)
    {
        EXPECT_TRUE(PlayerWindowGone());
        EXPECT_TRUE(NoQuitWaiting());
        EXPECT_EQ(nullptr, app.pFramework);
        EXPECT_EQ(nullptr, app.hWnd);
        EXPECT_EQ(nullptr, g_hwndPlayer3D);
        EXPECT_EQ(nullptr, TextureFind("nVidiaStereo")) << "the scene's texture is gone";
        EXPECT_TRUE(DesktopRestored());
        if (g_nPlaySource != 0) {
            EXPECT_EQ(0, g_playMovie.nFrames) << "the played file is closed";
        }
    }

    std::unique_ptr<BoxAnswerer> boxes;
};

TEST_F(StereoAppTest, WineOffersOnlyHardwareDevicesWithThePreferredMode)
{
    SetPreferredMode(800, 600, 32);
    ASSERT_EQ(0, EnumerateDevices(nullptr));
    EXPECT_EQ(g_nD3DDevicesSeen, g_nD3DDevices);
    int primary = 0;
    for (DWORD i = 0; i < g_nD3DDevices; i++) {
        const D3DDeviceInfo &d = g_aD3DDevices[i];
        printf("device '%s': hardware %d, primary driver %d, desktop %d, depths 0x%lx, texture limit %lux%lu, "
               "%lu modes\n",
               d.szName, d.bHardware, d.pDriverGuid == nullptr, d.bDesktopCompatible,
               d.ddDeviceDesc.dwDeviceRenderBitDepth, d.ddDeviceDesc.dwMaxTextureWidth,
               d.ddDeviceDesc.dwMaxTextureHeight, d.nModes);
        EXPECT_TRUE(d.bHardware) << d.szName;
        EXPECT_EQ(800u, d.ddsdMode.dwWidth) << d.szName;
        EXPECT_EQ(600u, d.ddsdMode.dwHeight) << d.szName;
        EXPECT_EQ(32u, d.ddsdMode.ddpfPixelFormat.dwRGBBitCount) << d.szName;
        EXPECT_EQ(0, memcmp(&d.ddsdMode, &d.pModes[d.nCurrentMode], sizeof d.ddsdMode)) << d.szName;
        for (DWORD k = 1; k < d.nModes; k++)
            EXPECT_LE(CompareDisplayModes(&d.pModes[k - 1], &d.pModes[k]), 0);
        if (!d.pDriverGuid) {
            primary++;
            EXPECT_TRUE(d.bDesktopCompatible) << d.szName;
        }
    }
    EXPECT_GE(primary, 1);
    D3DDeviceInfo *chosen = nullptr;
    ASSERT_EQ(0, SelectDefaultDevice(&chosen, 0));
    EXPECT_TRUE(chosen->guidDevice == IID_IDirect3DTnLHalDevice) << chosen->szName;
    EXPECT_EQ(nullptr, chosen->pDriverGuid);
    D3DDeviceInfo *software = chosen;
    EXPECT_EQ(kNoDevice, SelectDefaultDevice(&software, kSelectSoftwareOnly));
    EXPECT_EQ(chosen, software);

    // A mode the screen does not offer leaves every device without one.
    SetPreferredMode(801, 601, 32);
    ASSERT_EQ(0, EnumerateDevices(nullptr));
    DDSURFACEDESC2 zero;
    memset(&zero, 0, sizeof zero);
    for (DWORD i = 0; i < g_nD3DDevices; i++)
        EXPECT_EQ(0, memcmp(&zero, &g_aD3DDevices[i].ddsdMode, sizeof zero)) << g_aD3DDevices[i].szName;
    FreeDeviceModes();
}

TEST_F(StereoAppTest, CreateDrawsTheFirstFrameWithTheHelpAndEscapeEndsRun)
{
    struct {
        const char *what;
        int source;
        bool fullScreen;
    } cases[] = {
        {"pair, full screen", 0, true},
        {"stereo file, full screen", 1, true},
        {"formatted file, full screen", 2, true},
        {"pair, in a window", 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        g_nPlaySource = c.source;
        TestApp app(c.fullScreen);
        ASSERT_EQ(0, app.Create(g_hInst));
        EXPECT_TRUE(boxes->shown.empty());
        ASSERT_NE(nullptr, app.hWnd);
        EXPECT_EQ(app.hWnd, FindWindowA("nVidiaStereo", "nVidiaStereo"));
        EXPECT_EQ(app.hWnd, g_hwndPlayer3D);
        EXPECT_TRUE(app.bReady);
        ASSERT_NE(nullptr, app.pFramework);
        EXPECT_EQ(c.fullScreen, app.pFramework->bFullScreen != 0);
        EXPECT_EQ(app.pFramework->pDevice, app.pDevice);
        EXPECT_EQ(app.pFramework->pddsBack, app.pBackBuffer);
        if (c.fullScreen) {
            EXPECT_EQ(800, GetSystemMetrics(SM_CXSCREEN));
            EXPECT_EQ(600, GetSystemMetrics(SM_CYSCREEN));
            EXPECT_EQ(800u, app.ddsdRenderTarget.dwWidth);
            EXPECT_EQ(600u, app.ddsdRenderTarget.dwHeight);
        } else {
            RECT client;
            GetClientRect(app.hWnd, &client);
            EXPECT_EQ((DWORD)client.right, app.ddsdRenderTarget.dwWidth);
            EXPECT_EQ((DWORD)client.bottom, app.ddsdRenderTarget.dwHeight);
        }
        // The first frame: once, through the source's operation, with the
        // key help forced on and then restored, on the restored texture.
        for (int s = 0; s < 3; s++)
            EXPECT_EQ(s == c.source ? 1 : 0, app.draws[s]) << s;
        EXPECT_EQ(std::vector<int>{1}, app.helpAtDraw);
        EXPECT_EQ(0, g_bShowHelp);
        EXPECT_TRUE(app.textureAtDraw);
        EXPECT_EQ(1600u, app.textureDesc.dwWidth);  // within Wine's limit of 16384
        EXPECT_EQ(600u, app.textureDesc.dwHeight);
        EXPECT_EQ(0, app.presented);

        // The list drops the surface and makes it again on the device.
        EXPECT_EQ(0, TextureInvalidateAll());
        EXPECT_EQ(nullptr, TextureGetSurface("nVidiaStereo"));
        EXPECT_EQ(0, TextureRestoreAll(app.pDevice));
        EXPECT_NE(nullptr, TextureGetSurface("NVIDIASTEREO"));

        // A device change gives every object back (no references left
        // over) and makes them again, with the first frame.
        EXPECT_EQ(0, app.ChangeDevice());
        EXPECT_TRUE(boxes->shown.empty());
        EXPECT_EQ(2, app.draws[c.source]);
        EXPECT_NE(nullptr, TextureGetSurface("nVidiaStereo"));

        // Released, Esc closes: the window's own quit ends Run.
        PostMessageA(app.hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(app.hWnd, WM_KEYUP, VK_ESCAPE, 0);
        EXPECT_EQ(0u, app.Run());
        EXPECT_EQ(nullptr, TextureFind("nVidiaStereo"));
        EXPECT_GE(app.released, 1);
        ExpectNothingLeft(app);
        EXPECT_TRUE(boxes->shown.empty());
        TearDown();
    }
}

TEST_F(StereoAppTest, EveryFailingStepOfTheSetUpIsAnnouncedAndTheStartEndsCleanly)
{
    struct {
        const char *what;
        D3DFrameworkStep step;
        HRESULT answer;
        HRESULT code;
        bool fullScreen;
    } cases[] = {
        {"DirectDraw", kStepCreateDirectDraw, E_FAIL, (HRESULT)0x82000001u, true},
        {"cooperative level", kStepCooperativeLevel, E_FAIL, (HRESULT)0x82000002u, true},
        {"desktop of 8 bits (told)", kStepDesktopDepth, 8, (HRESULT)0x8200000Eu, true},
        {"display mode", kStepDisplayMode, DDERR_INVALIDMODE, (HRESULT)0x8200000Au, true},
        {"primary", kStepPrimary, DDERR_NOFLIPHW, (HRESULT)0x82000008u, true},
        {"primary without video memory", kStepPrimary, DDERR_OUTOFVIDEOMEMORY, DDERR_OUTOFVIDEOMEMORY, true},
        {"back buffer", kStepBackBuffer, DDERR_NOTFOUND, (HRESULT)0x8200000Bu, true},
        {"Direct3D", kStepDirect3D, E_NOINTERFACE, (HRESULT)0x82000003u, true},
        {"device", kStepDevice, E_FAIL, (HRESULT)0x82000004u, true},
        {"viewport", kStepViewport, E_FAIL, (HRESULT)0x82000007u, true},
        {"clipper (window)", kStepClipper, E_FAIL, (HRESULT)0x82000009u, false},
        {"back buffer without video memory (window)", kStepBackBuffer, DDERR_OUTOFVIDEOMEMORY,
         DDERR_OUTOFVIDEOMEMORY, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        g_nPlaySource = 1;
        s_failStep = c.step;
        s_failWith = c.answer;
        g_pfnD3DFrameworkStep = FailOneStep;
        TestApp app(c.fullScreen);
        HRESULT created = app.Create(g_hInst);
        ExpectFallBackThatFindsNothing(app, created, c.code);
        EXPECT_EQ(0, app.draws[1]);
        TearDown();
    }
}

TEST_F(StereoAppTest, FailuresBeforeTheDeviceEndTheStartWithOneBox)
{
    struct {
        const char *what;
        std::function<void(TestApp &)> arrange;
        HRESULT code;
    } cases[] = {
        {"no device usable", [](TestApp &a) { a.pfnConfirmDevice = [](DDCAPS *, D3DDEVICEDESC7 *) { return E_FAIL; }; },
         (HRESULT)0x81000003u},
        {"the scene cannot be made", [](TestApp &a) { a.sceneResult = E_FAIL; }, E_FAIL},
        // After the scene was made: its texture must not outlive the start.
        {"no memory for the framework", [](TestApp &) { s_failFrameworkAlloc = true; }, E_OUTOFMEMORY},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        g_nPlaySource = 2;
        TestApp app;
        c.arrange(app);
        EXPECT_EQ(c.code, app.Create(g_hInst));
        EXPECT_EQ(std::vector<std::string>{Box(c.code, kFrameworkErrorFatal)}, boxes->Texts());
        EXPECT_FALSE(s_failFrameworkAlloc);
        s_failFrameworkAlloc = false;
        ExpectNothingLeft(app);
        TearDown();
    }
}

TEST_F(StereoAppTest, AnEightBitDesktopRefusesEvenFullScreen)
{
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = 8;
    mode.dmPelsWidth = kDesktopW;
    mode.dmPelsHeight = kDesktopH;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN));
    TestApp app;
    HRESULT created = app.Create(g_hInst);
    ExpectFallBackThatFindsNothing(app, created, (HRESULT)0x8200000Eu);
}

TEST_F(StereoAppTest, APreferredModeTheScreenLacksIsABadDisplayMode)
{
    g_n3DWidth = 801;
    g_n3DHeight = 601;
    TestApp app;
    HRESULT created = app.Create(g_hInst);
    ExpectFallBackThatFindsNothing(app, created, (HRESULT)0x8200000Au);
    // The object that failed to start is no longer the one the class's
    // windows forward to.
    HWND later = CreateWindowExA(0, "nVidiaStereo", "later", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, g_hInst,
                                 nullptr);
    ASSERT_NE(nullptr, later);
    EXPECT_EQ(nullptr, app.hWnd);
    EXPECT_EQ(nullptr, g_hwndPlayer3D);
    DestroyWindow(later);
    EXPECT_TRUE(NoQuitWaiting());
}

TEST_F(StereoAppTest, AFirstFrameThatCannotBeDrawnGivesTheDeviceUp)
{
    g_nPlaySource = 1;
    TestApp app;
    app.drawResult = 1;
    HRESULT created = app.Create(g_hInst);
    EXPECT_EQ(1, app.draws[1]);
    EXPECT_EQ(0, g_bShowHelp);
    EXPECT_EQ(2, app.released);  // the device given up, then the clean-up
    ExpectFallBackThatFindsNothing(app, created, E_FAIL);
}

TEST_F(StereoAppTest, AQuitForTheProgramDuringRunClosesThePlayerAndIsPassedOn)
{
    TestApp app;
    ASSERT_EQ(0, app.Create(g_hInst));
    app.onIdle = [](int idle) {
        if (idle == 3)
            PostQuitMessage(7);
    };
    EXPECT_EQ(7u, app.Run());
    EXPECT_TRUE(PlayerWindowGone());
    EXPECT_EQ(nullptr, app.pFramework);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, m.wParam);
    EXPECT_TRUE(NoQuitWaiting());
    EXPECT_TRUE(DesktopRestored());
}

TEST_F(StereoAppTest, AFailingIdleRenderClosesThePlayer)
{
    TestApp app;
    ASSERT_EQ(0, app.Create(g_hInst));
    app.failRenderAt = 2;
    EXPECT_EQ(0u, app.Run());
    EXPECT_EQ(2, app.idle);
    ExpectNothingLeft(app);
    EXPECT_TRUE(boxes->shown.empty());
}

// A device change that fails on a window (its objects made again after a
// resize cannot be): the device's own box, then the fatal box of finding
// no other device; the window closes and Run ends with nothing left.
TEST_F(StereoAppTest, AFailingDeviceChangeInAWindowClosesThePlayer)
{
    TestApp app(false);
    ASSERT_EQ(0, app.Create(g_hInst));
    ASSERT_TRUE(boxes->shown.empty());
    HWND window = app.hWnd;
    app.onIdle = [&](int idle) {
        if (idle != 2)
            return;
        s_failStep = kStepDevice;
        s_failWith = E_FAIL;
        g_pfnD3DFrameworkStep = FailOneStep;
        RECT client;
        GetClientRect(window, &client);
        PostMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    };
    EXPECT_EQ(0u, app.Run());
    ASSERT_EQ(2u, boxes->shown.size());
    EXPECT_EQ(Box((HRESULT)0x82000004u, kFrameworkErrorFallBack), boxes->shown[0].text);
    EXPECT_EQ((UINT)MB_ICONWARNING, boxes->shown[0].type);
    EXPECT_EQ(Box(kNoDevice, kFrameworkErrorFatal), boxes->shown[1].text);
    EXPECT_EQ((UINT)MB_ICONERROR, boxes->shown[1].type);
    for (const ShownBox &b : boxes->shown)
        EXPECT_EQ("nVidiaStereo", b.caption);
    EXPECT_FALSE(IsWindow(window));
    ExpectNothingLeft(app);
}

}  // namespace
