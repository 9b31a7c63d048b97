// The OpenGL stereo window in a Wine virtual desktop of its own
// (scripts/run-in-desktop.sh). Wine's OpenGL here offers no stereo pixel
// format: creation as the program runs it reaches its refusal box, which
// is tested as it is. For the pictures the window runs with
// g_bGlMonoBuffers: a double-buffered mono format, each eye drawn into the
// back buffer in turn and read back after it (g_pfnGlEyeReadback); what
// each eye holds is compared with ffmpeg's decoding of the same frame.
#include "devices/device_play_loop.h"
#include "devices/gl_stereo_draw.h"
#include "devices/gl_stereo_window.h"
#include "devices/gl_stereo_geometry.h"
#include "devices/stereo_player_state.h"
#include "pipeline/play_clock.h"
#include "pipeline/wave_player.h"
#include "shared/message_box.h"
#include "sources/movie_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <mmsystem.h>
#include <vfw.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_GL_MEDIA_DIR, name); }

// ffmpeg's frames of a movie: rows top-down, B G R.
struct Reference {
    int w = 0, h = 0;
    std::vector<unsigned char> bytes;
    Reference(const char *name, int width, int height) : w(width), h(height)
    {
        FILE *f = fopen(Media(name).c_str(), "rb");
        if (!f)
            return;
        unsigned char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            bytes.insert(bytes.end(), buf, buf + n);
        fclose(f);
    }
    const unsigned char *At(int frame, int x, int y) const
    {
        return &bytes[(((size_t)frame * h + y) * w + x) * 3];
    }
    int Frames() const { return w && h ? (int)(bytes.size() / ((size_t)w * h * 3)) : 0; }
};

// One eye's back buffer as it was read: rows bottom-up, B G R A.
struct EyeImage {
    int w = 0, h = 0;
    std::vector<unsigned char> px;
    const unsigned char *At(int x, int y) const { return &px[((size_t)y * w + x) * 4]; }
};

EyeImage g_eye[2];
int g_reads[2] = {0, 0};

void SeeEye(int buffer, const unsigned char *bgra, int w, int h)
{
    EyeImage &e = g_eye[buffer & 1];
    e.w = w;
    e.h = h;
    e.px.assign(bgra, bgra + (size_t)w * h * 4);
    g_reads[buffer & 1]++;
}

// The largest channel difference between the picture drawn at the quad's
// corner (x0, y0 from the bottom left) over w x h and the reference's
// frame from (rx, ry), top-down, at one pixel per pixel.
int MaxDifference(const EyeImage &e, int x0, int y0, int w, int h, const Reference &r, int frame, int rx, int ry)
{
    if (e.px.empty() || r.bytes.empty())
        return 999;
    int worst = 0;
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++) {
            const unsigned char *a = e.At(x0 + i, y0 + j);
            const unsigned char *b = r.At(frame, rx + i, ry + h - 1 - j);
            for (int c = 0; c < 3; c++) {
                int d = abs((int)a[c] - (int)b[c]);
                if (d > worst)
                    worst = d;
            }
        }
    return worst;
}

// The mean channel difference between the picture drawn at the quad's
// corner over w x h and a stretched reference of the same size (frame 0).
// Two filters, two roundings of where a row falls: held by the mean, over
// rows away from the stretched edges, where ffmpeg clamps its source.
double MeanDifference(const EyeImage &e, int x0, int y0, int w, int h, const Reference &r)
{
    if (e.px.empty() || r.bytes.empty())
        return 999;
    double sum = 0;
    int n = 0;
    for (int j = 2; j < h - 2; j++)
        for (int i = 0; i < w; i++) {
            const unsigned char *a = e.At(x0 + i, y0 + j);
            const unsigned char *b = r.At(0, i, h - 1 - j);
            for (int c = 0; c < 3; c++)
                sum += abs((int)a[c] - (int)b[c]);
            n += 3;
        }
    return sum / n;
}

// Linear filtering at one texel per pixel samples each texel at its centre:
// the same bytes, up to a rounding step of the rasteriser.
const int kOneToOne = 2;

