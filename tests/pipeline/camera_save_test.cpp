// Camera 3D-AVI saves of real pairs and the 3DS date change on files made
// here. What the saved files hold (streams, frames, sound, EXIF, previews)
// and what the date change left (every byte but the date characters) is
// checked by ffprobe, ffmpeg and exiftool in check_camera.py, from the
// manifest these tests write.
#include "pipeline/camera_avi.h"

#include "pipeline/camera_files.h"
#include "pipeline/jpeg_file.h"
#include "pipeline/movie_date.h"
#include "resources/resource_ids.h"
#include "shared/global_memory.h"
#include "shared/string_table.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"
#include "state/pipeline_state.h"
#include "tests/pipeline/save_fixture.h"

#include <stdio.h>
#include <string.h>

#include <fstream>

namespace {

typedef std::vector<unsigned char> Bytes;

std::string ManifestPath() { return std::string(TWR_TEST_OUT_DIR) + "/camera_manifest.txt"; }
const bool s_manifestCleared = (remove(ManifestPath().c_str()), true);
void Manifest(const std::string &line)
{
    std::ofstream out(ManifestPath(), std::ios::app);
    out << line << "\n";
}

class CameraSaveTest : public SaveTest {
protected:
    char error[kOpenErrorBytes];

    void SetUp() override
    {
        SaveTest::SetUp();
        ResetMovieRecords();
        SetStartValues();
        g_nCacheBudget = 16000000;
        g_bSavePreview = 1;
        g_nSoundlr = 0;
        g_nShiftX = g_nShiftY = 0;
        g_nEndOffset = 0;
        g_nTrimState = 0;
        g_nFrame = 0;
        g_bSaveResize = g_bSmartSize = g_bKeepAspect = g_bHalfSize = g_bSaveBorder = 0;
        g_nJpegQuality = 75;
        g_bRecDateSet = 0;
        g_szFfmpegPath[0] = '\0';  // the system's converters
        error[0] = '\0';
    }
    void TearDown() override
    {
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
        g_n3dAviKind = 0;
        g_bRecDateSet = 0;
        g_nRecYear = 0;
        SaveTest::TearDown();
    }
    void OpenPair(const char *left, const char *right, int rightStart = 0)
    {
        ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia(left).c_str(), g_pLeft, error, 0), 0) << error;
        ASSERT_EQ(OpenMovieSource(nullptr, SaveMedia(right).c_str(), g_pRight, error, 0), 0) << error;
        g_pRight->nStart = rightStart;
    }
    int Save(const std::string &name)
    {
        std::string path = OutPath(name);
        DeleteFileA(path.c_str());
        lstrcpynA(g_stereoPair.szName, path.c_str(), sizeof g_stereoPair.szName);
        return Save3dAvi(g_hwndMain, &g_stereoPair, path.c_str());
    }
};

void SetDate(int y, int mo, int d, int h, int mi, int s)
{
    g_nRecYear = y, g_nRecMonth = mo, g_nRecDay = d, g_nRecHour = h, g_nRecMinute = mi, g_nRecSecond = s;
}

}  // namespace

