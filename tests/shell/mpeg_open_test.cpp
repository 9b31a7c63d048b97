// Damaged MPEG files opened through the main window, as the left movie
// beside a good right one and alone: either the pair opens and shows its
// frames, or the codec dialog names the file and the pair stays closed.
// The streams are made from the MPEG tests' own (made by ffmpeg and
// mjpegtools at test time), damaged here.
#include "mpeg/gop_index.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "sources/frame_fetch.h"
#include "sources/movie_records.h"
#include "state/app_state.h"
#include "tests/support/host_files.h"
#include "tests/support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

std::string Media(const char *name) { return HostFile(TWR_SHELL_MEDIA_DIR, name); }
std::string MpegMedia(const char *name) { return HostFile(TWR_MPEG_VIDEO_MEDIA, name); }
std::string Scratch(const char *name) { return HostFile(TWR_MPEG_OPEN_SCRATCH, name); }

// A copy of a stream in the scratch folder, without a ".gl" file of an
// earlier run.
std::string ScratchCopy(const char *name, const std::vector<unsigned char> &bytes)
{
    std::string path = Scratch(name);
    EXPECT_TRUE(WriteWholeFile(path, bytes)) << path;
    char gl[260];
    if (GopListFileName(path.c_str(), gl))
        DeleteFileA(gl);
    return path;
}

class MpegOpen : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!IsWindow(main)) {
            RegisterMpegDecoder();  // as the program's start does
            OpenMainWindow();
        }
        ClosePair();
        g_nSType = 0;
        g_nOpenModeL = g_nOpenModeR = 0;
        g_bReopening = 0;
    }

    void TearDown() override
    {
        ClosePair();
        MainWindowTest::TearDown();
    }

    static LRESULT OpenStereo(const std::string &path)
    {
        strcpy(g_szLeftName, path.c_str());
        return Command(IDM_OPEN_STEREO_BY_NAME);
    }
};

// Every sequence extension of an MPEG-2 stream stating 16383 x 16383: the
// dialog names the file, whether it is the left movie of a pair or alone.
TEST_F(MpegOpen, UnusablePictureSizeIsReported)
{
    std::vector<unsigned char> es = ReadWholeFile(MpegMedia("open.m2v"));
    int extensions = 0;
    for (size_t i = 0; i + 6 < es.size(); i++)
        if (es[i] == 0 && es[i + 1] == 0 && es[i + 2] == 1 && es[i + 3] == 0xB5 && (es[i + 4] >> 4) == 1) {
            es[i + 5] |= 0x01;
            es[i + 6] |= 0xE0;
            extensions++;
        }
    ASSERT_GT(extensions, 0);
    const std::string huge = ScratchCopy("huge.m2v", es);
    // The stream with its own sizes opens beside itself.
    ASSERT_TRUE(OpenPair(MpegMedia("open.m2v"), MpegMedia("open.m2v")));
    ClosePair();
    const struct {
        const char *what;
        bool alone;
    } cases[] = {{"left beside a good right movie", false}, {"alone", true}};
    for (const auto &c : cases) {
        dialogs.clear();
        if (c.alone) {
            OpenStereo(huge);
        } else {
            OpenPair(huge, Media("scene_R.avi"));
        }
        EXPECT_FALSE(g_pLeft->bOpen || g_pRight->bOpen) << c.what;
        ASSERT_EQ(dialogs.size(), 1u) << c.what;
        EXPECT_EQ(Utf8(dialogs[0].title), huge) << c.what;
        EXPECT_EQ(std::string(g_szHistory[0]).find("huge"), std::string::npos) << c.what;
    }
}

// A ".gl" file beside the left movie whose offsets all point 100 bytes
// before the end of the stream: the pair opens with every frame, the file is
// made anew, and so is the next open.
TEST_F(MpegOpen, GopListPointingElsewhereIsRebuilt)
{
    const std::vector<unsigned char> es = ReadWholeFile(MpegMedia("enc.m2v"));
    const std::string left = ScratchCopy("gl_L.m2v", es), right = ScratchCopy("gl_R.m2v", es);
    char gl[260];
    ASSERT_TRUE(GopListFileName(left.c_str(), gl));
    ASSERT_TRUE(OpenPair(left, right));
    ClosePair();
    const std::vector<unsigned char> good = ReadWholeFile(gl);
    ASSERT_GT(good.size(), 56u) << "the list of a stream without regular time codes";
    std::vector<unsigned char> damaged = good;
    const int gops = good[48] | good[49] << 8;
    for (int i = 0; i < gops; i++) {
        const long long offset = (long long)es.size() - 100 + i;
        for (int b = 0; b < 8; b++)
            damaged[56 + 28 * i + b] = (unsigned char)(offset >> (8 * b));
    }
    ASSERT_TRUE(WriteWholeFile(gl, damaged));
    dialogs.clear();
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(OpenPair(left, right)) << "round " << round;
        EXPECT_TRUE(dialogs.empty());
        EXPECT_EQ(g_pLeft->nFrames, g_pRight->nFrames);
        EXPECT_EQ(ReadWholeFile(gl), good) << "round " << round;
        // The pair is not only open but gives its pictures.
        for (int n : {0, g_pLeft->nFrames / 2, g_pLeft->nFrames - 1}) {
            EXPECT_EQ(FetchMovieFrame(g_pLeft, n), 0) << "round " << round << ", frame " << n;
            EXPECT_EQ(FetchMovieFrame(g_pRight, n), 0) << "round " << round << ", frame " << n;
        }
        ClosePair();
    }
}

} // namespace
