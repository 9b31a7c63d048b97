// The WinX3D driver's loader and registry helpers: value lookup (case,
// entries too long for the buffers, 80-byte names, defaults), the refresh
// rates per mode, loading from the registry's folder (missing key, missing
// library or export, the folder length bound, the backslash joining),
// unloading, the display description and the guarded calls.
#include "devices/winx3d_driver.h"

#include "tests/devices/winx3d_test_support.h"

#include <limits.h>
#include <string.h>

namespace {

const char kValues[] = "SOFTWARE\\W3D\\VALUES";

// The 32-bit program shares these records with the driver byte for byte.
#if !defined(_WIN64)
static_assert(kW3DContextBytes == 20 && sizeof(WinX3DFunctions) == 60, "context and table");
static_assert(kW3DBlockShort == 12 && kW3DBlockFull == 44, "driver block entries");
static_assert(sizeof(WinX3DCaps) == 12 && sizeof(W3DDisplayInfo) == 296, "caps and display records");
static_assert(offsetof(W3DDisplayInfo, hwnd) == 276 && offsetof(WinX3DFunctions, GetSurfaceStatus) == 0x2c, "offsets");
#endif

TEST(WinX3DRegistryNames, CompareNoCase)
{
    struct Case {
        const char *a, *b;
        int expected;
    } cases[] = {
        {"WIN3D", "win3d", 0},
        {"RateFor640x480", "RATEFOR640X480", 0},
        {"", "", 0},
        {"abc", "abd", 'C' - 'D'},
        {"abd", "ABC", 'D' - 'C'},
        {"win3d", "WIN3", 'D'},           // a longer text ends later
        {"WIN3", "win3d", -'D'},
        {"[", "{", '[' - '{'},            // only letters fold
        {"\xe0", "\xc0", 0xe0 - 0xc0},    // bytes above 0x7f are compared as they are
        {"\x80", "a", 0x80 - 'A'},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CompareNoCase(c.a, c.b), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
}

TEST(WinX3DRegistryNames, FlipperKey)
{
    struct Case {
        int device;
        const char *expected;
    } cases[] = {
        {-1, "SOFTWARE\\W3D\\FLIPPER\\WIN3D"},
        {0, "SOFTWARE\\W3D\\FLIPPER\\WIN3D\\0"},
        {12, "SOFTWARE\\W3D\\FLIPPER\\WIN3D\\12"},
        {INT_MIN, "SOFTWARE\\W3D\\FLIPPER\\WIN3D\\-2147483648"},
    };
    for (const Case &c : cases) {
        char key[64];
        memset(key, '#', sizeof key);
        EXPECT_EQ(GetWinX3DFlipperKey(c.device, key), 0u);
        EXPECT_STREQ(key, c.expected);
    }
}

class WinX3DRegistry : public ::testing::Test {
protected:
    W3DRegistry registry_;
};

TEST_F(WinX3DRegistry, NameMatchedWithoutRegardToCase)
{
    ASSERT_TRUE(registry_.SetText("VALUES", "Win3d", "Z:\\drv"));
    ASSERT_TRUE(registry_.SetNumber("VALUES", "ratefor640x480", 72));
    char text[260];
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "WIN3D", text, sizeof text, nullptr, "", 0), 0u);
    EXPECT_STREQ(text, "Z:\\drv");
    DWORD value = 0;
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "RateFor640X480", nullptr, 0, &value, nullptr, 0), 0u);
    EXPECT_EQ(value, 72u);
}

// Values whose name or data do not fit the lookup's buffers come first in
// the enumeration; the value wanted after them is still found.
TEST_F(WinX3DRegistry, EntriesLongerThanTheBuffersAreSkipped)
{
    std::string longData(300, 'd');
    std::string longName(100, 'B');
    ASSERT_TRUE(registry_.SetText("VALUES", "AAA", longData));
    ASSERT_TRUE(registry_.SetNumber("VALUES", longName, 5));
    ASSERT_TRUE(registry_.SetText("VALUES", "WIN3D", "Z:\\after"));
    ASSERT_TRUE(registry_.SetNumber("VALUES", "Zrate", 85));

    // The fixture: the first two entries do not fit 80 and 256 bytes.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kValues, 0, KEY_READ, &key), ERROR_SUCCESS);
    for (DWORD i = 0; i < 2; i++) {
        char name[80];
        BYTE data[256];
        DWORD nameBytes = sizeof name, dataBytes = sizeof data;
        EXPECT_EQ(RegEnumValueA(key, i, name, &nameBytes, nullptr, nullptr, data, &dataBytes), ERROR_MORE_DATA)
            << "entry " << i;
    }
    RegCloseKey(key);

    char text[260];
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "win3d", text, sizeof text, nullptr, "", 0), 0u);
    EXPECT_STREQ(text, "Z:\\after");
    DWORD value = 0;
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "ZRATE", nullptr, 0, &value, nullptr, 1), 0u);
    EXPECT_EQ(value, 85u);
    // The over-long entries themselves are never taken.
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "AAA", text, sizeof text, nullptr, "none", 0), 24u);
    EXPECT_STREQ(text, "none");
}

