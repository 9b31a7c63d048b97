#include "alignment/adjust_preview.h"
#include "alignment_fixture.h"
#include "tests/test_frames.h"

#include <math.h>

#include <set>
#include <utility>
#include <vector>

namespace {

class PreviewTest : public AlignmentTest {
protected:
    void SetUp() override
    {
        SetStartValues();   // the product table the bilinear sampling uses
        AlignmentTest::SetUp();
    }
};

// An 8-bit grey image whose pixel (x, row), row in memory order, is fn(x, row).
template <typename Fn> DibPtr Grey8(int w, int h, Fn fn)
{
    DibPtr d(CreateDib(w, h, 8, 1));
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            DibRow8(d.get(), y)[x] = (BYTE)fn(x, y);
    return d;
}

inline int At8(const PackedDib *d, int x, int row) { return DibRow8(d, row)[x]; }

// A grey texture with structure at every scale the warps could get wrong.
int Texture(int x, int y)
{
    return (int)(127.5 + 60 * sin(x * 0.37) * cos(y * 0.23) + 50 * sin((x + 2 * y) * 1.3)) & 255;
}

TEST_F(PreviewTest, GreyIsTheWeightedSumTruncatedInItsOrder)
{
    struct Case {
        Bgr in;
        int grey;
    } cases[] = {
        {{0, 0, 255}, 76},      // 76.245
        {{0, 255, 0}, 149},     // 149.685
        {{255, 0, 0}, 29},      // 29.07
        {{10, 20, 30}, 21},     // 21.85
        {{255, 255, 255}, 255},
        {{23, 23, 23}, 22},     // 22.999999999999996 in this order
    };
    const int n = (int)(sizeof cases / sizeof cases[0]);
    DibPtr frame = MakeFrame(n, 1, [&](int x, int) { return cases[x].in; });
    DibPtr grey(MakeGreyDib(frame.get(), 256));
    ASSERT_TRUE(grey);
    EXPECT_EQ(DibBitCount(grey.get()), 8);
    const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)grey.get() + grey->biSize);
    EXPECT_EQ(table[200].rgbBlue, 200);
    EXPECT_EQ(table[200].rgbRed, 200);
    for (int i = 0; i < n; i++)
        EXPECT_EQ(At8(grey.get(), i, 0), cases[i].grey) << i;
}

TEST_F(PreviewTest, SixteenLevelsPackTwoPixelsAByteHighNibbleFirst)
{
    const int greys[3] = {255, 0, 128};
    DibPtr frame = MakeFrame(3, 2, [&](int x, int) { return Bgr{greys[x], greys[x], greys[x]}; });
    DibPtr packed(MakeGreyDib(frame.get(), 16));
    ASSERT_TRUE(packed);
    EXPECT_EQ(DibBitCount(packed.get()), 4);
    EXPECT_EQ(DibColourEntries(packed.get()), 16);
    const RGBQUAD *table = (const RGBQUAD *)((const BYTE *)packed.get() + packed->biSize);
    EXPECT_EQ(table[1].rgbGreen, 17);
    EXPECT_EQ(table[15].rgbGreen, 255);
    for (int row = 0; row < 2; row++) {
        const BYTE *bits = FindDibBits(packed.get()) + row * DibRowBytes(3, 4);
        EXPECT_EQ(bits[0], 0xF0) << row;   // 255 / 16 = 15, then 0
        EXPECT_EQ(bits[1], 0x80) << row;   // 128 / 16 = 8, low nibble unused
    }
}

TEST_F(PreviewTest, GreyRefusesOtherFramesAndLevelCounts)
{
    DibPtr frame32 = MakeSolid(4, 4, {1, 2, 3}, 32);
    EXPECT_EQ(MakeGreyDib(frame32.get(), 256), nullptr);
    DibPtr frame = MakeSolid(4, 4, {1, 2, 3});
    EXPECT_EQ(MakeGreyDib(frame.get(), 1), nullptr);
    EXPECT_EQ(MakeGreyDib(frame.get(), 17), nullptr);
    EXPECT_EQ(MakeGreyDib(nullptr, 256), nullptr);
}

