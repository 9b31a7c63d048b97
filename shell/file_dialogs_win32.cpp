#include "shell/file_dialogs.h"

#include "resources/resource_ids.h"
#include "shared/dialog_helpers.h"
#include "shared/settings_store.h"
#include "shell/open_names.h"
#include "shell/view_commands.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

#include <stdio.h>
#include <string.h>

char g_szDialogFile[260];
char g_szOpenFileTitle[512], g_szSaveFileTitle[512];
int g_bTwoNamesSelected = 0;
char g_szSelectedLeft[260], g_szSelectedRight[260];

void SetupFileDialogRecords(HWND owner)
{
    OPENFILENAMEA *records[2] = {&g_ofnOpen, &g_ofnSave};
    for (OPENFILENAMEA *o : records) {
        memset(o, 0, sizeof *o);
        // the size every Windows version accepts: 76 bytes in the 32-bit program
        o->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        o->hwndOwner = owner;
        o->hInstance = g_hInst;
        o->lpstrFile = g_szDialogFile;
        o->nMaxFile = sizeof g_szDialogFile;
    }
    g_ofnOpen.lpstrFileTitle = g_szOpenFileTitle;
    g_ofnOpen.nMaxFileTitle = sizeof g_szOpenFileTitle;
    g_ofnOpen.Flags = OFN_HIDEREADONLY;
    g_ofnSave.lpstrFileTitle = g_szSaveFileTitle;
    g_ofnSave.nMaxFileTitle = sizeof g_szSaveFileTitle;
    g_ofnSave.Flags = 0;
    g_ofnSave.lpstrDefExt = "avi";
}

namespace {

int ReadInt(HWND panel, int id, bool isSigned)
{
    BOOL ok = FALSE;
    UINT v = GetDlgItemInt(panel, id, &ok, isSigned ? TRUE : FALSE);
    return ok ? (int)v : 0;
}

// The path the file dialog would return now (CDM_GETFILEPATH of the dialog
// that holds the panel); false when it does not fit or cannot be asked.
bool CurrentPath(HWND panel, char *out)
{
    LRESULT n = SendMessageA(GetParent(panel), CDM_GETFILEPATH, 260, (LPARAM)out);
    if (n < 0 || n > 260)
        return false;
    out[259] = '\0';
    return true;
}

// ---- "SOPEN" ----

char s_lastPairAnswer[260];

void ShowStereoSound(HWND panel, bool offered)
{
    ShowDlgItem(panel, IDC_SOPEN_STEREO_SOUND, offered);
    ShowDlgItem(panel, IDC_SOPEN_SWAP_SOUND, offered && g_bStereoSound == 1);
}

void PairSelectionChanged(HWND panel)
{
    char answer[260];
    if (!CurrentPath(panel, answer) || !strcmp(answer, s_lastPairAnswer))
        return;
    strcpy(s_lastPairAnswer, answer);
    ShowStereoSound(panel, IsMpegName(answer));
    char left[260], right[260];
    if (SplitTwoSelectedNames(answer, left, right, sizeof left)) {
        strcpy(g_szSelectedLeft, left);
        strcpy(g_szSelectedRight, right);
        g_bTwoNamesSelected = 1;
        ShowStereoSound(panel, IsMpegName(left) && IsMpegName(right));
    } else {
        g_bTwoNamesSelected = 0;
    }
}

// ---- the size controls of the save panels ----

const int kSizeControls[] = {IDC_SAVE_WIDTH, IDC_SAVE_WIDTH_LABEL, IDC_SAVE_HEIGHT, IDC_SAVE_HEIGHT_LABEL,
                             IDC_SAVE_SMART_SIZE};

void ShowSizeControls(HWND panel, bool shown)
{
    for (int id : kSizeControls)
        ShowDlgItem(panel, id, shown);
}

void InitSizeControls(HWND panel)
{
    char text[32];
    SetDlgItemInt(panel, IDC_SAVE_WIDTH, (UINT)g_nSaveWidth, TRUE);
    SetDlgItemInt(panel, IDC_SAVE_HEIGHT, (UINT)g_nSaveHeight, TRUE);
    snprintf(text, sizeof text, "X(%d):", g_nShownWidth);
    SetDlgItemTextA(panel, IDC_SAVE_WIDTH_LABEL, text);
    snprintf(text, sizeof text, "Y(%d):", g_nShownHeight);
    SetDlgItemTextA(panel, IDC_SAVE_HEIGHT_LABEL, text);
    if (g_bSaveResize == 0)
        ShowSizeControls(panel, false);
}

void ReadSizeControls(HWND panel)
{
    if (g_bSaveResize != 1 || !GetDlgItem(panel, IDC_SAVE_WIDTH))
        return;
    int w = ReadInt(panel, IDC_SAVE_WIDTH, true), h = ReadInt(panel, IDC_SAVE_HEIGHT, true);
    g_nSaveWidth = SaveWidthFromEntry(w, g_nShownWidth);
    g_nSaveHeight = h < 0 ? g_nShownHeight : h;
}

void ShowDateControls(HWND panel, bool shown)
{
    for (int id = IDC_SAVE_DATE_SET; id <= IDC_SAVE_DATE_FIRST + 5; id++)
        ShowDlgItem(panel, id, shown);
}

int *DatePart(int i)
{
    static int *const parts[6] = {&g_nRecYear, &g_nRecMonth, &g_nRecDay, &g_nRecHour, &g_nRecMinute, &g_nRecSecond};
    return parts[i];
}

void SetDateEdits(HWND panel, bool isSigned)
{
    for (int i = 0; i < 6; i++)
        SetDlgItemInt(panel, IDC_SAVE_DATE_FIRST + i, (UINT)*DatePart(i), isSigned ? TRUE : FALSE);
}

void ReadDateEdits(HWND panel)
{
    for (int i = 0; i < 6; i++)
        *DatePart(i) = ReadInt(panel, IDC_SAVE_DATE_FIRST + i, false);
}

// ---- "DATECNGDLG" ----

char s_lastDatePath[260];

}  // namespace

