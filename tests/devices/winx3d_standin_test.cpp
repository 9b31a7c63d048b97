// The stand-in driver as the page-flip tests' oracle: its log names the
// surfaces and hashes their pixels as its source documents, its dumps
// hold the same bytes, a surface set for an eye stays busy until replaced,
// and the slots never meant to be called say so.
#include "tests/devices/winx3d_test_support.h"

#include <ddraw.h>

#include <string.h>

namespace {

// Small system-memory surfaces in a plain DirectDraw object.
class StandinSurfaces : public StandinTest {
protected:
    void SetUp() override
    {
        StandinTest::SetUp();
        if (FAILED(DirectDrawCreate(nullptr, &dd_, nullptr)))
            GTEST_SKIP() << "no DirectDraw here";
        ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    }
    void TearDown() override
    {
        for (IDirectDrawSurface *s : surfaces_)
            s->Release();
        if (dd_)
            dd_->Release();
        StandinTest::TearDown();
    }
    // A surface of the given depth; at 32 bits its pixels are made from
    // `seed` (the fourth byte nonzero: the hash must not see it).
    IDirectDrawSurface *Make(int width, int height, int bits, int seed)
    {
        DDSURFACEDESC d;
        memset(&d, 0, sizeof d);
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        d.dwWidth = width;
        d.dwHeight = height;
        d.ddpfPixelFormat.dwSize = sizeof d.ddpfPixelFormat;
        d.ddpfPixelFormat.dwFlags = DDPF_RGB;
        d.ddpfPixelFormat.dwRGBBitCount = bits;
        d.ddpfPixelFormat.dwRBitMask = bits == 32 ? 0xff0000 : 0xf800;
        d.ddpfPixelFormat.dwGBitMask = bits == 32 ? 0xff00 : 0x07e0;
        d.ddpfPixelFormat.dwBBitMask = bits == 32 ? 0xff : 0x1f;
        IDirectDrawSurface *s = nullptr;
        if (FAILED(dd_->CreateSurface(&d, &s, nullptr)))
            return nullptr;
        surfaces_.push_back(s);
        if (bits == 32 && SUCCEEDED(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr))) {
            for (int y = 0; y < height; y++) {
                BYTE *row = (BYTE *)d.lpSurface + y * d.lPitch;
                for (int x = 0; x < width; x++) {
                    row[x * 4] = (BYTE)(seed + x * 10);
                    row[x * 4 + 1] = (BYTE)(seed * 3 + y * 20);
                    row[x * 4 + 2] = (BYTE)(x + y + seed);
                    row[x * 4 + 3] = 0xEE;
                }
            }
            s->Unlock(nullptr);
        }
        return s;
    }
    // The picture as the stand-in documents it: top-down B, G, R, 0.
    static std::vector<BYTE> Expected(int width, int height, int seed)
    {
        std::vector<BYTE> bytes;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                bytes.push_back((BYTE)(seed + x * 10));
                bytes.push_back((BYTE)(seed * 3 + y * 20));
                bytes.push_back((BYTE)(x + y + seed));
                bytes.push_back(0);
            }
        return bytes;
    }
    static std::string Fnv(const std::vector<BYTE> &bytes)
    {
        unsigned long long h = 14695981039346656037ULL;
        for (BYTE b : bytes)
            h = (h ^ b) * 1099511628211ULL;
        char text[20];
        snprintf(text, sizeof text, "%016llx", h);
        return text;
    }

    IDirectDraw *dd_ = nullptr;
    std::vector<IDirectDrawSurface *> surfaces_;
};