TEST_F(WinX3DRegistry, NamesOf80BytesOrMoreAreNeverMatched)
{
    struct Case {
        size_t length;
        bool found;
    } cases[] = {{1, true}, {78, true}, {79, true}, {80, false}, {81, false}, {200, false}};
    for (const Case &c : cases) {
        std::string name(c.length, 'N');
        registry_.Clear();
        ASSERT_TRUE(registry_.SetNumber("VALUES", name, 33));
        DWORD value = 7;
        DWORD r = FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, name.c_str(), nullptr, 0, &value, nullptr, 9);
        EXPECT_EQ(r, c.found ? 0u : 24u) << c.length << " letters";
        EXPECT_EQ(value, c.found ? 33u : 9u) << c.length << " letters";
    }
}

TEST_F(WinX3DRegistry, DefaultsWhenKeyOrValueIsAbsent)
{
    char text[16];
    DWORD value = 0;
    // No key at all.
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "WIN3D", text, sizeof text, &value, "def", 41), 24u);
    EXPECT_STREQ(text, "def");
    EXPECT_EQ(value, 41u);
    // The key without the value.
    ASSERT_TRUE(registry_.SetNumber("VALUES", "Other", 1));
    value = 0;
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "WIN3D", nullptr, 0, &value, nullptr, 42), 24u);
    EXPECT_EQ(value, 42u);
    // A default longer than the buffer is cut to length - 1.
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "WIN3D", text, 4, nullptr, "abcdef", 0), 24u);
    EXPECT_STREQ(text, "abc");
    // Length 0: the buffer is not touched.
    strcpy(text, "kept");
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Other", text, 0, nullptr, "x", 0), 0u);
    EXPECT_STREQ(text, "kept");
    // Neither a text buffer nor a number to fill: nothing to look up.
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Other", nullptr, 0, nullptr, nullptr, 0), 24u);
}

TEST_F(WinX3DRegistry, TextOrFirst32BitWord)
{
    ASSERT_TRUE(registry_.SetText("VALUES", "Folder", "Z:\\folder"));
    ASSERT_TRUE(registry_.SetNumber("VALUES", "Rate", 0x12345678));
    const BYTE two[2] = {0x34, 0x12};
    ASSERT_TRUE(registry_.SetBytes("VALUES", "Two", REG_BINARY, two, sizeof two));
    std::string full(256, 'f'), over(257, 'o');
    ASSERT_TRUE(registry_.SetBytes("VALUES", "Full", REG_BINARY, full.data(), 256));  // no NUL
    ASSERT_TRUE(registry_.SetBytes("VALUES", "Over", REG_BINARY, over.data(), 257));

    char text[300];
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Folder", text, sizeof text, nullptr, "", 0), 0u);
    EXPECT_STREQ(text, "Z:\\folder");
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Folder", text, 5, nullptr, "", 0), 0u);
    EXPECT_STREQ(text, "Z:\\f");
    DWORD value = 0;
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Rate", nullptr, 0, &value, nullptr, 0), 0u);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Two", nullptr, 0, &value, nullptr, 0), 0u);
    EXPECT_EQ(value, 0x1234u);
    // 256 bytes without a terminator become 256 characters and a NUL.
    memset(text, '#', sizeof text);
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Full", text, sizeof text, nullptr, "", 0), 0u);
    EXPECT_EQ(std::string(text), full);
    EXPECT_EQ(FindRegistryValue(HKEY_LOCAL_MACHINE, kValues, "Over", text, sizeof text, nullptr, "", 0), 24u);
}