// A dark square on a light ground, for the line drawing.
DibPtr Square(int size, int from, int to, int inside, int outside)
{
    return MakeFrame(size, size, [=](int x, int y) {
        const int v = (x >= from && x < to && y >= from && y < to) ? inside : outside;
        return Bgr{v, v, v};
    });
}

TEST_F(PreviewTest, LineDrawingBlackensTheSquaresEdgesOnly)
{
    std::vector<int> shown;
    auto record = [](int tens, void *c) { static_cast<std::vector<int> *>(c)->push_back(tens); };
    DibPtr frame = Square(24, 8, 16, 0, 255);
    auto inside = [](int x, int y) { return x >= 8 && x < 16 && y >= 8 && y < 16; };
    DibPtr edges(MakeEdgeImage(frame.get(), 30, record, &shown));
    ASSERT_TRUE(edges);
    ASSERT_EQ(DibBitCount(edges.get()), 8);
    // One title per tenth, in order, the last at 100 %.
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++) {
            const int v = At8(edges.get(), x, y);
            ASSERT_TRUE(v == 0 || v == 255) << x << "," << y;
            const bool border = x < 2 || y < 2 || x > 21 || y > 21;
            // No grey step next to the pixel: no gradient, so white.
            bool flat = true;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++)
                    flat &= inside(x + dx, y + dy) == inside(x, y);
            if (border || flat) {
                ASSERT_EQ(v, 255) << x << "," << y;
            }
        }
    // Every row that crosses the square has black beside both its sides.
    for (int y = 9; y < 15; y++) {
        auto blackNear = [&](int x0) {
            for (int x = x0 - 1; x <= x0 + 1; x++)
                if (At8(edges.get(), x, y) == 0)
                    return true;
            return false;
        };
        EXPECT_TRUE(blackNear(8)) << y;
        EXPECT_TRUE(blackNear(15)) << y;
    }
}

TEST_F(PreviewTest, LineDrawingThresholdIsLimitedTo254)
{
    // A step of 100 grey levels has gradients of at most 100 x sqrt 2.
    DibPtr faint = Square(20, 6, 14, 100, 200);
    struct Case {
        int threshold;
        bool edges;
    } cases[] = {{50, true}, {150, false}, {100000, false}, {-5, true}};
    for (const Case &c : cases) {
        DibPtr out(MakeEdgeImage(faint.get(), c.threshold, nullptr, nullptr));
        ASSERT_TRUE(out);
        int black = 0;
        for (int y = 0; y < 20; y++)
            for (int x = 0; x < 20; x++)
                black += At8(out.get(), x, y) == 0;
        EXPECT_EQ(black > 0, c.edges) << c.threshold;
    }
    // A full-contrast step still passes the largest threshold.
    DibPtr strong = Square(20, 6, 14, 0, 255);
    DibPtr out(MakeEdgeImage(strong.get(), 100000, nullptr, nullptr));
    int black = 0;
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 20; x++)
            black += At8(out.get(), x, y) == 0;
    EXPECT_GT(black, 0);
    FreeEdgeTable();
}

TEST_F(PreviewTest, LineDrawingOfTinyFramesIsAllWhite)
{
    for (int side : {1, 3, 4}) {
        std::vector<int> shown;
        DibPtr frame = MakeFrame(side, side, [](int x, int y) { return Bgr{x * 90, y * 90, 0}; });
        DibPtr out(MakeEdgeImage(frame.get(), 10, [](int t, void *c) { static_cast<std::vector<int> *>(c)->push_back(t); },
                                 &shown));
        ASSERT_TRUE(out) << side;
        for (int y = 0; y < side; y++)
            for (int x = 0; x < side; x++)
                EXPECT_EQ(At8(out.get(), x, y), 255) << side;
        EXPECT_TRUE(shown.empty()) << side;
    }
}

// 10 x 8 image, every pixel its own value 1 + x + 10 row.
DibPtr Numbered() { return Grey8(10, 8, [](int x, int y) { return 1 + x + 10 * y; }); }

