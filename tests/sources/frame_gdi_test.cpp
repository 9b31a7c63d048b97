// The frame conversions that go through GDI, and the spin-control helper.
#include "shared/dialog_helpers.h"
#include "shared/dib_gdi.h"

#include "../test_frames.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

// An 8-bit frame whose palette entry i is (i, 255 - i, i / 2) and whose
// pixel (x, row) is entry (x * 16 + row) & 255.
DibPtr Paletted(int w, int h)
{
    DibPtr d(CreateDib(w, h, 8, 1));
    RGBQUAD *table = (RGBQUAD *)((BYTE *)d.get() + d->biSize);
    for (int i = 0; i < 256; i++)
        table[i] = RGBQUAD{(BYTE)i, (BYTE)(255 - i), (BYTE)(i / 2), 0};
    for (int row = 0; row < h; row++)
        for (int x = 0; x < w; x++)
            DibRow8(d.get(), row)[x] = (BYTE)((x * 16 + row) & 255);
    return d;
}

}  // namespace

using FrameGdiTest = testing::Test;

TEST_F(FrameGdiTest, PalettedAndSixteenBitFramesBecome24Bit)
{
    DibPtr src = Paletted(9, 5);
    DibPtr out(CreateDib(9, 5, 24, 1));
    ASSERT_TRUE(ConvertFrameTo24(out.get(), src.get()));
    for (int row = 0; row < 5; row++)
        for (int x = 0; x < 9; x++) {
            int i = (x * 16 + row) & 255;
            EXPECT_EQ(PixelAt(out.get(), x, row), (Bgr{i, 255 - i, i / 2}));
        }

    // 16 bits, 5-5-5: each channel widened to 8 bits.
    DibPtr s16(CreateDib(4, 2, 24, 1));
    s16->biBitCount = 16;
    s16->biSizeImage = 8 * 2;
    WORD *px = (WORD *)FindDibBits(s16.get());
    px[0] = (WORD)(31 << 10);  // red
    px[1] = (WORD)(31 << 5);   // green
    px[2] = 31;                // blue
    px[3] = 0x7FFF;            // white
    ASSERT_TRUE(ConvertFrameTo24(out.get(), s16.get()));
    EXPECT_EQ(DibWidth(out.get()), 4);
    EXPECT_EQ(DibHeight(out.get()), 2);
    EXPECT_EQ(PixelAt(out.get(), 0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(out.get(), 1, 0), (Bgr{0, 255, 0}));
    EXPECT_EQ(PixelAt(out.get(), 2, 0), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelAt(out.get(), 3, 0), (Bgr{255, 255, 255}));

    // A source larger than the target leaves it alone.
    DibPtr big = Paletted(20, 20);
    EXPECT_FALSE(ConvertFrameTo24(out.get(), big.get()));
    EXPECT_FALSE(ConvertFrameTo24(nullptr, big.get()));
}

TEST_F(FrameGdiTest, StretchesAndTheSaveResize)
{
    DibPtr src = MakeFrame(4, 2, [](int x, int row) { return Bgr{x * 50, row * 100, 9}; });
    int margins[4] = {0, 0, 0, 0};
    DibPtr twice(StretchDibToNew24Region(nullptr, src.get(), 8, 4, margins, nullptr, 1));
    ASSERT_TRUE(twice);
    for (int row = 0; row < 4; row++)
        for (int x = 0; x < 8; x++)
            EXPECT_EQ(PixelAt(twice.get(), x, row), PixelAt(src.get(), x / 2, row / 2));
    DibPtr whole(StretchDibToNew24(nullptr, src.get(), 4, 2, 0, 0, 0, 0, 0));
    EXPECT_EQ(PixelAt(whole.get(), 3, 1), PixelAt(src.get(), 3, 1));

    // The save resize at the region's own size keeps every pixel; a right
    // image cut 1 column from the left.
    int cut[4] = {1, 0, 0, 0};
    DibPtr same(ResizeFrameForSave(nullptr, src.get(), 0, 0, cut, nullptr, 1));
    ASSERT_TRUE(same);
    EXPECT_EQ(DibWidth(same.get()), 3);
    EXPECT_EQ(PixelAt(same.get(), 0, 1), PixelAt(src.get(), 1, 1));
    // Frames of other bit counts go through GDI's halftone stretch.
    DibPtr pal = Paletted(16, 8);
    DibPtr half(ResizeFrameForSave(nullptr, pal.get(), 8, 4, margins, nullptr, 0));
    ASSERT_TRUE(half);
    EXPECT_EQ(DibBitCount(half.get()), 24);
    EXPECT_EQ(DibWidth(half.get()), 8);
}

TEST_F(FrameGdiTest, CentredOnABlackCanvas)
{
    DibPtr src = MakeSolid(640, 480, {10, 200, 30});
    DibPtr out(CentreDibOnCanvas(nullptr, src.release(), 720, 480));
    ASSERT_TRUE(out);
    for (int row : {0, 240, 479}) {
        EXPECT_EQ(PixelAt(out.get(), 39, row), (Bgr{0, 0, 0}));
        EXPECT_EQ(PixelAt(out.get(), 40, row), (Bgr{10, 200, 30}));
        EXPECT_EQ(PixelAt(out.get(), 679, row), (Bgr{10, 200, 30}));
        EXPECT_EQ(PixelAt(out.get(), 680, row), (Bgr{0, 0, 0}));
    }
}

TEST(DialogHelpers, SpinControlIsBoundToItsEdit)
{
    InitCommonControls();
    HWND parent = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 60, 20, parent, (HMENU)1234, nullptr, nullptr);
    ASSERT_TRUE(parent && edit);
    HWND spin = CreateSpinControl(parent, 1234, 30, 1, 7);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(GetDlgCtrlID(spin), 1500);
    EXPECT_EQ((HWND)SendMessageA(spin, UDM_GETBUDDY, 0, 0), edit);
    LRESULT range = SendMessageA(spin, UDM_GETRANGE, 0, 0);  // maximum low, minimum high
    EXPECT_EQ(LOWORD(range), 30);
    EXPECT_EQ(HIWORD(range), 1);
    char text[16];
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "7");
    DestroyWindow(parent);
}
