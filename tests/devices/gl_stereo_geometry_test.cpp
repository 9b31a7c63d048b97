// The OpenGL stereo window's geometry: the eyes of each file layout, the
// picture's rectangle and texture coordinates in narrow and wide windows,
// the 47.5 % layout, the zoom steps and their cap, large zooms and pans,
// the fit and the texture size.
#include "devices/gl_stereo_geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(GlStereoGeometry, FileLayoutsGiveEyeSizeStretchAndSecondEye)
{
    struct Case {
        int layout;
        GlFileLayout want;
    } cases[] = {
        {0, {320, 360, 100, 1, 320, 0}},
        {1, {640, 180, 100, 1, 0, 180}},
        {2, {640, 360, 100, 2, 0, 180}},
        {3, {640, 360, 95, 2, 0, 180}},
        {4, {640, 180, 100, 1, 0, 180}},
        {7, {640, 180, 100, 1, 0, 180}},
        {8, {640, 360, 100, 2, 0, 180}},
        {11, {640, 360, 100, 2, 0, 180}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.layout);
        GlFileLayout f = GlFileLayoutOf(c.layout, 640, 360);
        EXPECT_EQ(c.want.eyeW, f.eyeW);
        EXPECT_EQ(c.want.eyeH, f.eyeH);
        EXPECT_EQ(c.want.pct, f.pct);
        EXPECT_EQ(c.want.tdiv, f.tdiv);
        EXPECT_EQ(c.want.xo, f.xo);
        EXPECT_EQ(c.want.yo, f.yo);
    }
}

TEST(GlStereoGeometry, ZoomSteps)
{
    struct Case {
        const char *what;
        int got, want;
    } cases[] = {
        {"5 grows to 5, then + 1", GlZoomIn(5), 6},
        {"9 grows to 9, then + 1", GlZoomIn(9), 10},
        {"10 grows to 11", GlZoomIn(10), 11},
        {"100 in", GlZoomIn(100), 110},
        {"110 out", GlZoomOut(110), 100},
        {"1 shrinks to 0, held at 1", GlZoomOut(1), 1},
        {"wheel 1000: nothing", GlWheelZoom(100, 1000u << 16), 100},
        {"wheel 999: in", GlWheelZoom(100, 999u << 16), 110},
        {"wheel 1100 (the zoom-out command): out", GlWheelZoom(110, 0x044C0000u), 100},
        {"wheel +120: in", GlWheelZoom(100, 120u << 16), 110},
        {"wheel -120 (0xFF88): out", GlWheelZoom(110, 0xFF88u << 16), 100},
        {"wheel low word ignored", GlWheelZoom(100, (1000u << 16) | 5), 100},
        {"below the cap: up to it", GlZoomIn(kGlZoomMost - 1), kGlZoomMost},
        {"at the cap: held", GlZoomIn(kGlZoomMost), kGlZoomMost},
        {"beyond the cap: back to it", GlZoomIn(3 * kGlZoomMost), kGlZoomMost},
        {"wheel in at the cap: held", GlWheelZoom(kGlZoomMost, 120u << 16), kGlZoomMost},
        {"out from the cap", GlZoomOut(kGlZoomMost), 9090},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.want, c.got) << c.what;
}