TEST_F(PreviewTest, ZoomShrinksAboutTheCentreLaterPixelsWinning)
{
    DibPtr in = Numbered();
    DibPtr out(ZoomPreviewImage(in.get(), 500));
    ASSERT_TRUE(out);
    // 5 x 4 picture at column 2, row 2: output (2 + i, 2 + j) holds source
    // (2i + 1, 2j + 1), the later of the two that land there.
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 10; x++) {
            const bool inside = x >= 2 && x < 7 && y >= 2 && y < 6;
            const int want = inside ? 1 + (2 * (x - 2) + 1) + 10 * (2 * (y - 2) + 1) : 0;
            ASSERT_EQ(At8(out.get(), x, y), want) << x << "," << y;
        }
}

TEST_F(PreviewTest, ZoomEnlargesFromTheMiddleLeavingTheLastRowAndColumn)
{
    DibPtr in = Numbered();
    DibPtr out(ZoomPreviewImage(in.get(), 2000));
    ASSERT_TRUE(out);
    // The middle 5 x 4 source pixels, each twice as large.
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 10; x++) {
            const int want = (x == 9 || y == 7) ? 0 : 1 + (2 + x / 2) + 10 * (2 + y / 2);
            ASSERT_EQ(At8(out.get(), x, y), want) << x << "," << y;
        }
}

TEST_F(PreviewTest, ZoomOfNothingKeepsOnePixel)
{
    DibPtr in = Numbered();
    for (int zoom : {0, -250, 1}) {
        DibPtr out(ZoomPreviewImage(in.get(), zoom));
        ASSERT_TRUE(out) << zoom;
        ASSERT_EQ(DibWidth(out.get()), 10);
        // The whole picture in the middle pixel: the last source pixel.
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 10; x++)
                ASSERT_EQ(At8(out.get(), x, y), (x == 4 && y == 3) ? 80 : 0) << zoom << " " << x << "," << y;
    }
    // An enlargement past the picture's size reads one pixel everywhere.
    DibPtr out(ZoomPreviewImage(in.get(), 1000000));
    ASSERT_TRUE(out);
    EXPECT_EQ(At8(out.get(), 0, 0), 1 + 4 + 30);
    EXPECT_EQ(At8(out.get(), 8, 6), 1 + 4 + 30);
    DibPtr frame = MakeSolid(4, 4, {1, 2, 3});
    EXPECT_EQ(ZoomPreviewImage(frame.get(), 500), nullptr);
}

// The same picture as the 8-bit preview and as a 24-bit frame whose three
// channels hold it, so that the core's warp and the preview's can be told
// apart only by their sampling.
struct Pair {
    DibPtr grey, frame;
};

Pair TexturePair(int w, int h)
{
    Pair p;
    p.grey = Grey8(w, h, Texture);
    p.frame = MakeFrame(w, h, [](int x, int y) { return Bgr{Texture(x, y), Texture(x, y), Texture(x, y)}; });
    return p;
}

TEST_F(PreviewTest, WarpsEqualTheCoresWarpOfTheSameValues)
{
    struct Case {
        const char *name;
        int rotation, v, h, other, shift, canvas, reverse, nearest;
    } cases[] = {
        {"none", 0, 0, 0, 0, 0, 0, 0, 0},
        {"rotation", 15, 0, 0, 0, 0, 0, 0, 0},
        {"rotation nearest", -375, 0, 0, 0, 0, 0, 0, 1},
        {"rotation, canvas unused", 20, 0, 0, 0, 0, 3, 0, 0},
        {"perspective V", 0, 120, 0, 0, 0, 0, 0, 0},
        {"perspective V rotation kind", 0, -90, 0, 0, 0, 0, 1, 0},
        {"perspective H shift canvas", 0, 0, -80, 0, 30, 2, 0, 0},
        {"perspective H rotation kind", 0, 0, 70, 0, -20, 2, 1, 1},
        {"other eye's H only", 0, 0, 0, 50, 0, 1, 0, 0},
        {"chain", 25, 60, 40, 0, 10, 0, 0, 0},
        {"chain rotation kind nearest", -40, 30, 0, -60, 0, 2, 1, 1},
        {"V then H", 0, 45, -30, 20, 0, 0, 0, 0},
    };
    for (int size = 0; size < 2; size++) {
        const int w = size ? 64 : 61, h = size ? 48 : 47;
        Pair p = TexturePair(w, h);
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " " << w << "x" << h);
            g_nCanvasHeight = c.canvas;
            g_bReversePerspective = c.reverse;
            g_bResample = c.nearest ? 0 : 1;
            g_nHalfFov = 272;
            MeshPtr id = IdentityMesh(w, h);
            MeshPtr mesh(BuildCorrectionMesh(id.get(), 0, c.rotation, c.v, c.h, c.other, 0, 0, c.shift));
            ASSERT_TRUE(mesh);
            DibPtr core(WarpDibByMesh(mesh.get(), p.frame.get()));
            const AdjustPreviewRequest request = CurrentAdjustPreviewRequest(c.nearest);
            DibPtr preview(WarpPreviewImage(p.grey.get(), c.rotation, c.v, c.h, c.other, c.shift, request));
            ASSERT_TRUE(core);
            ASSERT_TRUE(preview);
            ASSERT_EQ(DibWidth(preview.get()), DibWidth(core.get()));
            ASSERT_EQ(DibHeight(preview.get()), DibHeight(core.get()));
            int lit = 0;
            for (int y = 0; y < DibHeight(core.get()); y++)
                for (int x = 0; x < DibWidth(core.get()); x++) {
                    ASSERT_EQ(At8(preview.get(), x, y), PixelAt(core.get(), x, y).b) << x << "," << y;
                    lit += At8(preview.get(), x, y) != 0;
                }
            EXPECT_GT(lit, w * h / 2);
        }
    }
}

