// Opening real movies through Video for Windows (Wine's AVIFile, its
// decoders, the project's Motion-JPEG driver and the DV stand-in) and the
// own AVI reader, checked against ffprobe and ffmpeg.
#include "sources/movie_open.h"
#include "sources/plugin_source.h"

#include "resources/resource_ids.h"
#include "shared/frame_conversions.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "sources/stereo_pair.h"
#include "standins/dv_codec/dv_standin.h"
#include "state/app_state.h"
#include "tests/support/message_boxes.h"

#include "media_fixtures.h"

#include <gtest/gtest.h>

#include <vfw.h>

namespace {

class OpenTest : public testing::Test {
protected:
    MovieSource left, right;
    char error[kOpenErrorBytes];
    BoxAnswerer boxes{IDOK};

    static void SetUpTestSuite() { AVIFileInit(); }
    static void TearDownTestSuite() { AVIFileExit(); }
    void SetUp() override
    {
        InitMovieSource(&left);
        InitMovieSource(&right);
        g_bTwoStreamAvi = 0;
        g_bDeinterlaceOpt = g_nFieldMode = 0;
        g_nCacheBudget = 16000000;
        error[0] = '\0';
    }
    void TearDown() override
    {
        CloseMovieSource(&left);
        CloseMovieSource(&right);
        g_bTwoStreamAvi = 0;
    }
    int Open(MovieSource &m, const std::string &name, int aviSynth = 0)
    {
        return OpenMovieSource(nullptr, MediaPath(name).c_str(), &m, error, aviSynth);
    }
    // The left record opened afresh from the file is refused with the
    // text of string id and keeps nothing it took.
    void ExpectRefusedReleasingAll(const char *name, int id)
    {
        TearDown();
        SetUp();
        EXPECT_EQ(Open(left, name), 1);
        EXPECT_STREQ(error, LoadStr(id));
        EXPECT_EQ(left.bOpen, 0);
        EXPECT_EQ(left.hic, nullptr);
        EXPECT_EQ(left.pChunk, nullptr);
        EXPECT_EQ(left.pVideoIndex, nullptr);
        EXPECT_EQ(left.hFile, -1);
    }
    // Opens the file into both records and compares every frame of the
    // pair road with ffmpeg's decoding.
    FrameDiff CompareAllFrames(const std::string &reference, int w, int h, int frames)
    {
        FrameDiff worst;
        std::vector<uint8_t> ref = ReadBytes(reference + ".bgr");
        for (int n = 0; n < frames; n++) {
            if (GetStereoFramePair(&left, n, &right, n) != 0) {
                ADD_FAILURE() << "frame " << n;
                return worst;
            }
            DibPtr want = BgrFrame(ref, w, h, n);
            if (!want) {
                ADD_FAILURE() << "no reference frame " << n;
                return worst;
            }
            FrameDiff d = Compare(left.pCurrent, want.get());
            if (d.max > worst.max)
                worst.max = d.max;
            if (d.mean > worst.mean)
                worst.mean = d.mean;
            EXPECT_EQ(Compare(right.pCurrent, want.get()).max, d.max);
        }
        return worst;
    }
};

}  // namespace

