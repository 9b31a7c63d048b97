#include "alignment/autopano_dialog.h"

#include "alignment_fixture.h"
#include "resources/resource_ids.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "tests/support/settings_key.h"

#include <stdio.h>
#include <string>

namespace {

class AutopanoDialogTest : public AlignmentTest {
protected:
    HWND dialog_ = nullptr;
    PrivateSettingsKey key_{"autopano"};

    void TearDown() override
    {
        if (dialog_)
            DestroyWindow(dialog_);
        AlignmentTest::TearDown();
    }

    void Open()
    {
        if (dialog_)
            DestroyWindow(dialog_);
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), "AUTOPANO", nullptr, AutopanoDlgProc, 0);
        ASSERT_TRUE(dialog_ != nullptr);
    }

    void Command(int id, int code = 0)
    {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(dialog_, id));
    }

    void Text(int id, const char *text) { SetDlgItemTextA(dialog_, id, text); }
    std::string Text(int id)
    {
        char b[300];
        GetDlgItemTextA(dialog_, id, b, sizeof b);
        return b;
    }
    void Check(int id, bool on) { CheckDlgButton(dialog_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    bool Checked(int id) { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    bool Shown(int id) { return (GetWindowLongA(GetDlgItem(dialog_, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    void SelectRule(int rule)
    {
        SendDlgItemMessageA(dialog_, IDC_AP_RULE, CB_SETCURSEL, (WPARAM)rule, 0);
        Command(IDC_AP_RULE, CBN_SELCHANGE);
    }

    static std::string Setting(const char *name)
    {
        char b[260];
        ReadSetting(name, b);
        return b;
    }
};

TEST_F(AutopanoDialogTest, OpensWithTheSettingsInForce)
{
    g_nBarrel = 4945;   // off, -5.5
    g_nDeviationMode = 3;
    g_nDeviationPercent = 123;
    g_nAutopara = 1;
    g_bAllFrameSetting = 0;
    g_nPmax = 7;
    g_bResample = 0;
    UnpackAdjustItems(101001);
    strcpy(g_szAutopanoFolder, "C:\\tools\\");
    Open();
    EXPECT_EQ(Text(IDC_AP_BARREL), "-5.5");
    EXPECT_FALSE(Checked(IDC_AP_BARREL_ON));
    EXPECT_EQ(Text(IDC_AP_PERCENT), "12.3");
    EXPECT_TRUE(Shown(IDC_AP_PERCENT));
    EXPECT_EQ(SendDlgItemMessageA(dialog_, IDC_AP_RULE, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendDlgItemMessageA(dialog_, IDC_AP_RULE, CB_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(Checked(IDC_AP_CROSS));
    EXPECT_FALSE(Checked(IDC_AP_PARALLEL));
    EXPECT_FALSE(Shown(IDC_AP_PMAX));
    EXPECT_FALSE(Shown(IDC_AP_PMAX_LABEL));
    EXPECT_EQ(Text(IDC_AP_PMAX), "7");
    EXPECT_FALSE(Checked(IDC_AP_RESAMPLE));
    EXPECT_TRUE(Checked(IDC_AP_AUTOCROP));
    const bool items[] = {true, false, true, false, false, true};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(Checked(IDC_AP_ITEM_V + i), items[i]) << i;
    EXPECT_EQ(Text(IDC_AP_FOLDER), "C:\\tools\\");
}

TEST_F(AutopanoDialogTest, ControlsShowWhatTheirChoiceNeeds)
{
    g_nDeviationMode = 1;
    Open();
    EXPECT_FALSE(Shown(IDC_AP_PERCENT));
    SelectRule(3);
    EXPECT_TRUE(Shown(IDC_AP_PERCENT));
    EXPECT_TRUE(Shown(IDC_AP_PERCENT_LABEL));
    SelectRule(2);
    EXPECT_FALSE(Shown(IDC_AP_PERCENT_LABEL));
    Check(IDC_AP_ALL_FRAMES, true);
    Command(IDC_AP_ALL_FRAMES);
    EXPECT_TRUE(Shown(IDC_AP_PMAX));
    Check(IDC_AP_ALL_FRAMES, false);
    Command(IDC_AP_ALL_FRAMES);
    EXPECT_FALSE(Shown(IDC_AP_PMAX));
}

TEST_F(AutopanoDialogTest, OkStoresEverySetting)
{
    Open();
    Command(IDC_AP_AUTOMATIC);
    Check(IDC_AP_BARREL_ON, true);
    Text(IDC_AP_BARREL, "10.0");
    Check(IDC_AP_NO_REPORT, true);
    Check(IDC_AP_RESAMPLE, false);
    Check(IDC_AP_AUTOCROP, false);
    Check(IDC_AP_ALL_FRAMES, true);
    const bool items[] = {false, true, false, true, true, false};
    for (int i = 0; i < 6; i++)
        Check(IDC_AP_ITEM_V + i, items[i]);
    Check(IDC_AP_HIDE_WINDOW, true);
    Text(IDC_AP_PMAX, "12");
    SelectRule(3);
    Text(IDC_AP_PERCENT, "12.3");
    Text(IDC_AP_FOLDER, "C:\\nowhere\\");
    Command(IDOK);

    const struct { const char *name, *value; } want[] = {
        {"nAutopara", "2"}, {"nBarrel", "15100"}, {"nReport", "1"}, {"nResample", "0"}, {"nRautocrop", "0"},
        {"nAllFadjset", "1"}, {"AdjustItems", "10110"}, {"APWindow", "1"}, {"nPmax", "12"},
        {"nDeviation", "1233"}, {"Autopano", "C:\\nowhere\\"},
    };
    for (const auto &w : want)
        EXPECT_EQ(Setting(w.name), w.value) << w.name;
    EXPECT_EQ(g_nAutopara, 2);
    EXPECT_EQ(g_nBarrel, 15100);
    EXPECT_EQ(g_bNoAlignReport, 1);
    EXPECT_EQ(g_bResample, 0);
    EXPECT_EQ(g_bAutoCrop, 0);
    EXPECT_EQ(g_bAllFrameSetting, 1);
    EXPECT_EQ(PackAdjustItems(), 10110);
    EXPECT_EQ(g_bHideToolWindow, 1);
    EXPECT_EQ(g_nPmax, 12);
    EXPECT_EQ(g_nDeviationMode, 3);
    EXPECT_EQ(g_nDeviationPercent, 123);
    // Neither tool there: the built-in matcher, named in the folder text
    // while the setting keeps what was typed.
    EXPECT_EQ(g_nAutopanoTool, kToolBuiltIn);
    EXPECT_STREQ(g_szAutopanoFolder, LoadStr(IDS_BUILTIN_MATCHER));
}

TEST_F(AutopanoDialogTest, TypedNumbersAreLimited)
{
    const struct { bool barrelOn; const char *barrel, *pmax, *percent; const char *nBarrel, *nPmax, *nDeviation; }
        cases[] = {
            {true, "10.0", "0", "12.3", "15100", "1", "1233"},
            {false, "-5.5", "abc", "-4", "4945", "1", "3"},
            {false, "95", "45", "60", "5900", "30", "5003"},
            {true, "-200", "30", "0.05", "14100", "30", "3"},
        };
    for (const auto &tc : cases) {
        Open();
        Check(IDC_AP_BARREL_ON, tc.barrelOn);
        Text(IDC_AP_BARREL, tc.barrel);
        Text(IDC_AP_PMAX, tc.pmax);
        SelectRule(3);
        Text(IDC_AP_PERCENT, tc.percent);
        Command(IDOK);
        EXPECT_EQ(Setting("nBarrel"), tc.nBarrel) << tc.barrel;
        EXPECT_EQ(Setting("nPmax"), tc.nPmax) << tc.pmax;
        EXPECT_EQ(Setting("nDeviation"), tc.nDeviation) << tc.percent;
    }
}

TEST_F(AutopanoDialogTest, CancelChangesNothing)
{
    g_nBarrel = 5100;
    Open();
    Check(IDC_AP_BARREL_ON, true);
    Text(IDC_AP_BARREL, "50");
    Command(IDC_AP_CROSS);
    Command(IDCANCEL);
    EXPECT_EQ(g_nBarrel, 5100);
    EXPECT_EQ(g_nAutopara, 0);
    EXPECT_EQ(Setting("nBarrel"), "");
}

TEST_F(AutopanoDialogTest, ToolsFoundInTheFolder)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string dir = std::string(temp) + "twr_tools_test\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    auto touch = [&](const char *name) {
        FILE *f = fopen((dir + name).c_str(), "wb");
        fclose(f);
    };
    EXPECT_EQ(DetectAutopanoTool(dir.c_str()), kToolBuiltIn);
    touch("autopano.exe");
    EXPECT_EQ(DetectAutopanoTool(dir.c_str()), kToolAutopano);
    touch("generatekeys.exe");
    EXPECT_EQ(DetectAutopanoTool(dir.c_str()), kToolGeneratekeys);   // wins over autopano.exe
    // A folder of that name is no tool.
    DeleteFileA((dir + "generatekeys.exe").c_str());
    CreateDirectoryA((dir + "generatekeys.exe").c_str(), nullptr);
    EXPECT_EQ(DetectAutopanoTool(dir.c_str()), kToolAutopano);

    Open();
    Text(IDC_AP_FOLDER, dir.c_str());
    Command(IDOK);
    EXPECT_EQ(g_nAutopanoTool, kToolAutopano);
    EXPECT_EQ(std::string(g_szAutopanoFolder), dir);

    RemoveDirectoryA((dir + "generatekeys.exe").c_str());
    DeleteFileA((dir + "autopano.exe").c_str());
    RemoveDirectoryA(dir.c_str());
}

} // namespace
