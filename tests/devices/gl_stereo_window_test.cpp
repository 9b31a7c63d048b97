// The OpenGL stereo window in a Wine virtual desktop of its own
// (scripts/run-in-desktop.sh). Wine's OpenGL here offers no stereo pixel
// format: creation as the program runs it reaches its refusal box, which
// is tested as it is. For the pictures the window runs with
// g_bGlMonoBuffers: a double-buffered mono format, each eye drawn into the
// back buffer in turn and read back after it (g_pfnGlEyeReadback); what
// each eye holds is compared with ffmpeg's decoding of the same frame.
#include "devices/gl_stereo_draw.h"
#include "devices/gl_stereo_window.h"
#include "devices/stereo_player_state.h"
#include "sources/movie_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

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
        g_nPlaySource = 1;
        Forget();
    }

    void TearDown() override
    {
        if (g_bGLActive == 1 && g_nBusy == 0)
            CloseGlStereoDisplay();
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
    EXPECT_EQ(-((160 - g_glView.cw) / 2), g_glView.x0);
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

    // 47.5 %: the lower and upper 114 rows, each stretched to 228.
    Reference first("ou_l3_first.bgr", 200, 228), second("ou_l3_second.bgr", 200, 228);
    ASSERT_TRUE(OpenFile("ou.avi", 3));
    DrawGlFile();
    ASSERT_EQ(228, g_glView.y1 - g_glView.y0);
    // Two filters, two roundings of where a row falls: held by the mean
    // (rows away from the stretched edges, where ffmpeg clamps its source).
    for (int b = 0; b < 2; b++) {
        const Reference &r = b == 0 ? first : second;
        double sum = 0;
        int n = 0;
        for (int j = 2; j < 226; j++)
            for (int i = 0; i < 200; i++) {
                const unsigned char *a = g_eye[b].At(g_glView.x0 + i, g_glView.y0 + j);
                const unsigned char *e = r.At(0, i, 227 - j);
                for (int c = 0; c < 3; c++)
                    sum += abs((int)a[c] - (int)e[c]);
                n += 3;
            }
        EXPECT_LT(sum / n, 6.0) << "buffer " << b;
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

}  // namespace