TEST_F(OpenTest, StreamFacts_AgreeWithFfprobe)
{
    REQUIRE_MEDIA();
    // Wine's getter misreads uncompressed frames out of order: they are
    // read by the own reader there (shared/platform_compat.h).
    const int kRawKind = AviGetterMisreadsRawFrames() ? kSourceOwnReader : kSourceAviFile;
    // And it decodes compressed frames from the start each time.
    const int kCompressedKind = AviGetterRedecodesCompressedFrames() ? kSourceOwnReader : kSourceAviFile;
    struct Case {
        const char *name;
        int kind;
        const char *reference;  // ffmpeg's decoding, or djpeg's for Motion-JPEG
        int maxDiff;
        double meanDiff;
    } cases[] = {
        {"raw", kRawKind, "raw", 0, 0},      // top-down rows
        {"rawbu", kRawKind, "rawbu", 0, 0},  // bottom-up rows
        {"cvid", kCompressedKind, "cvid", 6, 1.0},
        {"msvc", kCompressedKind, "msvc", 8, 1.0},
        {"mjpg", kCompressedKind, "mjpg_djpeg", 1, 0.05},
        {"oneframe", kSourceOwnReader, "oneframe", 0, 0},  // no frame 1: the own reader
        {"exact2g", kSourceOwnReader, nullptr, 0, 0},      // 2 GB: the own reader (a frame dropped: below)
        {"huge", kSourceOwnReader, "huge", 0, 0},          // 4.8 GB, chunks past 4 GB
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        std::string file = std::string(c.name) + ".avi";
        ASSERT_EQ(Open(left, file), 0) << error;
        ASSERT_EQ(Open(right, file), 0) << error;
        auto probe = ReadProbe(c.name);
        EXPECT_EQ(left.nKind, c.kind);
        EXPECT_EQ(left.bOpen, 1);
        EXPECT_STREQ(left.szName, file.c_str());
        EXPECT_EQ(std::to_string(left.nFrames), Probe(probe, 0, "nb_frames"));
        EXPECT_EQ(std::to_string(left.nWidth), Probe(probe, 0, "width"));
        EXPECT_EQ(std::to_string(left.nHeight), Probe(probe, 0, "height"));
        EXPECT_EQ(std::to_string(left.nRate / left.nScale) + "/1", Probe(probe, 0, "r_frame_rate"));
        EXPECT_NE(left.hDrawDib, nullptr);
        if (!Probe(probe, 1, "sample_rate").empty()) {
            EXPECT_EQ(std::to_string(left.nChannels), Probe(probe, 1, "channels"));
            EXPECT_EQ(std::to_string(left.nAudioRate / left.nAudioScale), Probe(probe, 1, "sample_rate"));
            ASSERT_NE(left.pWaveHeader, nullptr);
            DWORD rate;
            memcpy(&rate, left.pWaveHeader + 24, 4);
            EXPECT_EQ(std::to_string(rate), Probe(probe, 1, "sample_rate"));
            EXPECT_EQ(left.nAudioPerFrame % 8, 0);
        } else {
            EXPECT_EQ(left.pWaveHeader, nullptr);
        }
        if (!c.reference)
            continue;
        FrameDiff d = CompareAllFrames(c.reference, left.nWidth, left.nHeight, left.nFrames);
        EXPECT_LE(d.max, c.maxDiff);
        EXPECT_LE(d.mean, c.meanDiff);
    }
}

TEST_F(OpenTest, FramesAskedOutOfOrderAreTheRightOnes)
{
    REQUIRE_MEDIA();
    // cvid_gop: key frames 0, 4 and 8.
    for (const char *name : {"raw", "rawbu", "cvid", "cvid_gop", "msvc", "mjpg"}) {
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        std::string file = std::string(name) + ".avi";
        ASSERT_EQ(Open(left, file), 0) << error;
        ASSERT_EQ(Open(right, file), 0) << error;
        std::vector<uint8_t> ref = ReadBytes(std::string(name == std::string("mjpg") ? "mjpg_djpeg" : name) + ".bgr");
        for (int n : {1, 3, 9, 2, 7, 0, 5}) {
            ASSERT_EQ(GetStereoFramePair(&left, n, &right, n), 0);
            // Lossy codecs decode a frame by way of the ones before it.
            EXPECT_LE(Compare(left.pCurrent, BgrFrame(ref, 64, 48, n).get()).max, 8) << n;
        }
    }
}

TEST_F(OpenTest, SoundFactsBelongToEachRecord)
{
    REQUIRE_MEDIA();
    // 44.1 kHz 8-bit mono beside 8 kHz 16-bit mono: each record keeps its
    // own buffer size and frame size, whichever was opened last.
    ASSERT_EQ(Open(left, "mjpg.avi"), 0) << error;
    ASSERT_EQ(Open(right, "huge.avi"), 0) << error;
    EXPECT_EQ(left.nKind, AviGetterRedecodesCompressedFrames() ? kSourceOwnReader : kSourceAviFile);
    EXPECT_EQ(left.nAudioPerFrame, 1 * 44100 / 25 / 8 * 8);
    EXPECT_EQ(right.nAudioPerFrame, 2 * 8000 / 25);
    EXPECT_EQ(left.nWaveBufSize, (left.nAudioPerFrame + 8) * left.nFrames + 1000 + 100);
    EXPECT_EQ(right.nWaveBufSize, (right.nAudioPerFrame + 8) * 40 + 1000 + 100);
    EXPECT_EQ(right.nMaxFrameBytes, 32 * 16 * 3);
    EXPECT_EQ(left.nMaxFrameBytes, left.nKind == kSourceOwnReader ? 64 * 48 * 3 : 0);
}

