#include "alignment/alignment_file.h"

#include "alignment_fixture.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "tests/support/host_files.h"
#include "tests/support/message_boxes.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

class AlignmentFileTest : public AlignmentTest {
protected:
    std::string dir_, movie_, alv_;
    BoxAnswerer boxes{IDYES};

    void SetUp() override
    {
        AlignmentTest::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "twr_alv_test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        movie_ = dir_ + "left.avi";
        alv_ = dir_ + "alignment\\left.alv";
        DeleteFileA(alv_.c_str());
        RemoveDirectoryA((dir_ + "alignment").c_str());
        WriteWholeText(movie_, "RIFF");
    }

    void TearDown() override
    {
        DeleteFileA(alv_.c_str());
        RemoveDirectoryA((dir_ + "alignment").c_str());
        DeleteFileA(movie_.c_str());
        RemoveDirectoryA(dir_.c_str());
        AlignmentTest::TearDown();
    }

    bool AlvExists() const { return GetFileAttributesA(alv_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    static void SetSomeValues()
    {
        g_nRotationL = 7;
        g_nRotationR = -8;
        g_nSize1000L = -3;
        g_nSize1000R = 4;
        g_nShiftX = -12;
        g_nShiftY = 5;
        g_nPerspectiveVL = 11;
        g_nPerspectiveVR = -11;
        g_nPerspectiveHL = 2;
        g_nPerspectiveHR = -2;
        g_nBarrelL = g_nBarrelR = 100;
        g_nNearFarPoint = 31;
        g_nImageWidth = 1280;
        g_nImageHeight = 720;
        g_dMeanErrorH = 0.43219;
        g_nPersShiftL = 9;
        g_nCanvasHeight = 2;
        g_bReversePerspective = 1;
    }
};

TEST_F(AlignmentFileTest, WrittenValuesReadBack)
{
    SetSomeValues();
    SaveAlignmentFile(movie_.c_str());
    ASSERT_TRUE(AlvExists());
    // A fitted alignment never uses these.
    EXPECT_EQ(g_nPersShiftL, 0);
    EXPECT_EQ(g_nCanvasHeight, 0);
    EXPECT_EQ(g_bReversePerspective, 0);
    EXPECT_EQ(ReadAlignmentValue(alv_.c_str(), "AlignmentValueFile"), 1);
    EXPECT_EQ(ReadAlignmentValue(alv_.c_str(), "Position_H"), 12);
    EXPECT_EQ(ReadAlignmentValue(alv_.c_str(), "FocalLength"), 35);
    EXPECT_EQ(ReadAlignmentValue(alv_.c_str(), "Mean_Error_H"), 4321);

    Reset();
    ReadAlignmentFile(alv_.c_str());
    EXPECT_EQ(g_nShiftX, -12);
    EXPECT_EQ(g_nShiftY, 5);
    EXPECT_EQ(g_nRotationL, 7);
    EXPECT_EQ(g_nRotationR, -8);
    EXPECT_EQ(g_nSize1000R, 4);
    EXPECT_EQ(g_nPerspectiveVL, 11);
    EXPECT_EQ(g_nPerspectiveHR, -2);
    EXPECT_EQ(g_nBarrelR, 100);
    EXPECT_EQ(g_nImageWidth, 1280);
    EXPECT_EQ(g_nHalfFov, HalfFovFromFocalLength(35));
    EXPECT_DOUBLE_EQ(g_dMeanErrorH, 0.4321);
}

TEST_F(AlignmentFileTest, MissingKeysReadAsZero)
{
    CreateDirectoryA((dir_ + "alignment").c_str(), nullptr);
    FILE *f = fopen(alv_.c_str(), "w");
    fputs("[Data]\r\nAlignmentValueFile=1\r\nPosition_H=12\r\nRotation_L=99999999999\r\n", f);
    fclose(f);
    g_nRotationR = 5;
    g_nMatchedPoints = 60;
    ReadAlignmentFile(alv_.c_str());
    EXPECT_EQ(g_nShiftX, -12);
    EXPECT_EQ(g_nRotationR, 0);
    EXPECT_EQ(g_nRotationL, 1000000);   // limited
    EXPECT_EQ(g_nHalfFov, 900);         // no focal length
    EXPECT_EQ(g_nMatchedPoints, 60);    // not a value of the file
}

TEST_F(AlignmentFileTest, AFileMayBeTakenAgain)
{
    SetSomeValues();
    SaveAlignmentFile(movie_.c_str());
    Reset();
    int maySave = 0;
    EXPECT_EQ(ReuseAlignmentFile(nullptr, movie_.c_str(), &maySave), 1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, LoadStr(IDS_ASK_REUSE_ADJUSTMENT));
    EXPECT_EQ(boxes.shown[0].caption, alv_);
    EXPECT_EQ(boxes.shown[0].type, (UINT)MB_YESNO);
    EXPECT_EQ(g_nRotationL, 7);
    EXPECT_TRUE(AlvExists());
}

TEST_F(AlignmentFileTest, NoDeletesTheFileAndHoldsForTheNextPasses)
{
    SaveAlignmentFile(movie_.c_str());
    boxes.answer = IDNO;
    int maySave = 0;
    EXPECT_EQ(ReuseAlignmentFile(nullptr, movie_.c_str(), &maySave), 0);
    EXPECT_EQ(maySave, 1);
    EXPECT_FALSE(AlvExists());
    EXPECT_EQ(g_nAlvFileMode, kAlvRecompute);
    // The next pass writes, finds its own file and deletes it unasked.
    SaveAlignmentFile(movie_.c_str());
    boxes.shown.clear();
    EXPECT_EQ(ReuseAlignmentFile(nullptr, movie_.c_str(), &maySave), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(AlvExists());
}

TEST_F(AlignmentFileTest, StaleFileIsDeletedWithoutAQuestion)
{
    SaveAlignmentFile(movie_.c_str());
    WriteAlignmentValue(alv_.c_str(), "AlignmentValueFile", 0);
    int maySave = 0;
    EXPECT_EQ(ReuseAlignmentFile(nullptr, movie_.c_str(), &maySave), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(AlvExists());
    EXPECT_EQ(g_nAlvFileMode, kAlvRecompute);
}

TEST_F(AlignmentFileTest, PerFrameModeLooksAtNoFile)
{
    SaveAlignmentFile(movie_.c_str());
    for (int perFrame = 0; perFrame < 2; perFrame++) {
        g_nAlvFileMode = perFrame ? kAlvAsk : kAlvPerFrame;
        g_bAllFrameAdjust = perFrame;
        int maySave = 0;
        EXPECT_EQ(ReuseAlignmentFile(nullptr, movie_.c_str(), &maySave), 0);
        EXPECT_EQ(g_nAlvFileMode, kAlvAsk);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_TRUE(AlvExists());
    }
}

TEST_F(AlignmentFileTest, NoFileForAMovieThatIsNotAFile)
{
    int maySave = 1;
    EXPECT_EQ(ReuseAlignmentFile(nullptr, (dir_ + "missing.avi").c_str(), &maySave), 0);
    EXPECT_EQ(maySave, 0);
    EXPECT_EQ(ReuseAlignmentFile(nullptr, dir_.c_str(), &maySave), 0);   // a folder
    EXPECT_EQ(maySave, 0);
    SaveAlignmentFile((dir_ + "missing.avi").c_str());
    EXPECT_EQ(GetFileAttributesA((dir_ + "alignment").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(AlignmentFileTest, AFileThatCannotBeDeletedIsReported)
{
    SaveAlignmentFile(movie_.c_str());
    boxes.answer = IDNO;
    HANDLE held = CreateFileA(alv_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    int maySave = 0;
    EXPECT_EQ(ReuseAlignmentFile(nullptr, movie_.c_str(), &maySave), 0);
    CloseHandle(held);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, LoadStr(IDS_CANNOT_DELETE_ADJUSTMENT));
    EXPECT_EQ(boxes.shown[1].caption, alv_);
    EXPECT_EQ(boxes.shown[1].type, (UINT)MB_OK);
}

} // namespace