TEST_F(PreviewTest, WarpsTakeTheirSettingsFromTheRequestNotTheGlobals)
{
    Pair p = TexturePair(40, 30);
    AdjustPreviewRequest request = {0, 0, 2, 272};
    g_nCanvasHeight = 0;
    g_nHalfFov = 100;
    DibPtr out(WarpPreviewPerspectiveRotation(p.grey.get(), 50, 0, request));
    ASSERT_TRUE(out);
    EXPECT_EQ(DibHeight(out.get()), 36);
    request.reversePerspective = 1;
    DibPtr wide(WarpPreviewPerspectiveRotation(p.grey.get(), 50, 0, request));
    ASSERT_TRUE(wide);
    EXPECT_EQ(DibWidth(wide.get()), 48);
    EXPECT_EQ(DibHeight(wide.get()), 30);
    DibPtr frame = MakeSolid(4, 4, {1, 2, 3});
    EXPECT_EQ(WarpPreviewRotation(frame.get(), 10, request), nullptr);
    EXPECT_EQ(WarpPreviewImage(frame.get(), 10, 0, 0, 0, 0, request), nullptr);
}

TEST_F(PreviewTest, ComposeShowsEachViewAtTheOffsets)
{
    DibPtr left = Grey8(20, 16, [](int x, int y) { return x == 5 ? 240 : 3 * x + 7 * y; });
    DibPtr right = Grey8(20, 16, [](int x, int y) { return 200 - 5 * x - 2 * y; });
    struct Case {
        int view;
        Bgr (*want)(int l, int q);
    } cases[] = {
        {kPreviewAnaglyph, [](int l, int q) { return Bgr{q, q, l > 223 ? 255 : l + 32}; }},
        {3, [](int l, int q) { return Bgr{q, q, l > 223 ? 255 : l + 32}; }},
        {kPreviewLeftOnly, [](int l, int) { return Bgr{0, 0, l > 223 ? 255 : l + 32}; }},
        {kPreviewRightOnly, [](int, int q) { return Bgr{q, q, 32}; }},
    };
    struct Offset {
        int x, y;
        PreviewOrigins origins;
    } offsets[] = {{3, -2, {3, 0, 0, 2}}, {-4, 5, {0, 5, 4, 0}}, {0, 0, {0, 0, 0, 0}}, {100, -100, {10, 0, 0, 6}}};
    for (const Offset &o : offsets)
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << "view " << c.view << " offset " << o.x << "," << o.y);
            PreviewOrigins got = {-1, -1, -1, -1};
            DibPtr out(ComposeAdjustPreview(left.get(), right.get(), o.x, o.y, c.view, &got));
            ASSERT_TRUE(out);
            EXPECT_EQ(DibBitCount(out.get()), 24);
            EXPECT_EQ((std::vector<int>{got.sx, got.sy, got.cx, got.cy}),
                      (std::vector<int>{o.origins.sx, o.origins.sy, o.origins.cx, o.origins.cy}));
            const int ow = 20 - abs(o.origins.sx - o.origins.cx), oh = 16 - abs(o.origins.sy - o.origins.cy);
            ASSERT_EQ(DibWidth(out.get()), ow);
            ASSERT_EQ(DibHeight(out.get()), oh);
            for (int y = 0; y < oh; y++)
                for (int k = 0; k < ow; k++) {
                    const int l = At8(left.get(), got.sx + k, got.sy + y);
                    const int q = At8(right.get(), got.cx + k, got.cy + y);
                    ASSERT_EQ(PixelAt(out.get(), k, y), c.want(l, q)) << k << "," << y;
                }
        }
    DibPtr frame = MakeSolid(20, 16, {1, 2, 3});
    EXPECT_EQ(ComposeAdjustPreview(left.get(), frame.get(), 0, 0, 0, nullptr), nullptr);
}

