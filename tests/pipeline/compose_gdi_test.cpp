#include "pipeline/compose_gdi.h"

#include "shared/dib_gdi.h"
#include "shared/message_box.h"
#include "tests/pipeline/kernel_settings.h"
#include "tests/test_frames.h"
#include "tests/support/message_boxes.h"

#include <gtest/gtest.h>

class GdiComposeTest : public KernelTest {
protected:
    DibPtr left = MakeFrame(64, 32, [](int x, int y) { return PositionPixel(x, y, 1); });
    DibPtr right = MakeFrame(64, 32, [](int x, int y) { return PositionPixel(x, y, 2); });
};

TEST_F(GdiComposeTest, SideBySideOneToOne)
{
    int m[4];
    ShiftToCropMargins(m, 64, 32, 4, 0, 0);  // 60 x 32 region, right image from column 4
    DibPtr out(CreateDib(120, 32, 24, 1));
    ASSERT_EQ(ComposeSideBySide(cs, nullptr, out.get(), left.get(), right.get(), m[0], m[1], m[2], m[3], 60, 32, 0),
              out.get());
    EXPECT_EQ(PixelAt(out.get(), 0, 0), PositionPixel(0, 0, 1));
    EXPECT_EQ(PixelAt(out.get(), 59, 31), PositionPixel(59, 31, 1));
    EXPECT_EQ(PixelAt(out.get(), 60, 0), PositionPixel(4, 0, 2));
    EXPECT_EQ(PixelAt(out.get(), 119, 31), PositionPixel(63, 31, 2));
}

// A stretched picture samples its source; which of two neighbours a
// reduction picks is the driver's choice, so positions are checked to one
// pixel and the eye exactly.
static void ExpectNear(Bgr got, int x, int row, int eye)
{
    EXPECT_EQ(got.r, eye);
    EXPECT_NEAR(got.b, x, 1);
    EXPECT_NEAR(got.g, row, 1);
}

TEST_F(GdiComposeTest, SideBySideScaledAndMirrored)
{
    DibPtr out(CreateDib(64, 16, 24, 1));
    ASSERT_EQ(ComposeSideBySide(cs, nullptr, out.get(), left.get(), right.get(), 0, 0, 0, 0, 32, 16, 1), out.get());
    ExpectNear(PixelAt(out.get(), 5, 3), 10, 6, 1);  // half size
    ExpectNear(PixelAt(out.get(), 37, 3), 10, 6, 2);

    cs.mirror = 1;  // the right eye
    ComposeSideBySide(cs, nullptr, out.get(), left.get(), right.get(), 0, 0, 0, 0, 32, 16, 1);
    ExpectNear(PixelAt(out.get(), 5, 3), 10, 6, 1);
    ExpectNear(PixelAt(out.get(), 63, 3), 0, 6, 2);
    ExpectNear(PixelAt(out.get(), 32, 3), 62, 6, 2);
    cs.mirror = 3;  // both
    ComposeSideBySide(cs, nullptr, out.get(), left.get(), right.get(), 0, 0, 0, 0, 32, 16, 1);
    ExpectNear(PixelAt(out.get(), 31, 3), 0, 6, 1);
    ExpectNear(PixelAt(out.get(), 0, 3), 62, 6, 1);
    ExpectNear(PixelAt(out.get(), 32, 3), 62, 6, 2);

    // Mirrored 1:1: every column lands exactly.
    cs.mirror = 2;
    DibPtr full(CreateDib(128, 32, 24, 1));
    ComposeSideBySide(cs, nullptr, full.get(), left.get(), right.get(), 0, 0, 0, 0, 64, 32, 0);
    EXPECT_EQ(PixelAt(full.get(), 0, 5), PositionPixel(63, 5, 1));
    EXPECT_EQ(PixelAt(full.get(), 63, 5), PositionPixel(0, 5, 1));
    EXPECT_EQ(PixelAt(full.get(), 64, 5), PositionPixel(0, 5, 2));
}

TEST_F(GdiComposeTest, OverUnderPutsTheLeftEyeOnTop)
{
    DibPtr out(CreateDib(64, 64, 24, 1));
    ASSERT_EQ(ComposeOverUnder(cs, nullptr, out.get(), left.get(), right.get(), 0, 0, 0, 0, 64, 32, 0), out.get());
    // Rows are bottom-up: the bottom half in memory is the lower (right) picture.
    EXPECT_EQ(PixelAt(out.get(), 7, 0), PositionPixel(7, 0, 2));
    EXPECT_EQ(PixelAt(out.get(), 7, 31), PositionPixel(7, 31, 2));
    EXPECT_EQ(PixelAt(out.get(), 7, 32), PositionPixel(7, 0, 1));
    EXPECT_EQ(PixelAt(out.get(), 7, 63), PositionPixel(7, 31, 1));
    cs.mirror = 3;  // over/under never mirrors
    ComposeOverUnder(cs, nullptr, out.get(), left.get(), right.get(), 0, 0, 0, 0, 64, 32, 0);
    EXPECT_EQ(PixelAt(out.get(), 7, 32), PositionPixel(7, 0, 1));
}

