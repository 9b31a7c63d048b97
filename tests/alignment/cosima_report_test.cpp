// The report of "cosima.exe" as the program reads it, the values made from
// it, the report's copy name and the TGA images handed to the program.
#include "alignment/cosima_report.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

// The text as a file read from its start.
FILE *TextFile(const std::string &text)
{
    FILE *f = tmpfile();
    if (f) {
        fwrite(text.data(), 1, text.size(), f);
        rewind(f);
    }
    return f;
}

TEST(CosimaNumber, HundredthsOfTheNumberAfterTheFirstEquals)
{
    const struct {
        const char *line;
        int want;
    } cases[] = {
        {"Mean error of height = 1.5", 150},
        {"Mean error of size = -0.25", -25},
        {"Mean error of rotation = 3", 300},
        {"Near point deviation =  2.75 px", 275},
        {"Near point deviation=7\n", 700},
        {"x = +4.1", 410},
        {"x = 12.", 1200},
        {"x = .5", 50},
        {"x = -.05", -5},
        {"x = 1.239", 123},   // decimals past the second do not count
        {"x = -1.239", -123},
        {"x = 0.07\r\n", 7},
        {"a = 1 = 2", 100},   // the first '=' counts
        {"Mean error of height 2.75", 0},  // no '='
        {"x = px 3", 0},
        {"x =", 0},
        {"x = 99999999999999999999999", 100000000},
        {"x = -99999999999999999999999.99", -100000000},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.want, ParseCosimaNumber(c.line)) << c.line;
}

TEST(CosimaNumber, DivRoundTakesHalvesAwayFromZero)
{
    const struct {
        int v, by10, by100;
    } cases[] = {
        {0, 0, 0},         {4, 0, 0},          {5, 1, 0},      {14, 1, 0},         {15, 2, 0},
        {-4, 0, 0},        {-5, -1, 0},        {-15, -2, 0},   {49, 5, 0},         {50, 5, 1},
        {-50, -5, -1},     {-149, -15, -1},    {-150, -15, -2}, {150, 15, 2},
        {INT_MAX, 214748365, 21474836},        {INT_MIN, -214748365, -21474836},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.by10, DivRound10(c.v)) << c.v;
        EXPECT_EQ(c.by100, DivRound100(c.v)) << c.v;
    }
}

const char kFullReport[] =
    "cosima report\n"
    "Matched points = 240\n"
    "Mean error of height = -6.25 px\n"
    "Mean error of size = 2.5 %\n"
    "\n"
    "Mean error of rotation = 1.50 deg\n"
    "Mean error of vergence = 0.35\n"
    "Far point deviation = 3.00 px\n"
    "Near point deviation = 12.50 px\n"
    "Near point deviation = 3 px\n"
    "End\n";