TEST(GlStereoGeometry, FitUsesTheEyeAndNeverGivesZoomZero)
{
    GlEyeSize l3 = GlFitEyeSize(true, 3, 400, 200);
    EXPECT_EQ(400, l3.w);
    EXPECT_EQ(190, l3.h);  // 95 % of the frame height
    struct Case {
        const char *what;
        int got, want;
    } cases[] = {
        {"layout 3: 95 % of the height decides", GlFitZoom(100, 800, 190, l3.w, l3.h), 100},
        {"layout 0: half the width", GlFitZoom(100, 640, 1000, GlFitEyeSize(true, 0, 640, 360).w, 360), 200},
        {"layout 1: half the height", GlFitZoom(100, 1000, 360, 640, GlFitEyeSize(true, 1, 640, 360).h), 156},
        {"layout 2: the whole height", GlFitZoom(100, 1000, 360, 640, GlFitEyeSize(true, 2, 640, 360).h), 100},
        {"layout 8: the whole height", GlFitZoom(100, 1000, 360, 640, GlFitEyeSize(true, 8, 640, 360).h), 100},
        {"pair: the frame", GlFitZoom(100, 320, 1000, GlFitEyeSize(false, 0, 640, 360).w, 360), 50},
        {"no frame yet: the zoom stays", GlFitZoom(130, 800, 600, 0, 0), 130},
        {"a minimised window: at least 1", GlFitZoom(100, 0, 0, 640, 360), 1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.want, c.got) << c.what;
    // The zoom step after a fit in a minimised window divides by it.
    EXPECT_EQ(1, GlZoomOut(GlFitZoom(100, 0, 0, 640, 360)));
}

GlPictureRequest Pair(int zoom, int w, int h, int cw, int ch, int px, int py)
{
    GlPictureRequest r = {};
    r.zoom = zoom;
    r.texture = 1024;
    r.eyeW = w;
    r.eyeH = h;
    r.pct = 100;
    r.tdiv = 1;
    r.cw = cw;
    r.ch = ch;
    r.px = px;
    r.py = py;
    return r;
}

TEST(GlStereoGeometry, NarrowWindowDrawsFromTheLeftEdgeWithThePanClamped)
{
    struct Case {
        int px, py, wantPx, wantPy;
    } cases[] = {{500, 500, 320, 180}, {-5, -7, 0, 0}, {100, 40, 100, 40}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.px);
        GlPicture p = GlPictureOf(Pair(100, 640, 360, 320, 180, c.px, c.py));
        EXPECT_EQ(c.wantPx, p.px);
        EXPECT_EQ(c.wantPy, p.py);
        EXPECT_EQ(320, p.ex);
        EXPECT_EQ(180, p.ey);
        EXPECT_EQ(0, p.x0);
        EXPECT_EQ(320, p.x1);
        EXPECT_EQ(0, p.y0);
        EXPECT_EQ(180, p.y1);
        EXPECT_FLOAT_EQ(c.wantPx / 1024.0f, p.s0);
        EXPECT_FLOAT_EQ((320 + c.wantPx) / 1024.0f, p.s1);
        EXPECT_FLOAT_EQ(c.wantPy / 1024.0f, p.t0);
        EXPECT_FLOAT_EQ((180 + c.wantPy) / 1024.0f, p.t1);
    }
}

TEST(GlStereoGeometry, WideWindowCentresWithTheNegativeHalfMargin)
{
    GlPicture p = GlPictureOf(Pair(100, 320, 180, 401, 300, 77, 77));
    EXPECT_EQ(-40, p.px);  // (320 - 401) / 2 truncated toward zero
    EXPECT_EQ(-60, p.py);
    EXPECT_EQ(0, p.ex);
    EXPECT_EQ(0, p.ey);
    EXPECT_EQ(40, p.x0);
    EXPECT_EQ(360, p.x1);
    EXPECT_EQ(60, p.y0);
    EXPECT_EQ(240, p.y1);
    EXPECT_FLOAT_EQ(0, p.s0);
    EXPECT_FLOAT_EQ(320 / 1024.0f, p.s1);
    EXPECT_FLOAT_EQ(180 / 1024.0f, p.t1);
    // Zoom 200 in a 1280-wide window: 1280 texels of the zoomed picture,
    // 640 of the frame, all drawn.
    GlPicture z = GlPictureOf(Pair(200, 640, 360, 1280, 720, 0, 0));
    EXPECT_EQ(1280, z.x1);
    EXPECT_FLOAT_EQ(640 / 1024.0f, z.s1);
}

TEST(GlStereoGeometry, ShiftIsSplitBetweenTheEyes)
{
    struct Case {
        int shift, zoom;
        int left, right;  // in zoomed pixels
    } cases[] = {{5, 100, 2, 3}, {-5, 100, -2, -3}, {4, 50, 1, 1}, {7, 200, 7, 7}};
    for (const Case &c : cases) {
        GlPictureRequest r = Pair(c.zoom, 640, 360, 640, 360, 0, 0);
        r.shiftX = c.shift;
        r.shiftY = -c.shift;
        GlPicture p = GlPictureOf(r);
        float g = (float)(c.zoom * 1024 / 100);
        EXPECT_FLOAT_EQ(c.left / g, p.ksl);
        EXPECT_FLOAT_EQ(c.right / g, p.ksr);
        EXPECT_FLOAT_EQ(-c.left / g, p.ktl);
        EXPECT_FLOAT_EQ(-c.right / g, p.ktr);
    }
}

