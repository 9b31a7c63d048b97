// The settings store and the ordered settings reader, on a key of the
// test's own.
#include "shell/app_settings.h"

#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "sources/movie_records.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "tests/support/settings_key.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

namespace {

class SettingsTest : public testing::Test {
protected:
    PrivateSettingsKey key_{"app"};
    const char *key = key_.Name();
    void SetUp() override
    {
        ResetMovieRecords();
        SetStartValues();
    }
    DWORD RawSize(const char *name, DWORD *type)
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS)
            return 0;
        DWORD size = 0;
        RegQueryValueExA(k, name, nullptr, type, nullptr, &size);
        RegCloseKey(k);
        return size;
    }
};

}  // namespace

TEST_F(SettingsTest, WritesTextWithoutItsNulAndReadsItBack)
{
    WriteSetting("nWcent", "12");
    DWORD type = 0;
    // Two bytes stored; Wine adds a NUL of its own to REG_SZ values.
    EXPECT_GE(RawSize("nWcent", &type), 2u);
    EXPECT_LE(RawSize("nWcent", &type), 3u);
    EXPECT_EQ(type, (DWORD)REG_SZ);
    char text[100] = "old";
    ReadSetting("nWcent", text);
    EXPECT_STREQ(text, "12");
    ReadSetting("absent", text);
    EXPECT_STREQ(text, "");

    WriteSettingDword("gl", 7);
    EXPECT_EQ(RawSize("gl", &type), 4u);
    EXPECT_EQ(type, (DWORD)REG_DWORD);
}

TEST_F(SettingsTest, LongPathsReadIntoTheirBufferOrNotAtAll)
{
    std::string path = "C:\\" + std::string(150, 'd') + "\\movie.avi";
    WriteSetting("FileHistory0", path.c_str());
    char full[260];
    ReadSetting("FileHistory0", full);
    EXPECT_EQ(std::string(full), path);
    // A value that does not fit is not cut into another path.
    char small[100] = "x";
    ReadSetting("FileHistory0", small);
    EXPECT_STREQ(small, "");
    // Exactly filling the buffer less its NUL still fits.
    std::string fits(99, 'a');
    WriteSetting("v", fits.c_str());
    ReadSetting("v", small);
    EXPECT_EQ(std::string(small), fits);
}

