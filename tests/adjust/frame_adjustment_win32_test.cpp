// The per-frame hook and the activation on records of the application
// state, with the show-pair operation of the pipeline replaced by a
// counter.
#include "alignment/frame_adjustment.h"

#include "alignment/frame_log.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "sources/movie_records.h"
#include "state/app_windows.h"
#include "tests/alignment/alignment_fixture.h"
#include "tests/support/message_boxes.h"
#include "tests/test_frames.h"

#include <stdio.h>
#include <string>
#include <vector>

int g_nShowPairCalls = 0;
int ShowCurrentPair(StereoPair *pair)
{
    (void)pair;
    g_nShowPairCalls++;
    return 0;
}

namespace {

bool SameFrame(const PackedDib *a, const PackedDib *b)
{
    if (DibWidth(a) != DibWidth(b) || DibHeight(a) != DibHeight(b))
        return false;
    for (int y = 0; y < DibHeight(a); y++)
        for (int x = 0; x < DibWidth(a); x++)
            if (PixelAt(a, x, y) != PixelAt(b, x, y))
                return false;
    return true;
}

Bgr Pattern(int x, int row) { return {(x * 5 + row) & 255, (row * 3) & 255, (x ^ row) & 255}; }

TEST(CropDibTest, CopiesTheRectangleCountedFromTheTop)
{
    DibPtr frame = MakeFrame(61, 37, Pattern);
    DibPtr cut(CropDib(nullptr, frame.get(), 5, 3, 50, 30));
    ASSERT_TRUE(cut);
    ASSERT_EQ(45, DibWidth(cut.get()));
    ASSERT_EQ(27, DibHeight(cut.get()));
    ASSERT_EQ(24, DibBitCount(cut.get()));
    // Top row 3 of the picture is memory row 37 - 1 - 3 of the frame.
    for (int y = 0; y < 27; y++)
        for (int x = 0; x < 45; x++)
            ASSERT_EQ(PixelAt(frame.get(), x + 5, 37 - 1 - (y + 3)), PixelAt(cut.get(), x, 27 - 1 - y)) << x << "," << y;
}

TEST(CropDibTest, RefusesRectanglesOutsideTheFrame)
{
    DibPtr frame = MakeFrame(20, 10, Pattern);
    const int bad[][4] = {{-1, 0, 10, 10}, {0, -1, 10, 10}, {0, 0, 21, 10}, {0, 0, 20, 11}, {5, 5, 5, 8}, {6, 2, 4, 8}};
    for (const auto &r : bad)
        EXPECT_EQ(nullptr, CropDib(nullptr, frame.get(), r[0], r[1], r[2], r[3])) << r[0] << r[1] << r[2] << r[3];
    EXPECT_EQ(nullptr, CropDib(nullptr, nullptr, 0, 0, 1, 1));
    DibPtr whole(CropDib(nullptr, frame.get(), 0, 0, 20, 10));
    EXPECT_TRUE(whole && SameFrame(whole.get(), frame.get()));
}

class FrameHookTest : public AlignmentTest {
protected:
    DibPtr left_, right_;
    BoxAnswerer boxes{IDYES};

    void SetUp() override
    {
        AlignmentTest::SetUp();
        InitMovieSource(&g_leftMovie);
        InitMovieSource(&g_rightMovie);
        SetPairRecords(&g_leftMovie, &g_rightMovie);
        g_bSwapped = 0;
        left_ = MakeFrame(96, 64, [](int x, int y) { return PositionPixel(x, y, 1); });
        right_ = MakeFrame(96, 64, [](int x, int y) { return PositionPixel(x, y, 2); });
        g_leftMovie.pCurrent = left_.get();
        g_rightMovie.pCurrent = right_.get();
        g_bAdjustActive = 0;
        g_nTrimState = kTrimNone;
        g_rcTrim = {0, 0, 0, 0};
        g_nBusy = kBusyIdle;
        g_nShowPairCalls = 0;
    }
    void TearDown() override
    {
        FreeAlignmentMeshes();
        for (MovieSource *m : {&g_leftMovie, &g_rightMovie}) {
            FreeDib(m->pAligned);
            m->pAligned = nullptr;
            m->pCurrent = nullptr;
        }
        if (g_bSwapped)
            ExchangeLeftRight();
        g_bAdjustActive = 0;
        g_nTrimState = kTrimNone;
        AlignmentTest::TearDown();
    }

