// The save commands through the main window in this process: the file
// dialogs are answered with names the test queues (the name field, then
// OK), other modal dialogs cancelled and message boxes answered by the
// hook; the compressor choice is preset to uncompressed frames. What the
// commands wrote is read back through the program's own opener.
#include "pipeline/save_movie.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/string_table.h"
#include "shell/main_window.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_SHELL_MEDIA_DIR, name); }
std::string Out(const std::string &name) { return HostFile(TWR_SAVE_COMMANDS_OUT, name); }

// Frames and size of a saved movie, through the program's opener.
struct Saved {
    int frames = -1, width = 0, height = 0;
};
Saved ReadBack(const std::string &path)
{
    Saved s;
    MovieSource m;
    InitMovieSource(&m);
    char error[kOpenErrorBytes];
    if (OpenMovieSource(nullptr, path.c_str(), &m, error, 0) == 0) {
        s.frames = m.nFrames;
        s.width = m.nWidth;
        s.height = m.nHeight;
    }
    CloseMovieSource(&m);
    return s;
}

// Each test starts from a closed pair.
class SaveCommands : public MainWindowTest {
protected:
    static void SetUpTestSuite()
    {
        MainWindowTest::SetUpTestSuite();
        CreateDirectoryA(Out("").c_str(), nullptr);
    }
    void SetUp() override
    {
        MainWindowTest::SetUp();
        g_nSaveLayout = 0;
        g_bSavePreview = 1;
        g_bSaveResize = 0;
        g_nTrimState = kTrimNone;
        g_nSType = 0;
        g_bAskFileType = 1;
        OpenMainWindow();
        ClosePair();
        Pump();
    }

    // The message boxes' texts.
    static std::vector<std::string> Boxes() { return boxes->Texts(); }
};

}  // namespace

TEST_F(SaveCommands, StereoMovieThroughTheSaveDialog)
{
    OpenPair(Media("scene_L.avi"), Media("scene_R.avi"));
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    g_pLeft->nStart = 2;
    std::string out = Out("stereo.avi");
    DeleteFileA(out.c_str());
    names = {out};
    Command(IDM_SAVE_STEREO);
    EXPECT_TRUE(names.empty()) << "the dialog was not shown";
    EXPECT_TRUE(boxes->shown.empty());
    Saved s = ReadBack(out);
    EXPECT_EQ(s.frames, 8);
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 120);
    // The pair is shown as before the save.
    EXPECT_EQ(g_pLeft->nStart, 2);
    EXPECT_EQ(g_nFrameCount, 8);
    EXPECT_EQ(g_nBusy, 0);
    EXPECT_STREQ(g_szSaveName, out.c_str());
}

// Saving over a movie that is open would truncate it under its reader: the
// save is refused and the movie stays as it was.
TEST_F(SaveCommands, OutputOverAnOpenSourceIsRefused)
{
    std::string left = Out("over_L.avi"), right = Out("over_R.avi");
    ASSERT_TRUE(CopyFileA(Media("scene_L.avi").c_str(), left.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Media("scene_R.avi").c_str(), right.c_str(), FALSE));
    std::vector<unsigned char> before = ReadWholeFile(right);
    OpenPair(left, right);
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    // The same file named otherwise (the case of the letters).
    std::string sameFile = right;
    sameFile.replace(sameFile.size() - 5, 5, "r.AVI");
    names = {sameFile};
    Command(IDM_SAVE_STEREO);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], LoadStr(IDS_SAVE_OVER_SOURCE));
    EXPECT_TRUE(ReadWholeFile(right) == before);
    // Left and right movies whose right output is the open left movie.
    boxes->shown.clear();
    std::string base = Out("over");
    names = {base};
    g_bCopyStreams = 0;
    Command(IDM_SAVE_LEFT_RIGHT);  // over_l.avi and over_r.avi: the sources' names in other case
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], LoadStr(IDS_SAVE_OVER_SOURCE));
    EXPECT_TRUE(ReadWholeFile(right) == before);
    EXPECT_EQ(ReadBack(left).frames, 10);
}

// trip.avi gives trip_l.avi and trip_r.avi.
TEST_F(SaveCommands, LeftAndRightMoviesThroughTheSaveDialog)
{
    OpenPair(Media("scene_L.avi"), Media("scene_R.avi"));
    g_nShiftX = 16;
    std::string base = Out("trip");
    DeleteFileA((base + "_l.avi").c_str());
    DeleteFileA((base + "_r.avi").c_str());
    names = {base + ".avi"};
    Command(IDM_SAVE_LEFT_RIGHT);
    EXPECT_TRUE(boxes->shown.empty());
    for (const char *eye : {"_l.avi", "_r.avi"}) {
        Saved s = ReadBack(base + eye);
        EXPECT_EQ(s.frames, 10) << eye;
        EXPECT_EQ(s.width, 144) << eye;
        EXPECT_EQ(s.height, 120) << eye;
    }
    EXPECT_STREQ(g_szSaveName, (base + "_l.avi").c_str());
    EXPECT_STREQ(g_szRightSaveName, (base + "_r.avi").c_str());
}