TEST_F(SettingsTest, OutsideComponentsAbsent)
{
    char text[100] = "x";
    ReadAvisynthValue(nullptr, text, sizeof text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(IsWinX3DInstalled(), 0);
}

TEST_F(SettingsTest, EmptyKeyGivesTheBuiltInValues)
{
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 2179, "repeat");
    g_hMenu = menu;
    ReadAppSettings();
    EXPECT_EQ(g_nDisplayMode, 5);
    EXPECT_EQ(g_nZoom, 100);
    EXPECT_EQ(g_nVidia, 1);
    EXPECT_EQ(g_n3DWidth, 640);
    EXPECT_EQ(g_n3DHeight, 480);
    EXPECT_EQ(g_n3DBpp, 2);
    EXPECT_EQ(g_n3DBits, 32);
    EXPECT_EQ(g_nGmmar, 100);
    EXPECT_EQ(g_aGammaRed[128], 128);
    EXPECT_EQ(g_aGammaBlue[200], 200);
    EXPECT_EQ(g_nSis, 12);
    EXPECT_EQ(g_bRepeat, 0);
    EXPECT_EQ(GetMenuState(menu, 2179, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(g_nDeviationMode, 1);
    EXPECT_EQ(g_nDeviationPercent, 30);
    EXPECT_EQ(g_nBarrel, 5100);
    EXPECT_EQ(g_nPmax, 5);
    EXPECT_EQ(g_bAdjustV + g_bAdjustH + g_bAdjustSize + g_bAdjustRotation, 4);
    EXPECT_EQ(g_bAdjustPerspectiveV + g_bAdjustPerspectiveH, 0);
    EXPECT_EQ(g_bSound1, 1);
    EXPECT_EQ(g_bAskFileType, 1);
    EXPECT_EQ(g_nMovrate, 30);
    EXPECT_EQ(g_nAutopanoTool, 0);
    EXPECT_STREQ(g_szAutopanoFolder, LoadStr(2414));

    WriteSetting("nRepeat", "1");
    ReadAppSettings();
    EXPECT_EQ(g_bRepeat, 1);
    EXPECT_NE(GetMenuState(menu, 2179, MF_BYCOMMAND) & MF_CHECKED, 0u);
    g_hMenu = nullptr;
    DestroyMenu(menu);
}

TEST_F(SettingsTest, ValuesAreReadAndKeptInRange)
{
    struct Case {
        const char *name, *text;
        int *variable;
        int want;
    } cases[] = {
        {"nAnatype", "7", &g_nAnatype, 0}, {"nAnatype", "3", &g_nAnatype, 3},
        {"nAnactype", "-1", &g_nAnactype, 0}, {"nWcent", "3", &g_nWcent, 0},
        {"nWcent", "2", &g_nWcent, 2}, {"nSoundlr", "2", &g_nSoundlr, 0},
        {"nSoundlr", "1", &g_nSoundlr, 1}, {"nRepeat", "5", &g_bRepeat, 0},
        {"nPmax", "0", &g_nPmax, 1}, {"nPmax", "45", &g_nPmax, 30},
        {"n3DBpp", "0", &g_n3DBpp, 2}, {"nSType", "4", &g_nSType, 4},
        {"nSType", "40", &g_nSType, 0}, {"nWaku", "9", &g_nWaku, 9},
        {"nMovrate", "24", &g_nMovrate, 24}, {"nDeviation", "1233", &g_nDeviationPercent, 123},
        {"nDeviation", "1233", &g_nDeviationMode, 3}, {"nDeviation", "9", &g_nDeviationMode, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        ResetMovieRecords();
        SetStartValues();
        WriteSetting(c.name, c.text);
        ReadAppSettings();
        EXPECT_EQ(*c.variable, c.want);
        RegDeleteKeyA(HKEY_CURRENT_USER, key);
    }
    WriteSetting("dwWCOL", "4278190335");
    ReadAppSettings();
    EXPECT_EQ(g_dwWCOL, 4278190335u);
}

TEST_F(SettingsTest, HistoryTypesSizesAndAdjustItems)
{
    for (int &t : g_nHistoryType)
        t = 0;
    WriteSetting("FileTypeHistory", "3,5,");
    WriteSetting("n3DSize", "5");
    WriteSetting("n3DSizeh", "720");
    WriteSetting("AdjustItems", "101010");
    WriteSetting("n3DBpp", "1");
    ReadAppSettings();
    EXPECT_EQ(g_nHistoryType[0], 3);
    EXPECT_EQ(g_nHistoryType[1], 5);
    EXPECT_EQ(g_nHistoryType[2], 0);
    EXPECT_EQ(g_nHistoryType[4], 0);
    EXPECT_EQ(g_n3DWidth, 0);
    EXPECT_EQ(g_n3DHeight, 720);
    EXPECT_EQ(g_n3DBits, 16);
    EXPECT_EQ(g_bAdjustV, 1);
    EXPECT_EQ(g_bAdjustH, 0);
    EXPECT_EQ(g_bAdjustSize, 1);
    EXPECT_EQ(g_bAdjustRotation, 0);
    EXPECT_EQ(g_bAdjustPerspectiveV, 1);
    EXPECT_EQ(g_bAdjustPerspectiveH, 0);

    WriteSetting("n3DSize", "2");
    ReadAppSettings();
    EXPECT_EQ(g_n3DWidth, 1024);
    EXPECT_EQ(g_n3DHeight, 768);
}

TEST_F(SettingsTest, AutopanoToolIsFoundInItsFolder)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string dir = std::string(folder) + "twr-tools-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string autopano = dir + "autopano.exe", keys = dir + "generatekeys.exe";
    CloseHandle(CreateFileA(autopano.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WriteSetting("Autopano", dir.c_str());
    ReadAppSettings();
    EXPECT_EQ(g_nAutopanoTool, 2);
    EXPECT_EQ(std::string(g_szAutopanoFolder), dir);
    CloseHandle(CreateFileA(keys.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ReadAppSettings();
    EXPECT_EQ(g_nAutopanoTool, 1);
    DeleteFileA(autopano.c_str());
    DeleteFileA(keys.c_str());
    RemoveDirectoryA(dir.c_str());
}