TEST_F(OpenTest, OwnReaderSoundIndexAgreesWithFfprobe)
{
    REQUIRE_MEDIA();
    ASSERT_EQ(Open(left, "huge.avi"), 0) << error;
    ASSERT_EQ(left.nKind, kSourceOwnReader);
    std::vector<Packet> audio = ReadPackets("huge", 1);
    ASSERT_EQ(left.nAudioChunks, (int)audio.size());
    int64_t bytes = 0;
    for (int i = 0; i < left.nAudioChunks; i++) {
        EXPECT_EQ(left.pAudioIndex[i].Offset(), audio[i].pos);
        bytes += audio[i].size;
    }
    EXPECT_EQ(left.nAudioBytes, bytes);
    EXPECT_EQ(left.nMaxAudioChunk, 640);
    // Random access: frames read out of order still come out right.
    for (int n : {39, 3, 27, 28, 0, 35}) {
        ASSERT_EQ(GetStereoFramePair(&left, n, &left, n), 0);
        EXPECT_EQ(PixelAt(left.pCurrent, 0, 0).b, n);
    }
}

TEST_F(OpenTest, DroppedChunkShowsThePreviousFrame)
{
    REQUIRE_MEDIA();
    ASSERT_EQ(Open(left, "exact2g.avi"), 0) << error;
    ASSERT_EQ(Open(right, "exact2g.avi"), 0) << error;
    ASSERT_EQ(left.nKind, kSourceOwnReader);
    for (int n : {3, 2, 1, 2}) {
        ASSERT_EQ(GetStereoFramePair(&left, n, &right, n), 0) << n;
        EXPECT_EQ(PixelAt(left.pCurrent, 0, 0).b, n == 2 ? 1 : n);
    }
}

TEST_F(OpenTest, OneFrameMovieGoesThroughTheOwnReader)
{
    REQUIRE_MEDIA();
    // Frame 1 cannot be fetched from a one-frame movie.
    ASSERT_EQ(Open(left, "mjpg_one.avi"), 0) << error;
    ASSERT_EQ(Open(right, "mjpg_one.avi"), 0) << error;
    EXPECT_EQ(left.nKind, kSourceOwnReader);
    EXPECT_EQ(left.nFrames, 1);
    ASSERT_EQ(GetStereoFramePair(&left, 0, &right, 0), 0);
    DibPtr first = BgrFrame(ReadBytes("mjpg_djpeg.bgr"), 64, 48, 0);
    EXPECT_LE(Compare(left.pCurrent, first.get()).max, 1);
}

TEST_F(OpenTest, TwoStreamThreeDAvi)
{
    REQUIRE_MEDIA();
    g_bTwoStreamAvi = 1;
    right.nWidth = 1;  // the second eye: the last video stream
    ASSERT_EQ(Open(left, "stereo3d.avi"), 0) << error;
    ASSERT_EQ(Open(right, "stereo3d.avi"), 0) << error;
    std::vector<uint8_t> l = ReadBytes("stereo3d_left.bgr"), r = ReadBytes("stereo3d_right.bgr");
    for (int n = 0; n < left.nFrames; n++) {
        ASSERT_EQ(GetStereoFramePair(&left, n, &right, n), 0);
        EXPECT_LE(Compare(left.pCurrent, BgrFrame(l, 64, 48, n).get()).max, 1);
        EXPECT_LE(Compare(right.pCurrent, BgrFrame(r, 64, 48, n).get()).max, 1);
        EXPECT_GT(Compare(left.pCurrent, BgrFrame(r, 64, 48, n).get()).mean, 10);
    }
}

