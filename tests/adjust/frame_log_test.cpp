#include "alignment/frame_log.h"

#include "alignment/frame_adjustment.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

int *const kValues[kLogValues] = {&g_nShiftX,       &g_nShiftY,       &g_nRotationL,    &g_nRotationR,
                                  &g_nSize1000L,    &g_nSize1000R,    &g_nPerspectiveVL, &g_nPerspectiveVR,
                                  &g_nPerspectiveHL, &g_nPerspectiveHR};

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::string t = s.str();
    // The log is a text file: CR LF on Windows.
    std::string out;
    for (char c : t)
        if (c != '\r')
            out += c;
    return out;
}

std::vector<std::vector<int>> DataLines(const std::string &path)
{
    std::vector<std::vector<int>> rows;
    std::istringstream in(ReadText(path));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '-')
            continue;
        std::vector<int> row;
        std::istringstream fields(line);
        std::string f;
        while (std::getline(fields, f, ','))
            row.push_back(atoi(f.c_str()));
        rows.push_back(row);
    }
    return rows;
}

class FrameLogTest : public testing::Test {
protected:
    std::string path_;

    void SetUp() override
    {
        path_ = testing::TempDir() + "twr_framelog_test.csv";
        remove(path_.c_str());
        strcpy(g_szFrameLogPath, path_.c_str());
        memset(g_aLogWindows, 0, sizeof g_aLogWindows);
        g_nLogWindowCount = 0;
        for (int *v : kValues)
            *v = 0;
        g_nPmax = 5;
        g_rcFrameCrop = {0, 0, 0, 0};
        g_nMatchedPoints = 0;
        ForgetFrameLog();
    }
    void TearDown() override
    {
        remove(path_.c_str());
        g_nPmax = 5;
        for (int *v : kValues)
            *v = 0;
        ForgetFrameLog();
    }

    void Write(const std::string &text)
    {
        FILE *f = fopen(path_.c_str(), "wb");
        fputs(text.c_str(), f);
        fclose(f);
    }

    // A row with Org = base + value index and Ave = -1 for every value.
    static std::string Row(int frame, int base, int left = 0, int right = 700, int top = 0, int bottom = 480)
    {
        std::string s = std::to_string(frame) + ",";
        for (int v = 0; v < kLogValues; v++)
            s += std::to_string(base + v) + ",-1,";
        s += std::to_string(left) + "," + std::to_string(right) + "," + std::to_string(top) + "," +
             std::to_string(bottom) + ",-1,77,\n";
        return s;
    }
};

TEST_F(FrameLogTest, TrailingMeansOverTheFramesSoFar)
{
    // nPmax 5 and three frames: means over 1, 2 and 3 values, each put into
    // force and logged beside the frame's own value.
    const int shifts[] = {10, 21, -4};
    const int expected[] = {10, 15, 9};
    g_rcFrameCrop = {3, 4, 600, 400};
    g_nMatchedPoints = 123;
    for (int f = 0; f < 3; f++) {
        g_nShiftX = shifts[f];
        g_nRotationR = -shifts[f];
        EXPECT_EQ(1, PushFrameValues(100 + f));
        EXPECT_EQ(expected[f], g_nShiftX);
        EXPECT_EQ(-expected[f], g_nRotationR);
    }
    const auto rows = DataLines(path_);
    ASSERT_EQ(3u, rows.size());
    for (int f = 0; f < 3; f++) {
        ASSERT_EQ((size_t)kLogFields, rows[f].size());
        EXPECT_EQ(100 + f, rows[f][0]);
        EXPECT_EQ(shifts[f], rows[f][1]);      // X_Org
        EXPECT_EQ(expected[f], rows[f][2]);    // X_Ave
        EXPECT_EQ(-shifts[f], rows[f][7]);     // Rot_R_Org
        EXPECT_EQ(-expected[f], rows[f][8]);   // Rot_R_Ave
        EXPECT_EQ(3, rows[f][21]);             // Left
        EXPECT_EQ(600, rows[f][22]);           // Right
        EXPECT_EQ(4, rows[f][23]);             // Top
        EXPECT_EQ(400, rows[f][24]);           // Bottom
        EXPECT_EQ(-1, rows[f][25]);
        EXPECT_EQ(123, rows[f][26]);           // Point
    }
    // Lines of 27 fields, each followed by a comma.
    const std::string text = ReadText(path_);
    EXPECT_EQ("100,10,10,0,0,0,0,-10,-10,0,0,0,0,0,0,0,0,0,0,0,0,3,600,4,400,-1,123,\n",
              text.substr(0, text.find('\n') + 1));
}

