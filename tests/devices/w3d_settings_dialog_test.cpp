// The full-screen settings dialog driven in this process through its
// controls: each template created modeless (hidden) and sent the commands a
// user's clicks send; the custom size dialog, which it opens modally, is
// answered from a hook on the thread's activations.
#include "devices/w3d_settings_dialog.h"

#include "resources/resource_ids.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "tests/devices/w3d_dialog_fixture.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

namespace {

// What the custom size dialog showed when it came, and what it is given.
struct CustomSizeAnswer {
    bool seen = false;
    std::string width, height;
    const char *newWidth = nullptr, *newHeight = nullptr;
};
CustomSizeAnswer s_custom;
HHOOK s_hook;

LRESULT CALLBACK AnswerCustomSize(int code, WPARAM wParam, LPARAM lParam)
{
    HWND w = (HWND)wParam;
    if (code == HCBT_ACTIVATE && GetDlgItem(w, IDC_W3D_CUSTOM_WIDTH) && GetDlgItem(w, IDC_W3D_CUSTOM_HEIGHT) &&
        !GetPropA(w, "twr_answered")) {
        SetPropA(w, "twr_answered", (HANDLE)1);
        char b[32];
        s_custom.seen = true;
        GetDlgItemTextA(w, IDC_W3D_CUSTOM_WIDTH, b, sizeof b);
        s_custom.width = b;
        GetDlgItemTextA(w, IDC_W3D_CUSTOM_HEIGHT, b, sizeof b);
        s_custom.height = b;
        if (s_custom.newWidth)
            SetDlgItemTextA(w, IDC_W3D_CUSTOM_WIDTH, s_custom.newWidth);
        if (s_custom.newHeight)
            SetDlgItemTextA(w, IDC_W3D_CUSTOM_HEIGHT, s_custom.newHeight);
        PostMessageA(w, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(s_hook, code, wParam, lParam);
}

}  // namespace

class W3DSettings : public W3DDialogTest {
protected:
    void SetUp() override
    {
        W3DDialogTest::SetUp();
        s_custom = CustomSizeAnswer();
        s_hook = SetWindowsHookExA(WH_CBT, AnswerCustomSize, nullptr, GetCurrentThreadId());
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(s_hook);
        W3DDialogTest::TearDown();
    }

    void Choose(int combo, int index)
    {
        SendDlgItemMessageA(dialog, combo, CB_SETCURSEL, index, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, combo));
    }
    int Selection(int combo) { return (int)SendDlgItemMessageA(dialog, combo, CB_GETCURSEL, 0, 0); }
    std::string Item(int combo, int index)
    {
        char b[100] = "";
        SendDlgItemMessageA(dialog, combo, CB_GETLBTEXT, index, (LPARAM)b);
        return b;
    }
    std::string Text(int id)
    {
        char b[300];
        GetDlgItemTextA(dialog, id, b, sizeof b);
        return b;
    }
    static std::string Setting(const char *name)
    {
        char b[100];
        ReadSetting(name, b);
        return b;
    }
    // The values in the settings key (emptied by ClearSettings).
    int SettingCount()
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.Name(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return 0;
        DWORD values = 0;
        RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(k);
        return (int)values;
    }
    void ClearSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, key.Name()); }
    static std::string SizeGroup(int w, int h)
    {
        char b[300];
        snprintf(b, sizeof b, LoadStr(IDS_SIZE_GROUP), w, h);
        return b;
    }
};

TEST_F(W3DSettings, SwitchesToggleTheirValueAndWriteIt)
{
    struct Row {
        const char *dialog;
        int id;
        int *value;
        const char *setting;  // null: kept for this run only
    } rows[] = {
        {"W3D", IDC_W3D_NO_SOUND, &g_nSound, "nSound"},
        {"W3DOPEN", IDC_W3D_NO_SOUND, &g_nSound, "nSound"},
        {"FOPEN", IDC_W3D_FIT, &g_nStr3D, "nStr3D"},
        {"W3DOPEN", IDC_W3D_FIT, &g_nStr3D, "nStr3D"},
        {"FOPEN", IDC_W3D_NOISE_REDUCTION, &g_bDeinterlaceOpt, nullptr},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.dialog) + " " + std::to_string(r.id));
        *r.value = 0;
        ClearSettings();
        Open(r.dialog);
        EXPECT_FALSE(Checked(r.id));
        for (int expected : {1, 0}) {
            EXPECT_EQ(Click(r.id), 0);
            EXPECT_EQ(*r.value, expected);
            EXPECT_EQ(Checked(r.id), expected == 1);
            if (r.setting) {
                EXPECT_EQ(Setting(r.setting), std::to_string(expected));
            } else {
                EXPECT_EQ(SettingCount(), 0);
            }
        }
    }
}

