// The single-file layout kernels, pre-conversions and turns on small
// frames whose pixels tell where they came from.
#include "sources/stereo_layouts.h"

#include "../test_frames.h"

#include <gtest/gtest.h>

#include <math.h>

namespace {

// Pixel at picture coordinates (x right, y down from the top).
Bgr Pic(const PackedDib *d, int x, int y) { return PixelAt(d, x, DibHeight(d) - 1 - y); }

DibPtr Positions(int w, int h, int bits = 24)
{
    return MakeFrame(w, h, [](int x, int row) { return PositionPixel(x, row, 7); }, bits);
}

DibPtr Target(int w, int h) { return DibPtr(CreateDib(w, h, 24, 1)); }

}  // namespace

TEST(StereoLayouts, SideBySideTakesEachHalf)
{
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        DibPtr src = Positions(9, 4, bits);
        DibPtr a = Target(9, 4), b = Target(9, 4);
        SplitSideBySideFrame(a.get(), b.get(), src.get(), 9, 4, bits);
        ASSERT_EQ(DibWidth(a.get()), 4);
        ASSERT_EQ(DibHeight(a.get()), 4);
        for (int row = 0; row < 4; row++)
            for (int x = 0; x < 4; x++) {
                EXPECT_EQ(PixelAt(a.get(), x, row), PositionPixel(x, row, 7));
                EXPECT_EQ(PixelAt(b.get(), x, row), PositionPixel(x + 4, row, 7));
            }
        // The view kernels give the same views.
        DibPtr c = Target(9, 4);
        SplitSideBySideView(c.get(), 11, src.get(), 9, 4, bits);
        EXPECT_EQ(PixelAt(c.get(), 3, 2), PositionPixel(7, 2, 7));
    }
}

TEST(StereoLayouts, OverUnderTakesRowsInMemoryOrder)
{
    // An odd height: each view has h / 2 rows, the last row belongs to neither.
    DibPtr src = Positions(5, 7);
    DibPtr a = Target(5, 7), b = Target(5, 7);
    SplitOverUnderFrame(a.get(), b.get(), src.get(), 5, 7, 24);
    ASSERT_EQ(DibHeight(a.get()), 3);
    ASSERT_EQ(DibHeight(b.get()), 3);
    for (int row = 0; row < 3; row++) {
        EXPECT_EQ(PixelAt(a.get(), 2, row), PositionPixel(2, row, 7));
        EXPECT_EQ(PixelAt(b.get(), 2, row), PositionPixel(2, row + 3, 7));
    }
}

TEST(StereoLayouts, InterlacedViewsInterpolateTheOtherField)
{
    const int h = 6;
    DibPtr src = MakeFrame(2, h, [](int, int row) { return Bgr{row * 10, row * 10 + 1, row * 10 + 2}; });
    DibPtr a = Target(2, h), b = Target(2, h);
    SplitInterlacedFrame(a.get(), b.get(), src.get(), 2, h, 24);
    for (int row = 0; row < h; row++) {
        Bgr own = PixelAt(src.get(), 1, row);
        Bgr mid = row > 0 && row < h - 1 ? Bgr{own.b, own.g, own.r} : own;  // (r-1 + r+1)/2 == r here
        // First view: even rows its own, odd rows averaged (the last, odd, row kept).
        EXPECT_EQ(PixelAt(a.get(), 1, row), row % 2 == 0 ? own : mid);
        EXPECT_EQ(PixelAt(b.get(), 1, row), row % 2 == 1 ? own : mid);
    }
    // Averages truncate: rows 0 and 2 of 1 and 4 give 2 at row 1.
    DibPtr s2 = MakeFrame(1, 3, [](int, int row) { return row == 0 ? Bgr{1, 1, 1} : row == 2 ? Bgr{4, 4, 4} : Bgr{200, 200, 200}; });
    DibPtr v = Target(1, 3);
    SplitInterlacedView(v.get(), 30, s2.get(), 1, 3, 24);
    EXPECT_EQ(PixelAt(v.get(), 0, 1), (Bgr{2, 2, 2}));
    SplitInterlacedView(v.get(), 31, s2.get(), 1, 3, 24);
    EXPECT_EQ(PixelAt(v.get(), 0, 0), (Bgr{1, 1, 1}));  // row 0 keeps its own
    EXPECT_EQ(PixelAt(v.get(), 0, 2), (Bgr{4, 4, 4}));  // an even last row too
}