TEST_F(WinX3DRegistry, RefreshRateFromModeKeyThenFallback)
{
    struct Case {
        const char *what;
        const char *key;  // under SOFTWARE\W3D; null: nothing written
        const char *name;
        DWORD value;
        const char *key2;
        const char *name2;
        DWORD value2;
        int device;
        DWORD result, rate;
    } cases[] = {
        {"the mode's own rate", "FLIPPER\\WIN3D\\0", "RateFor1024x768x32", 85, nullptr, nullptr, 0, 0, 0, 85},
        {"the own rate before the fallback", "FLIPPER\\WIN3D\\0", "RateFor1024x768x32", 85, "FLIPPER\\WIN3D\\0",
         "RateFor1024x768", 60, 0, 0, 85},
        {"only the fallback", "FLIPPER\\WIN3D\\0", "RateFor1024x768", 75, nullptr, nullptr, 0, 0, 24, 75},
        {"own rate 0, so the fallback", "FLIPPER\\WIN3D\\0", "RateFor1024x768x32", 0, "FLIPPER\\WIN3D\\0",
         "RateFor1024x768", 60, 0, 0, 60},
        {"another depth's rate is not the mode's", "FLIPPER\\WIN3D\\0", "RateFor1024x768x16", 100, nullptr, nullptr,
         0, 0, 24, 0},
        {"neither", nullptr, nullptr, 0, nullptr, nullptr, 0, 0, 24, 0},
        {"another device's key", "FLIPPER\\WIN3D\\1", "RateFor1024x768x32", 120, nullptr, nullptr, 0, 0, 24, 0},
        {"device 1", "FLIPPER\\WIN3D\\1", "RateFor1024x768x32", 120, nullptr, nullptr, 0, 1, 0, 120},
        {"device -1: the key without a number", "FLIPPER\\WIN3D", "RateFor1024x768", 50, nullptr, nullptr, 0, -1,
         24, 50},
    };
    for (const Case &c : cases) {
        registry_.Clear();
        if (c.key) {
            ASSERT_TRUE(registry_.SetNumber(c.key, c.name, c.value));
        }
        if (c.key2) {
            ASSERT_TRUE(registry_.SetNumber(c.key2, c.name2, c.value2));
        }
        DWORD rate = 999;
        EXPECT_EQ(GetWinX3DRefreshRate(1024, 768, 32, c.device, &rate), c.result) << c.what;
        EXPECT_EQ(rate, c.rate) << c.what;
    }
    EXPECT_EQ(GetWinX3DRefreshRate(1024, 768, 32, 0, nullptr), 1u);
}

// ---- Loading and unloading.

bool DriverLoaded() { return GetModuleHandleA("W3D_DD.DLL") != nullptr; }

// The text lengthened with 'x' to `length` characters.
std::string Padded(const std::string &text, size_t length) { return text + std::string(length - text.size(), 'x'); }

class WinX3DLoad : public StandinTest {};

TEST_F(WinX3DLoad, NoKeyOrNoValueIs24)
{
    registry_.Clear();
    WinX3DContext *c = (WinX3DContext *)1;
    EXPECT_EQ(LoadWinX3D(&c), 24u);
    EXPECT_EQ(c, nullptr);
    ASSERT_TRUE(registry_.SetText("", "WIN3DX", W3DDir("driver")));
    c = (WinX3DContext *)1;
    EXPECT_EQ(LoadWinX3D(&c), 24u);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(LoadWinX3D(nullptr), (DWORD)kW3DNullArgument);
}

TEST_F(WinX3DLoad, NoLibraryOrNoExportIsRefusedAndNothingStaysLoaded)
{
    struct Case {
        const char *what;
        std::string folder;
    } cases[] = {
        {"a folder without the library", W3DDir("empty")},
        {"a folder that does not exist", W3DDir("missing")},
        {"a library without the export", W3DDir("no_export")},
        {"an empty folder text", ""},
        // 255 characters: the value is read, but the path would not fit.
        {"a folder too long for the path", Padded(W3DDir("driver") + "\\", 255)},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(registry_.SetFolder(c.folder));
        WinX3DContext *context = (WinX3DContext *)1;
        EXPECT_EQ(LoadWinX3D(&context), (DWORD)kW3DNotLoadable) << c.what;
        EXPECT_EQ(context, nullptr) << c.what;
        EXPECT_FALSE(DriverLoaded()) << c.what;
    }
    EXPECT_TRUE(LogLines().empty()) << "the stand-in was never filled";
}

