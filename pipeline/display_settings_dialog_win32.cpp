// The display settings dialog: the frame around the pictures and in saved
// pictures, the blurred frame, the placement of reduced pictures and a few
// playback and opening options. Changes take effect and are stored as they
// are made; OK stores the rest.
#include "pipeline/settings_dialogs.h"

#include "resources/resource_ids.h"
#include "shared/dialog_helpers.h"
#include "shared/settings_store.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <commdlg.h>
#include <stdio.h>

namespace {

// Blurred-frame changes since the program started: while there are any,
// OK shows the pair again so that the frames get the new border.
int s_nBlurChanges = 0;
COLORREF s_customColours[16];
CHOOSECOLORA s_chooseColour;
// Set while the dialog fills its controls, whose edits then notify.
bool s_bFilling = false;

void WriteNumber(const char *name, long value)
{
    char text[16];
    snprintf(text, sizeof text, "%ld", value);
    WriteSetting(name, text);
}

int EditNumber(HWND dialog, int id)
{
    BOOL ok = FALSE;
    int v = (int)GetDlgItemInt(dialog, id, &ok, TRUE);
    return ok ? v : 0;
}

void InvalidateMain(BOOL erase)
{
    if (g_hwndMain)
        InvalidateRect(g_hwndMain, nullptr, erase);
}

void InitDialog(HWND dialog)
{
    s_bFilling = true;
    if (!g_bPluginFound) {
        ShowWindow(GetDlgItem(dialog, IDC_FSET_MOV_RATE_LABEL), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_FSET_MOV_RATE), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_FSET_OLD_QT), SW_HIDE);
    }
    CheckDlgButton(dialog, IDC_FSET_OLD_QT, g_bOldQT == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_FSET_ASK_FILE_TYPE, g_bAskFileType == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_FSET_SOUND, g_bSound1 == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_FSET_BLUR, g_bBlurFrame == 1 ? BST_CHECKED : BST_UNCHECKED);
    if (g_nWcent >= 0 && g_nWcent <= 2)
        CheckRadioButton(dialog, IDC_FSET_PLACEMENT_FIRST, IDC_FSET_PLACEMENT_FIRST + 2,
                         IDC_FSET_PLACEMENT_FIRST + g_nWcent);
    CreateSpinControl(dialog, IDC_FSET_FRAME_WIDTH, 100, 0, g_nWaku);
    CreateSpinControl(dialog, IDC_FSET_BLUR_WIDTH, 500, 0, g_nBordwf);
    // The up-down control shows only its own range: a value typed outside
    // it earlier is shown as it is in force.
    SetDlgItemInt(dialog, IDC_FSET_FRAME_WIDTH, (UINT)g_nWaku, TRUE);
    SetDlgItemInt(dialog, IDC_FSET_BLUR_WIDTH, (UINT)g_nBordwf, TRUE);
    SetDlgItemInt(dialog, IDC_FSET_MOV_RATE, (UINT)g_nMovrate, TRUE);
    s_chooseColour.lStructSize = sizeof s_chooseColour;
    s_chooseColour.hwndOwner = nullptr;
    s_chooseColour.rgbResult = g_dwWCOL;
    s_chooseColour.lpCustColors = s_customColours;
    s_chooseColour.Flags = CC_RGBINIT;
    s_bFilling = false;
}

void PaintSwatch(HWND dialog)
{
    PAINTSTRUCT ps;
    BeginPaint(dialog, &ps);
    EndPaint(dialog, &ps);
    HWND swatch = GetDlgItem(dialog, IDC_FSET_FRAME_COLOUR);
    RECT rc;
    if (!swatch || !GetClientRect(swatch, &rc))
        return;
    HDC dc = GetDC(swatch);
    HBRUSH brush = CreateSolidBrush(g_dwWCOL);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    ReleaseDC(swatch, dc);
}

// A check box's value toggled, stored and shown.
void Toggle(HWND dialog, int id, int *value, const char *name)
{
    *value = *value == 1 ? 0 : 1;
    WriteNumber(name, *value);
    CheckDlgButton(dialog, id, *value == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void ChooseFrameColour(HWND dialog)
{
    // Owned by this dialog, so that the settings stay out of reach while
    // the colour is chosen.
    s_chooseColour.hwndOwner = dialog;
    s_chooseColour.rgbResult = g_dwWCOL;
    if (ChooseColorA(&s_chooseColour))
        g_dwWCOL = s_chooseColour.rgbResult;
    InvalidateRect(dialog, nullptr, FALSE);
    InvalidateMain(FALSE);
}

void Accept(HWND dialog)
{
    if (s_nBlurChanges > 0 && g_hwndMain) {
        SendMessageA(g_hwndMain, WM_COMMAND, IDM_NEXT_FRAME, 0);
        SendMessageA(g_hwndMain, WM_COMMAND, IDM_PREV_FRAME, 0);
    }
    g_bOldQT = IsDlgButtonChecked(dialog, IDC_FSET_OLD_QT) == BST_CHECKED ? 1 : 0;
    WriteNumber("nOldQT", g_bOldQT);
    g_nWaku = EditNumber(dialog, IDC_FSET_FRAME_WIDTH);
    g_nMovrate = EditNumber(dialog, IDC_FSET_MOV_RATE);
    WriteNumber("nWaku", g_nWaku);
    WriteNumber("nMovrate", g_nMovrate);
    WriteNumber("dwWCOL", (long)g_dwWCOL);
}

}  // namespace

INT_PTR CALLBACK DisplaySettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_PAINT:
        PaintSwatch(dialog);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        switch (id) {
        case IDC_FSET_SOUND:
            Toggle(dialog, id, &g_bSound1, "nSound1");
            return TRUE;
        case IDC_FSET_ASK_FILE_TYPE:
            Toggle(dialog, id, &g_bAskFileType, "nFTask");
            return TRUE;
        case IDC_FSET_BLUR:
            Toggle(dialog, id, &g_bBlurFrame, "nBordwfon");
            s_nBlurChanges++;
            return TRUE;
        case IDC_FSET_FRAME_WIDTH:
            if (s_bFilling || HIWORD(wParam) != EN_CHANGE)
                return TRUE;
            g_nWaku = EditNumber(dialog, id);
            WriteNumber("nWaku", g_nWaku);
            InvalidateMain(FALSE);
            return TRUE;
        case IDC_FSET_BLUR_WIDTH:
            if (s_bFilling || HIWORD(wParam) != EN_CHANGE)
                return TRUE;
            g_nBordwf = EditNumber(dialog, id);
            WriteNumber("nBordwf", g_nBordwf);
            s_nBlurChanges++;
            return TRUE;
        case IDC_FSET_FRAME_COLOUR_SET:
            ChooseFrameColour(dialog);
            return TRUE;
        case IDOK:
            Accept(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        default:
            if (id >= IDC_FSET_PLACEMENT_FIRST && id <= IDC_FSET_PLACEMENT_FIRST + 2) {
                g_nWcent = id - IDC_FSET_PLACEMENT_FIRST;
                WriteNumber("nWcent", g_nWcent);
                return TRUE;
            }
            return FALSE;
        }
    }
    }
    return FALSE;
}
