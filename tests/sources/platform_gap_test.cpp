// The gaps in Wine's AVIFile that the opener works around (see
// shared/platform_compat.h), shown in a child process of this program.
#include "shared/platform_compat.h"

#include "sources/movie_open.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"

#include "media_fixtures.h"

#include <gtest/gtest.h>

#include <vfw.h>

namespace {

// When TWR_AVIFILEOPEN names a file, this program only opens it through
// AVIFile, reads its streams' facts as the opener does, and ends: 0 done,
// 2 refused.
const int s_child = [] {
    char path[600];
    if (!GetEnvironmentVariableA("TWR_AVIFILEOPEN", path, sizeof path))
        return 0;
    AVIFileInit();
    PAVIFILE f = nullptr;
    HRESULT hr = AVIFileOpenA(&f, path, OF_SHARE_DENY_NONE, nullptr);
    if (hr == 0) {
        AVIFILEINFOA fi;
        AVIFileInfoA(f, &fi, sizeof fi);
        for (DWORD j = 0; j < fi.dwStreams; j++) {
            PAVISTREAM s = nullptr;
            if (AVIFileGetStream(f, &s, 0, (LONG)j) != 0)
                continue;
            AVISTREAMINFOA si;
            AVIStreamInfoA(s, &si, sizeof si);
            AVIStreamLength(s);
            AVIStreamRelease(s);
        }
        AVIFileRelease(f);
    }
    ExitProcess(hr == 0 ? 0 : 2);
    return 0;
}();

// The child's exit code, or -1 when it had not ended after the wait.
int OpenInChild(const std::string &path, DWORD waitMs)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    SetEnvironmentVariableA("TWR_AVIFILEOPEN", path.c_str());
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi;
    char cmd[MAX_PATH + 2];
    snprintf(cmd, sizeof cmd, "\"%s\"", self);
    BOOL started = CreateProcessA(self, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("TWR_AVIFILEOPEN", nullptr);
    if (!started)
        return -2;
    int result = -1;
    if (WaitForSingleObject(pi.hProcess, waitMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        result = (int)code;
    } else {
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

}  // namespace

TEST(PlatformGap, WineAviFileOpenHangsOrAbortsWhereTheOpenerAvoidsIt)
{
    REQUIRE_MEDIA();
    if (!IsRunningOnWine())
        GTEST_SKIP() << "not under Wine";
    EXPECT_EQ(OpenInChild(MediaPath("raw.avi"), 20000), 0);
    // An AVI 1.0 file of 2 GB: AVIFileOpen does not return.
    EXPECT_EQ(OpenInChild(MediaPath("exact2g.avi"), 12000), -1);
    // A stream of rate 0: reading its facts stops the process (an assertion).
    int rate0 = OpenInChild(MediaPath("rate0.avi"), 20000);
    EXPECT_NE(rate0, 0);
    EXPECT_NE(rate0, 2);

    // Uncompressed frames asked out of order: the getter gives frame 1's
    // picture for frame 3.
    AVIFileInit();
    PAVIFILE f = nullptr;
    ASSERT_EQ(AVIFileOpenA(&f, MediaPath("rawbu.avi").c_str(), OF_SHARE_DENY_NONE, nullptr), 0);
    PAVISTREAM s = nullptr;
    ASSERT_EQ(AVIFileGetStream(f, &s, streamtypeVIDEO, 0), 0);
    PGETFRAME g = AVIStreamGetFrameOpen(s, nullptr);
    ASSERT_NE(g, nullptr);
    std::vector<uint8_t> ref = ReadBytes("rawbu.bgr");
    DibPtr frame1 = BgrFrame(ref, 64, 48, 1), frame3 = BgrFrame(ref, 64, 48, 3);
    ASSERT_NE(Compare(frame1.get(), frame3.get()).max, 0);
    AVIStreamGetFrame(g, 1);
    const BYTE *got = (const BYTE *)AVIStreamGetFrame(g, 3) + sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(memcmp(got, FindDibBits(frame1.get()), 64 * 48 * 3), 0);
    EXPECT_NE(memcmp(got, FindDibBits(frame3.get()), 64 * 48 * 3), 0);
    AVIStreamGetFrameClose(g);
    AVIStreamRelease(s);
    AVIFileRelease(f);
    AVIFileExit();
    EXPECT_TRUE(AviGetterMisreadsRawFrames());

    EXPECT_TRUE(AviFileOpenUnusable(0x80000000ull, false));
    EXPECT_TRUE(AviFileOpenUnusable(1000, true));
    EXPECT_FALSE(AviFileOpenUnusable(0x7FFFFFFFull, false));
}

namespace {

// The decompressor of delta.avi and delta_trust.avi (tests/sources/
// avi_writer.py): a "K" chunk sets the count to its second byte, a "D"
// chunk adds its second byte to the count of the frame decoded before;
// the picture is the count in blue. A frame comes out right only when
// decoded on from its key frame. Every decompression is counted.
const DWORD kDelta = mmioFOURCC('T', 'W', 'R', 'D');
int g_decodes;

bool IsDelta(const BITMAPINFOHEADER *in)
{
    return in && in->biCompression == kDelta && in->biWidth > 0 && in->biWidth <= 64 && in->biHeight > 0 &&
           in->biHeight <= 64;
}

LRESULT DeltaQuery(const BITMAPINFOHEADER *in, const BITMAPINFOHEADER *out)
{
    if (!IsDelta(in))
        return ICERR_BADFORMAT;
    if (out && !(out->biCompression == BI_RGB && out->biBitCount == 24 && out->biWidth == in->biWidth &&
                 abs(out->biHeight) == in->biHeight))
        return ICERR_BADFORMAT;
    return ICERR_OK;
}

LRESULT CALLBACK DeltaProc(DWORD_PTR id, HDRVR driver, UINT msg, LPARAM p1, LPARAM p2)
{
    int *count = (int *)id;  // each open instance keeps its own count
    switch (msg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
        return 1;
    case DRV_OPEN:
        if (p2)
            ((ICOPEN *)p2)->dwError = ICERR_OK;
        return (LRESULT) new int(-1);
    case DRV_CLOSE:
        delete count;
        return 1;
    case ICM_GETINFO: {
        ICINFO *info = (ICINFO *)p1;
        if (!info || (DWORD)p2 < sizeof(ICINFO))
            return 0;
        memset(info, 0, sizeof *info);
        info->dwSize = sizeof *info;
        info->fccType = ICTYPE_VIDEO;
        info->fccHandler = kDelta;
        info->dwVersionICM = ICVERSION;
        return sizeof *info;
    }
    case ICM_DECOMPRESS_QUERY:
    case ICM_DECOMPRESS_BEGIN:
        return DeltaQuery((const BITMAPINFOHEADER *)p1, (const BITMAPINFOHEADER *)p2);
    case ICM_DECOMPRESS_GET_FORMAT: {
        const BITMAPINFOHEADER *in = (const BITMAPINFOHEADER *)p1;
        BITMAPINFOHEADER *out = (BITMAPINFOHEADER *)p2;
        if (!IsDelta(in))
            return ICERR_BADFORMAT;
        if (!out)
            return sizeof(BITMAPINFOHEADER);
        *out = *in;
        out->biSize = sizeof *out;
        out->biCompression = BI_RGB;
        out->biBitCount = 24;
        out->biSizeImage = (DWORD)DibRowBytes(in->biWidth, 24) * (DWORD)in->biHeight;
        return ICERR_OK;
    }
    case ICM_DECOMPRESS: {
        const ICDECOMPRESS *d = (const ICDECOMPRESS *)p1;
        if (!count || !d || DeltaQuery(d->lpbiInput, d->lpbiOutput) != ICERR_OK || d->lpbiInput->biSizeImage < 2)
            return ICERR_BADFORMAT;
        const BYTE *data = (const BYTE *)d->lpInput;
        *count = data[0] == 'K' ? data[1] : *count + data[1];
        g_decodes++;
        int rowBytes = DibRowBytes(d->lpbiOutput->biWidth, 24);
        BYTE *bits = (BYTE *)d->lpOutput;
        for (int y = 0; y < abs(d->lpbiOutput->biHeight); y++)
            for (int x = 0; x < d->lpbiOutput->biWidth; x++) {
                BYTE *p = bits + (size_t)y * rowBytes + 3 * x;
                p[0] = (BYTE)*count, p[1] = p[2] = 0;
            }
        return ICERR_OK;
    }
    case ICM_DECOMPRESS_END:
        return ICERR_OK;
    default:
        return msg < DRV_USER ? DefDriverProc(id, driver, msg, p1, p2) : ICERR_UNSUPPORTED;
    }
}

}  // namespace

TEST(PlatformGap, WineGetterDecodesCompressedFramesAgainFromAFarKeyFrame)
{
    REQUIRE_MEDIA();
    ASSERT_TRUE(ICInstall(ICTYPE_VIDEO, kDelta, (LPARAM)DeltaProc, nullptr, ICINSTALL_FUNCTION));
    AVIFileInit();
    // 24 frames, key frames 0, 8 and 16.
    struct Case {
        const char *file;
        LONG keyBefore13;                 // what Wine's index says
        int decodesFor12, decodesFor13;   // by Wine's getter
        bool ownIndex;                    // the file has an index the own reader reads
    } cases[] = {
        // AVIF_TRUSTCKTYPE, as ffmpeg writes: only frame 0 is a key frame
        // to Wine, and frame n costs n + 1 decompressions.
        {"delta_trust.avi", 0, 13, 14, true},
        // Key frames kept: each call still decodes on from the key frame.
        {"delta.avi", 8, 5, 6, true},
        // No index: Wine makes one from the chunks, without key frames.
        {"delta_noidx.avi", 0, 13, 14, false},
    };
    if (IsRunningOnWine()) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.file);
            PAVIFILE f = nullptr;
            ASSERT_EQ(AVIFileOpenA(&f, MediaPath(c.file).c_str(), OF_SHARE_DENY_NONE, nullptr), 0);
            PAVISTREAM s = nullptr;
            ASSERT_EQ(AVIFileGetStream(f, &s, streamtypeVIDEO, 0), 0);
            EXPECT_EQ(AVIStreamFindSample(s, 13, FIND_KEY | FIND_PREV), c.keyBefore13);
            PGETFRAME g = AVIStreamGetFrameOpen(s, nullptr);
            ASSERT_NE(g, nullptr);
            // The same frame twice: it is decoded again, not kept.
            struct Step {
                int frame, decodes;
            } steps[] = {{12, c.decodesFor12}, {13, c.decodesFor13}, {13, c.decodesFor13}};
            for (const Step &st : steps) {
                g_decodes = 0;
                const BYTE *frame = (const BYTE *)AVIStreamGetFrame(g, st.frame);
                ASSERT_NE(frame, nullptr);
                EXPECT_EQ(g_decodes, st.decodes) << st.frame;
                EXPECT_EQ(frame[sizeof(BITMAPINFOHEADER)], st.frame);  // the right picture, all the same
            }
            AVIStreamGetFrameClose(g);
            AVIStreamRelease(s);
            AVIFileRelease(f);
        }
        EXPECT_TRUE(AviGetterRedecodesCompressedFrames());
    }