// A 3DS kind and a FUJIFILM kind, each from a pair its own reader or
// AVIFile reads: whole seconds at the camera's rate, the intermediate and
// work files gone, the header's camera bytes.
TEST_F(CameraSaveTest, SavesWholeSecondsAtTheCamerasRate)
{
    struct Case {
        const char *name, *left, *right;
        int rightStart, endCut, kind;
        int sourceFrames, outputFrames, totalFrames;
        int kindByte, fps;
        bool sound;
    } cases[] = {
        // 10 frames at 25 a second: 8 at 20, filled to 20.
        {"cam_3ds.avi", "L.avi", "R.avi", 4, 0, 3, 10, 8, 20, 17, 20, true},
        // 12 frames at 25: 14 at 30, filled to 30.
        {"cam_w3.avi", "Lm.avi", "Rm.avi", 0, 0, 0, 12, 14, 30, 2, 30, true},
        // One frame: one output frame, a second of it; its 40 ms of sound
        // are too short to convert, so the second is silent.
        {"cam_one.avi", "L.avi", "R.avi", 0, 11, 1, 1, 1, 30, 1, 30, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenPair(c.left, c.right, c.rightStart);
        g_nEndOffset = c.endCut;
        g_n3dAviKind = c.kind;
        g_bRecDateSet = 1;
        SetDate(2011, 2, 26, 13, 5, 9);
        ShownBoxes().clear();
        ASSERT_EQ(Save(c.name), 0);
        EXPECT_EQ(g_nBusy, 0);
        EXPECT_EQ(g_nJpegSampling, 0);
        EXPECT_EQ(g_nFrameCount, c.sourceFrames);
        // The start and end notices of the final file, after the notice
        // of the silent sound where there is one.
        ASSERT_EQ(ShownBoxes().size(), c.sound ? 2u : 3u);
        if (!c.sound)
            EXPECT_EQ(ShownBoxes()[0].text, LoadStr(IDS_NO_3DAVI_SOUND));
        EXPECT_EQ(ShownBoxes()[c.sound ? 0 : 1].caption, "Start");
        EXPECT_EQ(ShownBoxes().back().caption, "End");
        std::string path = OutPath(c.name);
        EXPECT_FALSE(FileExists(path + "tmp.avi"));
        Bytes file = ReadWholeFile(path);
        ASSERT_GT(file.size(), (size_t)kCameraHeaderBytes);
        EXPECT_EQ(memcmp(&file[0], "RIFF", 4), 0);
        EXPECT_EQ(file[4] | file[5] << 8 | file[6] << 16 | (size_t)file[7] << 24, file.size() - 8);
        EXPECT_EQ(file[224], c.kindByte);
        EXPECT_EQ(file[225], c.fps);
        EXPECT_EQ(memcmp(&file[kCameraHeaderBytes + 8], "movi", 4), 0);
        char done[600];
        snprintf(done, sizeof done, LoadStr(IDS_SAVE_DONE), path.c_str());
        EXPECT_EQ(WindowTitle(g_hwndMain), done);
        const CameraKind &k = CameraKindFacts(c.kind);
        Manifest(std::string(c.name) + " left=" + c.left + " right=" + c.right + " rstart=" +
                 std::to_string(c.rightStart) + " width=" + std::to_string(k.eyeWidth) + " height=" +
                 std::to_string(k.eyeHeight) + " fps=" + std::to_string(c.fps) + " N=" + std::to_string(c.sourceFrames) + " n=" + std::to_string(c.outputFrames) +
                 " total=" + std::to_string(c.totalFrames) + " sound=" + (c.sound ? c.left : "none") + " exif=" + (IsNintendoKind(c.kind) ? "2011:02:26_13:05:09" : "none"));
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
    }
}

// The sound through ffmpeg (the stand-in beside this program) from a
// left movie that starts at its frame 5: the file's sound begins with the
// source's sound at 0.2 s. Without a date of the user's the EXIF dates are
// the clock's.
TEST_F(CameraSaveTest, SoundThroughFfmpegFollowsTheStart)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    *strrchr(self, '\\') = '\0';
    snprintf(g_szFfmpegPath, sizeof g_szFfmpegPath, "%s\\ffmpeg.exe", self);
    ASSERT_TRUE(FileExists(g_szFfmpegPath));
    OpenPair("Lchirp.avi", "Rm.avi", 5);
    g_pLeft->nStart = 5;
    g_n3dAviKind = 4;  // 400 x 240, 30 a second
    ASSERT_EQ(Save("cam_ffmpeg.avi"), 0);
    EXPECT_EQ(g_nFrameCount, 7);
    ASSERT_EQ(ShownBoxes().size(), 2u);
    // 7 frames at 25 a second: 8 at 30, filled to 30.
    Manifest("cam_ffmpeg.avi left=Lchirp.avi right=Rm.avi lstart=5 rstart=5 width=400 height=240 fps=30 N=7 n=8 total=30 "
             "sound=Lchirp.avi sstart=9600 exif=clock");
    g_szFfmpegPath[0] = '\0';
}

