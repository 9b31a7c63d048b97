#include "shell/open_names.h"

#include <gtest/gtest.h>

namespace {

TEST(OpenNames, Partner)
{
    static const struct {
        const char *path;
        int result;
        const char *partner;
    } cases[] = {
        {"C:\\m\\scene_L.avi", 1, "C:\\m\\scene_R.avi"},
        {"C:\\m\\scene_R.avi", 1, "C:\\m\\scene_L.avi"},
        {"C:\\m\\take_l.avi", 1, "C:\\m\\take_r.avi"},
        {"C:\\m\\take_r.mpg", 1, "C:\\m\\take_l.mpg"},
        {"C:\\m\\a.L.avi", 1, "C:\\m\\a.R.avi"},
        {"C:\\m\\scene.avi", 0, "C:\\m\\scene.avi"},
        {"C:\\m\\sceneL", 0, "C:\\m\\sceneL"},      // no dot
        {"C:\\m\\sceneL.", 0, "C:\\m\\sceneL."},    // dot last
        {".L", 0, ".L"},                            // dot first
        // 0x83 0x4C is one double-byte character whose second byte is 'L':
        // not a letter of its own.
        {"C:\\m\\\x83\x4C.avi", 0, "C:\\m\\\x83\x4C.avi"},
        // A second byte that is '.' does not count as the extension's dot.
        {"C:\\m\\R\x83.", 0, "C:\\m\\R\x83."},
        // Half-width katakana (0xB1) is a single byte; the R after it counts.
        {"C:\\m\\\xB1R.avi", 1, "C:\\m\\\xB1L.avi"},
    };
    for (const auto &c : cases) {
        char out[512];
        EXPECT_EQ(MakePartnerFileName(c.path, out, sizeof out), c.result) << c.path;
        EXPECT_STREQ(out, c.partner) << c.path;
    }
}

TEST(OpenNames, TwoSelectedNames)
{
    char left[260] = "keep", right[260] = "keep";
    // The name listed second is the left movie.
    EXPECT_TRUE(SplitTwoSelectedNames("C:\\f\\\"a.avi\" \"b.avi\"", left, right, sizeof left));
    EXPECT_STREQ(left, "C:\\f\\b.avi");
    EXPECT_STREQ(right, "C:\\f\\a.avi");
    strcpy(left, "keep");
    EXPECT_FALSE(SplitTwoSelectedNames("C:\\f\\a.avi", left, right, sizeof left));
    EXPECT_FALSE(SplitTwoSelectedNames("C:\\f\\\"a.avi\" \"b", left, right, sizeof left));
    EXPECT_STREQ(left, "keep");
    // Three names: the first two are taken.
    EXPECT_TRUE(SplitTwoSelectedNames("D:\\\"x.avi\" \"y.avi\" \"z.avi\"", left, right, sizeof left));
    EXPECT_STREQ(left, "D:\\y.avi");
    EXPECT_STREQ(right, "D:\\x.avi");
    // Names that would not fit are refused.
    char small[8];
    EXPECT_FALSE(SplitTwoSelectedNames("C:\\f\\\"aaaa.avi\" \"b.avi\"", small, small, sizeof small));
}

TEST(OpenNames, MpegTest)
{
    EXPECT_TRUE(IsMpegName("a.mpg"));
    EXPECT_TRUE(IsMpegName("a.MPEG"));
    EXPECT_TRUE(IsMpegName("a.Mpg"));
    EXPECT_FALSE(IsMpegName("a.avi"));
    EXPECT_FALSE(IsMpegName("a.m2v"));
    EXPECT_FALSE(IsMpegName("pg"));
}

TEST(OpenNames, ClipboardName)
{
    char out[300];
    MakeClipboardName("left.avi", 125, out, sizeof out);
    EXPECT_STREQ(out, "left_125.jpg");
    MakeClipboardName("a.b.avi", 0, out, sizeof out);
    EXPECT_STREQ(out, "a.b_0.jpg");
    MakeClipboardName("noext", 7, out, sizeof out);
    EXPECT_STREQ(out, "noext_7.jpg");
    // A '.' as the second byte of a double-byte character is no extension.
    MakeClipboardName("\x83\x2E" "x", 1, out, sizeof out);
    EXPECT_STREQ(out, "\x83\x2E" "x_1.jpg");
}

}  // namespace
