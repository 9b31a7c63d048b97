// The option panels of the file dialogs, each created as the file dialog
// creates it (a child dialog of the dialog) under a stand-in parent that
// answers CDM_GETFILEPATH with the selection the test chooses.
#include "shell/file_dialogs.h"

#include "resources/resource_ids.h"
#include "shared/settings_store.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"
#include "tests/support/host_files.h"
#include "tests/support/settings_key.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

namespace {

std::string s_selection;

LRESULT CALLBACK FakeFileDialog(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CDM_GETFILEPATH) {
        if (s_selection.size() + 1 > wParam)
            return (LRESULT)(s_selection.size() + 1);
        strcpy((char *)lParam, s_selection.c_str());
        return (LRESULT)(s_selection.size() + 1);
    }
    return DefWindowProcA(w, msg, wParam, lParam);
}

class Panels : public testing::Test {
protected:
    HWND parent = nullptr, panel = nullptr;
    PrivateSettingsKey key{"panels"};

    void SetUp() override
    {
        static bool registered = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = FakeFileDialog;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "TwrFakeFileDialog";
            return RegisterClassA(&wc) != 0;
        }();
        ASSERT_TRUE(registered);
        g_hInst = GetModuleHandleA(nullptr);
        parent = CreateWindowA("TwrFakeFileDialog", "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                               g_hInst, nullptr);
        ASSERT_TRUE(parent);
    }
    void TearDown() override
    {
        if (panel)
            DestroyWindow(panel);
        DestroyWindow(parent);
    }

