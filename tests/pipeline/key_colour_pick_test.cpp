#include "pipeline/key_colour_pick.h"

#include "tests/test_frames.h"

#include <gtest/gtest.h>

TEST(KeyColourPick, ClickMapsThroughToolbarFrameWidthAndScale)
{
    // A 640 x 480 left frame, frame width 4 in the modes that draw it.
    const struct {
        int x, y, mode, scale;
        bool inside;
        int column, row;
    } cases[] = {
        {104, 134, 0, 200, true, 200, 480 - 201},  // 100 x 100 in the picture at 200 %
        {104, 134, 5, 200, true, 200, 480 - 201},
        {104, 134, 2, 200, true, 208, 480 - 209},  // no frame in the anaglyph view
        {4, 34, 0, 100, true, 0, 479},             // the top left pixel
        {3, 40, 0, 100, false, 0, 0},              // left of the picture
        {10, 33, 0, 100, false, 0, 0},             // above it
        {643, 34, 0, 100, true, 639, 479},         // the last column
        {644, 34, 0, 100, false, 0, 0},            // one beyond it
        {4, 513, 0, 100, true, 0, 0},              // the bottom row
        {4, 514, 0, 100, false, 0, 0},             // below it
        {4, 274, 0, 50, true, 0, 359},             // reduced to half: scale 50
    };
    for (const auto &c : cases) {
        int column = -1, row = -1;
        bool inside = KeyPickPixel(c.x, c.y, c.mode, 4, c.scale, 640, 480, &column, &row);
        EXPECT_EQ(inside, c.inside) << c.x << "," << c.y << " mode " << c.mode;
        if (inside && c.inside) {
            EXPECT_EQ(column, c.column) << c.x << "," << c.y;
            EXPECT_EQ(row, c.row) << c.x << "," << c.y;
        }
    }
}

TEST(KeyColourPick, ReadsTheColourOfDeepFramesOnly)
{
    for (int bits : {24, 32}) {
        DibPtr f = MakeFrame(5, 4, [](int x, int row) { return Bgr{x, row, 200}; }, bits);
        COLORREF c = 0;
        ASSERT_TRUE(KeyPickColour(f.get(), 3, 2, &c)) << bits;
        EXPECT_EQ(c, RGB(200, 2, 3)) << bits;
        EXPECT_FALSE(KeyPickColour(f.get(), 5, 0, &c));
        EXPECT_FALSE(KeyPickColour(f.get(), 0, 4, &c));
        EXPECT_FALSE(KeyPickColour(f.get(), -1, 0, &c));
    }
    DibPtr grey(CreateDib(5, 4, 8, 1));
    COLORREF c = 7;
    EXPECT_FALSE(KeyPickColour(grey.get(), 1, 1, &c));
    EXPECT_FALSE(KeyPickColour(nullptr, 1, 1, &c));
    EXPECT_EQ(c, 7u);
}