TEST_F(WinX3DLoad, LoadsTheDriverAndUnloadsIt)
{
    WinX3DContext *c = nullptr;
    ASSERT_EQ(LoadWinX3D(&c), 0u);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(DriverLoaded());
    EXPECT_EQ(c->cbSize, (DWORD)kW3DContextBytes);
    EXPECT_EQ(c->hModule, GetModuleHandleA("W3D_DD.DLL"));
    ASSERT_NE(c->pFunctions, nullptr);
    // The driver filled its slots; the program's own unload replaced its.
    EXPECT_NE(c->pFunctions->StartFlipping, nullptr);
    EXPECT_NE(c->pFunctions->Present, nullptr);
    EXPECT_NE(c->pFunctions->SetEyeSurface, nullptr);
    EXPECT_NE(c->pFunctions->GetCaps, nullptr);
    EXPECT_NE(c->pFunctions->GetSurfaceStatus, nullptr);
    EXPECT_EQ(c->pFunctions->Unload, &UnloadWinX3D);
    ASSERT_NE(c->pDriverBlock, nullptr);
    EXPECT_EQ(c->pDriverBlock->cbSize, (DWORD)kW3DBlockFull);
    EXPECT_EQ(LogOf("Fill").size(), 1u);

    EXPECT_EQ(W3DUnload(c), 0u);
    EXPECT_FALSE(DriverLoaded());
    std::vector<std::string> lines = LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Close result=0");
    EXPECT_TRUE(LogOf("unexpected").empty());
}

// The folder, a backslash unless it ends in one, "W3D_DD.DLL" and the NUL
// fill at most 260 bytes: 248 characters fit, 249 do not unless the last
// is the backslash.
TEST_F(WinX3DLoad, FolderLengthBound)
{
    const size_t fits = 260 - 1 - strlen("W3D_DD.DLL") - 1;
    std::string base = W3DDir("len");
    ASSERT_LT(base.size() + 2, fits);
    std::string standin = W3DDir("driver") + "\\W3D_DD.DLL";
    auto folderOf = [&](size_t length) {
        std::string folder = Padded(base, length);
        CreateDirectoryA(folder.c_str(), nullptr);
        CopyFileA(standin.c_str(), (folder + "\\W3D_DD.DLL").c_str(), FALSE);
        return folder;
    };
    struct Case {
        std::string folder;
        DWORD result;
    } cases[] = {
        {folderOf(fits), 0},
        {folderOf(fits - 1) + "\\", 0},
        // 249 characters ending in the backslash: a second one would not fit.
        {folderOf(fits) + "\\", 0},
        {folderOf(fits + 1), kW3DNotLoadable},
        {folderOf(fits + 1) + "\\", kW3DNotLoadable},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(registry_.SetFolder(c.folder));
        WinX3DContext *context = nullptr;
        EXPECT_EQ(LoadWinX3D(&context), c.result) << c.folder.size() << " characters: " << c.folder;
        if (context) {
            EXPECT_EQ(W3DUnload(context), 0u);
        }
        EXPECT_FALSE(DriverLoaded());
    }
    for (size_t length : {fits - 1, fits, fits + 1}) {
        std::string folder = Padded(base, length);
        DeleteFileA((folder + "\\W3D_DD.DLL").c_str());
        RemoveDirectoryA(folder.c_str());
    }
}

// In code page 932 a folder may end in a double-byte character whose
// second byte is 0x5C: that is not a backslash, so one is added.
TEST_F(WinX3DLoad, FolderEndingInDoubleByteCharacterGetsItsBackslash)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs code page 932";
    std::string folder = W3DDir("driver") + "\\\x95\x5c";  // "表"
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileA((W3DDir("driver") + "\\W3D_DD.DLL").c_str(), (folder + "\\W3D_DD.DLL").c_str(), FALSE));
    ASSERT_TRUE(registry_.SetFolder(folder));
    WinX3DContext *c = nullptr;
    EXPECT_EQ(LoadWinX3D(&c), 0u);
    if (c)
        W3DUnload(c);
    DeleteFileA((folder + "\\W3D_DD.DLL").c_str());
    RemoveDirectoryA(folder.c_str());
}

