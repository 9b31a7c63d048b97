// The alignment through "cosima.exe" with its stand-in, copied into a
// program folder of the test's own: the measured values, a report cut
// short, the report's copy taken again or redone.
#include "alignment/cosima.h"

#include "adjust_media.h"
#include "resources/resource_ids.h"
#include "tests/alignment/alignment_fixture.h"
#include "tests/support/host_files.h"
#include "tests/support/message_boxes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

#ifndef TWR_STANDINS_DIR
#error "TWR_STANDINS_DIR names the folder of the stand-in tools"
#endif

namespace {

std::string TempFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return temp;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Values {
    int rotationL, rotationR, size1000L, size1000R, shiftX, shiftY, perspectiveVL, perspectiveVR, halfFov;
    bool operator==(const Values &o) const { return memcmp(this, &o, sizeof o) == 0; }
};

std::ostream &operator<<(std::ostream &os, const Values &v)
{
    return os << "rot " << v.rotationL << "/" << v.rotationR << " size " << v.size1000L << "/" << v.size1000R
              << " shift " << v.shiftX << "," << v.shiftY << " pv " << v.perspectiveVL << "/" << v.perspectiveVR
              << " fov " << v.halfFov;
}

Values Current()
{
    return {g_nRotationL, g_nRotationR, g_nSize1000L, g_nSize1000R, g_nShiftX,
            g_nShiftY,    g_nPerspectiveVL, g_nPerspectiveVR, g_nHalfFov};
}

void SetValues(const Values &v)
{
    g_nRotationL = v.rotationL, g_nRotationR = v.rotationR;
    g_nSize1000L = v.size1000L, g_nSize1000R = v.size1000R;
    g_nShiftX = v.shiftX, g_nShiftY = v.shiftY;
    g_nPerspectiveVL = v.perspectiveVL, g_nPerspectiveVR = v.perspectiveVR;
    g_nHalfFov = v.halfFov;
}

const Values kBefore = {3, -4, 5, -6, 7, -8, 9, -10, 198};

const char kReport[] = "Mean error of height = -2.00 px\nMean error of size = 1.0 %\n"
                       "Mean error of rotation = 0.4 deg\nMean error of vergence = 0\n"
                       "Near point deviation = 12 px\nNear point deviation = 2 px\n";

class CosimaTest : public AlignmentTest {
protected:
    std::string dir_, movie_, adj_, program_, noProgram_;
    DibPtr left_, right_;
    BoxAnswerer boxes{IDYES};

    void SetUp() override
    {
        AlignmentTest::SetUp();
        dir_ = TempFolder() + "twr_cosima_test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        CreateDirectoryA((dir_ + "program").c_str(), nullptr);
        movie_ = dir_ + "clip.avi";
        adj_ = dir_ + "clip.adj";
        WriteWholeText(movie_, "RIFF");
        DeleteFileA(adj_.c_str());
        program_ = dir_ + "program\\cosima.exe";
        noProgram_ = dir_ + "none\\cosima.exe";
        const std::string standins = HostPath(TWR_STANDINS_DIR) + "\\";
        CopyFileA((standins + "cosima.exe").c_str(), program_.c_str(), FALSE);
        strcpy(g_szCosimaPath, program_.c_str());
        g_nAlvFileMode = kAlvAsk;
        SetEnvironmentVariableA("TWR_COSIMA_CUT", nullptr);
    }

    void TearDown() override
    {
        SetEnvironmentVariableA("TWR_COSIMA_CUT", nullptr);
        DeleteFileA(adj_.c_str());
        DeleteFileA((dir_ + "cosima_output\\image_cs.tga").c_str());
        RemoveDirectoryA((dir_ + "cosima_output").c_str());
        AlignmentTest::TearDown();
    }

    bool LoadPair(const char *rightName)
    {
        left_ = LoadPpm(AdjustMedia("pair_l.ppm"));
        right_ = LoadPpm(AdjustMedia(rightName));
        return left_ && right_;
    }