TEST_F(FrameLogTest, MeansTruncateTowardZero)
{
    g_nPmax = 2;
    const int values[] = {-3, -4, 5};
    const int expected[] = {-3, -3, 0};  // -7 / 2 = -3, 1 / 2 = 0
    for (int f = 0; f < 3; f++) {
        g_nShiftY = values[f];
        PushFrameValues(f);
        EXPECT_EQ(expected[f], g_nShiftY) << f;
    }
}

TEST_F(FrameLogTest, AveragingWidthIsClamped)
{
    // "nPmax" outside 1..30 must neither write past the 32-entry windows nor
    // divide by zero.
    struct Case {
        int pmax, window;
    } cases[] = {{0, 1}, {-7, 1}, {1, 1}, {30, 30}, {31, 30}, {1000, 30}};
    for (const Case &c : cases) {
        g_nPmax = c.pmax;
        EXPECT_EQ(c.window, FrameLogWindow());
        g_nLogWindowCount = 0;
        memset(g_aLogWindows, 0, sizeof g_aLogWindows);
        for (int f = 0; f < 40; f++) {
            g_nShiftX = 6;
            PushFrameValues(f);
            ASSERT_EQ(6, g_nShiftX);
        }
        EXPECT_EQ(c.window, g_nLogWindowCount);
    }
}

TEST_F(FrameLogTest, WindowOfOneKeepsEveryValue)
{
    g_nPmax = 1;
    for (int f = 0; f < 4; f++) {
        g_nSize1000L = f * 3 - 2;
        PushFrameValues(f);
        EXPECT_EQ(f * 3 - 2, g_nSize1000L);
    }
    const std::string before = ReadText(path_);
    ASSERT_EQ(1, SmoothFrameLog());
    for (const auto &row : DataLines(path_))
        EXPECT_EQ(row[9], row[10]);
    // Smoothing adds the header and changes no data line.
    EXPECT_EQ(std::string(kFrameLogHeader) + before, ReadText(path_));
}

TEST_F(FrameLogTest, SmoothingUsesCentredMeansWhereTheWindowFits)
{
    // Eight frames, nPmax 3: rows 1 to 5 take the mean of the Org values of
    // rows j-1..j+1; rows 0, 6 and 7 keep their Ave.
    g_nPmax = 3;
    std::string text = kFrameLogHeader;
    const int org[] = {0, 3, 6, 30, 9, -12, 5, 100};
    for (int j = 0; j < 8; j++)
        text += Row(j, org[j]);
    Write(text);
    ASSERT_EQ(1, SmoothFrameLog());
    const auto rows = DataLines(path_);
    ASSERT_EQ(8u, rows.size());
    const int expectedX[] = {-1, 3, 13, 15, 9, 0, -1, -1};  // (9 - 12 + 5) / 3 = 0; (30 + 9 - 12) / 3 = 9
    for (int j = 0; j < 8; j++) {
        EXPECT_EQ(org[j], rows[j][1]) << j;
        EXPECT_EQ(expectedX[j], rows[j][2]) << j;
        // Every value is smoothed alike (Org of value v is org + v).
        const int want = expectedX[j] == -1 ? -1 : (org[j - 1] + org[j] + org[j + 1] + 3 * 9) / 3;
        EXPECT_EQ(want, rows[j][20]) << j;
    }
    // The header stands once, first.
    const std::string out = ReadText(path_);
    EXPECT_EQ(0u, out.find(kFrameLogHeader));
    EXPECT_EQ(std::string::npos, out.find("X_Org", 10));
}

TEST_F(FrameLogTest, NoSmoothingWithFewerFramesThanTheWindow)
{
    g_nPmax = 5;
    std::string text;
    for (int j = 0; j < 3; j++)
        text += Row(j, j * 10);
    Write(text);
    ASSERT_EQ(1, SmoothFrameLog());
    EXPECT_EQ(std::string(kFrameLogHeader) + text, ReadText(path_));
}