UINT_PTR CALLBACK OpenPairHookProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        CheckDlgItem(panel, IDC_SOPEN_DEINTERLACE, g_bDeinterlaceOpt);
        CheckDlgItem(panel, IDC_SOPEN_FIELD_DOUBLE, g_nFieldMode == 0);
        CheckDlgItem(panel, IDC_SOPEN_FIELD_DROP, g_nFieldMode == 1);
        CheckDlgItem(panel, IDC_SOPEN_STEREO_SOUND, g_bStereoSound);
        CheckDlgItem(panel, IDC_SOPEN_SWAP_SOUND, g_nSoundlr);
        for (int i = 0; i < 6; i++) {
            CheckDlgItem(panel, IDC_SOPEN_TURN_LEFT_FIRST + i, g_nTurnChoiceL == i);
            CheckDlgItem(panel, IDC_SOPEN_TURN_RIGHT_FIRST + i, g_nTurnChoiceR == i);
        }
        ShowDlgItem(panel, IDC_SOPEN_STEREO_SOUND, false);
        ShowDlgItem(panel, IDC_SOPEN_SWAP_SOUND, false);
        ShowDlgItem(panel, IDC_SOPEN_FIELD_DOUBLE, g_bDeinterlaceOpt != 0);
        ShowDlgItem(panel, IDC_SOPEN_FIELD_DROP, g_bDeinterlaceOpt != 0);
        g_szSelectedLeft[0] = g_szSelectedRight[0] = '\0';
        g_bTwoNamesSelected = 0;
        s_lastPairAnswer[0] = '\0';
        return 0;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDC_SOPEN_DEINTERLACE) {
            g_bDeinterlaceOpt = 1 - g_bDeinterlaceOpt;
            ShowDlgItem(panel, IDC_SOPEN_FIELD_DOUBLE, g_bDeinterlaceOpt != 0);
            ShowDlgItem(panel, IDC_SOPEN_FIELD_DROP, g_bDeinterlaceOpt != 0);
        } else if (id == IDC_SOPEN_STEREO_SOUND) {
            g_bStereoSound = 1 - g_bStereoSound;
            ShowDlgItem(panel, IDC_SOPEN_SWAP_SOUND, g_bStereoSound == 1);
        } else if (id == IDC_SOPEN_FIELD_DOUBLE || id == IDC_SOPEN_FIELD_DROP) {
            g_nFieldMode = id == IDC_SOPEN_FIELD_DROP ? 1 : 0;
        } else if (id == IDC_SOPEN_SWAP_SOUND) {
            g_nSoundlr = 1 - g_nSoundlr;
            WriteSettingNumber("nSoundlr", g_nSoundlr);
        } else if (id >= IDC_SOPEN_TURN_LEFT_FIRST && id <= IDC_SOPEN_TURN_LEFT_FIRST + 5) {
            g_nTurnChoiceL = id - IDC_SOPEN_TURN_LEFT_FIRST;
        } else if (id >= IDC_SOPEN_TURN_RIGHT_FIRST && id <= IDC_SOPEN_TURN_RIGHT_FIRST + 5) {
            g_nTurnChoiceR = id - IDC_SOPEN_TURN_RIGHT_FIRST;
        }
        return 0;
    }
    case WM_NOTIFY:
        PairSelectionChanged(panel);
        return 0;
    }
    (void)lParam;
    return 0;
}

