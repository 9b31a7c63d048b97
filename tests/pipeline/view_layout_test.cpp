#include "pipeline/view_layout.h"

#include <gtest/gtest.h>

namespace {

ViewLayoutRequest Request(int mode, int cw, int ch, int w, int h, int zoom)
{
    ViewLayoutRequest r = {};
    r.mode = mode;
    r.clientW = cw;
    r.clientH = ch;
    r.sourceW = w;
    r.sourceH = h;
    r.zoom = zoom;
    r.waku = 4;
    return r;
}

void ExpectRect(const ViewRect &r, int x, int y, int w, int h)
{
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.w, w);
    EXPECT_EQ(r.h, h);
}

TEST(ViewLayout, ComposedFrameFitsAndCapsTheZoom)
{
    // 1280 x 720 in a 640 x 400 client: 50 %, centred at y 20.
    for (int zoom : {0, 100, 50}) {
        ViewLayout v = ComputeViewLayout(Request(2, 640, 400, 1280, 720, zoom));
        EXPECT_EQ(v.zoom, 50);
        ASSERT_EQ(v.images, 1);
        ExpectRect(v.pic[0], 0, 20, 640, 360);
        EXPECT_EQ(v.scale, 200);
    }
    ViewLayout v = ComputeViewLayout(Request(3, 640, 400, 1280, 720, 25));
    EXPECT_EQ(v.zoom, 25);
    ExpectRect(v.pic[0], 160, 110, 320, 180);
    EXPECT_EQ(v.scale, 400);
}

TEST(ViewLayout, SideBySide)
{
    // cw 1000 with frames of 4: each picture at most 492 wide.
    ViewLayout v = ComputeViewLayout(Request(0, 1000, 600, 984, 400, 0));
    EXPECT_EQ(v.zoom, 50);
    EXPECT_EQ(v.pic[0].w, 492);
    EXPECT_EQ(v.pic[0].h, 200);
    EXPECT_TRUE(v.framed);
    // Placements of a 160 x 120 pair at 100 % in a 600 x 300 client.
    static const struct {
        int wcent, xl, xr;
    } places[] = {{0, 70, 370}, {1, 136, 304}, {2, 4, 436}};
    for (const auto &p : places) {
        ViewLayoutRequest r = Request(0, 600, 300, 160, 120, 100);
        r.wcent = p.wcent;
        ViewLayout s = ComputeViewLayout(r);
        EXPECT_EQ(s.zoom, 100);
        ExpectRect(s.pic[0], p.xl, 90, 160, 120);
        ExpectRect(s.pic[1], p.xr, 90, 160, 120);
    }
    ViewLayoutRequest r = Request(0, 600, 300, 160, 120, 100);
    for (int mirror = 0; mirror < 4; mirror++) {
        r.mirror = mirror;
        ViewLayout s = ComputeViewLayout(r);
        EXPECT_EQ(s.mirrorFirst, mirror >= 2);
        EXPECT_EQ(s.mirrorSecond, mirror == 1 || mirror == 3);
    }
}

TEST(ViewLayout, OverUnder)
{
    ViewLayout v = ComputeViewLayout(Request(1, 600, 300, 160, 120, 100));
    EXPECT_EQ(v.zoom, 100);
    ExpectRect(v.pic[0], 220, 15, 160, 120);
    ExpectRect(v.pic[1], 220, 165, 160, 120);
    EXPECT_FALSE(v.framed);
    // The height limits: half the client height.
    v = ComputeViewLayout(Request(1, 2000, 200, 160, 120, 0));
    EXPECT_EQ(v.zoom, 83);
    EXPECT_EQ(v.pic[0].h, 99);
}

TEST(ViewLayout, InterlaceLandsOnAnEvenScreenRow)
{
    // A picture whose centred top falls on screen row 101 is drawn from 102;
    // on row -3 from -4.
    ViewLayoutRequest r = Request(4, 640, 402, 640, 200, 100);
    r.screenTop = 0;  // centred top: (402 - 200) / 2 = 101
    ViewLayout v = ComputeViewLayout(r);
    EXPECT_EQ(v.parity, 1);
    EXPECT_EQ(v.pic[0].y, 102);
    r.screenTop = -104;  // 101 - 104 = -3
    v = ComputeViewLayout(r);
    EXPECT_EQ(v.parity, -1);
    EXPECT_EQ(v.pic[0].y, 100);
    EXPECT_EQ((r.screenTop + v.pic[0].y) % 2, 0);
    // The picture height is rounded up to even.
    v = ComputeViewLayout(Request(4, 100, 100, 300, 300, 0));
    EXPECT_EQ(v.pic[0].h, 100);
}