TEST_F(OpenTest, RefusalsCarryTheirTexts)
{
    REQUIRE_MEDIA();
    struct Case {
        const char *name;
        int id;
    } cases[] = {
        {"absent.avi", IDS_AVI_OPEN_FAILED},
        {"rate0.avi", IDS_STREAM_INFO_FAILED},    // a rate of 0 would divide by zero
        {"scale0.avi", IDS_STREAM_INFO_FAILED},
        {"dvreal.avi", IDS_NO_DV_CODEC},
        {"mjpg_db.avi", IDS_NO_FRAME_INDEX},  // its decompressor was found before the index failed
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // A failed own-reader set-up releases what it took at once.
        ExpectRefusedReleasingAll(c.name, c.id);
        EXPECT_EQ(left.pAudioIndex, nullptr);
    }
    EXPECT_STREQ(g_szFourcc, "MJPG");  // of the last video stream taken
}

// Damaged copies of good files (tests/sources/damage_avi.py): each is
// refused with its text, releases what it took, and leaves the opener able
// to open a good file next.
TEST_F(OpenTest, DamagedFilesAreRefusedWithTheirTexts)
{
    REQUIRE_MEDIA();
    struct Case {
        const char *name;
        int id;
    } cases[] = {
        // Headers AVIFile cannot survive: never handed to it.
        {"streams0.avi", IDS_AVI_INFO_FAILED},  // the main header counts no stream
        {"streams0_raw.avi", IDS_AVI_INFO_FAILED},
        {"streams3.avi", IDS_AVI_INFO_FAILED},  // three counted, two listed
        {"soundrate0.avi", IDS_STREAM_INFO_FAILED},  // sound of 0 samples a second
        {"soundrate0_raw.avi", IDS_STREAM_INFO_FAILED},
        // Uncompressed formats whose pixels cannot be laid out.
        {"bits0.avi", IDS_STREAM_INFO_FAILED},
        {"bits7.avi", IDS_STREAM_INFO_FAILED},
        {"pal8_none.avi", IDS_STREAM_INFO_FAILED},  // 8 bits, no palette
        {"pal8_million.avi", IDS_STREAM_INFO_FAILED},  // 8 bits, a million colours
        // Frames that cannot be decoded: the first one is tried at open.
        {"bits32.avi", IDS_NO_CODEC},  // 32 bits said over 24-bit frames
        {"idx1size100.avi", IDS_NO_CODEC},
        {"idx1size100_mjpg.avi", IDS_NO_CODEC},
        {"garbage_mjpg.avi", IDS_NO_CODEC},
        // Indexes whose every chunk lies outside the file.
        {"idx1past.avi", IDS_NO_FRAME_INDEX},
        {"idx1big.avi", IDS_NO_FRAME_INDEX},
        {"ixpast.avi", IDS_NO_FRAME_INDEX},
        {"ixbig.avi", IDS_NO_FRAME_INDEX},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRefusedReleasingAll(c.name, c.id);
        CloseMovieSource(&left);
        ASSERT_EQ(Open(right, "mjpg.avi"), 0) << error;
        EXPECT_EQ(right.bOpen, 1);
    }
}

// A stream length no file of its size could hold is bounded by the file's
// index: the last frame is the last one stored, and it is read.
TEST_F(OpenTest, LengthsTheFileCannotHoldAreBoundedByTheIndex)
{
    REQUIRE_MEDIA();
    struct Case {
        const char *name;
        int frames;
    } cases[] = {
        {"lengthlie_mjpg.avi", 10},  // 2,147,483,647 frames said
        {"lengthlie_raw.avi", 10},
        {"longlie.avi", 1},  // 2^31 - 16 frames said in 640 bytes
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        ASSERT_EQ(Open(left, c.name), 0) << error;
        ASSERT_EQ(Open(right, c.name), 0) << error;
        EXPECT_EQ(left.nFrames, c.frames);
        ASSERT_EQ(GetStereoFramePair(&left, c.frames - 1, &right, c.frames - 1), 0);
        if (c.frames > 1) {
            DibPtr last(CreateDib(left.nWidth, left.nHeight, 24, 0));
            memcpy(last.get(), left.pCurrent, DibTotalSize(left.pCurrent));
            ASSERT_EQ(GetStereoFramePair(&left, 0, &right, 0), 0);
            EXPECT_GT(Compare(left.pCurrent, last.get()).mean, 1);
        }
    }
}