TEST(CosimaReport, SixLabelledLinesInTheirOrder)
{
    const std::string line511 = "Mean error of vergence" + std::string(511 - 22 - 6, ' ') + "= 4.50";
    ASSERT_EQ(511u, line511.size());
    const std::string longTail = "Mean error of vergence" + std::string(520, ' ') + "= 4.5\n";
    const struct {
        const char *name;
        std::string text;
        bool complete;
        std::vector<int> want;
    } cases[] = {
        {"full", kFullReport, true, {-625, 250, 150, 35, 1250, 300}},
        {"no line end at the end", "Mean error of height = 1\nMean error of size = 2\nMean error of rotation = 3\n"
                                   "Mean error of vergence = 4\nNear point deviation = 5\nNear point deviation = 6",
         true, {100, 200, 300, 400, 500, 600}},
        {"label compared over its length", "Mean error of heights = 1\nMean error of size = 2\nMean error of "
                                           "rotation = 3\nMean error of vergence = 4\nNear point deviation = 5\n"
                                           "Near point deviation = 6\n",
         true, {100, 200, 300, 400, 500, 600}},
        {"cut short after three", "Mean error of height = 1\nMean error of size = 2\nMean error of rotation = 3\n",
         false, {100, 200, 300, 0, 0, 0}},
        {"one near point only", "Mean error of height = 1\nMean error of size = 2\nMean error of rotation = 3\n"
                                "Mean error of vergence = 4\nNear point deviation = 5\n",
         false, {100, 200, 300, 400, 500, 0}},
        {"label before its turn", "Mean error of size = 2\nMean error of height = 1\nMean error of rotation = 3\n"
                                  "Mean error of vergence = 4\nNear point deviation = 5\nNear point deviation = 6\n",
         false, {100, 0, 0, 0, 0, 0}},
        {"indented label", " Mean error of height = 1\n", false, {0, 0, 0, 0, 0, 0}},
        {"empty", "", false, {0, 0, 0, 0, 0, 0}},
        {"511-character line", "Mean error of height = 1\nMean error of size = 2\nMean error of rotation = 3\n" +
                                   line511 + "\nNear point deviation = 5\nNear point deviation = 6\n",
         true, {100, 200, 300, 450, 500, 600}},
        // The number lies beyond the 511 characters; the rest of the line
        // is no line of its own.
        {"longer line", "Mean error of height = 1\nMean error of size = 2\nMean error of rotation = 3\n" + longTail +
                            "Near point deviation = 5\nNear point deviation = 6\n",
         true, {100, 200, 300, 0, 500, 600}},
        {"label hidden in a long line", "Mean error of height = 1\n" + std::string(511, 'x') +
                                            "Mean error of size = 2\n",
         false, {100, 0, 0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FILE *f = TextFile(c.text);
        ASSERT_NE(nullptr, f);
        int values[kCosimaValueCount];
        for (int &v : values)
            v = 77;
        EXPECT_EQ(c.complete, ReadCosimaReport(f, values));
        fclose(f);
        EXPECT_EQ(c.want, std::vector<int>(values, values + kCosimaValueCount));
    }
}

TEST(CosimaReport, StoringFormula)
{
    const struct {
        int values[kCosimaValueCount];  // height, size, rotation, vergence, near 1, near 2
        int rotationL, rotationR, size1000L, size1000R, shiftX, shiftY, perspectiveVL, perspectiveVR;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 0},
        {{-625, 250, 150, 35, 1250, 300}, -7, 8, 12, -13, 10, -6, 4, -4},
        {{650, -250, -150, -35, 300, 1250}, 7, -8, -12, 13, -10, 7, -4, 4},
        {{-650, 204, 96, 4, -49, 0}, -5, 5, 10, -10, 0, -7, 0, 0},
        {{149, 5, -5, 5, 0, 150}, 0, -1, 0, -1, -2, 1, 1, -1},
        {{INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MIN}, -107374182, 107374183, 107374182, -107374183,
         42949673, 21474836, 214748365, -214748365},
    };
    for (const auto &c : cases) {
        const CosimaAlignment a = CosimaAlignmentFromReport(c.values);
        SCOPED_TRACE(testing::Message() << c.values[0] << " " << c.values[1] << " " << c.values[2]);
        EXPECT_EQ(c.rotationL, a.rotationL);
        EXPECT_EQ(c.rotationR, a.rotationR);
        EXPECT_EQ(c.size1000L, a.size1000L);
        EXPECT_EQ(c.size1000R, a.size1000R);
        EXPECT_EQ(c.shiftX, a.shiftX);
        EXPECT_EQ(c.shiftY, a.shiftY);
        EXPECT_EQ(c.perspectiveVL, a.perspectiveVL);
        EXPECT_EQ(c.perspectiveVR, a.perspectiveVR);
        EXPECT_EQ(272, a.halfFov);
    }
}

TEST(CosimaReport, CopyBesideTheMovie)
{
    const struct {
        const char *movie, *want;
    } cases[] = {
        {"C:\\movies\\clip.avi", "C:\\movies\\clip.adj"},
        {"C:\\movies\\take.2.mpg", "C:\\movies\\take.2.adj"},
        {"C:\\movies.old\\clip", "C:\\movies.old\\clip.adj"},
        {"C:\\\x95\x5C\\\x95\x5C.avi", "C:\\\x95\x5C\\\x95\x5C.adj"},  // a kanji whose second byte is '\'
    };
    for (const auto &c : cases) {
        char out[260] = "";
        ASSERT_TRUE(CosimaReportCopyPath(out, sizeof out, c.movie)) << c.movie;
        EXPECT_STREQ(c.want, out);
    }
    char small[16];
    EXPECT_FALSE(CosimaReportCopyPath(small, sizeof small, "C:\\movies\\x.avi"));
    EXPECT_TRUE(CosimaReportCopyPath(small, sizeof small, "C:\\m\\c.avi"));
    EXPECT_STREQ("C:\\m\\c.adj", small);
}

TEST(CosimaTga, HeaderAndUnpaddedRowsInTheFramesOrder)
{
    for (int width : {1, 3, 4, 5, 300}) {
        SCOPED_TRACE(width);
        const int height = 3;
        PackedDib *dib = CreateDib(width, height, 24, 1);
        ASSERT_NE(nullptr, dib);
        std::vector<unsigned char> want(18, 0);
        want[2] = 2;
        want[12] = width & 0xFF;
        want[13] = width >> 8;
        want[14] = height;
        want[16] = 24;
        for (int k = 0; k < height; k++)
            for (int i = 0; i < width * 3; i++) {
                DibRow(dib, k)[i] = (unsigned char)(k * 50 + i);
                want.push_back((unsigned char)(k * 50 + i));
            }
        FILE *f = tmpfile();
        ASSERT_NE(nullptr, f);
        EXPECT_TRUE(WriteTgaImage(f, dib));
        std::vector<unsigned char> got(want.size() + 8);
        rewind(f);
        got.resize(fread(got.data(), 1, got.size(), f));
        fclose(f);
        EXPECT_EQ(want, got);
        FreeDib(dib);
    }
    PackedDib *grey = CreateDib(4, 4, 8, 1);
    FILE *f = tmpfile();
    ASSERT_NE(nullptr, f);
    EXPECT_FALSE(WriteTgaImage(f, grey));
    EXPECT_FALSE(WriteTgaImage(f, nullptr));
    fclose(f);
    FreeDib(grey);
}

} // namespace