class GlStereoWindowTest : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        OpenMainWindow(1400, 700);
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        g_bGlMonoBuffers = 1;
        g_pfnGlEyeReadback = SeeEye;
        g_pfnGlCreateStep = nullptr;
        g_glView.zoom = 100;
        g_glView.px = g_glView.py = 0;
        g_glView.fullScreen = 0;
        g_glView.help = g_glView.info = 0;
        g_nBunkatu = 0;
        g_nStr3D = 0;
        g_nSound = 1;
        g_bSound1 = 0;
        g_bRepeat = 0;
        g_nShiftX = g_nShiftY = 0;
        g_nFileShiftX = g_nFileShiftY = 0;
        g_bBlurFrame = 0;
        g_bFullScreen = 0;
        g_nPlaySource = 1;
        Forget();
    }

    void TearDown() override
    {
        if (g_bGLActive == 1 && g_nBusy == 0)
            CloseGlStereoDisplay();
        StopWaveAudio();
        if (sound)
            AVIStreamRelease(sound);
        if (soundFile)
            AVIFileRelease(soundFile);
        sound = nullptr;
        soundFile = nullptr;
        g_pfnGlEyeReadback = nullptr;
        g_pfnGlCreateStep = nullptr;
        g_pfnGlFrameTimes = nullptr;
        g_bGlMonoBuffers = 0;
        MainWindowTest::TearDown();
    }

    static void Forget()
    {
        g_eye[0] = g_eye[1] = EyeImage();
        g_reads[0] = g_reads[1] = 0;
    }

    bool OpenFile(const char *name, int layout)
    {
        g_nPlaySource = 1;
        g_nBunkatu = layout;
        lstrcpynA(g_stereoPair.szName, Media(name).c_str(), sizeof g_stereoPair.szName);
        return CreateGlStereoWindow(g_hInst, &g_stereoPair) == 1;
    }

    bool OpenPairWindow(const char *left, const char *right)
    {
        if (!OpenPair(Media(left), Media(right)))
            return false;
        g_nPlaySource = 0;
        g_nFrame = 0;
        return CreateGlStereoWindow(g_hInst, &g_stereoPair) == 1;
    }

    // voiced.avi's sound stream, to be played by the test itself.
    PAVIFILE soundFile = nullptr;
    PAVISTREAM sound = nullptr;
    bool OpenSound()
    {
        AVIFileInit();
        if (AVIFileOpenA(&soundFile, Media("voiced.avi").c_str(), OF_READ, nullptr) != 0)
            return false;
        return AVIFileGetStream(soundFile, &sound, streamtypeAUDIO, 0) == 0;
    }

    // The cursor's display count (ShowCursor's), left as it was.
    static int CursorCount()
    {
        ShowCursor(TRUE);
        return ShowCursor(FALSE);
    }

    // The window's messages for a while (a file window is never
    // validated: its paints never run dry).
    static void PumpFor(DWORD ms)
    {
        DWORD until = GetTickCount() + ms;
        MSG m;
        while (GetTickCount() < until) {
            if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            } else {
                Sleep(1);
            }
        }
    }

    // The picture's place in the window (the quad), one pixel per pixel.
    static void ExpectEye(int buffer, const Reference &r, int frame, int rx, int ry, int w, int h)
    {
        SCOPED_TRACE(testing::Message() << "buffer " << buffer);
        ASSERT_GT(g_reads[buffer], 0);
        ASSERT_GE(g_glView.x1 - g_glView.x0, w);
        ASSERT_GE(g_glView.y1 - g_glView.y0, h);
        EXPECT_LE(MaxDifference(g_eye[buffer], g_glView.x0, g_glView.y0, w, h, r, frame, rx, ry), kOneToOne);
    }
};

TEST_F(GlStereoWindowTest, WithoutStereoTheRefusalBoxComesAndNothingStaysOpen)
{
    g_bGlMonoBuffers = 0;
    for (int source : {1, 0}) {
        SCOPED_TRACE(source);
        boxes->shown.clear();
        if (source == 0) {
            ASSERT_TRUE(OpenPair(Media("pair_L.avi"), Media("pair_R.avi")));
            g_nPlaySource = 0;
        } else {
            lstrcpynA(g_stereoPair.szName, Media("sbs.avi").c_str(), sizeof g_stereoPair.szName);
        }
        EXPECT_EQ(0, CreateGlStereoWindow(g_hInst, &g_stereoPair));
        ASSERT_EQ(1u, boxes->shown.size());
        EXPECT_EQ("OpenGL Quad-buffered stereo is not supported. ", boxes->shown[0].text);
        EXPECT_EQ("Error!", boxes->shown[0].caption);
        EXPECT_EQ((UINT)MB_ICONEXCLAMATION, boxes->shown[0].type & MB_ICONMASK);
        EXPECT_EQ(nullptr, FindWindowA("OpenGL", nullptr));
        EXPECT_EQ(0, g_bGLActive);
        EXPECT_EQ(nullptr, g_hwndGL);
        EXPECT_EQ(nullptr, g_pPlayMovie);
        EXPECT_FALSE(g_playMovie.bOpen);
        EXPECT_TRUE(IsWindow(main));
    }
}

GlCreateStep g_failStep;
bool FailOne(GlCreateStep step) { return step != g_failStep; }

TEST_F(GlStereoWindowTest, EachFailedCreationStepHasItsBoxAndLeavesNothing)
{
    const struct {
        GlCreateStep step;
        const char *text;
    } cases[] = {
        {kGlStepWindow, "Window Creation Error."},
        {kGlStepDeviceContext, "Can't Create A  Device Context."},
        {kGlStepChooseFormat, "Can't Find A Suitable PixelFormat."},
        {kGlStepSetFormat, "Can't Set The PixelFormat."},
        {kGlStepCreateContext, "Can't Create A GL Rendering Context."},
        {kGlStepMakeCurrent, "Can't Activate The GL Rendering Context."},
    };
    g_pfnGlCreateStep = FailOne;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        boxes->shown.clear();
        g_failStep = c.step;
        EXPECT_FALSE(OpenFile("sbs.avi", 0));
        ASSERT_EQ(1u, boxes->shown.size());
        EXPECT_EQ(c.text, boxes->shown[0].text);
        EXPECT_EQ("ERROR", boxes->shown[0].caption);
        EXPECT_EQ(nullptr, FindWindowA("OpenGL", nullptr));
        EXPECT_EQ(0, g_bGLActive);
        EXPECT_EQ(nullptr, g_pPlayMovie);
        EXPECT_EQ(nullptr, g_glView.rc);
    }
    // A file that cannot be opened: no box, no window.
    g_pfnGlCreateStep = nullptr;
    boxes->shown.clear();
    EXPECT_FALSE(OpenFile("missing.avi", 0));
    EXPECT_TRUE(boxes->shown.empty());
    EXPECT_EQ(nullptr, FindWindowA("OpenGL", nullptr));
    // And the program goes on: the next window stands.
    EXPECT_TRUE(OpenFile("sbs.avi", 0));
    EXPECT_EQ(1, g_bGLActive);
}