    // What the hook must give an eye: the frame through its mesh.
    static DibPtr Expected(const DisplacementMesh *mesh, const PackedDib *frame)
    {
        return DibPtr(WarpDibByMesh(mesh, frame));
    }
};

TEST_F(FrameHookTest, WarpsBothEyesThroughTheirMeshes)
{
    g_nRotationL = 20;
    g_nRotationR = -20;
    ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, left_.get(), right_.get()));
    DibPtr wantL = Expected(g_pMeshLeft, left_.get()), wantR = Expected(g_pMeshRight, right_.get());
    EXPECT_EQ(0, ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1));
    ASSERT_NE(left_.get(), g_leftMovie.pCurrent);
    EXPECT_EQ(g_leftMovie.pAligned, g_leftMovie.pCurrent);
    EXPECT_TRUE(SameFrame(wantL.get(), g_leftMovie.pCurrent));
    EXPECT_TRUE(SameFrame(wantR.get(), g_rightMovie.pCurrent));

    // The same pair again (a loop composing the same images) is not warped
    // a second time.
    PackedDib *first = g_leftMovie.pCurrent;
    ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1);
    EXPECT_EQ(first, g_leftMovie.pCurrent);
    EXPECT_TRUE(SameFrame(wantL.get(), g_leftMovie.pCurrent));
}

TEST_F(FrameHookTest, ExchangedPairKeepsEachMeshWithItsMovie)
{
    g_nRotationL = 40;
    ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, left_.get(), right_.get()));
    DibPtr wantL = Expected(g_pMeshLeft, left_.get()), wantR = Expected(g_pMeshRight, right_.get());
    ExchangeLeftRight();  // the view shows the right movie as left
    ASSERT_EQ(&g_rightMovie, g_pLeft);
    ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1);
    EXPECT_TRUE(SameFrame(wantL.get(), g_leftMovie.pCurrent));
    EXPECT_TRUE(SameFrame(wantR.get(), g_rightMovie.pCurrent));
}

TEST_F(FrameHookTest, EnlargedEyeKeepsTheFrameSize)
{
    g_nSize1000R = 50;
    ASSERT_EQ(0, BuildAlignmentMeshes(nullptr, left_.get(), right_.get()));
    DibPtr want = Expected(g_pMeshRight, right_.get());
    ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1);
    ASSERT_EQ(96, DibWidth(g_rightMovie.pCurrent));
    ASSERT_EQ(64, DibHeight(g_rightMovie.pCurrent));
    EXPECT_TRUE(SameFrame(want.get(), g_rightMovie.pCurrent));
    EXPECT_EQ(96, DibWidth(g_leftMovie.pCurrent));
}

TEST_F(FrameHookTest, NoMeshesNoChange)
{
    ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1);
    EXPECT_EQ(left_.get(), g_leftMovie.pCurrent);
    EXPECT_EQ(right_.get(), g_rightMovie.pCurrent);
}

TEST_F(FrameHookTest, EyesOfDifferentSizesAfterTheWarpStayUnwarped)
{
    // Meshes of different heights (as a canvas for one eye only made):
    // showing them would let the composers read the shorter frame past its
    // end. Both eyes keep their fetched frames.
    g_pMeshLeft = AllocMesh(96, 64);
    InitIdentityMesh(g_pMeshLeft);
    g_pMeshRight = AllocMesh(96, 76);
    InitIdentityMesh(g_pMeshRight);
    ApplyFrameAdjustments(nullptr, g_pLeft, g_pRight, 1);
    EXPECT_EQ(left_.get(), g_leftMovie.pCurrent);
    EXPECT_EQ(right_.get(), g_rightMovie.pCurrent);
    EXPECT_EQ(nullptr, g_leftMovie.pAligned);
    EXPECT_EQ(nullptr, g_rightMovie.pAligned);
}

TEST_F(FrameHookTest, ActivationWithOnlyOffsetsPutsNothingInForce)
{
    g_nShiftX = -10;
    g_nShiftY = 3;
    ActivateAlignment(nullptr);
    EXPECT_EQ(0, g_bAdjustActive);
    EXPECT_EQ(nullptr, g_pMeshLeft);
    EXPECT_EQ(kTrimNone, g_nTrimState);
    EXPECT_EQ(1, g_nShowPairCalls);
}