TEST(StereoLayouts, AnaglyphViews)
{
    int gamma[kGammaEntries];
    BuildGammaTable(120, gamma);
    EXPECT_EQ(gamma[255], 255);
    EXPECT_EQ(gamma[299], gamma[255]);
    EXPECT_EQ(gamma[128], (int)(255 * pow(128 / 255.0, 100.0 / 120)));

    DibPtr src = MakeFrame(3, 2, [](int x, int row) { return Bgr{x * 40 + 10, row * 90 + 30, 77}; });
    DibPtr a = Target(3, 2), b = Target(3, 2), c = Target(3, 2), d = Target(3, 2);
    SplitAnaglyphFrame(a.get(), b.get(), src.get(), 3, 2, 24);
    SplitColourAnaglyphFrame(c.get(), d.get(), src.get(), 3, 2, 24);
    for (int row = 0; row < 2; row++)
        for (int x = 0; x < 3; x++) {
            Bgr p = PixelAt(src.get(), x, row);
            int v = gamma[(837 * p.g + 163 * p.b) / 1000];
            EXPECT_EQ(PixelAt(a.get(), x, row), (Bgr{77, 77, 77}));
            EXPECT_EQ(PixelAt(b.get(), x, row), (Bgr{v, v, v}));
            EXPECT_EQ(PixelAt(c.get(), x, row), (Bgr{77, 77, 77}));
            EXPECT_EQ(PixelAt(d.get(), x, row), (Bgr{p.b, p.g, v}));
        }
}

TEST(StereoLayouts, DoublingsInterpolateBetweenNeighbours)
{
    DibPtr src = MakeFrame(3, 3, [](int x, int row) { return Bgr{x * 10, row * 10, x + row}; });
    DibPtr wide(DoubleDibWidth(src.get()));
    ASSERT_EQ(DibWidth(wide.get()), 6);
    EXPECT_EQ(PixelAt(wide.get(), 2, 1), PixelAt(src.get(), 1, 1));
    EXPECT_EQ(PixelAt(wide.get(), 3, 1), (Bgr{15, 10, 2}));  // (10+20)/2, 10, (2+3)/2
    EXPECT_EQ(PixelAt(wide.get(), 5, 1), PixelAt(src.get(), 2, 1));

    DibPtr tall(DoubleDibHeight(src.get(), 0));
    ASSERT_EQ(DibHeight(tall.get()), 6);
    EXPECT_EQ(PixelAt(tall.get(), 1, 2), PixelAt(src.get(), 1, 1));
    EXPECT_EQ(PixelAt(tall.get(), 1, 3), (Bgr{10, 15, 2}));
    EXPECT_EQ(PixelAt(tall.get(), 1, 4), PixelAt(src.get(), 1, 2));
    EXPECT_EQ(PixelAt(tall.get(), 1, 5), PixelAt(src.get(), 1, 2));

    // 47.5 %: each half from 47.5 % of the source, the middle dropped.
    DibPtr s40 = MakeFrame(1, 40, [](int, int row) { return Bgr{row, 0, 0}; });
    DibPtr t80(DoubleDibHeight(s40.get(), 1));
    ASSERT_EQ(DibHeight(t80.get()), 80);
    for (int i = 0; i < 40; i++) {
        EXPECT_EQ(PixelAt(t80.get(), 0, i).b, i * 475 / 1000);
        EXPECT_EQ(PixelAt(t80.get(), 0, 79 - i).b, 39 - i * 475 / 1000);
    }
}