TEST_F(GlStereoWindowTest, OpenGlGivesPixelsHere)
{
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    ASSERT_GT(g_reads[0], 0);
    ASSERT_GT(g_reads[1], 0);
    int lit = 0;
    for (size_t i = 0; i < g_eye[0].px.size(); i += 4)
        lit += g_eye[0].px[i] | g_eye[0].px[i + 1] | g_eye[0].px[i + 2] ? 1 : 0;
    printf("GL: %s / %s; client %d x %d; %d lit pixels\n", (const char *)glGetString(GL_RENDERER),
           (const char *)glGetString(GL_VERSION), g_glView.cw, g_glView.ch, lit);
    EXPECT_EQ(160 * 120, lit);  // the eye, and black around it (testsrc2 has no black)
}

TEST_F(GlStereoWindowTest, FileLayoutsShowEachEyeOfTheFrame)
{
    Reference sbs("sbs.bgr", 320, 120);
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    DrawGlFile();
    // Centred: the negative half-margin.
    EXPECT_EQ((g_glView.cw - 160) / 2, g_glView.x0);
    ExpectEye(0, sbs, 0, 0, 0, 160, 120);
    ExpectEye(1, sbs, 0, 160, 0, 160, 120);
    // X: the first eye into the right buffer.
    SendMessageA(g_hwndGL, WM_KEYDOWN, 'X', 0);
    ExpectEye(1, sbs, 0, 0, 0, 160, 120);
    ExpectEye(0, sbs, 0, 160, 0, 160, 120);
    CloseGlStereoDisplay();

    // Over/under: the first eye is the lower half (rows stored first).
    Reference ou("ou.bgr", 200, 240);
    ASSERT_TRUE(OpenFile("ou.avi", 1));
    DrawGlFile();
    ExpectEye(0, ou, 0, 0, 120, 200, 120);
    ExpectEye(1, ou, 0, 0, 0, 200, 120);
    CloseGlStereoDisplay();

    // Turned a quarter, then over/under at one pixel per pixel: the first
    // eye is the lower half of the turned frame, the rows stored first.
    const struct {
        int layout;
        const char *first, *second;
    } turned[] = {
        {4, "sbs_right_cw.bgr", "sbs_left_cw.bgr"},    // the whole frame clockwise
        {5, "sbs_left_ccw.bgr", "sbs_right_ccw.bgr"},  // the whole frame counter-clockwise
        {6, "sbs_right_cw.bgr", "sbs_left_ccw.bgr"},   // left half up counter-clockwise, right down clockwise
        {7, "sbs_right_ccw.bgr", "sbs_left_cw.bgr"},   // the other way round
    };
    for (const auto &c : turned) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout);
        Forget();
        Reference first(c.first, 120, 160), second(c.second, 120, 160);
        ASSERT_TRUE(OpenFile("sbs.avi", c.layout));
        DrawGlFile();
        EXPECT_EQ(160, g_glView.y1 - g_glView.y0);
        ExpectEye(0, first, 0, 0, 0, 120, 160);
        ExpectEye(1, second, 0, 0, 0, 120, 160);
        CloseGlStereoDisplay();
    }

    // Halves stretched to the full height: 50 % (the lower and upper 120
    // rows to 240) and 47.5 % (the lower and upper 114 rows to 228).
    const struct {
        int layout;
        const char *first, *second;
        int h;
    } stretched[] = {
        {2, "il_lower.bgr", "il_upper.bgr", 240},
        {3, "ou_l3_first.bgr", "ou_l3_second.bgr", 228},
    };
    for (const auto &c : stretched) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout);
        Forget();
        Reference first(c.first, 200, c.h), second(c.second, 200, c.h);
        ASSERT_TRUE(OpenFile("ou.avi", c.layout));
        DrawGlFile();
        ASSERT_EQ(c.h, g_glView.y1 - g_glView.y0);
        for (int b = 0; b < 2; b++)
            EXPECT_LT(MeanDifference(g_eye[b], g_glView.x0, g_glView.y0, 200, c.h, b == 0 ? first : second), 6.0)
                << "buffer " << b;
        CloseGlStereoDisplay();
    }
}

TEST_F(GlStereoWindowTest, PairsAtZoom100AreTheFramesOneToOne)
{
    const struct {
        const char *l, *r, *lref, *rref;
        int w, h;
    } cases[] = {
        {"pair_L.avi", "pair_R.avi", "pair_L.bgr", "pair_R.bgr", 160, 120},
        {"n718_L.avi", "n718_R.avi", "n718_L.bgr", "n718_R.bgr", 718, 100},  // padded rows
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.l);
        Forget();
        ASSERT_TRUE(OpenPairWindow(c.l, c.r));
        Reference l(c.lref, c.w, c.h), r(c.rref, c.w, c.h);
        DrawGlPair();
        ExpectEye(0, l, 0, 0, 0, c.w, c.h);
        ExpectEye(1, r, 0, 0, 0, c.w, c.h);
        CloseGlStereoDisplay();
    }
}