TEST(GlStereoGeometry, FileLayoutsPlaceTheSecondEye)
{
    // Side by side: the right half, half a frame to the right.
    GlFileLayout l0 = GlFileLayoutOf(0, 640, 360);
    GlPictureRequest r = Pair(100, l0.eyeW, l0.eyeH, 320, 360, 0, 0);
    r.xo = l0.xo;
    r.yo = l0.yo;
    GlPicture p = GlPictureOf(r);
    EXPECT_FLOAT_EQ(320 / 1024.0f, p.ds);
    EXPECT_FLOAT_EQ(0, p.dt);
    EXPECT_FLOAT_EQ(320 / 1024.0f, p.s1);

    // 47.5 %: rows 0 to 0.475 H to the first eye and from 0.525 H to the
    // second, each stretched to 95 % of the frame height.
    GlFileLayout l3 = GlFileLayoutOf(3, 400, 400);
    GlPictureRequest q = Pair(100, l3.eyeW, l3.eyeH, 400, 380, 0, 0);
    q.pct = l3.pct;
    q.tdiv = l3.tdiv;
    q.yo = l3.yo;
    GlPicture t = GlPictureOf(q);
    EXPECT_EQ(0, t.y0);
    EXPECT_EQ(380, t.y1);
    EXPECT_FLOAT_EQ(0, t.t0);
    EXPECT_FLOAT_EQ(190 / 1024.0f, t.t1);
    EXPECT_FLOAT_EQ(210 / 1024.0f, t.dt);
    // In a taller window it is centred at 380 rows.
    q.ch = 400;
    GlPicture c = GlPictureOf(q);
    EXPECT_EQ(10, c.y0);
    EXPECT_EQ(390, c.y1);
    EXPECT_FLOAT_EQ(190 / 1024.0f, c.t1);
}

TEST(GlStereoGeometry, PanAboutTheCentre)
{
    GlPan in = GlPanAboutCentre(100, 110, 0, 0, 400, 300);
    EXPECT_EQ(20, in.px);
    EXPECT_EQ(15, in.py);
    GlPan out = GlPanAboutCentre(110, 100, 20, 15, 400, 300);
    EXPECT_EQ(0, out.px);
    EXPECT_EQ(-1, out.py);  // 15 x 100 / 110 = 13 less (300 - 272) / 2 = 14: truncated twice
    GlPan none = GlPanAboutCentre(0, 100, 7, 8, 400, 300);
    EXPECT_EQ(7, none.px);
}

// A right drag zooms in a step per mouse move, and a wide picture panned
// to its right end has a pan of about 19 times the zoom: the products of
// zoom and pan, and of zoom and texture, pass 2^31 long before the numbers
// the window keeps do (these run under UBSan in the native build).
TEST(GlStereoGeometry, LargeZoomsAndPansStayExact)
{
    int z = 100;
    for (int i = 0; i < 200; i++)
        z = GlZoomIn(z);
    EXPECT_EQ(kGlZoomMost, z);

    struct Case {
        const char *what;
        GlPan got, want;
    } cases[] = {
        // mx = (1280 - 12100 x 1280 / 11000) / 2 = -64, my = -36.
        {"a 1920 picture panned right, one step in", GlPanAboutCentre(11000, 12100, 190000, 0, 1280, 720),
         {209000 + 64, 36}},
        // mx = (1280 - 1163) / 2 = 58, my = (720 - 654) / 2 = 33.
        {"and out again", GlPanAboutCentre(12100, 11000, 209064, 36, 1280, 720), {190058 - 58, 32 - 33}},
        // A 16384-texel picture near its right end, the last step to the cap.
        {"16384 wide, into the cap", GlPanAboutCentre(9090, kGlZoomMost, 1480000, 0, 1280, 720), {1628162 + 64, 36}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.want.px, c.got.px) << c.what;
        EXPECT_EQ(c.want.py, c.got.py) << c.what;
    }

    // A zoom far beyond the cap handed to the drawing arithmetic: 64-bit
    // products, the pan clamped into the excess.
    GlPictureRequest r = Pair(1000000, 1920, 1080, 1280, 720, 5000000, 0);
    r.texture = 2048;
    r.shiftX = 3000;
    GlPicture p = GlPictureOf(r);
    EXPECT_EQ(19200000 - 1280, p.ex);
    EXPECT_EQ(5000000, p.px);
    EXPECT_FLOAT_EQ(5000000 / 20480000.0f, p.s0);
    EXPECT_FLOAT_EQ(5001280 / 20480000.0f, p.s1);
    EXPECT_FLOAT_EQ(15000000 / 20480000.0f, p.ksl);
}

TEST(GlStereoGeometry, TextureSizeFitsTheFrame)
{
    struct Case {
        int minimum, w, h, largest, want;
    } cases[] = {
        {1024, 718, 480, 8192, 1024},
        {1024, 1920, 1080, 8192, 2048},
        {2048, 3840, 1080, 8192, 4096},
        {1024, 1024, 1024, 1024, 1024},
        {1024, 1025, 10, 1024, 0},
        {2048, 3840, 2160, 2048, 0},
        {1024, 10, 1500, 16384, 2048},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.want, GlTextureSize(c.minimum, c.w, c.h, c.largest)) << c.w << "x" << c.h;
}

}  // namespace