// Hand-made contexts: the unload's refusals, and what it does with the
// driver block of each size.
int g_closes;
WinX3DContext *g_closedWith;
DWORD __cdecl RecordClose(WinX3DContext *c)
{
    g_closes++;
    g_closedWith = c;
    return 0;
}

TEST(WinX3DUnload, RefusesNullAndSmallContexts)
{
    EXPECT_EQ(UnloadWinX3D(nullptr), (DWORD)kW3DNullArgument);
    WinX3DContext small = {};
    for (DWORD size : {0, 8, 11}) {
        small.cbSize = size;
        EXPECT_EQ(UnloadWinX3D(&small), (DWORD)kW3DContextTooSmall) << size;
    }
}

TEST(WinX3DUnload, ClosesAndFreesTheDriverBlock)
{
    struct Case {
        const char *what;
        DWORD blockSize;  // 0: no block
        bool closeEntry;
        int closes;
    } cases[] = {
        {"no block", 0, false, 0},
        {"a block holding only its size", (DWORD)offsetof(WinX3DDriverBlock, Close), true, 0},
        {"a short block", kW3DBlockShort, true, 1},
        {"a full block", kW3DBlockFull, true, 1},
        {"a full block without Close", kW3DBlockFull, false, 0},
    };
    for (const Case &c : cases) {
        auto *context = (WinX3DContext *)GlobalAlloc(GPTR, sizeof(WinX3DContext));
        auto *table = (WinX3DFunctions *)GlobalAlloc(GPTR, sizeof(WinX3DFunctions));
        ASSERT_TRUE(context && table);
        context->cbSize = 12;
        context->pFunctions = table;
        context->hModule = LoadLibraryA("kernel32.dll");
        HGLOBAL handle = nullptr;
        if (c.blockSize) {
            handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(WinX3DDriverBlock));
            auto *block = (WinX3DDriverBlock *)GlobalLock(handle);
            block->cbSize = c.blockSize;
            block->Close = c.closeEntry ? RecordClose : nullptr;
            context->pDriverBlock = block;
        }
        g_closes = 0;
        g_closedWith = nullptr;
        EXPECT_EQ(UnloadWinX3D(context), 0u) << c.what;
        EXPECT_EQ(g_closes, c.closes) << c.what;
        if (c.closes) {
            EXPECT_EQ(g_closedWith, context) << c.what;
        }
        if (handle) {
            EXPECT_EQ(GlobalFlags(handle), (UINT)GMEM_INVALID_HANDLE) << c.what << ": the block was not freed";
        }
    }
}

// ---- The display description and the device choice.