TEST_F(OpenTest, ExtensionsAndAviSynth)
{
    REQUIRE_MEDIA();
    // Not AVI nor AviSynth: the plug-in opener (with its placeholder movie
    // in place), which leaves no text when the plug-in fails.
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    snprintf(g_szTempAvi, sizeof g_szTempAvi, "%stwr-open-test.avi", folder);
    WritePlaceholderAvi();
    EXPECT_EQ(Open(left, "movie.mpg"), 1);
    EXPECT_STREQ(error, "");
    EXPECT_EQ(Open(left, "noextension"), 1);
    EXPECT_STREQ(error, "");
    // Any case of AVI goes through AVIFile (Wine finds the file whatever the
    // case of its name).
    std::string upper = MediaPath("raw.avi");
    upper.replace(upper.size() - 3, 3, "AvI");
    EXPECT_EQ(OpenMovieSource(nullptr, upper.c_str(), &left, error, 0), 0) << error;
    EXPECT_EQ(left.bOpen, 1);
    CloseMovieSource(&left);

    // An AviSynth open writes the script and opens it; the record keeps
    // the movie's own path. (AviSynth is not installed: the open fails.)
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    snprintf(g_szTempAvs, sizeof g_szTempAvs, "%stwr.avs", temp);
    std::string movie = MediaPath("movie.mpg");
    EXPECT_EQ(OpenMovieSource(nullptr, movie.c_str(), &left, error, 1), 1);
    EXPECT_STREQ(left.szPath, movie.c_str());
    FILE *f = fopen(g_szTempAvs, "r");
    ASSERT_TRUE(f);
    char line[600] = {};
    fgets(line, sizeof line, f);
    fclose(f);
    EXPECT_EQ(std::string(line), "AviSource(\"" + movie + "\",pixel_type=\"RGB24\")\n");
    DeleteFileA(g_szTempAvs);
}

TEST_F(OpenTest, DvRoutes)
{
    REQUIRE_MEDIA();
    const DWORD dvsd = mmioFOURCC('d', 'v', 's', 'd'), dvis = mmioFOURCC('d', 'v', 'i', 's');
    // A 'dvsd' decoder: frames through AVIFile.
    ASSERT_TRUE(InstallDvStandin(dvsd));
    ASSERT_EQ(Open(left, "dv2.avi"), 0) << error;
    ASSERT_EQ(Open(right, "dv2.avi"), 0) << error;
    EXPECT_EQ(left.nKind, kSourceAviFile);
    ASSERT_EQ(GetStereoFramePair(&left, 2, &right, 3), 0);
    EXPECT_EQ(PixelAt(left.pCurrent, 100, 100), (Bgr{12, 22, 32}));
    EXPECT_EQ(PixelAt(right.pCurrent, 100, 100), (Bgr{13, 23, 33}));
    CloseMovieSource(&left);
    CloseMovieSource(&right);

    // Type-1 DV ('iavs'): the own reader at the stream's size, PAL here.
    for (const char *name : {"dv1.avi", "dv1_norect.avi"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Open(left, name), 0) << error;
        ASSERT_EQ(Open(right, name), 0) << error;
        EXPECT_EQ(left.nKind, kSourceOwnReader);
        EXPECT_EQ(left.nWidth, 720);
        EXPECT_EQ(left.nHeight, 576);
        ASSERT_EQ(GetStereoFramePair(&left, 1, &right, 0), 0);
        EXPECT_EQ(PixelAt(left.pCurrent, 700, 570), (Bgr{11, 21, 31}));
        EXPECT_EQ(PixelAt(right.pCurrent, 0, 0), (Bgr{10, 20, 30}));
        CloseMovieSource(&left);
        CloseMovieSource(&right);
    }
    RemoveDvStandin(dvsd);

    // Only a 'dvis' decoder: the own reader under that name.
    ASSERT_TRUE(InstallDvStandin(dvis));
    ASSERT_EQ(Open(left, "dv2.avi"), 0) << error;
    EXPECT_EQ(left.nKind, kSourceOwnReader);
    ASSERT_EQ(GetStereoFramePair(&left, 3, &left, 3), 0);
    EXPECT_EQ(PixelAt(left.pCurrent, 5, 5), (Bgr{13, 23, 33}));
    CloseMovieSource(&left);
    RemoveDvStandin(dvis);

    // Neither: the DV text.
    EXPECT_EQ(Open(left, "dv2.avi"), 1);
    EXPECT_STREQ(error, LoadStr(IDS_NO_DV_CODEC));
}