TEST(StereoLayouts, StereoFrameTurns)
{
    const int W = 6, H = 4, n = W / 2;
    DibPtr src = Positions(W, H);
    auto srcPic = [&](int x, int y) { return Pic(src.get(), x, y); };
    for (int kind = 0; kind < 4; kind++) {
        SCOPED_TRACE(kind);
        DibPtr out(RotateStereoFrame(src.get(), kind));
        ASSERT_EQ(DibWidth(out.get()), H);
        ASSERT_EQ(DibHeight(out.get()), W);
        for (int yo = 0; yo < W; yo++)
            for (int xo = 0; xo < H; xo++) {
                Bgr want;
                bool upper = yo < n;
                bool clockwise = kind == 0 || (kind == 2 && !upper) || (kind == 3 && upper);
                if (kind < 2) {
                    want = clockwise ? srcPic(yo, H - 1 - xo) : srcPic(W - 1 - yo, xo);
                } else {
                    int half = upper ? 0 : n, ly = yo - (upper ? 0 : n);
                    want = clockwise ? srcPic(half + ly, H - 1 - xo) : srcPic(half + n - 1 - ly, xo);
                }
                EXPECT_EQ(Pic(out.get(), xo, yo), want) << xo << "," << yo;
            }
    }
    // Kinds 2 and 3: the first view (lower half of the output) comes from
    // the source's right half.
    DibPtr k2(RotateStereoFrame(src.get(), 2));
    EXPECT_GE(PixelAt(k2.get(), 0, 0).b, n);
}