    void Open(const char *name, LPOFNHOOKPROC hook)
    {
        panel = CreateDialogParamA(g_hInst, name, parent, (DLGPROC)(void *)hook, 0);
        ASSERT_TRUE(panel) << name;
    }
    void Close()
    {
        DestroyWindow(panel);
        panel = nullptr;
    }
    bool Shown(int id) { return (GetWindowLongA(GetDlgItem(panel, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    void Click(int id) { SendMessageA(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(panel, id)); }
    void Select(const std::string &answer)
    {
        s_selection = answer;
        NMHDR hdr = {parent, 0, CDN_SELCHANGE};
        SendMessageA(panel, WM_NOTIFY, 0, (LPARAM)&hdr);
    }
    int Number(int id)
    {
        BOOL ok;
        return (int)GetDlgItemInt(panel, id, &ok, TRUE);
    }
};

TEST_F(Panels, PairPanelSeesTwoNamesAndMpegFiles)
{
    g_bDeinterlaceOpt = 0;
    g_bStereoSound = 0;
    Open("SOPEN", OpenPairHookProc);
    EXPECT_FALSE(Shown(IDC_SOPEN_STEREO_SOUND));
    EXPECT_FALSE(Shown(IDC_SOPEN_FIELD_DOUBLE));
    Select("C:\\m\\\"a.avi\" \"b.avi\"");
    EXPECT_EQ(g_bTwoNamesSelected, 1);
    EXPECT_STREQ(g_szSelectedLeft, "C:\\m\\b.avi");
    EXPECT_STREQ(g_szSelectedRight, "C:\\m\\a.avi");
    EXPECT_FALSE(Shown(IDC_SOPEN_STEREO_SOUND));
    Select("C:\\m\\\"a.mpg\" \"b.MPEG\"");
    EXPECT_TRUE(Shown(IDC_SOPEN_STEREO_SOUND));
    EXPECT_FALSE(Shown(IDC_SOPEN_SWAP_SOUND));
    Click(IDC_SOPEN_STEREO_SOUND);
    EXPECT_EQ(g_bStereoSound, 1);
    EXPECT_TRUE(Shown(IDC_SOPEN_SWAP_SOUND));
    Select("C:\\m\\one.mpg");
    EXPECT_EQ(g_bTwoNamesSelected, 0);
    EXPECT_TRUE(Shown(IDC_SOPEN_STEREO_SOUND));
    // Deinterlacing offers its two methods; a turn choice per eye.
    Click(IDC_SOPEN_DEINTERLACE);
    EXPECT_TRUE(Shown(IDC_SOPEN_FIELD_DROP));
    Click(IDC_SOPEN_FIELD_DROP);
    EXPECT_EQ(g_nFieldMode, 1);
    Click(IDC_SOPEN_TURN_RIGHT_FIRST + 4);
    EXPECT_EQ(g_nTurnChoiceR, 4);
    g_bDeinterlaceOpt = g_bStereoSound = g_nFieldMode = g_nTurnChoiceR = 0;
}

TEST_F(Panels, StereoPanelShowsTheSisShiftAndStoresIt)
{
    g_nSType = 0;
    g_nSis = 12;
    Open("STOP", OpenStereoHookProc);
    EXPECT_FALSE(Shown(IDC_STOP_SIS));
    Click(IDC_STEREO_TYPE_FIRST + 5);
    EXPECT_EQ(g_nSType, 5);
    EXPECT_TRUE(Shown(IDC_STOP_SIS));
    SetDlgItemTextA(panel, IDC_STOP_SIS, "-7");
    Close();
    EXPECT_EQ(g_nSis, -7);
    char text[100];
    ReadSetting("nSis", text);
    EXPECT_STREQ(text, "-7");
    ReadSetting("nSType", text);
    EXPECT_STREQ(text, "5");
    g_nSType = 0;
}

TEST_F(Panels, SavePanelSizesAndLayout)
{
    g_nShownWidth = 718;
    g_nShownHeight = 480;
    g_bSaveResize = 1;
    g_bSmartSize = 0;
    g_nSaveLayout = 0;
    Open("SAVEOP", SaveOptionsHookProc);
    EXPECT_TRUE(Shown(IDC_SAVE_WIDTH));
    EXPECT_FALSE(Shown(IDC_SAVE_KEEP_ASPECT));
    char label[32];
    GetDlgItemTextA(panel, IDC_SAVE_WIDTH_LABEL, label, sizeof label);
    EXPECT_STREQ(label, "X(718):");
    Click(IDC_SAVE_LAYOUT_FIRST + 7);
    SetDlgItemTextA(panel, IDC_SAVE_WIDTH, "641");
    SetDlgItemTextA(panel, IDC_SAVE_HEIGHT, "-1");
    Close();
    EXPECT_EQ(g_nSaveLayout, 7);
    EXPECT_EQ(g_nSaveWidth, 644);
    EXPECT_EQ(g_nSaveHeight, 480);
    // Reopened: the layout chosen is selected; a negative width is the shown one.
    Open("SAVEOP", SaveOptionsHookProc);
    EXPECT_EQ(IsDlgButtonChecked(panel, IDC_SAVE_LAYOUT_FIRST + 7), BST_CHECKED);
    SetDlgItemTextA(panel, IDC_SAVE_WIDTH, "-5");
    Click(IDC_SAVE_RESIZE);
    EXPECT_FALSE(Shown(IDC_SAVE_WIDTH));
    Click(IDC_SAVE_RESIZE);
    Close();
    EXPECT_EQ(g_nSaveWidth, 720);
    g_bSaveResize = 0;
    g_nSaveLayout = 0;
}

TEST_F(Panels, CameraPanelQualityAndDate)
{
    g_nJpegQuality = 95;
    g_n3dAviKind = 0;
    g_nRecYear = 0;
    g_bRecDateSet = 0;
    Open("SAVE3DAVI", SaveOptionsBHookProc);
    EXPECT_NE(g_nRecYear, 0);  // from the clock
    EXPECT_FALSE(Shown(IDC_SAVE_DATE_SET));
    HWND bar = GetDlgItem(panel, IDC_SAVE_QUALITY);
    SendMessageA(panel, WM_HSCROLL, SB_PAGERIGHT, (LPARAM)bar);
    EXPECT_EQ(g_nJpegQuality, 99);
    SendMessageA(panel, WM_HSCROLL, SB_PAGERIGHT, (LPARAM)bar);
    EXPECT_EQ(g_nJpegQuality, 99);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 99);
    EXPECT_EQ(Number(IDC_SAVE_QUALITY_VALUE), 99);
    // A 3DS kind offers the date; entered with the check, it is kept.
    Click(IDC_SAVE_KIND_FIRST + 5);
    EXPECT_EQ(g_n3dAviKind, 5);
    EXPECT_TRUE(Shown(IDC_SAVE_DATE_SET));
    CheckDlgButton(panel, IDC_SAVE_DATE_SET, BST_CHECKED);
    SetDlgItemTextA(panel, IDC_SAVE_DATE_FIRST, "2011");
    Close();
    EXPECT_EQ(g_bRecDateSet, 1);
    EXPECT_EQ(g_nRecYear, 2011);
    // Without the check the next dialog starts from the clock again.
    Open("SAVE3DAVI", SaveOptionsBHookProc);
    CheckDlgButton(panel, IDC_SAVE_DATE_SET, BST_UNCHECKED);
    Close();
    EXPECT_EQ(g_nRecYear, 0);
    g_nJpegQuality = 75;
    g_n3dAviKind = 0;
    g_bRecDateSet = 0;
}

TEST_F(Panels, DatePanelWithoutADate)
{
    Open("DATECNGDLG", DateChangeHookProc);
    Select("C:\\m\\movie.avi");
    EXPECT_FALSE(Shown(IDC_DATE_CHANGE));
    EXPECT_EQ(Number(IDC_DATE_FIRST), 1900);
    EXPECT_EQ(Number(IDC_DATE_FIRST + 1), 1);
    EXPECT_EQ(Number(IDC_DATE_FIRST + 3), 0);
    Close();
    EXPECT_EQ(g_nRecYear, 0);
}

}  // namespace

namespace {

// A file of 100,000 bytes holding a 3DS date three times after "Nintendo".
std::string Make3dsDateFile()
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + "twr_panel_date.avi";
    std::string bytes(100000, '.');
    bytes.replace(40, 8, "Nintendo");
    for (size_t at : {300, 500, 520})
        bytes.replace(at, 19, "2011:02:26 13:05:09");
    WriteWholeText(path, bytes);
    return path;
}

}  // namespace

// The panel shows the date of the file selected and rewrites it with the
// date in its edits, telling how many places it changed.
TEST_F(Panels, DatePanelReadsAndRewritesTheDate)
{
    std::string path = Make3dsDateFile();
    Open("DATECNGDLG", DateChangeHookProc);
    Select(path);
    EXPECT_TRUE(Shown(IDC_DATE_CHANGE));
    const int shown[6] = {2011, 2, 26, 13, 5, 9};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(Number(IDC_DATE_FIRST + i), shown[i]) << i;
    const int wanted[6] = {2012, 12, 1, 8, 30, 0};
    for (int i = 0; i < 6; i++)
        SetDlgItemInt(panel, IDC_DATE_FIRST + i, (UINT)wanted[i], FALSE);
    Click(IDC_DATE_CHANGE);
    EXPECT_EQ(Number(IDC_DATE_CHANGED_COUNT), 3);
    std::string text = ReadWholeText(path);
    ASSERT_EQ(text.size(), 100000u);
    for (size_t at : {300, 500, 520})
        EXPECT_EQ(text.substr(at, 19), "2012:12:01 08:30:00");
    // A part wider than its field changes nothing.
    SetDlgItemInt(panel, IDC_DATE_FIRST + 1, 123, FALSE);
    Click(IDC_DATE_CHANGE);
    EXPECT_EQ(Number(IDC_DATE_CHANGED_COUNT), 0);
    EXPECT_EQ(ReadWholeText(path), text);
    Close();
    DeleteFileA(path.c_str());
}