class WinX3DDisplay : public StandinTest {
protected:
    void SetUp() override
    {
        StandinTest::SetUp();
        window_ = CreateWindowExA(0, "STATIC", "w3d", WS_POPUP, 10, 20, 300, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(window_);
        StandinTest::TearDown();
    }
    void ExpectDesktopMode(const W3DDisplayInfo &info)
    {
        HDC dc = CreateDCA("display", nullptr, nullptr, nullptr);
        EXPECT_EQ(info.nWidth, GetDeviceCaps(dc, HORZRES));
        EXPECT_EQ(info.nHeight, GetDeviceCaps(dc, VERTRES));
        EXPECT_EQ(info.nBits, GetDeviceCaps(dc, BITSPIXEL));
        DeleteDC(dc);
        EXPECT_GT(info.nWidth, 0);
        EXPECT_EQ(info.hwnd, window_);
        RECT r;
        GetWindowRect(window_, &r);
        EXPECT_TRUE(EqualRect(&r, &info.rcWindow));
    }
    HWND window_ = nullptr;
};

TEST_F(WinX3DDisplay, ShortOrMissingBlockGivesDisplayAndDeviceZero)
{
    for (const char *block : {"12", "none"}) {
        StandinSettings s;
        s.Set("TWR_W3D_BLOCK", block);
        s.Set("TWR_W3D_DEVICE", "3");
        s.Set("TWR_W3D_DISPLAY", "NOSUCHDEVICE");
        WinX3DContext *c = nullptr;
        ASSERT_EQ(LoadWinX3D(&c), 0u) << block;
        EXPECT_FALSE(W3DHasSelectDevice(c)) << block;
        int device = 0;
        EXPECT_EQ(W3DSelectDevice(c, &device), (DWORD)kW3DNotLoadable) << block;
        EXPECT_EQ(device, 0) << block;
        W3DDisplayInfo info = {};
        EXPECT_EQ(GetWinX3DDisplayInfo(window_, c, device, &info), 0u) << block;
        EXPECT_STREQ(info.szDevice, "display") << block;
        ExpectDesktopMode(info);
        EXPECT_EQ(W3DUnload(c), 0u);
    }
    EXPECT_TRUE(LogOf("SelectDevice").empty());
    EXPECT_TRUE(LogOf("GetDisplayDevice").empty());
    EXPECT_EQ(LogOf("Close").size(), 1u) << "only the short block has a Close";
}

TEST_F(WinX3DDisplay, FullBlockNamesTheDeviceAndChoosesTheIndex)
{
    settings_.Set("TWR_W3D_DEVICE", "3");
    settings_.Set("TWR_W3D_DISPLAY", "\\\\.\\DISPLAY1");
    WinX3DContext *c = nullptr;
    ASSERT_EQ(LoadWinX3D(&c), 0u);
    EXPECT_TRUE(W3DHasSelectDevice(c));
    int device = -5;
    EXPECT_EQ(W3DSelectDevice(c, &device), 0u);
    EXPECT_EQ(device, 3);
    W3DDisplayInfo info = {};
    EXPECT_EQ(GetWinX3DDisplayInfo(window_, c, device, &info), 0u);
    EXPECT_STREQ(info.szDevice, "\\\\.\\DISPLAY1");
    ExpectDesktopMode(info);
    ASSERT_EQ(LogOf("SelectDevice").size(), 1u);
    EXPECT_EQ(LogField(LogOf("SelectDevice")[0], "zero"), "0");
    ASSERT_EQ(LogOf("GetDisplayDevice").size(), 1u);
    EXPECT_EQ(LogField(LogOf("GetDisplayDevice")[0], "device"), "3");
    EXPECT_EQ(W3DUnload(c), 0u);
}

TEST_F(WinX3DDisplay, NoDeviceContextIs39AndNullArgumentsAre1)
{
    settings_.Set("TWR_W3D_DISPLAY", "NOSUCHDEVICE");
    WinX3DContext *c = nullptr;
    ASSERT_EQ(LoadWinX3D(&c), 0u);
    W3DDisplayInfo info = {};
    EXPECT_EQ(GetWinX3DDisplayInfo(window_, c, 0, &info), (DWORD)kW3DNoDeviceContext);
    EXPECT_STREQ(info.szDevice, "NOSUCHDEVICE");
    EXPECT_EQ(GetWinX3DDisplayInfo(window_, nullptr, 0, &info), 1u);
    EXPECT_EQ(GetWinX3DDisplayInfo(window_, c, 0, nullptr), 1u);
    EXPECT_EQ(W3DUnload(c), 0u);
}

// ---- The guarded calls.

TEST(WinX3DCalls, EmptySlotsAndMissingEntriesRefuse)
{
    WinX3DFunctions table = {};
    WinX3DContext c = {};
    c.cbSize = kW3DContextBytes;
    c.pFunctions = &table;
    WinX3DCaps caps = {};
    DWORD status = 77;
    int device = 0;
    const DWORD refused = kW3DNotLoadable;
    EXPECT_EQ(W3DStartFlipping(&c, 0, nullptr, nullptr, nullptr), refused);
    EXPECT_EQ(W3DStopFlipping(&c, 0, nullptr, nullptr, nullptr), refused);
    EXPECT_EQ(W3DPresent(&c, 0), refused);
    EXPECT_EQ(W3DSetEyeSurface(&c, 0, nullptr, 1), refused);
    EXPECT_EQ(W3DGetCaps(&c, 0, &caps), refused);
    EXPECT_EQ(W3DUnload(&c), refused);
    EXPECT_EQ(W3DGetSurfaceStatus(&c, 0, nullptr, &status), refused);
    EXPECT_EQ(status, 0u) << "the status is preset even when the call is refused";
    // No driver block (size 0), a block too short for the entries, and a
    // long enough block whose entries are empty.
    WinX3DDriverBlock block = {};
    for (DWORD size : {(DWORD)0, (DWORD)kW3DBlockShort - 1, (DWORD)kW3DBlockFull}) {
        c.pDriverBlock = size ? &block : nullptr;
        block.cbSize = size;
        EXPECT_EQ(W3DAttachPrimary(&c, 0, nullptr), refused) << size;
        EXPECT_FALSE(W3DHasSelectDevice(&c)) << size;
        EXPECT_EQ(W3DSelectDevice(&c, &device), refused) << size;
    }
    // No table at all, and no context.
    c.pFunctions = nullptr;
    EXPECT_EQ(W3DPresent(&c, 0), refused);
    EXPECT_EQ(W3DPresent(nullptr, 0), (DWORD)kW3DNullArgument);
    EXPECT_EQ(W3DStartFlipping(nullptr, 0, nullptr, nullptr, nullptr), (DWORD)kW3DNullArgument);
    EXPECT_EQ(W3DGetCaps(nullptr, 0, &caps), (DWORD)kW3DNullArgument);
    EXPECT_EQ(W3DSelectDevice(nullptr, &device), (DWORD)kW3DNullArgument);
}

// A short block's entries that exist are called; the ones past its size
// are not, even when the memory there holds a function.
DWORD __cdecl AttachRecorded(WinX3DContext *, int device, IDirectDrawSurface *) { return 100 + device; }
DWORD __cdecl SelectRecorded(WinX3DContext *, int, int *device)
{
    *device = 9;
    return 0;
}

TEST(WinX3DCalls, BlockEntriesExistByTheBlockSize)
{
    WinX3DFunctions table = {};
    WinX3DDriverBlock block = {};
    block.AttachPrimary = AttachRecorded;
    block.SelectDevice = SelectRecorded;
    WinX3DContext c = {};
    c.cbSize = kW3DContextBytes;
    c.pFunctions = &table;
    c.pDriverBlock = &block;
    int device = 0;
    block.cbSize = kW3DBlockShort;
    EXPECT_EQ(W3DAttachPrimary(&c, 2, nullptr), 102u);
    EXPECT_EQ(W3DSelectDevice(&c, &device), (DWORD)kW3DNotLoadable);
    EXPECT_EQ(device, 0);
    block.cbSize = kW3DBlockFull - 1;
    EXPECT_FALSE(W3DHasSelectDevice(&c));
    block.cbSize = kW3DBlockFull;
    EXPECT_TRUE(W3DHasSelectDevice(&c));
    EXPECT_EQ(W3DSelectDevice(&c, &device), 0u);
    EXPECT_EQ(device, 9);
}

// Through the stand-in: the caps record goes out with its size set, the
// driver's results come back as they are.
TEST_F(WinX3DLoad, CallsReachTheDriverWithTheirArguments)
{
    settings_.Set("TWR_W3D_FLAGS", "0x20044");
    settings_.Set("TWR_W3D_FLAGS2", "0x1000100");
    settings_.Set("TWR_W3D_START_RESULT", "5");
    WinX3DContext *c = nullptr;
    ASSERT_EQ(LoadWinX3D(&c), 0u);
    WinX3DCaps caps = {};
    EXPECT_EQ(W3DGetCaps(c, 2, &caps), 0u);
    EXPECT_EQ(caps.cbSize, 12u);
    EXPECT_EQ(caps.dwFlags, 0x20044u);
    EXPECT_EQ(caps.dwFlags2, 0x1000100u);
    ASSERT_EQ(LogOf("GetCaps").size(), 1u);
    EXPECT_EQ(LogField(LogOf("GetCaps")[0], "size"), "12");
    EXPECT_EQ(LogField(LogOf("GetCaps")[0], "device"), "2");
    EXPECT_EQ(W3DStartFlipping(c, 2, nullptr, nullptr, nullptr), 5u);
    EXPECT_EQ(W3DPresent(c, 2), 0u);
    ASSERT_EQ(LogOf("Present").size(), 1u);
    EXPECT_EQ(LogField(LogOf("Present")[0], "arg"), "1");
    EXPECT_EQ(W3DStopFlipping(c, 2, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(W3DUnload(c), 0u);

    StandinSettings failing;
    failing.Set("TWR_W3D_CAPS_RESULT", "7");
    ASSERT_EQ(LoadWinX3D(&c), 0u);
    EXPECT_EQ(W3DGetCaps(c, 0, &caps), 7u);
    EXPECT_EQ(W3DUnload(c), 0u);
    EXPECT_TRUE(LogOf("unexpected").empty());
}

}  // namespace