// A cancel during the third second ends the file after that second: 60
// frames at 20 a second of the 80 that 100 source frames give.
namespace {
WNDPROC s_mainProc;
LRESULT CALLBACK CancelInThirdSecond(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    // Output frame 50 shows source frame 62.
    if (msg == WM_SETTEXT && strstr((const char *)lp, "(0-62-99)"))
        g_bCancel = 1;
    return CallWindowProcA(s_mainProc, w, msg, wp, lp);
}
}  // namespace

TEST_F(CameraSaveTest, CancelEndsAtTheEndOfASecond)
{
    OpenPair("Llong.avi", "Rlong.avi");
    g_n3dAviKind = 3;
    g_bRecDateSet = 1;
    SetDate(2011, 2, 26, 13, 5, 9);
    s_mainProc = (WNDPROC)SetWindowLongPtrA(g_hwndMain, GWLP_WNDPROC, (LONG_PTR)CancelInThirdSecond);
    int result = Save("cam_cancel.avi");
    SetWindowLongPtrA(g_hwndMain, GWLP_WNDPROC, (LONG_PTR)s_mainProc);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_bCancel, 0);
    EXPECT_EQ(g_pLeft->nStart, 0);
    // Output frame 59, the last one written, shows source frame 73.
    Manifest("cam_cancel.avi left=Llong.avi right=Rlong.avi rstart=0 width=400 height=240 fps=20 N=74 n=60 total=60 "
             "sound=Llong.avi exif=2011:02:26_13:05:09");
}