TEST(StereoLayouts, TurnCodes)
{
    const int W = 5, H = 3;
    DibPtr src = Positions(W, H);
    struct Case {
        int code, w, h;
        Bgr (*want)(const PackedDib *, int, int, int, int);
    } cases[] = {
        {1, H, W, [](const PackedDib *s, int x, int y, int w, int) { return Pic(s, w - 1 - y, x); }},
        {2, H, W, [](const PackedDib *s, int x, int y, int, int h) { return Pic(s, y, h - 1 - x); }},
        {3, W, H, [](const PackedDib *s, int x, int y, int w, int h) { return Pic(s, w - 1 - x, h - 1 - y); }},
        {4, W, H, [](const PackedDib *s, int x, int y, int w, int) { return Pic(s, w - 1 - x, y); }},
        {5, W, H, [](const PackedDib *s, int x, int y, int, int h) { return Pic(s, x, h - 1 - y); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        DibPtr out(RotateDib(src.get(), c.code));
        ASSERT_EQ(DibWidth(out.get()), c.w);
        ASSERT_EQ(DibHeight(out.get()), c.h);
        for (int y = 0; y < c.h; y++)
            for (int x = 0; x < c.w; x++)
                EXPECT_EQ(Pic(out.get(), x, y), c.want(src.get(), x, y, W, H));
    }
    // Code 1: the top row becomes the left column, read bottom-up.
    DibPtr left(RotateDib(src.get(), 1));
    EXPECT_EQ(Pic(left.get(), 0, W - 1), Pic(src.get(), 0, 0));
}

TEST(StereoLayouts, InterleavedToOverUnder)
{
    const int h = 6;
    DibPtr src = MakeFrame(1, h, [](int, int row) { return Bgr{row + 1, 0, 0}; });
    DibPtr ou(InterleavedToOverUnder(src.get(), 0));
    ASSERT_EQ(DibHeight(ou.get()), 2 * h);
    int want0[2 * h] = {1, 1, 3, 3, 5, 5, 2, 2, 4, 4, 6, 6};
    for (int r = 0; r < 2 * h; r++)
        EXPECT_EQ(PixelAt(ou.get(), 0, r).b, want0[r]) << r;
    // Parity 1: the rows no source row reaches repeat a neighbour.
    DibPtr ou1(InterleavedToOverUnder(src.get(), 1));
    int want1[2 * h] = {2, 2, 2, 4, 4, 6, 6, 3, 3, 5, 5, 5};
    for (int r = 0; r < 2 * h; r++)
        EXPECT_EQ(PixelAt(ou1.get(), 0, r).b, want1[r]) << r;

    DibPtr half(InterleavedToOverUnderHalf(src.get(), 0));
    ASSERT_EQ(DibHeight(half.get()), h);
    int wantH[h] = {1, 3, 5, 2, 4, 6};
    for (int r = 0; r < h; r++)
        EXPECT_EQ(PixelAt(half.get(), 0, r).b, wantH[r]) << r;
}

TEST(StereoLayouts, ExtractFieldTakesEveryOtherRow)
{
    for (int bits : {24, 32}) {
        DibPtr src = MakeFrame(3, 7, [](int x, int row) { return Bgr{x, row, 1}; }, bits);
        for (int parity : {0, 1}) {
            DibPtr t = Target(3, 7);
            EXPECT_EQ(ExtractField(t.get(), src.get(), parity), 12);
            ASSERT_EQ(DibHeight(t.get()), 3);
            for (int k = 0; k < 3; k++)
                EXPECT_EQ(PixelAt(t.get(), 2, k), (Bgr{2, parity + 2 * k, 1}));
        }
    }
    // A top-down source counts its rows from the bottom of the picture too.
    DibPtr up = MakeFrame(2, 4, [](int, int row) { return Bgr{row, 0, 0}; });
    DibPtr down(CreateDib(2, 4, 24, 1));
    for (int r = 0; r < 4; r++)
        memcpy(DibRow(down.get(), r), DibRow(up.get(), 3 - r), 8);
    down->biHeight = -4;
    DibPtr t = Target(2, 4);
    ExtractField(t.get(), down.get(), 1);
    EXPECT_EQ(PixelAt(t.get(), 0, 0).b, 1);
    EXPECT_EQ(PixelAt(t.get(), 0, 1).b, 3);
}

TEST(StereoLayouts, SideBySideCentredOnCanvases)
{
    DibPtr src = Positions(8, 2);
    DibPtr l = MakeSolid(6, 4, {9, 9, 9}), r = MakeSolid(6, 4, {9, 9, 9});
    SplitSideBySideCentred(l.get(), r.get(), src.get());
    // Four pixels from column 1, rows from row 1.
    EXPECT_EQ(PixelAt(l.get(), 0, 1), (Bgr{9, 9, 9}));
    EXPECT_EQ(PixelAt(l.get(), 1, 1), PositionPixel(0, 0, 7));
    EXPECT_EQ(PixelAt(r.get(), 4, 2), PositionPixel(7, 1, 7));
    EXPECT_EQ(PixelAt(r.get(), 5, 2), (Bgr{9, 9, 9}));
    // A canvas smaller than the half frame is left alone.
    DibPtr tiny = MakeSolid(3, 2, {9, 9, 9});
    SplitSideBySideCentred(tiny.get(), r.get(), src.get());
    EXPECT_EQ(PixelAt(tiny.get(), 0, 0), (Bgr{9, 9, 9}));
}

TEST(StereoLayouts, StereoTypeTableAndViewSizes)
{
    struct Case {
        int type, left, right, vw, vh;
    } cases[] = {
        {0, 10, 11, 960, 1080}, {9, 10, 11, 1920, 1080}, {1, 20, 21, 1920, 540}, {2, 20, 21, 1920, 1080},
        {3, 20, 21, 1920, 1080}, {4, 30, 31, 1920, 1080}, {5, 20, 21, 1080, 960}, {8, 20, 21, 1080, 960},
        {10, 40, 41, 1920, 1080}, {11, 50, 51, 1920, 1080},
    };
    for (const Case &c : cases) {
        const StereoTypeInfo *info = StereoTypeTable(c.type);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->leftCode, c.left);
        EXPECT_EQ(info->rightCode, c.right);
        int vw, vh;
        StereoViewSize(c.type, 1920, 1080, &vw, &vh);
        EXPECT_EQ(vw, c.vw) << c.type;
        EXPECT_EQ(vh, c.vh) << c.type;
    }
    EXPECT_EQ(StereoTypeTable(12), nullptr);
    EXPECT_EQ(StereoTypeTable(-1), nullptr);
}