TEST_F(FrameHookTest, ActivationBuildsMeshesAndTrims)
{
    struct Case {
        int shiftX, shiftY;
    } cases[] = {{0, 0}, {-10, 0}, {7, -3}};
    for (const Case &c : cases) {
        FreeAlignmentMeshes();
        g_nRotationL = 15;
        g_nRotationR = -15;
        g_nShiftX = c.shiftX;
        g_nShiftY = c.shiftY;
        g_nShowPairCalls = 0;
        ActivateAlignment(nullptr);
        EXPECT_EQ(1, g_bAdjustActive);
        EXPECT_TRUE(g_pMeshLeft && g_pMeshRight);
        CropRect r;
        ComputeCropRect(&r, left_.get(), 15, -15, 0, 0, 0, 0, 1000, 1000);
        EXPECT_EQ(kTrimApplied, g_nTrimState);
        EXPECT_EQ(r.left, g_rcTrim.left);
        EXPECT_EQ(r.top, g_rcTrim.top);
        // The offset comes off the right edge, then the width is made a
        // multiple of 4 and the height of 2.
        EXPECT_EQ(r.left + (r.right - abs(c.shiftX) - r.left) / 4 * 4, g_rcTrim.right);
        EXPECT_EQ(r.top + (r.bottom - abs(c.shiftY) - r.top) / 2 * 2, g_rcTrim.bottom);
        EXPECT_EQ(0, (g_rcTrim.right - g_rcTrim.left) % 4);
        EXPECT_EQ(1, g_nShowPairCalls);
    }
}

TEST_F(FrameHookTest, ActivationWithoutAutomaticTrimming)
{
    g_bAutoCrop = 0;
    g_nSize1000L = 10;
    ActivateAlignment(nullptr);
    EXPECT_EQ(1, g_bAdjustActive);
    EXPECT_EQ(kTrimNone, g_nTrimState);
}

TEST_F(FrameHookTest, NoShowWhileBusy)
{
    g_nBusy = kBusySaving;
    g_nRotationL = 3;
    ActivateAlignment(nullptr);
    EXPECT_EQ(0, g_nShowPairCalls);
    g_nBusy = kBusyIdle;
}

class PerFrameActivationTest : public FrameHookTest {
protected:
    std::string dir_, log_;
    void SetUp() override
    {
        FrameHookTest::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "twr_perframe_test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        strcpy(g_leftMovie.szPath, (dir_ + "clip.avi").c_str());
        log_ = dir_ + "alignment\\clip.csv";
        DeleteFileA(log_.c_str());
        g_bAllFrameAdjust = 1;
    }
    void TearDown() override
    {
        DeleteFileA(log_.c_str());
        RemoveDirectoryA((dir_ + "alignment").c_str());
        RemoveDirectoryA(dir_.c_str());
        g_bFrameLogRead = 0;
        FrameHookTest::TearDown();
    }
};

TEST_F(PerFrameActivationTest, ZeroValuesStillActivateWithTheWholeFrameTrimmed)
{
    g_bAutoCrop = 0;
    ActivateAlignment(nullptr);
    EXPECT_EQ(1, g_bAdjustActive);
    EXPECT_EQ(nullptr, g_pMeshLeft);  // every frame builds its own
    EXPECT_EQ(kTrimApplied, g_nTrimState);
    EXPECT_EQ(96, g_rcTrim.right);
    EXPECT_EQ(64, g_rcTrim.bottom);
    EXPECT_STREQ(log_.c_str(), g_szFrameLogPath);
    EXPECT_TRUE(boxes.shown.empty());  // no log yet
    EXPECT_EQ(0, g_bFrameLogRead);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir_ + "alignment").c_str()));
}

TEST_F(PerFrameActivationTest, AnExistingLogIsOfferedAndItsCropTaken)
{
    CreateDirectoryA((dir_ + "alignment").c_str(), nullptr);
    FILE *f = fopen(log_.c_str(), "wt");
    fputs("0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,5,91,3,61,-1,80,\n", f);
    fputs("1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,4,90,2,60,-1,80,\n", f);
    fclose(f);
    for (int answer : {IDNO, IDYES}) {
        boxes.shown.clear();
        boxes.answer = answer;
        ActivateAlignment(nullptr);
        ASSERT_EQ(1u, boxes.shown.size());
        EXPECT_EQ(std::string(LoadStr(IDS_ASK_REUSE_FRAME_LOG)) + "|" + log_, boxes.shown[0].text + "|" + boxes.shown[0].caption);
        EXPECT_EQ(answer == IDYES ? 1 : 0, g_bFrameLogRead);
    }
    // Yes: the log is smoothed (its header added) and the common region
    // trimmed: 5..90 wide (85, cut to 84), 3..60 high (57, cut to 56).
    EXPECT_EQ(kTrimApplied, g_nTrimState);
    EXPECT_EQ(5, g_rcTrim.left);
    EXPECT_EQ(89, g_rcTrim.right);
    EXPECT_EQ(3, g_rcTrim.top);
    EXPECT_EQ(59, g_rcTrim.bottom);
    f = fopen(log_.c_str(), "rt");
    char line[600];
    ASSERT_TRUE(fgets(line, sizeof line, f));
    fclose(f);
    EXPECT_STREQ(kFrameLogHeader, line);
}

} // namespace