UINT_PTR CALLBACK OpenStereoHookProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        bool sis = g_nSType == 5 || g_nSType == 6;
        ShowDlgItem(panel, IDC_STOP_SIS_LABEL, sis);
        ShowDlgItem(panel, IDC_STOP_SIS, sis);
        SetDlgItemInt(panel, IDC_STOP_SIS, (UINT)g_nSis, TRUE);
        CheckRadioButton(panel, IDC_STEREO_TYPE_FIRST, IDC_STEREO_TYPE_LAST, IDC_STEREO_TYPE_FIRST + g_nSType);
        CheckDlgItem(panel, IDC_STOP_NOISE_REDUCTION, g_bDeinterlaceOpt);
        return 1;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDC_STOP_NOISE_REDUCTION) {
            g_bDeinterlaceOpt = 1 - g_bDeinterlaceOpt;
            return 1;
        }
        if (id >= IDC_STEREO_TYPE_FIRST && id <= IDC_STEREO_TYPE_LAST) {
            g_nSType = id - IDC_STEREO_TYPE_FIRST;
            WriteSettingNumber("nSType", g_nSType);
            CheckRadioButton(panel, IDC_STEREO_TYPE_FIRST, IDC_STEREO_TYPE_LAST, id);
            bool sis = g_nSType == 5 || g_nSType == 6;
            ShowDlgItem(panel, IDC_STOP_SIS_LABEL, sis);
            ShowDlgItem(panel, IDC_STOP_SIS, sis);
            return 1;
        }
        return 0;
    }
    case WM_DESTROY:
        if (g_nSType == 5 || g_nSType == 6) {
            g_nSis = ReadInt(panel, IDC_STOP_SIS, true);
            WriteSettingNumber("nSis", g_nSis);
        }
        return 1;
    }
    (void)lParam;
    return 0;
}

UINT_PTR CALLBACK SaveOptionsHookProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam)
{
    static const struct {
        int id;
        int *value;
    } checks[] = {{IDC_SAVE_PREVIEW, &g_bSavePreview}, {IDC_SAVE_RESIZE, &g_bSaveResize},
                  {IDC_SAVE_SMART_SIZE, &g_bSmartSize}, {IDC_SAVE_KEEP_ASPECT, &g_bKeepAspect},
                  {IDC_SAVE_HALF_SIZE, &g_bHalfSize},   {IDC_SAVE_BORDER, &g_bSaveBorder}};
    switch (msg) {
    case WM_INITDIALOG:
        for (const auto &c : checks)
            CheckDlgItem(panel, c.id, *c.value);
        CheckRadioButton(panel, IDC_SAVE_LAYOUT_FIRST, IDC_SAVE_LAYOUT_FIRST + 7, IDC_SAVE_LAYOUT_FIRST + g_nSaveLayout);
        InitSizeControls(panel);
        if (!(g_bSaveResize == 1 && g_bSmartSize == 1)) {
            ShowDlgItem(panel, IDC_SAVE_KEEP_ASPECT, false);
            ShowDlgItem(panel, IDC_SAVE_HALF_SIZE, false);
        }
        return 1;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id >= IDC_SAVE_LAYOUT_FIRST && id <= IDC_SAVE_LAYOUT_FIRST + 7) {
            g_nSaveLayout = id - IDC_SAVE_LAYOUT_FIRST;
            CheckRadioButton(panel, IDC_SAVE_LAYOUT_FIRST, IDC_SAVE_LAYOUT_FIRST + 7, id);
            return 1;
        }
        switch (id) {
        case IDC_SAVE_SMART_SIZE:
            g_bSmartSize = 1 - g_bSmartSize;
            ShowDlgItem(panel, IDC_SAVE_KEEP_ASPECT, g_bSmartSize == 1);
            ShowDlgItem(panel, IDC_SAVE_HALF_SIZE, g_bSmartSize == 1);
            return 1;
        case IDC_SAVE_RESIZE:
            g_bSaveResize = 1 - g_bSaveResize;
            ShowSizeControls(panel, g_bSaveResize == 1);
            return 1;
        case IDC_SAVE_HALF_SIZE: g_bHalfSize = 1 - g_bHalfSize; return 1;
        case IDC_SAVE_BORDER: g_bSaveBorder = 1 - g_bSaveBorder; return 1;
        case IDC_SAVE_PREVIEW: g_bSavePreview = 1 - g_bSavePreview; return 1;
        case IDC_SAVE_KEEP_ASPECT: g_bKeepAspect = 1 - g_bKeepAspect; return 1;
        }
        return 0;
    }
    case WM_DESTROY:
        ReadSizeControls(panel);
        return 1;
    }
    (void)lParam;
    return 0;
}

