// The automatic alignment driver on a synthetic pair, through each route
// to control points: the built-in matcher and the two forms of the outside
// tools (their stand-ins, copied into tool folders of their own).
#include "alignment/auto_align.h"

#include "adjust_media.h"
#include "alignment/alignment_file.h"
#include "alignment/frame_adjustment.h"
#include "alignment/tool_images.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "tests/alignment/alignment_fixture.h"
#include "tests/support/host_files.h"
#include "tests/support/message_boxes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

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

std::string WorkFolder()
{
    char folder[MAX_PATH];
    EXPECT_TRUE(GetAlignWorkFolder(folder, sizeof folder));
    return folder;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int FilesIn(const std::string &folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
    int n = 0;
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            n++;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

std::string CurrentFolder()
{
    char d[MAX_PATH];
    GetCurrentDirectoryA(sizeof d, d);
    return d;
}

class AutoAlignTest : public AlignmentTest {
protected:
    std::string dir_, movie_, alv_, toolsBoth_, toolsAutopano_, toolsEmpty_;
    DibPtr left_, right_;
    BoxAnswerer boxes{IDYES};

    void SetUp() override
    {
        AlignmentTest::SetUp();
        dir_ = TempFolder() + "twr_autoalign_test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        movie_ = dir_ + "clip.avi";
        alv_ = dir_ + "alignment\\clip.alv";
        WriteWholeText(movie_, "RIFF");
        DeleteFileA(alv_.c_str());
        // Tool folders: both programs (the generatekeys route), autopano.exe
        // alone, and none.
        const std::string standins = HostPath(TWR_STANDINS_DIR) + "\\";
        toolsBoth_ = dir_ + "tools_gk\\";
        toolsAutopano_ = dir_ + "tools_ap\\";
        toolsEmpty_ = dir_ + "tools_none\\";
        for (const std::string &d : {toolsBoth_, toolsAutopano_, toolsEmpty_})
            CreateDirectoryA(d.c_str(), nullptr);
        CopyFileA((standins + "generatekeys.exe").c_str(), (toolsBoth_ + "generatekeys.exe").c_str(), FALSE);
        CopyFileA((standins + "autopano.exe").c_str(), (toolsBoth_ + "autopano.exe").c_str(), FALSE);
        CopyFileA((standins + "autopano.exe").c_str(), (toolsAutopano_ + "autopano.exe").c_str(), FALSE);
    }

    void TearDown() override
    {
        g_pAdjustDibL = g_pAdjustDibR = nullptr;
        DeleteFileA(alv_.c_str());
        RemoveDirectoryA((dir_ + "alignment").c_str());
        AlignmentTest::TearDown();
    }

    bool LoadPair()
    {
        left_ = LoadPpm(AdjustMedia("pair_l.ppm"));
        right_ = LoadPpm(AdjustMedia("pair_r.ppm"));
        g_pAdjustDibL = left_.get();
        g_pAdjustDibR = right_.get();
        return left_ && right_;
    }

    void UseTools(int tool, const std::string &folder)
    {
        g_nAutopanoTool = tool;
        strcpy(g_szAutopanoFolder, folder.c_str());
    }
};

// The pair's right frame is the left turned by 1.0 degree and 6 pixels
// lower: each route must find it.
TEST_F(AutoAlignTest, EveryRouteFindsTheMisalignment)
{
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(LoadPair());
    struct Route {
        const char *name;
        int tool;
        std::string folder;
    } routes[] = {
        {"built-in", kToolBuiltIn, ""},
        {"generatekeys", kToolGeneratekeys, toolsBoth_},
        {"autopano.exe", kToolAutopano, toolsAutopano_},
    };
    for (const Route &r : routes) {
        SCOPED_TRACE(r.name);
        Reset();
        DeleteFileA(alv_.c_str());
        UseTools(r.tool, r.folder);
        g_bHideToolWindow = 1;
        const std::string before = CurrentFolder();
        RunAutoAlignPasses(nullptr, movie_.c_str());
        EXPECT_GT(g_nMatchedPoints, 50);
        EXPECT_NEAR(-6, g_nShiftY, 1);
        EXPECT_NEAR(0, g_nShiftX, 40);
        EXPECT_NEAR(10, g_nRotationL - g_nRotationR, 2);
        EXPECT_NEAR(0, g_nSize1000L - g_nSize1000R, 3);
        EXPECT_LT(g_dMeanErrorH, 1.5);
        // The result kept beside the movie, the work folder emptied, the
        // process's folder given back (so the work folder can be removed).
        EXPECT_TRUE(Exists(alv_));
        EXPECT_EQ(0, FilesIn(WorkFolder()));
        EXPECT_EQ(before, CurrentFolder());
        EXPECT_TRUE(boxes.shown.empty());
    }
    RemoveAlignWorkFolder(nullptr);
    std::string work = WorkFolder();
    work.pop_back();
    EXPECT_FALSE(Exists(work));
}

TEST_F(AutoAlignTest, ToolsThatDoNotRunChangeNothing)
{
    // No programs in the tool folder: the batch file runs but makes no
    // control points. A stale control-point file from an earlier pass must
    // not be taken for this pass's.
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(LoadPair());
    UseTools(kToolGeneratekeys, toolsEmpty_);
    g_bHideToolWindow = 1;
    CreateDirectoryA(WorkFolder().c_str(), nullptr);
    FILE *f = fopen((WorkFolder() + "output.oto").c_str(), "w");
    for (int i = 0; i < 60; i++)
        fprintf(f, "c n0 N1 x%d y%d X%d Y%d t0\n", 100 + i * 5, 100 + i * 3, 100 + i * 5, 130 + i * 3);
    fclose(f);
    g_nShiftY = 2;
    RunAutoAlignPasses(nullptr, movie_.c_str());
    EXPECT_EQ(0, g_nMatchedPoints);
    EXPECT_EQ(2, g_nShiftY);
    EXPECT_EQ(0, g_nRotationL);
    EXPECT_FALSE(Exists(alv_));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AutoAlignTest, UnwritableToolImageIsReportedOnceAndTheProgramGoesOn)
{
    // The frames for the tools cannot be written (a folder stands where the
    // file goes): the passes find no points, one message says so, the
    // process lives on.
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(LoadPair());
    UseTools(kToolAutopano, toolsAutopano_);
    const std::string blocker = WorkFolder() + "image_l.tif";
    CreateDirectoryA(WorkFolder().c_str(), nullptr);
    DeleteFileA(blocker.c_str());
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    const std::string before = CurrentFolder();
    RunAutoAlignPasses(nullptr, movie_.c_str());
    RemoveDirectoryA(blocker.c_str());
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ(LoadStr(IDS_TOOL_IMAGE_FAILED), boxes.shown[0].text);
    EXPECT_EQ(blocker, boxes.shown[0].caption);
    EXPECT_EQ(0, g_nMatchedPoints);
    EXPECT_EQ(0, g_nShiftY);
    EXPECT_EQ(before, CurrentFolder());
}

TEST_F(AutoAlignTest, TakingTheValueFileEndsThePasses)
{
    REQUIRE_ADJUST_MEDIA();
    ASSERT_TRUE(LoadPair());
    CreateDirectoryA((dir_ + "alignment").c_str(), nullptr);
    WritePrivateProfileStringA("Data", "AlignmentValueFile", "1", alv_.c_str());
    WritePrivateProfileStringA("Data", "Rotation_L", "4", alv_.c_str());
    WritePrivateProfileStringA("Data", "N_Position_V", "-9", alv_.c_str());
    g_nMatchedPoints = 3;  // as after an earlier fit with few points
    RunAutoAlignPasses(nullptr, movie_.c_str());
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ(LoadStr(IDS_ASK_REUSE_ADJUSTMENT), boxes.shown[0].text);
    EXPECT_EQ(4, g_nRotationL);
    EXPECT_EQ(-9, g_nShiftY);
    EXPECT_EQ(2, g_nAlignPass);
}

TEST_F(AutoAlignTest, BatchFilesNameEveryProgramWithItsFolder)
{
    strcpy(g_szAutopanoFolder, "C:\\Program Files\\autopano\\");
    const std::string bat = dir_ + "start.bat";
    ASSERT_EQ(0, WriteGeneratekeysBatch(bat.c_str()));
    EXPECT_EQ("\"C:\\Program Files\\autopano\\generatekeys.exe\" image_l.tif image_l.tif.gz 700\r\n"
              "\"C:\\Program Files\\autopano\\generatekeys.exe\" image_r.tif image_r.tif.gz 700\r\n"
              "\"C:\\Program Files\\autopano\\autopano\" --maxmatches 0 --ransac off output.oto image_l.tif.gz "
              "image_r.tif.gz\r\n",
              ReadWholeText(bat));
    ASSERT_EQ(0, WriteAutopanoBatch(bat.c_str()));
    EXPECT_EQ("\"C:\\Program Files\\autopano\\autopano.exe\" .\\ /validation:0 /name:output\r\n", ReadWholeText(bat));
    DeleteFileA(bat.c_str());
    EXPECT_EQ(1, WriteAutopanoBatch((dir_ + "no\\such\\start.bat").c_str()));
}

TEST(BarrelCorrectionTest, AgreesWithTheBarrelMeshWarp)
{
    // The pixels corrected directly and through the barrel mesh: the same
    // model, the same interpolation.
    DibPtr frame = MakeFrame(90, 60, [](int x, int y) { return Bgr{(x * 9 + y) & 255, (y * 7) & 255, (x * y) & 255}; });
    for (int value : {0, 150, -120, 900}) {
        g_bResample = 1;
        DibPtr direct(CorrectBarrelDib(nullptr, frame.get(), value));
        ASSERT_TRUE(direct);
        MeshPtr identity = IdentityMesh(90, 60);
        MeshPtr barrel(BuildBarrelMesh(identity.get(), value));
        DibPtr warped(WarpDibByMesh(barrel.get(), frame.get()));
        // (Next to the frame's edge the mesh takes its border points as
        // they are instead of interpolating.)
        int differ = 0;
        for (int y = 2; y < 58; y++)
            for (int x = 2; x < 88; x++)
                differ += PixelAt(direct.get(), x, y) != PixelAt(warped.get(), x, y);
        EXPECT_EQ(0, differ) << value;
    }
}

TEST(BarrelCorrectionTest, ZeroKeepsThePictureButTheLastRowAndColumn)
{
    DibPtr frame = MakeFrame(17, 11, [](int x, int y) { return Bgr{x * 10, y * 20, 200}; });
    DibPtr out(CorrectBarrelDib(nullptr, frame.get(), 0));
    for (int y = 0; y < 11; y++)
        for (int x = 0; x < 17; x++) {
            const Bgr want = x == 16 || y == 10 ? Bgr{0, 0, 0} : PixelAt(frame.get(), x, y);
            ASSERT_EQ(want, PixelAt(out.get(), x, y)) << x << "," << y;
        }
    EXPECT_EQ(nullptr, CorrectBarrelDib(nullptr, nullptr, 10));
}

} // namespace