// A 3DS-style file made here: the camera header, a frame with the EXIF
// block (the date three times after "Nintendo") and filler, with a date
// text before the anchor that must stay. The dialog's read gives the date;
// a rewrite changes the three dates and nothing else (check_camera.py
// compares the bytes and has exiftool read the new date); the same date
// written again leaves the file as it was.
TEST_F(CameraSaveTest, DateChangeOfA3dsFile)
{
    g_nJpegSampling = 2;
    g_bRecDateSet = 1;
    SetDate(2011, 2, 26, 13, 5, 9);
    PackedDib *eye = CreateDib(400, 240, 24, 1);
    BYTE *bits = FindDibBits(eye);
    for (int i = 0; i < 400 * 240 * 3; i++)
        bits[i] = (BYTE)(i * 13 / 7);
    int size = 0;
    std::string work = OutPath("date_work.jpg");
    BYTE *frame = MakeExifFrameJpeg(eye, work.c_str(), &size);
    FreeDib(eye);
    g_nJpegSampling = 0;
    ASSERT_NE(frame, nullptr);
    Bytes file(kCameraHeaderBytes, 0);
    memcpy(&file[0], "RIFF", 4);
    memcpy(&file[100], "0000:11:22 33:44:55", 19);  // before the anchor
    size_t at = file.size();
    file.insert(file.end(), frame, frame + size);
    FreeGlobalBlock(frame);
    for (size_t i = file.size(); i < 120000; i++)
        file.push_back((unsigned char)(i * 31 >> 3));
    std::string before = OutPath("date_before.avi"), after = OutPath("date_after.avi");
    ASSERT_TRUE(WriteWholeFile(before, file));
    ASSERT_TRUE(WriteWholeFile(after, file));

    SetDate(0, 0, 0, 0, 0, 0);
    ASSERT_EQ(Read3dsMovieDate(after.c_str()), 1);
    EXPECT_EQ(g_nRecYear, 2011);
    EXPECT_EQ(g_nRecMonth, 2);
    EXPECT_EQ(g_nRecDay, 26);
    EXPECT_EQ(g_nRecHour, 13);
    EXPECT_EQ(g_nRecMinute, 5);
    EXPECT_EQ(g_nRecSecond, 9);
    EXPECT_EQ(Write3dsMovieDate(after.c_str()), 3);
    EXPECT_EQ(ReadWholeFile(after), file);

    SetDate(2013, 12, 31, 23, 59, 58);
    EXPECT_EQ(Write3dsMovieDate(after.c_str()), 3);
    ASSERT_EQ(Read3dsMovieDate(after.c_str()), 1);
    EXPECT_EQ(g_nRecYear, 2013);
    EXPECT_EQ(g_nRecSecond, 58);
    EXPECT_EQ(ReadWholeFile(after).size(), file.size());
    Manifest("date_after.avi before=date_before.avi jpeg_at=" + std::to_string(at) +
             " date=2013:12:31_23:59:58");

    // A date part wider than its field: refused, the file unchanged.
    Bytes changed = ReadWholeFile(after);
    SetDate(2013, 123, 31, 23, 59, 58);
    EXPECT_EQ(Write3dsMovieDate(after.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(after), changed);
}

// Files too short, missing or without an anchor give nothing; a file that
// cannot be written back reports nothing rewritten and keeps its bytes.
TEST_F(CameraSaveTest, DateChangeRefusals)
{
    Bytes body(100000, 'x');
    memcpy(&body[10], "Nintendo", 8);
    memcpy(&body[200], "2011:02:26 13:05:09", 19);
    struct Case {
        const char *name;
        size_t size;
        bool anchor;
        int found;
    } cases[] = {
        {"date_short.avi", 99999, true, 0},
        {"date_least.avi", 100000, true, 1},
        {"date_noanchor.avi", 100000, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Bytes b(body.begin(), body.begin() + c.size);
        if (!c.anchor)
            b[10] = 'n';
        std::string path = OutPath(c.name);
        ASSERT_TRUE(WriteWholeFile(path, b));
        SetDate(1, 2, 3, 4, 5, 6);
        EXPECT_EQ(Read3dsMovieDate(path.c_str()), c.found);
        EXPECT_EQ(g_nRecYear, c.found ? 2011 : 1);
        SetDate(2020, 1, 1, 0, 0, 0);
        EXPECT_EQ(Write3dsMovieDate(path.c_str()), c.found);
        if (!c.found)
            EXPECT_EQ(ReadWholeFile(path), b);
    }
    EXPECT_EQ(Read3dsMovieDate(OutPath("date_missing.avi").c_str()), 0);
    EXPECT_EQ(Write3dsMovieDate(OutPath("date_missing.avi").c_str()), 0);

    // Another program holds the file open for reading only.
    std::string path = OutPath("date_locked.avi");
    ASSERT_TRUE(WriteWholeFile(path, body));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SetDate(2020, 1, 1, 0, 0, 0);
    EXPECT_EQ(Write3dsMovieDate(path.c_str()), 0);
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(path), body);
}

// The segment rewrite on files: a damaged JPEG is left as it was, with no
// "$" copy behind; a good one loses its APP0.
TEST_F(CameraSaveTest, SegmentRewriteOnFiles)
{
    std::string path = OutPath("segments.jpg");
    Bytes damaged = {0xFF, 0xD8, 0xFF, 0xDB, 0x40, 0x00, 1, 2, 3};
    ASSERT_TRUE(WriteWholeFile(path, damaged));
    EXPECT_EQ(RewriteJpegSegments(path.c_str(), 3), 9);
    EXPECT_EQ(ReadWholeFile(path), damaged);
    EXPECT_FALSE(FileExists(path + "$"));
    Bytes good = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'a', 'b', 0xFF, 0xDA, 0, 2, 0xFF, 0xD9};
    ASSERT_TRUE(WriteWholeFile(path, good));
    EXPECT_EQ(RewriteJpegSegments(path.c_str(), 3), 0);
    EXPECT_EQ(ReadWholeFile(path), (Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0xFF, 0xD9}));
    EXPECT_FALSE(FileExists(path + "$"));
    EXPECT_EQ(RewriteJpegSegments(OutPath("segments_missing.jpg").c_str(), 3), 1);
}

namespace {

void Put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (unsigned char)(v >> 8 * i);
}
void Append(Bytes &b, const char *id, const Bytes &payload)
{
    size_t at = b.size();
    b.insert(b.end(), id, id + 4);
    b.resize(b.size() + 4);
    Put32(b, at + 4, (uint32_t)payload.size());
    b.insert(b.end(), payload.begin(), payload.end());
    if (payload.size() & 1)
        b.push_back(0);
}

}  // namespace