    // The opener reads such files through the own reader there: key frames
    // from the file's index, on from the frame held. A file without an
    // index stays with the getter.
    g_bTwoStreamAvi = 0;
    g_bDeinterlaceOpt = g_nFieldMode = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        MovieSource m;
        InitMovieSource(&m);
        char error[kOpenErrorBytes];
        ASSERT_EQ(OpenMovieSource(nullptr, MediaPath(c.file).c_str(), &m, error, 0), 0) << error;
        EXPECT_EQ(m.nKind, AviGetterRedecodesCompressedFrames() && c.ownIndex ? kSourceOwnReader : kSourceAviFile);
        EXPECT_EQ(m.nFrames, 24);
        struct Step {
            int frame, decodes;
        } steps[] = {{12, 5}, {13, 1}, {13, 0}, {23, 8}, {5, 6}, {6, 1}, {0, 1}, {16, 1}};
        for (const Step &st : steps) {
            g_decodes = 0;
            ASSERT_EQ(GetStereoFramePair(&m, st.frame, &m, st.frame), 0) << st.frame;
            EXPECT_EQ(PixelAt(m.pCurrent, 3, 2).b, st.frame);
            if (m.nKind == kSourceOwnReader)
                EXPECT_EQ(g_decodes, st.decodes) << st.frame;
        }
        CloseMovieSource(&m);
    }
    AVIFileExit();
    ICRemove(ICTYPE_VIDEO, kDelta, 0);
}