TEST_F(W3DSettings, RadiosSetTheirValueAndOnlyTheLastingOnesAreWritten)
{
    struct Row {
        const char *dialog;
        int first, last, skipped;
        int *value;
        const char *setting;
        INT_PTR result;
    } rows[] = {
        {"W3DOPEN", 1085, 1093, 1090, &g_nBunkatu, "nBunkatu", 1},
        {"FOPEN", 1100, 1110, 0, &g_nDispFormat, nullptr, 0},
        {"W3D", 4068, 4071, 0, &g_nVidia, "nVidia", 0},
        {"W3DOPEN", 4068, 4071, 0, &g_nVidia, "nVidia", 0},
    };
    for (const Row &r : rows) {
        ClearSettings();
        Open(r.dialog);
        for (int id = r.last; id >= r.first; id--) {
            if (id == r.skipped)
                continue;
            SCOPED_TRACE(std::string(r.dialog) + " " + std::to_string(id));
            EXPECT_EQ(Click(id), r.result);
            EXPECT_EQ(*r.value, id - r.first);
            for (int other = r.first; other <= r.last; other++) {
                if (GetDlgItem(dialog, other)) {
                    EXPECT_EQ(Checked(other), other == id) << other;
                }
            }
            if (r.setting) {
                EXPECT_EQ(Setting(r.setting), std::to_string(id - r.first));
            } else {
                EXPECT_EQ(SettingCount(), 0);
            }
        }
    }
}

TEST_F(W3DSettings, OkAndCancelEndTheDialog)
{
    for (int id : {IDOK, IDCANCEL}) {
        Open("W3D");
        EXPECT_EQ(Click(id), 1) << id;
    }
}

TEST_F(W3DSettings, OpensWithTheCurrentValues)
{
    g_nSound = g_nStr3D = g_bDeinterlaceOpt = 1;
    g_nBunkatu = 3;
    g_nDispFormat = 7;
    g_nVidia = 3;
    g_n3DSize = 2;
    g_n3DWidth = 1024;
    g_n3DHeight = 768;
    g_n3DBpp = 1;
    Open("FOPEN");
    for (int id : {IDC_W3D_NO_SOUND, IDC_W3D_FIT, IDC_W3D_NOISE_REDUCTION, 1088, 1107})
        EXPECT_TRUE(Checked(id)) << id;
    EXPECT_FALSE(Checked(1085));
    EXPECT_FALSE(Checked(1100));
    const char *sizes[] = {"640X480", "800X600", "1024X768", "1280X1024", "1600X1200"};
    ASSERT_EQ(SendDlgItemMessageA(dialog, IDC_W3D_SIZE, CB_GETCOUNT, 0, 0), 7);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(Item(IDC_W3D_SIZE, i), sizes[i]);
    EXPECT_EQ(Item(IDC_W3D_SIZE, 5), LoadStr(IDS_CUSTOM_SIZE_ITEM));
    EXPECT_EQ(Item(IDC_W3D_SIZE, 6), LoadStr(IDS_SCREEN_SIZE_ITEM));
    EXPECT_EQ(Selection(IDC_W3D_SIZE), 2);
    EXPECT_EQ(Text(IDC_W3D_SIZE_GROUP), SizeGroup(1024, 768));
    ASSERT_EQ(SendDlgItemMessageA(dialog, IDC_W3D_DEPTH, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Item(IDC_W3D_DEPTH, 0), LoadStr(IDS_DEPTH_16));
    EXPECT_EQ(Item(IDC_W3D_DEPTH, 1), LoadStr(IDS_DEPTH_32));
    EXPECT_EQ(Selection(IDC_W3D_DEPTH), 0);

    Open("W3DOPEN");
    EXPECT_TRUE(Checked(4071));
    EXPECT_FALSE(Checked(4069));
}

TEST_F(W3DSettings, ColourDepthOutOfRangeOpensAs16Bits)
{
    struct Row {
        int bpp, expectedBpp, selection;
    } rows[] = {{0, 1, 0}, {1, 1, 0}, {2, 2, 1}, {3, 1, 0}, {-4, 1, 0}};
    for (const Row &r : rows) {
        g_n3DBpp = r.bpp;
        Open("W3D");
        EXPECT_EQ(g_n3DBpp, r.expectedBpp) << r.bpp;
        EXPECT_EQ(Selection(IDC_W3D_DEPTH), r.selection) << r.bpp;
    }
}

TEST_F(W3DSettings, ColourDepthChoiceSetsBitsAndIsWritten)
{
    struct Row {
        int selection, bpp, bits;
        const char *written;
    } rows[] = {{0, 1, 16, "1"}, {1, 2, 32, "2"}, {-1, 0, 8, "0"}};
    Open("W3D");
    for (const Row &r : rows) {
        Choose(IDC_W3D_DEPTH, r.selection);
        EXPECT_EQ(g_n3DBpp, r.bpp) << r.selection;
        EXPECT_EQ(g_n3DBits, r.bits) << r.selection;
        EXPECT_EQ(Setting("n3DBpp"), r.written) << r.selection;
    }
}

TEST_F(W3DSettings, ListedSizeWritesOnlyItsIndex)
{
    WriteSetting("n3DSizew", "1360");
    WriteSetting("n3DSizeh", "765");
    struct Row {
        int index, width, height;
    } rows[] = {{4, 1600, 1200}, {3, 1280, 1024}, {2, 1024, 768}, {1, 800, 600}, {0, 640, 480},
                {6, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}};
    Open("W3D");
    for (const Row &r : rows) {
        Choose(IDC_W3D_SIZE, r.index);
        EXPECT_EQ(g_n3DSize, r.index);
        EXPECT_EQ(g_n3DWidth, r.width) << r.index;
        EXPECT_EQ(g_n3DHeight, r.height) << r.index;
        EXPECT_EQ(Text(IDC_W3D_SIZE_GROUP), SizeGroup(r.width, r.height)) << r.index;
        EXPECT_EQ(Setting("n3DSize"), std::to_string(r.index));
    }
    EXPECT_FALSE(s_custom.seen);
    EXPECT_EQ(Setting("n3DSizew"), "1360");
    EXPECT_EQ(Setting("n3DSizeh"), "765");
}

TEST_F(W3DSettings, CustomSizeWithNothingStoredShowsZeroAndStoresWhatIsTyped)
{
    s_custom.newWidth = "1360";
    s_custom.newHeight = "765";
    Open("FOPEN");
    Choose(IDC_W3D_SIZE, 5);
    ASSERT_TRUE(s_custom.seen);
    EXPECT_EQ(s_custom.width, "0");
    EXPECT_EQ(s_custom.height, "0");
    EXPECT_EQ(g_n3DSize, 5);
    EXPECT_EQ(g_n3DWidth, 1360);
    EXPECT_EQ(g_n3DHeight, 765);
    EXPECT_EQ(Setting("n3DSizew"), "1360");
    EXPECT_EQ(Setting("n3DSizeh"), "765");
    EXPECT_EQ(Setting("n3DSize"), "5");
    EXPECT_EQ(Text(IDC_W3D_SIZE_GROUP), SizeGroup(1360, 765));

    // Asked again, it offers what was stored.
    s_custom = CustomSizeAnswer();
    Choose(IDC_W3D_SIZE, 5);
    ASSERT_TRUE(s_custom.seen);
    EXPECT_EQ(s_custom.width, "1360");
    EXPECT_EQ(s_custom.height, "765");
}

TEST_F(W3DSettings, OpenGlHidesTheSizeExceptInThePanelOfAFilePlayedAsItIs)
{
    struct Row {
        const char *dialog;
        int source, device;
        bool hidden;
    } rows[] = {
        {"W3D", 0, 2, true}, {"W3D", 0, 1, false}, {"W3D", 1, 2, true}, {"W3DOPEN", 1, 2, true},
        {"W3DOPEN", 1, 0, false}, {"FOPEN", 2, 2, false}, {"W3D", 2, 2, false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.dialog) + " source " + std::to_string(r.source) + " device " +
                     std::to_string(r.device));
        g_nPlaySource = r.source;
        g_nVidia = r.device;
        Open(r.dialog);
        for (int id : {IDC_W3D_SIZE, IDC_W3D_DEPTH, IDC_W3D_SIZE_GROUP})
            EXPECT_EQ(Shown(id), !r.hidden) << id;
    }
}