TEST_F(GdiComposeTest, AppliedTrimmingChoosesTheSourceRectangles)
{
    cs.trimmed = true;
    cs.trim = {8, 4, 40, 20};  // 32 x 16, leaving 12 rows above
    DibPtr out(CreateDib(64, 16, 24, 1));
    ASSERT_EQ(ComposeSideBySide(cs, nullptr, out.get(), left.get(), right.get(), 0, 0, 0, 0, 32, 16, 0), out.get());
    EXPECT_EQ(PixelAt(out.get(), 0, 0), PositionPixel(8, 12, 1));
    EXPECT_EQ(PixelAt(out.get(), 32, 15), PositionPixel(8, 27, 2));
}

// The 1:1 drawing of plain frames is a copy of rows; it must give what
// GDI's drawing gives (here a stretch to the same size, which copies):
// offsets, trimming, 32-bit frames and rows with padding.
TEST_F(GdiComposeTest, OneToOneCopyEqualsTheGdiDrawing)
{
    DibPtr l32 = MakeFrame(63, 30, [](int x, int y) { return PositionPixel(x, y, 3); }, 32);
    DibPtr r24 = MakeFrame(63, 30, [](int x, int y) { return PositionPixel(x * 3, y, 4); });
    struct Case {
        int shiftX, shiftY;
        bool trimmed, stacked;
    } cases[] = {{0, 0, false, false}, {5, -3, false, false}, {-6, 2, false, true}, {0, 0, true, false},
                 {3, 1, true, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.shiftX << "," << c.shiftY << (c.trimmed ? " trimmed" : "")
                                        << (c.stacked ? " stacked" : ""));
        cs.trimmed = c.trimmed;
        cs.trim = {3, 5, 33, 22};
        int m[4];
        ShiftToCropMargins(m, 63, 30, c.shiftX, c.shiftY, 0);
        int w = c.trimmed ? 30 : 63 - m[0] - m[2], h = c.trimmed ? 17 : 30 - m[1] - m[3];
        int ow = c.stacked ? w : 2 * w, oh = c.stacked ? 2 * h : h;
        DibPtr copied(CreateDib(ow, oh, 24, 1)), drawn(CreateDib(ow, oh, 24, 1));
        auto compose = c.stacked ? ComposeOverUnder : ComposeSideBySide;
        ASSERT_TRUE(compose(cs, nullptr, copied.get(), l32.get(), r24.get(), m[0], m[1], m[2], m[3], w, h, 0));
        ASSERT_TRUE(compose(cs, nullptr, drawn.get(), l32.get(), r24.get(), m[0], m[1], m[2], m[3], w, h, 1));
        EXPECT_EQ(memcmp(FindDibBits(copied.get()), FindDibBits(drawn.get()), copied->biSizeImage), 0);
    }
}

TEST_F(GdiComposeTest, UnusableOutputIsReported)
{
    // A header GDI cannot make a section of (zero planes) is refused with
    // a message and no picture.
    DibPtr out(CreateDib(64, 16, 24, 1));
    out->biPlanes = 0;
    out->biBitCount = 0;
    {
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(ComposeSideBySide(cs, nullptr, out.get(), left.get(), right.get(), 0, 0, 0, 0, 32, 16, 0), nullptr);
        EXPECT_EQ(boxes.shown.size(), 1u);
    }
    EXPECT_EQ(ComposeOverUnder(cs, nullptr, nullptr, left.get(), right.get(), 0, 0, 0, 0, 32, 16, 0), nullptr);
}

TEST(DibPalette, OnlyForPalettedFrames)
{
    DibPtr eight(CreateDib(4, 4, 8, 1));
    RGBQUAD *table = (RGBQUAD *)((BYTE *)eight.get() + 40);
    table[3] = {10, 20, 30, 0};
    HPALETTE pal = CreateDibPalette(nullptr, eight.get(), 0);
    ASSERT_NE(pal, nullptr);
    PALETTEENTRY e[256];
    EXPECT_EQ(GetPaletteEntries(pal, 0, 256, e), 256u);
    EXPECT_EQ(e[3].peRed, 30);
    EXPECT_EQ(e[3].peBlue, 10);
    DeleteObject(pal);
    // A 24-bit frame has no table after its header: nothing is read there.
    DibPtr deep(CreateDib(4, 4, 24, 1));
    EXPECT_EQ(CreateDibPalette(nullptr, deep.get(), 0), nullptr);
}