TEST_F(GlStereoWindowTest, WidePairLoadsAndIsDrawnPastPixel1024)
{
    ASSERT_TRUE(OpenPairWindow("wide_L.avi", "wide_R.avi"));
    // The main window fitted itself to the flat pair: taller again, the
    // window laid over it follows.
    MoveWindow(main, 0, 0, 1400, 400, TRUE);
    RECT mc;
    GetClientRect(main, &mc);
    EXPECT_EQ(mc.right, g_glView.cw);
    EXPECT_EQ(2048, g_glView.texture);
    EXPECT_EQ(1920, g_glView.frameW);
    ASSERT_GT(g_glView.cw, 1280);
    DrawGlPair();
    // Wider than the window: from the left edge, the pan at 0.
    EXPECT_EQ(0, g_glView.x0);
    EXPECT_EQ(g_glView.cw, g_glView.x1);
    Reference l("wide_L.bgr", 1920, 64), r("wide_R.bgr", 1920, 64);
    ExpectEye(0, l, 0, 0, 0, g_glView.cw, 64);
    ExpectEye(1, r, 0, 0, 0, g_glView.cw, 64);
    // Panned to the right end: the frame's last columns at the right edge.
    g_glView.px = 5000;
    DrawGlPair();
    EXPECT_EQ(1920 - g_glView.cw, g_glView.px);
    EXPECT_LE(MaxDifference(g_eye[0], 0, g_glView.y0, g_glView.cw, 64, l, 0, g_glView.px, 0), kOneToOne);
}

TEST_F(GlStereoWindowTest, PairsThatCannotBeLoadedLeaveTheTexturesAsTheyAre)
{
    GLint largest = 0;
    const struct {
        const char *l, *r;
    } cases[] = {
        {"odd_L.avi", "pair_R.avi"},   // two frame sizes: never uploaded
        {"huge_L.avi", "huge_R.avi"},  // wider than the largest texture
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.l);
        Forget();
        if (!OpenPair(Media(c.l), Media(c.r)))
            continue;  // the program refused the pair already
        g_nPlaySource = 0;
        g_nFrame = 0;
        ASSERT_TRUE(CreateGlStereoWindow(g_hInst, &g_stereoPair));
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        EXPECT_EQ(0, g_glView.frameW);
        EXPECT_EQ(0u, g_glView.textures[0]);
        SendMessageA(g_hwndGL, 1027, 0, 0);  // fetched again: the same
        EXPECT_EQ(0, g_glView.frameW);
        ASSERT_GT(g_reads[0], 0);
        int lit = 0;
        for (size_t i = 0; i < g_eye[0].px.size(); i += 4)
            lit += g_eye[0].px[i] | g_eye[0].px[i + 1] | g_eye[0].px[i + 2] ? 1 : 0;
        EXPECT_EQ(0, lit);
        CloseGlStereoDisplay();
    }
    EXPECT_LT(largest, 16416);
    // The window loads the next pair that fits.
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    EXPECT_EQ(160, g_glView.frameW);
}

TEST_F(GlStereoWindowTest, FitBeforeAFrameAndInAMinimisedWindowKeepsAZoom)
{
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    g_glView.frameW = g_glView.frameH = 0;  // as before the first frame
    g_glView.zoom = 130;
    SendMessageA(g_hwndGL, 1034, 0, 0);
    EXPECT_EQ(130, g_glView.zoom);
    LoadGlFileTexture();
    SetupGlOrtho(0, 0);
    SendMessageA(g_hwndGL, 1034, 0, 0);
    EXPECT_EQ(1, g_glView.zoom);
    SendMessageA(g_hwndGL, WM_MOUSEWHEEL, 0x044C0000, 0);  // zoom out after it
    EXPECT_EQ(1, g_glView.zoom);
    RECT c;
    GetClientRect(g_hwndGL, &c);
    SetupGlOrtho(c.right, c.bottom);
    SendMessageA(g_hwndGL, 1034, 0, 0);
    EXPECT_EQ(c.bottom * 100 / 120 < c.right * 100 / 160 ? c.bottom * 100 / 120 : c.right * 100 / 160,
              g_glView.zoom);
    SendMessageA(g_hwndGL, 1035, 0, 0);
    EXPECT_EQ(100, g_glView.zoom);
    SendMessageA(g_hwndGL, WM_MOUSEWHEEL, 1000u << 16, 0);
    EXPECT_EQ(100, g_glView.zoom);
}

TEST_F(GlStereoWindowTest, SpaceAndBackSpaceAtTheEnds)
{
    Reference sbs("sbs.bgr", 320, 120);
    const struct {
        int from, key, repeat;
        int frame;  // g_nPlayFrame after
        bool drawn;
    } cases[] = {
        {1, VK_SPACE, 0, 2, true},
        {2, VK_SPACE, 0, 0, true},   // the last frame loads frame 0
        {3, VK_SPACE, 0, 3, false},  // at the end without repeat: nothing
        {3, VK_SPACE, 1, 0, true},
        {0, VK_BACK, 0, 0, false},
        {0, VK_BACK, 1, 0, true},  // asks for the last frame: frame 0
        {2, VK_BACK, 0, 1, true},
    };
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << " key " << c.key << " repeat " << c.repeat);
        g_bRepeat = c.repeat;
        g_nPlayFrame = c.from;
        Forget();
        SendMessageA(g_hwndGL, WM_KEYDOWN, c.key, 0);
        EXPECT_EQ(c.frame, g_nPlayFrame);
        EXPECT_EQ(c.drawn, g_reads[0] > 0);
        if (c.drawn)
            ExpectEye(0, sbs, c.frame, 0, 0, 160, 120);
    }
}