TEST_F(FrameLogTest, FrameValuesComeFromTheFirstLineOfTheFrame)
{
    Write(std::string(kFrameLogHeader) + Row(7, 100) + "7,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,\n" +
          "9,1,11,2,12,3,13,4,14,5,15,6,16,7,17,8,18,9,19,10,20,0,0,0,0,-1,5,\n");
    g_nShiftX = 55;
    ASSERT_EQ(1, LoadFrameLogValues(path_.c_str(), 9));
    for (int v = 0; v < kLogValues; v++)
        EXPECT_EQ(11 + v, *kValues[v]) << v;
    // Entry 0 of each window took the value in force before.
    EXPECT_EQ(55, g_aLogWindows[0][0]);
    ASSERT_EQ(1, LoadFrameLogValues(path_.c_str(), 7));
    EXPECT_EQ(-1, g_nShiftX);  // the Ave of the first line of frame 7
    g_nShiftX = 4;
    EXPECT_EQ(0, LoadFrameLogValues(path_.c_str(), 8));
    EXPECT_EQ(4, g_nShiftX);
    EXPECT_EQ(0, LoadFrameLogValues((path_ + ".missing").c_str(), 7));
}

TEST_F(FrameLogTest, ShortLinesAndLongLinesAreRead)
{
    // Missing fields read as 0; the rest of a line beyond 511 characters is
    // not taken for a line of its own.
    std::string longLine = "3,1,2,3,4," + std::string(600, ' ') + "99,\n";
    Write("2,5,6,\n" + longLine + "\n");
    g_nShiftY = 9;
    ASSERT_EQ(1, LoadFrameLogValues(path_.c_str(), 2));
    EXPECT_EQ(6, g_nShiftX);
    EXPECT_EQ(0, g_nShiftY);
    EXPECT_EQ(0, LoadFrameLogValues(path_.c_str(), 99));
    ASSERT_EQ(1, LoadFrameLogValues(path_.c_str(), 3));
    EXPECT_EQ(2, g_nShiftX);
}

TEST_F(FrameLogTest, AChangedLogIsReadAgain)
{
    Write(Row(1, 10));
    ASSERT_EQ(1, LoadFrameLogValues(path_.c_str(), 1));
    EXPECT_EQ(0, LoadFrameLogValues(path_.c_str(), 2));
    // Appending a line for frame 2 (as the save's on-the-fly alignment
    // does) makes it found.
    g_nShiftX = 42;
    g_nPmax = 1;
    PushFrameValues(2);
    g_nShiftX = 0;
    ASSERT_EQ(1, LoadFrameLogValues(path_.c_str(), 2));
    EXPECT_EQ(42, g_nShiftX);
    // A log deleted is no longer read.
    remove(path_.c_str());
    EXPECT_EQ(0, LoadFrameLogValues(path_.c_str(), 2));
}

TEST_F(FrameLogTest, CropIsTheRegionCommonToEveryFrame)
{
    Write(std::string(kFrameLogHeader) + Row(0, 0, 4, 700, 2, 470) + Row(1, 0, 9, 690, 0, 476) +
          Row(2, 0, 1, 710, 6, 479));
    ASSERT_EQ(1, LoadFrameLogCrop());
    EXPECT_EQ(9, g_rcFrameCrop.left);
    EXPECT_EQ(6, g_rcFrameCrop.top);
    EXPECT_EQ(690, g_rcFrameCrop.right);
    EXPECT_EQ(470, g_rcFrameCrop.bottom);
    remove(path_.c_str());
    g_rcFrameCrop = {1, 2, 3, 4};
    EXPECT_EQ(0, LoadFrameLogCrop());
    EXPECT_EQ(1, g_rcFrameCrop.left);
}

TEST_F(FrameLogTest, AppendCreatesTheLog)
{
    EXPECT_EQ(1, AppendFrameLogLine(path_.c_str(), 5));
    EXPECT_EQ(1u, DataLines(path_).size());
    EXPECT_EQ(0, AppendFrameLogLine((path_ + ".d/none/x.csv").c_str(), 5));
}

TEST(FrameLogPathTest, BesideTheLeftMovie)
{
    char out[260];
    ASSERT_TRUE(MakeFrameLogPath(out, "C:\\movies\\left.avi"));
    EXPECT_STREQ("C:\\movies\\alignment\\left.csv", out);
    ASSERT_TRUE(MakeFrameLogPath(out, "C:\\movies\\a.b.avi"));
    EXPECT_STREQ("C:\\movies\\alignment\\a.b.csv", out);
    EXPECT_FALSE(MakeFrameLogPath(out, (std::string("C:\\") + std::string(250, 'x') + ".avi").c_str()));
}

} // namespace