TEST_F(StandinSurfaces, LogHashesAndDumpsThePresentedEyes)
{
    char name[32];
    snprintf(name, sizeof name, "dump-%lu", GetCurrentProcessId());
    std::string dump = W3DDir(name);
    CreateDirectoryA(dump.c_str(), nullptr);
    settings_.Set("TWR_W3D_DUMP", dump);
    IDirectDrawSurface *left = Make(7, 3, 32, 1), *right = Make(7, 3, 32, 50), *shallow = Make(4, 2, 16, 0);
    ASSERT_TRUE(left && right && shallow);
    WinX3DContext *c = nullptr;
    ASSERT_EQ(LoadWinX3D(&c), 0u);

    EXPECT_EQ(W3DPresent(c, 0), 0u);  // nothing set yet
    EXPECT_EQ(W3DStartFlipping(c, 0, dd_, left, right), 0u);
    EXPECT_EQ(W3DSetEyeSurface(c, 0, left, 1), 0u);
    EXPECT_EQ(W3DSetEyeSurface(c, 0, right, 0), 0u);
    EXPECT_EQ(W3DPresent(c, 0), 0u);
    EXPECT_EQ(W3DSetEyeSurface(c, 0, shallow, 0), 0u);
    EXPECT_EQ(W3DUnload(c), 0u);

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 8u) << ReadWholeText(log_);
    EXPECT_EQ(lines[1], "Present device=0 arg=1 count=1 left=none lefthash=none right=none righthash=none result=0");
    EXPECT_EQ(lines[2], "StartFlipping device=0 first=s1 second=s2 result=0");
    std::string leftHash = Fnv(Expected(7, 3, 1)), rightHash = Fnv(Expected(7, 3, 50));
    EXPECT_EQ(lines[3], "SetEyeSurface device=0 surface=s1 eye=left size=7x3 hash=" + leftHash + " result=0");
    EXPECT_EQ(lines[4], "SetEyeSurface device=0 surface=s2 eye=right size=7x3 hash=" + rightHash + " result=0");
    EXPECT_EQ(lines[5], "Present device=0 arg=1 count=2 left=s1 lefthash=" + leftHash + " right=s2 righthash=" +
                            rightHash + " result=0");
    EXPECT_EQ(lines[6], "SetEyeSurface device=0 surface=s3 eye=right size=4x2 hash=bpp16 result=0");
    EXPECT_EQ(lines[7], "Close result=0");

    std::string leftFile = dump + "\\present000002_left_7x3.bgra", rightFile = dump + "\\present000002_right_7x3.bgra";
    EXPECT_EQ(ReadWholeFile(leftFile), Expected(7, 3, 1));
    EXPECT_EQ(ReadWholeFile(rightFile), Expected(7, 3, 50));
    DeleteFileA(leftFile.c_str());
    DeleteFileA(rightFile.c_str());
    EXPECT_TRUE(RemoveDirectoryA(dump.c_str())) << "only the second present had eyes to dump";
}

TEST_F(StandinSurfaces, SurfaceBusyUntilAnotherIsSetForItsEye)
{
    IDirectDrawSurface *a = Make(4, 4, 32, 1), *b = Make(4, 4, 32, 2), *third = Make(4, 4, 32, 3);
    ASSERT_TRUE(a && b && third);
    WinX3DContext *c = nullptr;
    ASSERT_EQ(LoadWinX3D(&c), 0u);
    auto status = [&](IDirectDrawSurface *s) {
        DWORD value = 0xFFFF;
        EXPECT_EQ(W3DGetSurfaceStatus(c, 0, s, &value), 0u);
        return value;
    };
    EXPECT_EQ(W3DStartFlipping(c, 0, dd_, a, b), 0u);
    EXPECT_EQ(status(a), 0u);
    W3DSetEyeSurface(c, 0, a, 1);
    EXPECT_EQ(status(a), 0x08u);
    EXPECT_EQ(status(b), 0u);
    W3DSetEyeSurface(c, 0, b, 0);
    EXPECT_EQ(status(b), 0x08u);
    W3DSetEyeSurface(c, 0, third, 1);  // the left eye moves on
    EXPECT_EQ(status(a), 0u);
    EXPECT_EQ(status(third), 0x08u);
    EXPECT_EQ(status(b), 0x08u);
    W3DSetEyeSurface(c, 0, a, 0);  // and the right one
    EXPECT_EQ(status(b), 0u);
    EXPECT_EQ(status(a), 0x08u);
    // A new start forgets what was set.
    EXPECT_EQ(W3DStartFlipping(c, 0, dd_, a, b), 0u);
    EXPECT_EQ(status(a), 0u);
    EXPECT_EQ(status(third), 0u);
    EXPECT_EQ(W3DUnload(c), 0u);
    EXPECT_EQ(LogField(LogOf("GetSurfaceStatus")[1], "status"), "0x8");
}

TEST_F(StandinTest, SlotsNeverCalledSayWhichOne)
{
    WinX3DContext *c = nullptr;
    ASSERT_EQ(LoadWinX3D(&c), 0u);
    WinX3DFunctions *t = c->pFunctions;
    struct Slot {
        void *fn;
        const char *offset;
    } slots[] = {{t->unused08, "0x08"}, {t->unused0c, "0x0c"}, {t->unused14, "0x14"}, {t->unused1c, "0x1c"},
                 {t->unused20, "0x20"}, {t->unused30, "0x30"}, {t->unused34, "0x34"}, {t->unused38, "0x38"}};
    for (const Slot &s : slots) {
        ASSERT_NE(s.fn, nullptr) << s.offset;
        ((W3DUnloadFn)s.fn)(c);
    }
    std::vector<std::string> lines = LogOf("unexpected");
    ASSERT_EQ(lines.size(), 8u);
    for (size_t i = 0; i < 8; i++)
        EXPECT_EQ(lines[i], std::string("unexpected slot=") + slots[i].offset);
    EXPECT_EQ(W3DUnload(c), 0u);
}

}  // namespace
