// The gaps in Wine's AVIFile that the opener works around (see
// shared/platform_compat.h), shown in a child process of this program.
#include "shared/platform_compat.h"

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