// The final file from an intermediate AVI made here, whose movie data
// holds the ids' letters inside the chunks: only the chunk ids and the
// index entries change; an older, longer output is replaced whole; the
// intermediate file goes.
TEST_F(CameraSaveTest, FinalFileRenamesOnlyChunkIds)
{
    std::string out = OutPath("cam_ids.avi"), temp = out + "tmp.avi";
    Bytes tmp(kTempHeaderBytes, 0);
    memcpy(&tmp[0], "RIFF", 4);
    memcpy(&tmp[8], "AVI ", 4);
    Bytes data1, data2, sound;
    for (const char *s : {"00db", "02db", "0", "2", "d", "b"})
        data1.insert(data1.end(), s, s + strlen(s));
    data2 = Bytes(101, '0');
    data2.back() = 'd';
    for (int i = 0; i < 10; i++)
        sound.insert(sound.end(), {'0', '0', 'd', 'b'});
    Bytes movi = {'m', 'o', 'v', 'i'};
    Append(movi, "00db", data1);
    Append(movi, "01wb", sound);
    Append(movi, "02db", data2);
    Bytes list;
    Append(list, "LIST", movi);
    tmp.insert(tmp.end(), list.begin(), list.end());
    Bytes index;
    const char *ids[3] = {"00db", "01wb", "02db"};
    uint32_t offsets[3] = {4, 4 + 8 + (uint32_t)data1.size(), 4 + 16 + (uint32_t)(data1.size() + sound.size())};
    uint32_t sizes[3] = {(uint32_t)data1.size(), (uint32_t)sound.size(), (uint32_t)data2.size()};
    for (int i = 0; i < 3; i++) {
        Bytes e(16);
        memcpy(&e[0], ids[i], 4);
        Put32(e, 4, 0x10);
        Put32(e, 8, offsets[i]);
        Put32(e, 12, sizes[i]);
        index.insert(index.end(), e.begin(), e.end());
    }
    Append(tmp, "idx1", index);
    Put32(tmp, 4, (uint32_t)tmp.size() - 8);
    // Wine's writer leaves zeros after the RIFF: not copied.
    Bytes file = tmp;
    file.resize(file.size() + 20, 0);
    ASSERT_TRUE(WriteWholeFile(temp, file));
    ASSERT_TRUE(WriteWholeFile(out, Bytes(500000, 'x')));

    g_n3dAviKind = 0;
    ShownBoxes().clear();
    ASSERT_EQ(WriteCamera3dAvi(out.c_str(), OutPath("ids_work.jpg").c_str(), nullptr, nullptr), 0);
    EXPECT_FALSE(FileExists(temp));
    Bytes got = ReadWholeFile(out);
    ASSERT_EQ(got.size(), kCameraHeaderBytes + tmp.size() - kTempHeaderBytes);
    EXPECT_EQ(got[4] | got[5] << 8 | got[6] << 16 | (size_t)got[7] << 24, got.size() - 8);
    Bytes expected(tmp.begin() + kTempHeaderBytes, tmp.end());
    // The ids of the two video chunks and of their index entries.
    size_t movieAt = 12, secondAt = movieAt + 8 + data1.size() + 8 + sound.size(), indexAt = list.size() + 8;
    expected[movieAt + 3] = 'c';
    expected[secondAt + 3] = 'c';
    expected[indexAt + 3] = 'c';
    expected[indexAt + 32 + 3] = 'c';
    EXPECT_EQ(Bytes(got.begin() + kCameraHeaderBytes, got.end()), expected);
    EXPECT_EQ(ShownBoxes().size(), 2u);

    // An intermediate file that is not there: nothing written, the step
    // named in the title.
    DeleteFileA(out.c_str());
    EXPECT_EQ(WriteCamera3dAvi(OutPath("cam_none.avi").c_str(), OutPath("ids_work.jpg").c_str(), nullptr, nullptr), 6);
    EXPECT_FALSE(FileExists(OutPath("cam_none.avi")));
    EXPECT_EQ(WindowTitle(g_hwndMain), "3DAVI_ERROR_CHECK_005");
}