TEST_F(OpenTest, DeinterlacingLeavesTheDecodedFrameAlone)
{
    REQUIRE_MEDIA();
    g_bDeinterlaceOpt = 1;
    ASSERT_EQ(Open(left, "rawbu.avi"), 0) << error;
    ASSERT_EQ(Open(right, "rawbu.avi"), 0) << error;
    DibPtr want = BgrFrame(ReadBytes("rawbu.bgr"), 64, 48, 3);
    DeinterlaceFields(want.get(), 24);
    // Fetched twice at the same position (a refetch after a nudge): the
    // same picture, deinterlaced once.
    for (int round = 0; round < 2; round++) {
        ASSERT_EQ(GetStereoFramePair(&left, 3, &right, 3), 0);
        EXPECT_EQ(Compare(left.pCurrent, want.get()).max, 0) << round;
        EXPECT_NE(left.pCurrent, left.pDecoded);
    }
    g_bDeinterlaceOpt = 0;
}

TEST_F(OpenTest, DiscardFieldHalvesTheHeight)
{
    REQUIRE_MEDIA();
    g_bDeinterlaceOpt = 1;
    g_nFieldMode = 1;
    g_nRightField = 1;
    ASSERT_EQ(Open(left, "msvc.avi"), 0) << error;  // 16-bit frames, converted first
    ASSERT_EQ(Open(right, "raw.avi"), 0) << error;  // top-down 24-bit frames
    EXPECT_EQ(left.nHeight, 24);
    ASSERT_EQ(GetStereoFramePair(&left, 1, &right, 1), 0);
    EXPECT_EQ(left.nHeight, 24);
    EXPECT_EQ(right.nHeight, 24);
    DibPtr want = BgrFrame(ReadBytes("raw.bgr"), 64, 48, 1);
    for (int k = 0; k < 24; k++)
        EXPECT_EQ(memcmp(DibRow(right.pCurrent, k), DibRow(want.get(), 2 * k + 1), 64 * 3), 0) << k;
    g_bDeinterlaceOpt = g_nFieldMode = g_nRightField = 0;
}

TEST_F(OpenTest, FourccDialogShowsTheTextAndTheCode)
{
    std::string message = LoadStr(IDS_AVI_OPEN_FAILED);
    FourccDialogText t = {"C:\\movies\\x.avi", message.c_str()};
    strcpy(g_szFourcc, "XVID");
    HWND d = CreateDialogParamA(GetModuleHandleA(nullptr), "FOURCC", nullptr, FourccDlgProc, (LPARAM)&t);
    ASSERT_NE(d, nullptr);
    char text[600];
    GetWindowTextA(d, text, sizeof text);
    EXPECT_STREQ(text, t.path);
    GetDlgItemTextA(d, IDC_FOURCC_ERROR, text, sizeof text);
    EXPECT_STREQ(text, t.errorText);
    GetDlgItemTextA(d, IDC_FOURCC_TEXT, text, sizeof text);
    EXPECT_NE(strstr(text, "' XVID '"), nullptr);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, IDC_FOURCC_WEB)) || !IsWindowVisible(d));
    DestroyWindow(d);

    g_szFourcc[0] = '\0';
    d = CreateDialogParamA(GetModuleHandleA(nullptr), "FOURCC", nullptr, FourccDlgProc, (LPARAM)&t);
    GetDlgItemTextA(d, IDC_FOURCC_TEXT, text, sizeof text);
    EXPECT_STREQ(text, LoadStr(IDS_FOURCC_MISSING));
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(d, IDC_FOURCC_WEB), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(d, IDC_FOURCC_WEB_LABEL), GWL_STYLE) & WS_VISIBLE);
    DestroyWindow(d);
}