TEST_F(W3DSettings, ChoosingTheDeviceHidesAndShowsTheSize)
{
    g_nPlaySource = 1;
    Open("W3DOPEN");
    struct Step {
        int id;
        bool shown;
    } steps[] = {{4070, false}, {4068, true}, {4070, false}, {4071, true}, {4069, true}};
    for (const Step &s : steps)
        for (int id : {IDC_W3D_SIZE, IDC_W3D_DEPTH, IDC_W3D_SIZE_GROUP}) {
            Click(s.id);
            EXPECT_EQ(Shown(id), s.shown) << s.id << " " << id;
        }
}

TEST_F(W3DSettings, AutoRegSetIsHiddenUntilRightDoubleClick)
{
    Open("W3D");
    EXPECT_FALSE(Shown(IDC_W3D_AUTO_REG));
    SendMessageA(dialog, WM_RBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(Shown(IDC_W3D_AUTO_REG));
    EXPECT_FALSE(Checked(IDC_W3D_AUTO_REG));

    CheckDlgButton(dialog, IDC_W3D_AUTO_REG, BST_CHECKED);
    Click(IDC_W3D_AUTO_REG);
    EXPECT_EQ(g_nAutoRegSet, 123);
    EXPECT_EQ(Setting("nAutoRegSet"), "123");
    CheckDlgButton(dialog, IDC_W3D_AUTO_REG, BST_UNCHECKED);
    Click(IDC_W3D_AUTO_REG);
    EXPECT_EQ(g_nAutoRegSet, 0);
    EXPECT_EQ(Setting("nAutoRegSet"), "0");
}

TEST_F(W3DSettings, AutoRegSetOnOpensShownAndTicked)
{
    struct Row {
        int value;
        bool shown;
    } rows[] = {{123, true}, {1, false}, {0, false}};
    for (const Row &r : rows) {
        g_nAutoRegSet = r.value;
        Open("W3D");
        EXPECT_EQ(Shown(IDC_W3D_AUTO_REG), r.shown) << r.value;
        EXPECT_EQ(Checked(IDC_W3D_AUTO_REG), r.shown) << r.value;
    }
}