TEST_F(GlStereoWindowTest, EscClosesTheFileWindowAndShowsTheMainWindowAgain)
{
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    EXPECT_EQ(1, g_bGLActive);
    EXPECT_FALSE(IsWindowVisible(main));
    PostMessageA(g_hwndGL, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(300);
    EXPECT_EQ(0, g_bGLActive);
    EXPECT_EQ(nullptr, g_hwndGL);
    EXPECT_EQ(nullptr, FindWindowA("OpenGL", nullptr));
    EXPECT_EQ(nullptr, g_pPlayMovie);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(boxes->shown.empty());  // every handle released without a complaint
    ShowWindow(main, SW_HIDE);
}

TEST_F(GlStereoWindowTest, EnterMakesTheWindowAgainAndAFailureClosesTheDisplay)
{
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(1, g_bGLActive);
    EXPECT_EQ(1, g_glView.fullScreen);
    ASSERT_NE(nullptr, g_hwndGL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), g_glView.cw);
    // Back to the frame, and the re-creation failing.
    g_pfnGlCreateStep = [](GlCreateStep s) { return s != kGlStepCreateContext; };
    boxes->shown.clear();
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0, g_glView.fullScreen);
    ASSERT_EQ(1u, boxes->shown.size());
    EXPECT_EQ(0, g_bGLActive);
    EXPECT_EQ(nullptr, g_hwndGL);
    EXPECT_EQ(nullptr, FindWindowA("OpenGL", nullptr));
    EXPECT_EQ(nullptr, g_pPlayMovie);
    EXPECT_TRUE(IsWindowVisible(main));
    ShowWindow(main, SW_HIDE);
}

// White pixels of the read eye in the band of rows [top, bottom) counted
// from the window's top, left of x 600.
int WhiteIn(const EyeImage &e, int top, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom && y < e.h; y++)
        for (int x = 0; x < 600 && x < e.w; x++) {
            const unsigned char *p = e.At(x, e.h - 1 - y);
            n += p[0] > 200 && p[1] > 200 && p[2] > 200;
        }
    return n;
}

TEST_F(GlStereoWindowTest, StatusLineAndHelpAreDrawnOverEachEye)
{
    g_nPlayStep = 0;
    g_nPlayBase = 0;
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    g_glView.zoom = 10;  // the picture small in the middle, away from the text
    DrawGlFile();
    EXPECT_EQ(0, WhiteIn(g_eye[0], 0, 300));
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_F5, 0);
    for (int b = 0; b < 2; b++) {
        EXPECT_GT(WhiteIn(g_eye[b], 0, 20), 50) << b;  // the status line
        EXPECT_EQ(0, WhiteIn(g_eye[b], 40, 300)) << b;
    }
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_F5, 0);
    SendMessageA(g_hwndGL, WM_KEYDOWN, 'H', 0);
    for (int b = 0; b < 2; b++) {
        EXPECT_EQ(0, WhiteIn(g_eye[b], 0, 18)) << b;
        EXPECT_GT(WhiteIn(g_eye[b], 40, 270), 500) << b;  // 15 lines of help
    }
}

int g_timed = 0;
void CountFrame(const GlFrameTimes &) { g_timed++; }

TEST_F(GlStereoWindowTest, PlayGlFilePlaysToTheEndAndAnswersByRepeat)
{
    ASSERT_TRUE(OpenFile("long.avi", 0));
    g_pfnGlFrameTimes = CountFrame;
    for (int repeat : {0, 1}) {
        SCOPED_TRACE(repeat);
        g_bRepeat = repeat;
        g_nPlayFrame = 0;
        g_timed = 0;
        g_nDevicePlayDrops = 0;
        EXPECT_EQ(repeat ? 0 : 1, PlayGlFile());
        EXPECT_EQ(20, g_timed + g_nDevicePlayDrops);
        EXPECT_EQ(0, g_nPlayFrame);  // the end comes back as frame 0
        EXPECT_EQ(0, g_nBusy);
    }
}

TEST_F(GlStereoWindowTest, PlayGlPairPlaysThePairAndAnswersByRepeat)
{
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    g_pfnGlFrameTimes = CountFrame;
    Reference l("pair_L.bgr", 160, 120), r("pair_R.bgr", 160, 120);
    for (int repeat : {0, 1}) {
        SCOPED_TRACE(repeat);
        g_bRepeat = repeat;
        g_nFrame = 0;
        g_timed = 0;
        g_nDevicePlayDrops = 0;
        EXPECT_EQ(repeat ? 0 : 1, PlayGlPair());
        EXPECT_EQ(4, g_timed + g_nDevicePlayDrops);
        EXPECT_EQ(3, g_nFrame);
        // The last frame uploaded and drawn with the stored geometry.
        ExpectEye(0, l, 3, 0, 0, 160, 120);
        ExpectEye(1, r, 3, 0, 0, 160, 120);
    }
}


// Sound notices come as messages to the window the player names: the file
// pass names the OpenGL window and pumps only its messages; a pair pass
// names the main window. Two buffers' worth of sound (the device plays it
// in well under the pass's second) ends the player by itself only when
// every notice reaches it.
TEST_F(GlStereoWindowTest, SoundNoticesReachThePlayerDuringAFilePass)
{
    ASSERT_TRUE(OpenFile("long.avi", 0));
    ASSERT_TRUE(OpenSound());
    LONG start = AVIStreamStart(sound);
    ASSERT_EQ(1, StartWaveAudio(g_hwndGL, sound, start, start + 20000, 0));
    ASSERT_GE(WaveBufferCount(), 2);
    ASSERT_NE(start, WavePosition());
    EXPECT_EQ(1, PlayGlFile());
    EXPECT_EQ(nullptr, g_hWaveOut);  // every buffer reported done: played out
    EXPECT_EQ(start + 20000, WavePosition());
}