// The batch list: an entry saved from a stereo file, one from a pair as
// left and right movies, one with too few commas (skipped), one whose
// sources cannot be opened (its old output kept, not deleted or
// "saved"), one whose joined path is too long (refused with a message).
TEST_F(SaveCommands, BatchListSavesEachEntry)
{
    std::string folder = Out("batch\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char *name : {"scene_L.avi", "scene_R.avi", "sbs.avi"})
        ASSERT_TRUE(CopyFileA(Media(name).c_str(), (folder + name).c_str(), FALSE));
    for (const char *name : {"b.avi", "x.avi", "y.avi", "z.avi"})
        DeleteFileA((folder + name).c_str());
    std::vector<unsigned char> old = {'o', 'l', 'd'};
    ASSERT_TRUE(WriteWholeFile(folder + "old.avi", old));
    std::string tooLong(300, 'n');
    {
        std::ofstream list(std::string(TWR_SAVE_COMMANDS_OUT) + "/batch/list.txt");
        list << "# pairs to save\n"
             << "11,0,0,0,0,sbs.avi,11,b.avi\n"
             << "21,0,0,0,0,scene_L.avi,scene_R.avi,21,x.avi,y.avi\n"
             << "11,0,0,sbs.avi\n"
             << "21,0,0,0,0,missing_L.avi,missing_R.avi,11,old.avi\n"
             << "11,0,0,0,0," << tooLong << ".avi,11,z.avi\n";
    }
    g_nSType = 0;        // side by side
    g_bAskFileType = 0;  // no question at the open of one file
    names = {folder + "list.txt"};
    Command(IDM_BATCH);
    EXPECT_EQ(g_nBatchCount, 5);
    Saved b = ReadBack(folder + "b.avi");
    EXPECT_EQ(b.frames, 10);
    EXPECT_EQ(b.width, 320);
    for (const char *name : {"x.avi", "y.avi"}) {
        Saved s = ReadBack(folder + name);
        EXPECT_EQ(s.frames, 10) << name;
        EXPECT_EQ(s.width, 160) << name;
    }
    EXPECT_TRUE(ReadWholeFile(folder + "old.avi") == old);
    EXPECT_FALSE(FileExists(folder + "z.avi"));
    // The failed open's error dialog, and the path that was too long.
    EXPECT_EQ(dialogs.size(), 1u);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], LoadStr(IDS_BATCH_PATH_TOO_LONG));
    EXPECT_EQ(g_nBusy, 0);
}

TEST_F(SaveCommands, UnreadableBatchListIsReported)
{
    names = {Out("no-such-list.txt")};
    g_nBatchCount = 3;
    Command(IDM_BATCH);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], LoadStr(IDS_RAW_OPEN_FAILED));
    EXPECT_EQ(g_nBatchCount, 0);
}

// A two-stream 3D-AVI split into left and right movies by copying the
// frames as they are.
TEST_F(SaveCommands, Split3dAviCopiesBothStreams)
{
    std::string source = HostFile(TWR_SAVE_MEDIA_DIR, "stereo3d.avi");
    std::string base = Out("split3d");
    DeleteFileA((base + "_l.avi").c_str());
    DeleteFileA((base + "_r.avi").c_str());
    names = {source, base};
    Command(IDM_SPLIT_3DAVI);
    EXPECT_TRUE(boxes->shown.empty());
    PAVIFILE file = nullptr;
    ASSERT_EQ(AVIFileOpenA(&file, source.c_str(), OF_SHARE_DENY_NONE, nullptr), 0);
    for (int eye = 0; eye < 2; eye++) {
        std::string copy = base + (eye ? "_r.avi" : "_l.avi");
        PAVISTREAM in = nullptr, out = nullptr;
        ASSERT_EQ(AVIFileGetStream(file, &in, streamtypeVIDEO, eye), 0);
        ASSERT_EQ(AVIStreamOpenFromFileA(&out, copy.c_str(), streamtypeVIDEO, 0, OF_READ, nullptr), 0) << copy;
        EXPECT_EQ(AVIStreamLength(out), AVIStreamLength(in));
        for (LONG i = 0; i < AVIStreamLength(in); i++) {
            std::vector<BYTE> a(1 << 16), b(1 << 16);
            LONG na = 0, nb = 0;
            AVIStreamRead(in, i, 1, a.data(), (LONG)a.size(), &na, nullptr);
            AVIStreamRead(out, i, 1, b.data(), (LONG)b.size(), &nb, nullptr);
            ASSERT_EQ(na, nb) << copy << " frame " << i;
            ASSERT_EQ(memcmp(a.data(), b.data(), (size_t)na), 0) << copy << " frame " << i;
        }
        AVIStreamRelease(out);
        AVIStreamRelease(in);
    }
    AVIFileRelease(file);
}

// A camera 3D-AVI through the save dialog with its panel: the kind chosen
// before, whole seconds of 320 x 240 frames, the pair shown as before.
TEST_F(SaveCommands, Camera3dAviThroughTheSaveDialog)
{
    OpenPair(Media("scene_L.avi"), Media("scene_R.avi"));
    ASSERT_TRUE(g_pLeft->bOpen && g_pRight->bOpen);
    g_pLeft->nStart = 2;
    g_n3dAviKind = 1;
    std::string out = Out("camera.avi");
    DeleteFileA(out.c_str());
    names = {out};
    Command(IDM_SAVE_3DAVI);
    EXPECT_TRUE(names.empty()) << "the dialog was not shown";
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0], "Making 3D AVI file");
    std::vector<unsigned char> file = ReadWholeFile(out);
    ASSERT_GT(file.size(), 28660u);
    EXPECT_EQ(file[224], 1);
    EXPECT_FALSE(FileExists(out + "tmp.avi"));
    Saved s = ReadBack(out);
    EXPECT_GT(s.frames, 0);
    EXPECT_EQ(s.frames % 30, 0);
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 240);
    EXPECT_EQ(g_pLeft->nStart, 2);
    EXPECT_EQ(g_nFrameCount, 8);
    EXPECT_EQ(g_nBusy, 0);
    g_n3dAviKind = 0;
}

// The date change opens its dialog with its own title.
TEST_F(SaveCommands, DateChangeOpensItsDialog)
{
    Command(IDM_CHANGE_3DS_DATE);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, LoadStr(IDS_TITLE_3DS_DATE));
}