    int Run() { return RunCosima(nullptr, movie_.c_str(), left_.get(), right_.get()); }
};

TEST_F(CosimaTest, AnswersAndBatchFile)
{
    const std::string path = dir_ + "out.txt";
    ASSERT_EQ(0, WriteCosimaAnswers(path.c_str()));
    EXPECT_EQ("\r\nn\r\n", ReadWholeText(path));
    strcpy(g_szCosimaPath, "C:\\Program Files\\TwinReel\\cosima.exe");
    ASSERT_EQ(0, WriteCosimaBatch(path.c_str()));
    EXPECT_EQ("\"C:\\Program Files\\TwinReel\\cosima.exe\" /LR=0 /SO=1 /AO=0 <file.txt\r\n", ReadWholeText(path));
    DeleteFileA(path.c_str());
    EXPECT_EQ(1, WriteCosimaBatch((dir_ + "no\\such\\start.bat").c_str()));
    EXPECT_EQ(1, WriteCosimaAnswers((dir_ + "no\\such\\file.txt").c_str()));
}

// The right frames are the left warped by ImageMagick by known amounts:
// the stand-in's report must give the values that align them.
TEST_F(CosimaTest, StandInReportAlignsKnownPairs)
{
    REQUIRE_ADJUST_MEDIA();
    const struct {
        const char *right;
        int rotation, size, shiftY;  // left minus right; vertical offset
    } cases[] = {
        {"pair_r.ppm", 10, 0, -6},
        {"cosima_r.ppm", -8, 20, -3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.right);
        ASSERT_TRUE(LoadPair(c.right));
        SetValues(kBefore);
        DeleteFileA(adj_.c_str());
        ASSERT_EQ(0, Run());
        const Values v = Current();
        SCOPED_TRACE(testing::Message() << v);
        EXPECT_NEAR(c.rotation, v.rotationL - v.rotationR, 1);
        EXPECT_NEAR(c.size, v.size1000L - v.size1000R, 1);
        EXPECT_NEAR(c.shiftY, v.shiftY, 1);
        EXPECT_NEAR(0, v.shiftX, 40);
        // The halves of the rotation and the size go to either side.
        EXPECT_LE(abs(v.rotationL + v.rotationR), 1);
        EXPECT_LE(abs(v.size1000L + v.size1000R), 1);
        EXPECT_EQ(0, v.perspectiveVL);
        EXPECT_EQ(0, v.perspectiveVR);
        EXPECT_EQ(kHalfFovAfterFit, v.halfFov);
        // The report kept beside the movie, the program's picture in
        // "cosima_output".
        int values[kCosimaValueCount];
        EXPECT_EQ(0, ParseCosimaReport(adj_.c_str(), values));
        EXPECT_TRUE(Exists(dir_ + "cosima_output\\image_cs.tga"));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CosimaTest, FailuresLeaveTheAlignmentAsItWas)
{
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(LoadPair("pair_r.ppm"));
    char work[MAX_PATH];
    ASSERT_TRUE(GetCosimaWorkFolder(work, sizeof work));
    const struct {
        const char *name;
        const char *cut;       // TWR_COSIMA_CUT, or null
        bool program;          // cosima.exe in the program folder
    } cases[] = {
        {"report cut after five lines", "5", true},
        {"report cut after none", "0", true},
        {"no program", nullptr, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // A complete report of an earlier run waits in the work folder.
        CreateDirectoryA(work, nullptr);
        WriteWholeText(std::string(work) + "cosima_report.txt", kReport);
        SetEnvironmentVariableA("TWR_COSIMA_CUT", c.cut);
        strcpy(g_szCosimaPath, (c.program ? program_ : noProgram_).c_str());
        SetValues(kBefore);
        EXPECT_EQ(1, Run());
        EXPECT_EQ(kBefore, Current());
        // No broken report is kept for the next run.
        EXPECT_FALSE(Exists(adj_));
    }
}

TEST_F(CosimaTest, EarlierReportTakenOrRedone)
{
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(LoadPair("pair_r.ppm"));
    // Taken: the program is not needed.
    WriteWholeText(adj_, kReport);
    strcpy(g_szCosimaPath, noProgram_.c_str());
    SetValues(kBefore);
    g_nAlvFileMode = kAlvAsk;
    ASSERT_EQ(0, Run());
    EXPECT_EQ((Values{-2, 2, 5, -5, 10, -2, 0, 0, kHalfFovAfterFit}), Current());
    EXPECT_EQ(kReport, ReadWholeText(adj_));

    // Redone: the program runs and its report replaces the copy.
    strcpy(g_szCosimaPath, program_.c_str());
    g_nAlvFileMode = kAlvRecompute;
    ASSERT_EQ(0, Run());
    EXPECT_NEAR(10, g_nRotationL - g_nRotationR, 1);
    EXPECT_NEAR(-6, g_nShiftY, 1);
    EXPECT_NE(kReport, ReadWholeText(adj_));

    // A broken copy fails without running the program.
    WriteWholeText(adj_, "Mean error of height = 1\n");
    g_nAlvFileMode = kAlvAsk;
    SetValues(kBefore);
    EXPECT_EQ(1, Run());
    EXPECT_EQ(kBefore, Current());
}

} // namespace
