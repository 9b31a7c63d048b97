#include "alignment/autopano_dialog.h"

#include "resources/resource_ids.h"
#include "shared/path_helpers.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "state/alignment_settings.h"

#include <commdlg.h>
#include <stdio.h>
#include <string.h>

namespace {

// The arrangement chosen with the radio buttons, until OK.
int s_nArrangement = 0;
// The browse dialog's record and buffers.
OPENFILENAMEA s_ofn;
char s_szBrowseFile[260];
char s_szBrowseTitle[512];
char s_szFilter[256];

void WriteNumber(const char *name, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    WriteSetting(name, text);
}

void Show(HWND dialog, int id, bool show)
{
    ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

int Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
}

void ShowPercent(HWND dialog, bool show)
{
    Show(dialog, IDC_AP_PERCENT, show);
    Show(dialog, IDC_AP_PERCENT_LABEL, show);
}

void ShowAveraging(HWND dialog, bool show)
{
    Show(dialog, IDC_AP_PMAX_LABEL, show);
    Show(dialog, IDC_AP_PMAX, show);
}

struct ItemBox {
    int id;
    int *flag;
};
const ItemBox kItems[] = {
    {IDC_AP_ITEM_V, &g_bAdjustV},
    {IDC_AP_ITEM_H, &g_bAdjustH},
    {IDC_AP_ITEM_SIZE, &g_bAdjustSize},
    {IDC_AP_ITEM_ROTATION, &g_bAdjustRotation},
    {IDC_AP_ITEM_PERSPECTIVE_V, &g_bAdjustPerspectiveV},
    {IDC_AP_ITEM_PERSPECTIVE_H, &g_bAdjustPerspectiveH},
};

struct Box {
    int id;
    int *flag;
    const char *setting;
};
const Box kBoxes[] = {
    {IDC_AP_NO_REPORT, &g_bNoAlignReport, "nReport"},
    {IDC_AP_RESAMPLE, &g_bResample, "nResample"},
    {IDC_AP_AUTOCROP, &g_bAutoCrop, "nRautocrop"},
    {IDC_AP_ALL_FRAMES, &g_bAllFrameSetting, "nAllFadjset"},
};

void Init(HWND dialog)
{
    s_nArrangement = g_nAutopara >= 0 && g_nAutopara <= 2 ? g_nAutopara : 0;
    CheckRadioButton(dialog, IDC_AP_PARALLEL, IDC_AP_AUTOMATIC, IDC_AP_PARALLEL + s_nArrangement);

    // The filter's parts are separated by line feeds in the string table.
    strncpy(s_szFilter, LoadStr(IDS_TOOL_FILTER), sizeof s_szFilter - 2);
    s_szFilter[sizeof s_szFilter - 2] = '\0';
    s_szFilter[sizeof s_szFilter - 1] = '\0';
    for (char *p = s_szFilter; *p; p++)
        if (*p == '\n')
            *p = '\0';
    memset(&s_ofn, 0, sizeof s_ofn);
    s_ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    s_ofn.hwndOwner = dialog;
    s_ofn.lpstrFilter = s_szFilter;
    s_ofn.lpstrFile = s_szBrowseFile;
    s_ofn.nMaxFile = sizeof s_szBrowseFile;
    s_ofn.lpstrFileTitle = s_szBrowseTitle;
    s_ofn.nMaxFileTitle = sizeof s_szBrowseTitle;
    s_ofn.lpstrDefExt = "exe";
    s_ofn.Flags = OFN_HIDEREADONLY;

    for (const Box &b : kBoxes)
        CheckDlgButton(dialog, b.id, *b.flag ? BST_CHECKED : BST_UNCHECKED);
    for (const ItemBox &b : kItems)
        CheckDlgButton(dialog, b.id, *b.flag ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_AP_HIDE_WINDOW, g_bHideToolWindow ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_AP_BARREL_ON, BarrelPreCorrectionOn(g_nBarrel) ? BST_CHECKED : BST_UNCHECKED);

    SetDlgItemInt(dialog, IDC_AP_PMAX, (UINT)g_nPmax, FALSE);
    ShowAveraging(dialog, g_bAllFrameSetting != 0);

    HWND rule = GetDlgItem(dialog, IDC_AP_RULE);
    for (int id = IDS_WINDOW_RULE_NEAREST; id <= IDS_WINDOW_RULE_SHARE; id++)
        SendMessageA(rule, CB_ADDSTRING, 0, (LPARAM)LoadStr(id));
    SendMessageA(rule, CB_SETCURSEL, (WPARAM)g_nDeviationMode, 0);
    ShowPercent(dialog, g_nDeviationMode == 3);
    char text[32];
    snprintf(text, sizeof text, "%d.%d", g_nDeviationPercent / 10, g_nDeviationPercent % 10);
    SetDlgItemTextA(dialog, IDC_AP_PERCENT, text);

    const int v = BarrelSettingValue(g_nBarrel);
    const int whole = v / 10 < 0 ? -(v / 10) : v / 10, tenths = v % 10 < 0 ? -(v % 10) : v % 10;
    snprintf(text, sizeof text, v < 0 ? "-%d.%d" : "%d.%d", whole, tenths);
    SetDlgItemTextA(dialog, IDC_AP_BARREL, text);

    SetDlgItemTextA(dialog, IDC_AP_FOLDER, g_szAutopanoFolder);
}

void Browse(HWND dialog)
{
    strcpy(s_szBrowseFile, "autopano.exe");
    s_ofn.lpstrFilter = s_szFilter;
    s_ofn.lpstrTitle = "Autopano Folder";
    s_ofn.lpstrInitialDir = g_szAutopanoFolder;
    if (!GetOpenFileNameA(&s_ofn))
        return;
    char folder[kToolFolderChars];
    CopyFolderOfPath(folder, s_szBrowseFile);
    SetDlgItemTextA(dialog, IDC_AP_FOLDER, folder);
}

void Accept(HWND dialog)
{
    g_nAutopara = s_nArrangement;
    WriteNumber("nAutopara", g_nAutopara);

    char text[64];
    GetDlgItemTextA(dialog, IDC_AP_BARREL, text, sizeof text);
    g_nBarrel = MakeBarrelSetting(Checked(dialog, IDC_AP_BARREL_ON) != 0, text);
    WriteNumber("nBarrel", g_nBarrel);

    for (const Box &b : kBoxes) {
        *b.flag = Checked(dialog, b.id);
        WriteNumber(b.setting, *b.flag);
    }
    for (const ItemBox &b : kItems)
        *b.flag = Checked(dialog, b.id);
    WriteNumber("AdjustItems", PackAdjustItems());

    g_bHideToolWindow = Checked(dialog, IDC_AP_HIDE_WINDOW);
    WriteNumber("APWindow", g_bHideToolWindow);

    BOOL ok = FALSE;
    g_nPmax = ClampAveragingFrames((int)GetDlgItemInt(dialog, IDC_AP_PMAX, &ok, FALSE));
    WriteNumber("nPmax", g_nPmax);

    LRESULT rule = SendDlgItemMessageA(dialog, IDC_AP_RULE, CB_GETCURSEL, 0, 0);
    if (rule < 0 || rule > 3)
        rule = 0;
    GetDlgItemTextA(dialog, IDC_AP_PERCENT, text, sizeof text);
    const int deviation = MakeDeviationSetting((int)rule, text);
    g_nDeviationMode = deviation % 10;
    g_nDeviationPercent = deviation / 10;
    WriteNumber("nDeviation", deviation);

    GetDlgItemTextA(dialog, IDC_AP_FOLDER, g_szAutopanoFolder, kToolFolderChars);
    WriteSetting("Autopano", g_szAutopanoFolder);
    ChooseAutopanoTool();
}

} // namespace