TEST(ViewLayout, BlendHasThreePictures)
{
    ViewLayout v = ComputeViewLayout(Request(5, 800, 600, 160, 120, 100));
    ASSERT_EQ(v.images, 3);
    EXPECT_EQ(v.zoom, 100);
    ExpectRect(v.pic[0], 120, 90, 160, 120);
    ExpectRect(v.pic[1], 520, 90, 160, 120);
    ExpectRect(v.pic[2], 320, 390, 160, 120);
}

TEST(ViewLayout, Iz3dPanels)
{
    // A 1272 x 480 composed frame: two panels of 636.
    ViewLayout v = ComputeViewLayout(Request(7, 1000, 600, 1272, 480, 0));
    EXPECT_EQ(v.zoom, 78);
    EXPECT_EQ(v.pic[0].w, 496);
    EXPECT_EQ(v.pic[0].x, 2);
    EXPECT_EQ(v.panel2.x, 502);
    EXPECT_EQ(v.scale, 636 * 100 / 496);
}

TEST(ViewLayout, OneEyeAndEmpty)
{
    ViewLayoutRequest r = Request(0, 640, 400, 1280, 720, 0);
    r.playEye = 1;
    ViewLayout v = ComputeViewLayout(r);
    EXPECT_EQ(v.images, 1);
    ExpectRect(v.pic[0], 0, 20, 640, 360);
    EXPECT_EQ(ComputeViewLayout(Request(2, 0, 400, 1280, 720, 0)).images, 0);
    EXPECT_EQ(ComputeViewLayout(Request(2, 640, 400, 0, 720, 0)).images, 0);
    // A client too small for any picture paints nothing and keeps a valid zoom.
    v = ComputeViewLayout(Request(0, 10, 10, 20000, 10, 0));
    EXPECT_EQ(v.images, 0);
    EXPECT_GE(v.zoom, 1);
}

TEST(ViewLayout, TrimEndPointFollowsTheAspect)
{
    ViewRect image = {10, 10, 400, 300};
    static const struct {
        int state, wantY;
    } cases[] = {{10, 250}, {11, 160}, {12, 122}, {13, 143}, {14, 110}, {15, 130}};
    for (const auto &c : cases) {
        TrimPoint e = TrimEndPoint(c.state, {10, 10}, {210, 250}, image);
        EXPECT_EQ(e.x, 210);
        EXPECT_EQ(e.y, c.wantY) << c.state;
    }
    // The mouse is held inside the image.
    TrimPoint e = TrimEndPoint(10, {10, 10}, {900, -50}, image);
    EXPECT_EQ(e.x, 410);
    EXPECT_EQ(e.y, 10);
}

TEST(ViewLayout, TrimRectangle)
{
    ViewRect image = {100, 50, 400, 300};
    int l, t, r, b;
    // 4:3 drawn 200 screen pixels wide at scale 200: 400 x 300, q = 100.
    ASSERT_TRUE(TrimRectFromDrawing(21, {100, 50}, {300, 200}, image, 200, 800, 600, &l, &t, &r, &b));
    EXPECT_EQ(l, 0);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(r, 400);
    EXPECT_EQ(b, 300);
    // 16:9.
    ASSERT_TRUE(TrimRectFromDrawing(22, {110, 60}, {270, 150}, image, 100, 400, 300, &l, &t, &r, &b));
    EXPECT_EQ(r - l, 160);
    EXPECT_EQ(b - t, 90);
    // Free, odd height made even toward zero.
    ASSERT_TRUE(TrimRectFromDrawing(20, {110, 60}, {150, 91}, image, 100, 400, 300, &l, &t, &r, &b));
    EXPECT_EQ(l, 10);
    EXPECT_EQ(t, 10);
    EXPECT_EQ(r, 50);
    EXPECT_EQ(b, 40);
    // The smallest drag the view accepts (2 pixels) gives no 0-wide
    // rectangle: it is refused, at 100 % and below.
    EXPECT_FALSE(TrimRectFromDrawing(20, {110, 60}, {112, 62}, image, 100, 400, 300, &l, &t, &r, &b));
    EXPECT_FALSE(TrimRectFromDrawing(20, {110, 60}, {113, 62}, image, 50, 400, 300, &l, &t, &r, &b));
    // 4 x 2 is the smallest kept.
    ASSERT_TRUE(TrimRectFromDrawing(20, {110, 60}, {113, 62}, image, 100, 400, 300, &l, &t, &r, &b));
    EXPECT_EQ(r - l, 4);
    EXPECT_EQ(b - t, 2);
    // The right edge stays inside the region even when rounding up to 4
    // would pass it.
    ASSERT_TRUE(TrimRectFromDrawing(20, {100, 50}, {500, 350}, image, 100, 398, 300, &l, &t, &r, &b));
    EXPECT_LE(r, 398);
    EXPECT_EQ((r - l) % 4, 0);
    EXPECT_LE(b, 300);
}

}  // namespace