// The white pixels of an 8-bit image as (column, memory row).
std::set<std::pair<int, int>> Lit(const PackedDib *d)
{
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < DibHeight(d); y++)
        for (int x = 0; x < DibWidth(d); x++)
            if (At8(d, x, y) == 255)
                s.insert({x, y});
    return s;
}

TEST_F(PreviewTest, LineDrawsBothPassesTwoPixelsWide)
{
    // 8 x 6; y from the top, row h - y - 2 in memory: (0, 0) is row 4.
    DibPtr img = Grey8(8, 6, [](int, int) { return 0; });
    ASSERT_EQ(DrawPreviewLine(img.get(), 0, 0, 3, 3), 1);
    const std::set<std::pair<int, int>> want = {{0, 4}, {0, 5}, {1, 3}, {1, 4}, {2, 2}, {2, 3},
                                                {3, 1}, {4, 1}, {3, 2}};
    EXPECT_EQ(Lit(img.get()), want);
}

TEST_F(PreviewTest, LineInTheLastColumnOrRowStaysInsideTheImage)
{
    // Width 8: rows are 8 bytes, so a write past the last column would land
    // on the next row's first pixel; past the last row, in the bytes after
    // the image.
    struct Case {
        int x0, y0, x1, y1;
        std::set<std::pair<int, int>> want;
    } cases[] = {
        {7, 0, 7, 3, {{7, 1}, {7, 2}, {7, 3}}},          // last column, downwards
        {7, 3, 7, 0, {{7, 1}, {7, 2}, {7, 3}}},          // ends exchanged
        {4, -1, 7, -1, {{4, 5}, {5, 5}, {6, 5}}},        // last row in memory
        {6, -1, 7, 2, {{6, 5}, {7, 2}, {7, 3}, {7, 4}}}, // both at once
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " - " << c.x1 << "," << c.y1);
        DibPtr img = Grey8(8, 6, [](int, int) { return 0; });
        BYTE *after = FindDibBits(img.get()) + 6 * DibRowBytes(8, 8);
        ASSERT_EQ(DrawPreviewLine(img.get(), c.x0, c.y0, c.x1, c.y1), 1);
        EXPECT_EQ(Lit(img.get()), c.want);
        for (int i = 0; i < 16; i++)
            ASSERT_EQ(after[i], 0) << i;
    }
}

TEST_F(PreviewTest, LineRefusesEndsOutsideTheImage)
{
    struct Case {
        int x0, y0, x1, y1;
    } cases[] = {
        {-1, 2, 3, 2}, {0, 2, 8, 2},   // columns
        {1, 5, 1, 2}, {1, 2, 1, -2},   // memory rows -1 and h
    };
    for (const Case &c : cases) {
        DibPtr img = Grey8(8, 6, [](int, int) { return 0; });
        EXPECT_EQ(DrawPreviewLine(img.get(), c.x0, c.y0, c.x1, c.y1), 0) << c.x0 << "," << c.y0;
        EXPECT_TRUE(Lit(img.get()).empty());
    }
    DibPtr frame = MakeSolid(8, 6, {0, 0, 0});
    EXPECT_EQ(DrawPreviewLine(frame.get(), 1, 1, 2, 2), 0);
}