// The play loop's sound by the loop's kind: a file loop's follows "nSound"
// (0 plays), a pair loop's on the OpenGL window follows "nSound1" (1 plays).
TEST_F(GlStereoWindowTest, PlayLoopStartsSoundOnlyByItsOwnSetting)
{
    ASSERT_TRUE(OpenFile("voiced.avi", 0));
    MovieSource *rec = g_pPlayMovie;
    ASSERT_NE(nullptr, rec);
    ASSERT_TRUE(rec->pAudio || rec->pWaveHeader);
    const struct {
        bool pairSound;
        int nSound, sound1;
        bool plays;
    } cases[] = {
        {false, 0, 0, true},  {false, 0, 1, true},  {false, 1, 1, false}, {false, 2, 1, false},
        {true, 1, 1, true},   {true, 0, 1, true},   {true, 0, 0, false},  {true, 0, 2, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.pairSound << " " << c.nSound << " " << c.sound1);
        g_nSound = c.nSound;
        g_bSound1 = c.sound1;
        unsigned period = 0, id = 0;
        int drops = 5, delay = 5;
        DevicePlayLoop loop{};
        loop.window = g_hwndGL;
        loop.sound = rec;
        loop.start = 0;
        loop.total = rec->nFrames;
        loop.isFile = !c.pairSound;
        loop.pairSound = c.pairSound;
        loop.timerPeriod = &period;
        loop.timerId = &id;
        loop.drops = &drops;
        loop.delay = &delay;
        ASSERT_TRUE(StartDevicePlayLoop(loop));
        EXPECT_EQ(c.plays, loop.waveOut || loop.stream != nullptr);
        EXPECT_EQ(loop.waveOut, g_hWaveOut != nullptr);
        EXPECT_NE(0u, id);
        EndDevicePlayLoop(loop);
        EXPECT_EQ(nullptr, g_hWaveOut);
        EXPECT_EQ(0u, id);
    }
    g_nSound = 1;
    g_bSound1 = 0;
}

// The screen's cursor put where a posted move leaves the mouse, and its
// own moves taken before the drag: a captured window here also gets moves
// at the cursor's place.
void CursorAt(int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(g_hwndGL, &p);
    SetCursorPos(p.x, p.y);
    DWORD until = GetTickCount() + 200;
    MSG m;
    while (GetTickCount() < until)
        if (PeekMessageA(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
            DispatchMessageA(&m);
        else
            Sleep(1);
}

// Posts a button-up to the OpenGL window after a while.
void CALLBACK ReleaseLater(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostMessageA(g_hwndGL, WM_LBUTTONUP, 0, MAKELPARAM(190, 215));
}

TEST_F(GlStereoWindowTest, DragsPanAndZoomAndLetTheMainWindowsSoundNoticesThrough)
{
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    // Far larger than the window: the pan is free inside the excess.
    g_glView.zoom = 1000;
    g_glView.px = g_glView.py = 100;
    DrawGlPair();
    ASSERT_EQ(100, g_glView.px);
    ASSERT_EQ(100, g_glView.py);

    // Left drag: 10 left and 15 down; the picture follows the mouse. The
    // button comes up later, while the main window's sound plays.
    ASSERT_TRUE(OpenSound());
    CursorAt(190, 215);
    PostMessageA(g_hwndGL, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 200));
    PostMessageA(g_hwndGL, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(190, 215));
    LONG start = AVIStreamStart(sound);
    ASSERT_EQ(1, StartWaveAudio(main, sound, start, start + 20000, 0));
    SetTimer(nullptr, 0, 1000, ReleaseLater);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, g_hwndGL, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    DispatchMessageA(&m);  // the whole drag
    EXPECT_EQ(110, g_glView.px);
    EXPECT_EQ(115, g_glView.py);
    EXPECT_EQ(nullptr, g_hWaveOut);  // the notices went to the player
    EXPECT_EQ(nullptr, GetCapture());

    // Right drag up: one step in, the frame point at the client centre kept.
    int cx = g_glView.cw / 2, cy = g_glView.ch / 2;
    double fx = (g_glView.px + cx) * 100.0 / g_glView.zoom, fy = (g_glView.py + cy) * 100.0 / g_glView.zoom;
    CursorAt(200, 190);
    PostMessageA(g_hwndGL, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(200, 200));
    PostMessageA(g_hwndGL, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(200, 190));
    PostMessageA(g_hwndGL, WM_RBUTTONUP, 0, MAKELPARAM(200, 190));
    ASSERT_TRUE(PeekMessageA(&m, g_hwndGL, WM_RBUTTONDOWN, WM_RBUTTONDOWN, PM_REMOVE));
    DispatchMessageA(&m);
    EXPECT_EQ(1100, g_glView.zoom);
    EXPECT_NEAR(fx, (g_glView.px + cx) * 100.0 / g_glView.zoom, 1.0);
    EXPECT_NEAR(fy, (g_glView.py + cy) * 100.0 / g_glView.zoom, 1.0);
}

TEST_F(GlStereoWindowTest, OffsetKeysMoveTheEyesApart)
{
    Reference sbs("sbs.bgr", 320, 120);
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    // Right twice: 8 pixels between the images, 4 to each side; the first
    // eye's picture moves right, the second's left.
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_RIGHT, 0);
    int x0 = g_glView.x0, y0 = g_glView.y0;
    EXPECT_LE(MaxDifference(g_eye[0], x0 + 4, y0, 156, 120, sbs, 0, 0, 0), kOneToOne);
    EXPECT_LE(MaxDifference(g_eye[1], x0, y0, 156, 120, sbs, 0, 164, 0), kOneToOne);
    // Down twice: one row each, the first eye up, the second down (rows
    // counted from the bottom).
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_HOME, 0);
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_LE(MaxDifference(g_eye[0], x0, y0 + 1, 160, 119, sbs, 0, 0, 1), kOneToOne);
    EXPECT_LE(MaxDifference(g_eye[1], x0, y0, 160, 119, sbs, 0, 160, 0), kOneToOne);
    // Home: both back on the frame.
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_HOME, 0);
    ExpectEye(0, sbs, 0, 0, 0, 160, 120);
    ExpectEye(1, sbs, 0, 160, 0, 160, 120);
}