int DetectAutopanoTool(const char *folder)
{
    static const char *const tools[] = {"generatekeys.exe", "autopano.exe"};
    for (int i = 0; i < 2; i++) {
        char path[kToolFolderChars + 20];
        snprintf(path, sizeof path, "%s%s", folder, tools[i]);
        const DWORD a = GetFileAttributesA(path);
        if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY))
            return i + 1;
    }
    return kToolBuiltIn;
}

void ChooseAutopanoTool()
{
    g_nAutopanoTool = DetectAutopanoTool(g_szAutopanoFolder);
    if (g_nAutopanoTool == kToolBuiltIn)
        CopyPathText(g_szAutopanoFolder, kToolFolderChars, LoadStr(IDS_BUILTIN_MATCHER));
}

INT_PTR CALLBACK AutopanoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        Init(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_AP_BROWSE:
            Browse(dialog);
            return TRUE;
        case IDC_AP_RULE:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                ShowPercent(dialog, SendDlgItemMessageA(dialog, IDC_AP_RULE, CB_GETCURSEL, 0, 0) == 3);
            return TRUE;
        case IDC_AP_PARALLEL:
        case IDC_AP_CROSS:
        case IDC_AP_AUTOMATIC:
            CheckRadioButton(dialog, IDC_AP_PARALLEL, IDC_AP_AUTOMATIC, LOWORD(wParam));
            s_nArrangement = LOWORD(wParam) - IDC_AP_PARALLEL;
            return TRUE;
        case IDC_AP_ALL_FRAMES:
            ShowAveraging(dialog, Checked(dialog, IDC_AP_ALL_FRAMES) != 0);
            return TRUE;
        case IDOK:
            Accept(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