UINT_PTR CALLBACK SaveOptionsBHookProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        if (g_nRecYear == 0) {
            SYSTEMTIME now;
            GetLocalTime(&now);
            g_nRecYear = now.wYear;
            g_nRecMonth = now.wMonth;
            g_nRecDay = now.wDay;
            g_nRecHour = now.wHour;
            g_nRecMinute = now.wMinute;
            g_nRecSecond = now.wSecond;
        }
        CheckDlgItem(panel, IDC_SAVE_DATE_SET, g_bRecDateSet);
        SetDateEdits(panel, false);
        ShowDateControls(panel, g_n3dAviKind >= 3);
        CheckDlgItem(panel, IDC_SAVE_PREVIEW, g_bSavePreview);
        CheckDlgItem(panel, IDC_SAVE_RESIZE, g_bSaveResize);
        CheckDlgItem(panel, IDC_SAVE_SMART_SIZE, g_bSmartSize);
        InitSizeControls(panel);
        HWND bar = GetDlgItem(panel, IDC_SAVE_QUALITY);
        if (bar) {
            SetScrollRange(bar, SB_CTL, 1, 99, FALSE);
            SetScrollPos(bar, SB_CTL, g_nJpegQuality, TRUE);
            SetDlgItemInt(panel, IDC_SAVE_QUALITY_VALUE, (UINT)g_nJpegQuality, FALSE);
        }
        if (GetDlgItem(panel, IDC_SAVE_KIND_FIRST))
            CheckRadioButton(panel, IDC_SAVE_KIND_FIRST, IDC_SAVE_KIND_FIRST + 8, IDC_SAVE_KIND_FIRST + g_n3dAviKind);
        return 1;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        switch (id) {
        case IDC_SAVE_SMART_SIZE: g_bSmartSize = 1 - g_bSmartSize; return 1;
        case IDC_SAVE_PREVIEW: g_bSavePreview = 1 - g_bSavePreview; return 1;
        case IDC_SAVE_RESIZE:
            g_bSaveResize = 1 - g_bSaveResize;
            ShowSizeControls(panel, g_bSaveResize == 1);
            return 1;
        }
        if (id >= IDC_SAVE_KIND_FIRST && id <= IDC_SAVE_KIND_FIRST + 8) {
            g_n3dAviKind = id - IDC_SAVE_KIND_FIRST;
            ShowDateControls(panel, id > IDC_SAVE_KIND_FIRST + 2);
            return 1;
        }
        return 0;
    }
    case WM_HSCROLL: {
        HWND bar = GetDlgItem(panel, IDC_SAVE_QUALITY);
        if (bar && (HWND)lParam == bar) {
            g_nJpegQuality = QualityAfterScroll(LOWORD(wParam), g_nJpegQuality, (short)HIWORD(wParam));
            SetScrollPos(bar, SB_CTL, g_nJpegQuality, TRUE);
            SetDlgItemInt(panel, IDC_SAVE_QUALITY_VALUE, (UINT)g_nJpegQuality, FALSE);
        }
        return 0;
    }
    case WM_DESTROY:
        ReadSizeControls(panel);
        g_bRecDateSet = IsDlgItemChecked(panel, IDC_SAVE_DATE_SET) ? 1 : 0;
        if (g_bRecDateSet == 1 && g_n3dAviKind > 2)
            ReadDateEdits(panel);
        else
            g_nRecYear = 0;
        return 1;
    }
    return 0;
}

UINT_PTR CALLBACK DateChangeHookProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        s_lastDatePath[0] = '\0';
        return 1;
    case WM_NOTIFY: {
        char path[260];
        if (!CurrentPath(panel, path) || !strcmp(path, s_lastDatePath))
            return 0;
        strcpy(s_lastDatePath, path);
        if (Read3dsMovieDate(path)) {
            ShowDlgItem(panel, IDC_DATE_CHANGE, true);
        } else {
            ShowDlgItem(panel, IDC_DATE_CHANGE, false);
            g_nRecYear = 1900;
            g_nRecMonth = 1;
            g_nRecDay = 1;
            g_nRecHour = g_nRecMinute = g_nRecSecond = 0;
        }
        SetDlgItemTextA(panel, IDC_DATE_CHANGED_COUNT, "");
        SetDateEdits(panel, true);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_DATE_CHANGE) {
            ReadDateEdits(panel);
            SetDlgItemInt(panel, IDC_DATE_CHANGED_COUNT, (UINT)Write3dsMovieDate(s_lastDatePath), TRUE);
            return 1;
        }
        return 0;
    case WM_DESTROY:
        g_nRecYear = 0;
        return 0;
    }
    (void)lParam;
    return 0;
}