TEST_F(PreviewTest, GridLinesEverySpacingFromTheMiddle)
{
    DibPtr img = Grey8(10, 9, [](int, int) { return 0; });
    DrawPreviewGrid(img.get(), 0);
    DrawPreviewGrid(img.get(), -3);
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 10; x++)
            ASSERT_EQ(At8(img.get(), x, y), 0);
    DrawPreviewGrid(img.get(), 4);
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 10; x++) {
            const bool on = x % 4 == 1 || y % 4 == 0;   // columns 1, 5, 9 and rows 0, 4, 8
            ASSERT_EQ(At8(img.get(), x, y), on ? 128 : 0) << x << "," << y;
        }
    DibPtr frame = MakeSolid(6, 6, {0, 0, 0});
    DrawPreviewGrid(frame.get(), 50);
    EXPECT_EQ(PixelAt(frame.get(), 3, 0), (Bgr{128, 128, 128}));
    EXPECT_EQ(PixelAt(frame.get(), 2, 2), (Bgr{0, 0, 0}));
}

struct Turn {
    int rotation, size;
};
const Turn kTurns[] = {{0, 0}, {15, 0}, {-300, 120}, {450, -200}, {900, 50}, {-17, -999}};

TEST_F(PreviewTest, PointsComeBackFromTheirTurn)
{
    for (const Turn &t : kTurns)
        for (double x : {0.0, 13.0, 31.5, 63.0})
            for (double y : {0.0, 7.25, 47.0}) {
                const PreviewPoint there = RotatePreviewPoint({x, y}, t.rotation, t.size, 64, 48);
                const PreviewPoint back = RotatePreviewPointBack(there, t.rotation, t.size, 64, 48);
                EXPECT_NEAR(back.x, x, 1e-9) << t.rotation << " " << t.size;
                EXPECT_NEAR(back.y, y, 1e-9) << t.rotation << " " << t.size;
            }
}

TEST_F(PreviewTest, PointsFollowThePictureThroughTheCoresMeshes)
{
    // A small white spot on black, aligned by the core as an eye is
    // (enlargement after the turn, shrink before it); the turned point
    // lands on the spot's weighted middle (bilinear: nearest sampling would
    // move it by up to half a pixel).
    g_bResample = 1;
    const int w = 81, h = 61;
    const int spots[][2] = {{30, 20}, {55, 18}, {28, 42}, {52, 40}};   // inside after every turn
    const Turn turns[] = {{150, 0}, {-300, 120}, {450, -200}, {-75, 60}};
    for (const Turn &t : turns)
        for (const auto &s : spots) {
            SCOPED_TRACE(testing::Message() << t.rotation << " " << t.size << " spot " << s[0] << "," << s[1]);
            // Spot given top-down; the frame's rows are bottom-up.
            DibPtr frame = MakeFrame(w, h, [&](int x, int row) {
                const int y = h - 1 - row;
                const int v = (abs(x - s[0]) <= 1 && abs(y - s[1]) <= 1) ? 255 : 0;
                return Bgr{v, v, v};
            });
            MeshPtr id = IdentityMesh(w, h);
            MeshPtr mesh;
            if (t.size > 0) {
                MeshPtr turned(BuildCorrectionMesh(id.get(), 0, t.rotation, 0, 0, 0, 0, 0, 0));
                mesh.reset(BuildScaleMesh(turned.get(), t.size));
            } else {
                MeshPtr scaled(BuildScaleMesh(id.get(), t.size));
                mesh.reset(BuildCorrectionMesh(scaled.get(), 0, t.rotation, 0, 0, 0, w, h, 0));
            }
            DibPtr out(WarpDibByMesh(mesh.get(), frame.get()));
            double sx = 0, sy = 0, n = 0;
            for (int row = 0; row < h; row++)
                for (int x = 0; x < w; x++) {
                    const int v = PixelAt(out.get(), x, row).b;
                    sx += v * x;
                    sy += v * (h - 1 - row);
                    n += v;
                }
            ASSERT_GT(n, 0);
            const PreviewPoint p = RotatePreviewPoint({(double)s[0], (double)s[1]}, t.rotation, t.size, w, h);
            EXPECT_NEAR(p.x, sx / n, 0.25);
            EXPECT_NEAR(p.y, sy / n, 0.25);
        }
}

} // namespace