TEST_F(GlStereoWindowTest, InterlacedFileShowsEachFieldStretched)
{
    // Layout 8: the rows of even parity in memory are the first eye. Rows
    // run bottom-up there and the frame's top row is odd: the first eye is
    // the field ffmpeg took from the lower half.
    Reference first("il_lower.bgr", 200, 240), second("il_upper.bgr", 200, 240);
    ASSERT_TRUE(OpenFile("il.avi", 8));
    DrawGlFile();
    ASSERT_EQ(240, g_glView.y1 - g_glView.y0);
    for (int b = 0; b < 2; b++)
        EXPECT_LT(MeanDifference(g_eye[b], g_glView.x0, g_glView.y0, 200, 240, b == 0 ? first : second), 6.0)
            << "buffer " << b;
}

TEST_F(GlStereoWindowTest, CloseEnterF2AndF3DuringAFilePassOnlyEndIt)
{
    ASSERT_TRUE(OpenFile("long.avi", 0));
    g_pfnGlFrameTimes = CountFrame;
    g_bRepeat = 1;  // a pass not ended would answer "again"
    const struct {
        UINT msg;
        WPARAM key;
    } cases[] = {{WM_CLOSE, 0}, {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_F2}, {WM_KEYDOWN, VK_F3}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.msg << " " << c.key);
        HWND window = g_hwndGL;
        g_nPlayFrame = 0;
        g_timed = 0;
        PostMessageA(window, c.msg, c.key, 0);
        EXPECT_EQ(1, PlayGlFile());
        EXPECT_EQ(1, g_timed);  // ended after the first frame's pump
        EXPECT_EQ(window, g_hwndGL);
        EXPECT_TRUE(IsWindow(window));
        EXPECT_EQ(0, g_glView.fullScreen);
        EXPECT_EQ(1, g_bGLActive);
        EXPECT_EQ(0, g_nBusy);
    }
}

TEST_F(GlStereoWindowTest, PlayMessageDuringAPairPassEndsItInsteadOfNestingOne)
{
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    g_pfnGlFrameTimes = CountFrame;
    g_bRepeat = 0;
    g_nFrame = 0;
    g_timed = 0;
    PostMessageA(g_hwndGL, 1026, 0, 0);
    EXPECT_EQ(1, PlayGlPair());
    EXPECT_EQ(1, g_timed);  // no second pass inside, and this one ended
    EXPECT_EQ(0, g_nBusy);
    EXPECT_EQ(0u, g_uDeviceTimerId);
}

// Late on every frame: the pass may skip only while three frames remain
// ahead, so that the last one is always shown.
int g_lastTimed = -1;
void FallBehind(const GlFrameTimes &t)
{
    g_timed++;
    g_lastTimed = t.frame;
    g_nTimerTicks = 1000000;
}

TEST_F(GlStereoWindowTest, LatePairPassStillShowsItsLastFrame)
{
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    Reference l("pair_L.bgr", 160, 120);
    g_pfnGlFrameTimes = FallBehind;
    g_bRepeat = 0;
    g_nFrame = 0;
    g_timed = 0;
    g_lastTimed = -1;
    EXPECT_EQ(1, PlayGlPair());
    EXPECT_EQ(3, g_lastTimed);
    EXPECT_EQ(3, g_nFrame);
    EXPECT_EQ(1, g_nDevicePlayDrops);  // frame 1, skipped at step 0
    EXPECT_EQ(3, g_timed);
    ExpectEye(0, l, 3, 0, 0, 160, 120);
}

TEST_F(GlStereoWindowTest, PairPassTrimFollowsTheRegionUnlessApplied)
{
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    g_nShiftX = 8;
    const struct {
        int state;
        RECT want;
    } cases[] = {{0, {0, 0, 152, 120}}, {kTrimApplied, {5, 6, 100, 90}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.state);
        g_nTrimState = c.state;
        SetRect(&g_rcTrim, 5, 6, 100, 90);
        g_nFrame = 0;
        PlayGlPair();
        EXPECT_TRUE(EqualRect(&c.want, &g_rcTrim));
    }
    g_nTrimState = 0;
}

// The frames' texels as loaded: rows bottom-up, B G R, T x T.
std::vector<unsigned char> Texels(int i)
{
    int t = g_glView.texture;
    std::vector<unsigned char> px((size_t)t * t * 3);
    glBindTexture(GL_TEXTURE_2D, g_glView.textures[i]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, px.data());
    return px;
}

TEST_F(GlStereoWindowTest, StillsHaveTheSoftBorderAtTheFramesOwnEdges)
{
    // An offset between the images crops the common region; a still
    // crops nothing, so its border lies along the frame's edges.
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    g_bBlurFrame = 1;
    g_nBordwf = 8;
    g_nShiftX = 40;
    SendMessageA(g_hwndGL, 1027, 0, 0);
    Reference refs[2] = {Reference("pair_L.bgr", 160, 120), Reference("pair_R.bgr", 160, 120)};
    for (int e = 0; e < 2; e++) {
        SCOPED_TRACE(e);
        std::vector<unsigned char> px = Texels(e);
        int t = g_glView.texture, inner = 0, edge = 0;
        for (int y = 0; y < 120; y++)
            for (int x = 0; x < 160; x++) {
                const unsigned char *a = &px[((size_t)y * t + x) * 3];
                const unsigned char *b = refs[e].At(0, x, 119 - y);
                int d = abs(a[0] - b[0]) + abs(a[1] - b[1]) + abs(a[2] - b[2]);
                bool border = x < 8 || y < 8 || x >= 152 || y >= 112;
                if (!border)
                    inner = d > inner ? d : inner;
                else if (x == 0 || x == 159)
                    edge += d > 6;
            }
        EXPECT_LE(inner, 6);   // untouched inside
        EXPECT_GT(edge, 100);  // darkened along both side edges
    }
    g_bBlurFrame = 0;
    g_nShiftX = 0;
}

TEST_F(GlStereoWindowTest, TexturesKeepTheirPairWhenALaterFetchFails)
{
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    Reference l("pair_L.bgr", 160, 120), r("pair_R.bgr", 160, 120);
    g_nFrame = 1;
    SendMessageA(g_hwndGL, 1027, 0, 0);
    ExpectEye(0, l, 1, 0, 0, 160, 120);
    g_nFrame = 40;  // past the end: the fetch fails
    Forget();
    SendMessageA(g_hwndGL, 1027, 0, 0);
    EXPECT_EQ(160, g_glView.frameW);
    EXPECT_EQ(120, g_glView.frameH);
    ExpectEye(0, l, 1, 0, 0, 160, 120);
    ExpectEye(1, r, 1, 0, 0, 160, 120);
    g_nFrame = 0;
}

TEST_F(GlStereoWindowTest, CursorCountIsBalancedAcrossEveryHidingAndShowing)
{
    int before = CursorCount();
    g_glView.fullScreen = 1;
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    EXPECT_EQ(before - 1, CursorCount());
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_RETURN, 0);  // framed
    EXPECT_EQ(before, CursorCount());
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_RETURN, 0);  // full screen again
    EXPECT_EQ(before - 1, CursorCount());
    PostMessageA(g_hwndGL, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(300);
    EXPECT_EQ(0, g_bGLActive);
    EXPECT_EQ(before, CursorCount());
    g_glView.fullScreen = 0;

    // The pair follows the main window's full screen, from creation on.
    g_bFullScreen = 1;
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    EXPECT_EQ(before - 1, CursorCount());
    g_bFullScreen = 0;
    SendMessageA(g_hwndGL, 1029, 0, 0);
    EXPECT_EQ(before, CursorCount());
    g_bFullScreen = 1;
    SendMessageA(g_hwndGL, 1029, 0, 0);
    SendMessageA(g_hwndGL, 1029, 0, 0);  // told twice: hidden once
    EXPECT_EQ(before - 1, CursorCount());
    CloseGlStereoDisplay();
    EXPECT_EQ(before, CursorCount());
    g_bFullScreen = 0;
}

TEST_F(GlStereoWindowTest, TheFontIsNotLeftInTheWindowsDeviceContext)
{
    // Left selected there, it could not be deleted while the window lives.
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    ASSERT_NE(0, g_glView.fontBase);
    EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(g_glView.dc, OBJ_FONT));
}

int CountGlWindows()
{
    int n = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "OpenGL", nullptr); w; w = FindWindowExA(nullptr, w, "OpenGL", nullptr))
        n++;
    return n;
}

HWND g_boxOwner;
int RecordOwner(HWND owner, const char *, const char *, UINT)
{
    g_boxOwner = owner;
    return IDOK;
}

TEST_F(GlStereoWindowTest, ANewCreationReplacesAWindowLeftStanding)
{
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    HWND first = g_hwndGL;
    ASSERT_TRUE(OpenPairWindow("pair_L.avi", "pair_R.avi"));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(1, CountGlWindows());
    EXPECT_TRUE(IsWindowVisible(main));  // the file window's hiding undone
    CloseGlStereoDisplay();
    EXPECT_EQ(0, CountGlWindows());
}

TEST_F(GlStereoWindowTest, FileModeBoxesHaveNoHiddenOwner)
{
    // Enter's re-creation fails while the main window is hidden.
    ASSERT_TRUE(OpenFile("sbs.avi", 0));
    ASSERT_FALSE(IsWindowVisible(main));
    MessageBoxHook kept = g_pfnMessageBoxHook;
    g_pfnMessageBoxHook = RecordOwner;
    g_boxOwner = main;
    g_pfnGlCreateStep = [](GlCreateStep s) { return s != kGlStepCreateContext; };
    SendMessageA(g_hwndGL, WM_KEYDOWN, VK_RETURN, 0);
    g_pfnMessageBoxHook = kept;
    EXPECT_EQ(nullptr, g_boxOwner);
    ShowWindow(main, SW_HIDE);
}

}  // namespace
