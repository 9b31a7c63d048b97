// The anaglyph settings dialog: the variant and both eyes' gammas, chosen
// on a live preview of the current pair scaled to the preview control.
#include "pipeline/settings_dialogs.h"

#include "alignment/auto_align.h"
#include "pipeline/anaglyph_preview.h"
#include "pipeline/compose.h"
#include "resources/resource_ids.h"
#include "shared/dib_gdi.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "state/app_state.h"

#include <stdio.h>

int g_nAnaglyphDlgMode = 0;
int g_nAnaglyphPreviewView = 0;

namespace {

enum { kGammaMin = 1, kGammaMax = 500, kGammaDefault = 100 };

// The open dialog's state (it is modal, so there is one at a time).
struct AnaglyphDialog {
    int type;
    int gamma[2];       // left, right in hundredths
    int mean[2];        // the eyes' mean densities in the preview
    PackedDib *scaled[2];
    PackedDib *preview;
};
AnaglyphDialog s_dlg;

const int kColourButtons[] = {1243, 1244, 1246, 1247};
const int kGreyButtons[] = {1240, 1241, 1242, 1245};

void FreePreviewFrames()
{
    for (PackedDib *&d : s_dlg.scaled) {
        if (d)
            FreeDib(d);
        d = nullptr;
    }
    if (s_dlg.preview)
        FreeDib(s_dlg.preview);
    s_dlg.preview = nullptr;
}

// The preview control's inside (2 pixels off each side) with the left
// frame's aspect.
bool PreviewSize(HWND dialog, const PackedDib *frame, int *width, int *height)
{
    RECT rc;
    if (!frame || !GetClientRect(GetDlgItem(dialog, IDC_ANAG_PREVIEW), &rc))
        return false;
    int fw = DibWidth(frame), fh = DibHeight(frame);
    int cw = rc.right - rc.left - 4, ch = rc.bottom - rc.top - 4;
    if (fw < 1 || fh < 1 || cw < 1 || ch < 1)
        return false;
    int w = cw, h = (int)((long long)w * fh / fw);
    if (h > ch) {
        h = ch;
        w = (int)((long long)fw * h / fh);
    }
    if (w < 1 || h < 1)
        return false;
    *width = w;
    *height = h;
    return true;
}

void MakeScaledCopies(HWND dialog)
{
    int w, h;
    if (!g_pAdjustDibL || !g_pAdjustDibR || !PreviewSize(dialog, g_pAdjustDibL, &w, &h))
        return;
    s_dlg.scaled[0] = StretchDibToNew24(dialog, g_pAdjustDibL, w, h, 0, 0, 0, 0, 1);
    s_dlg.scaled[1] = StretchDibToNew24(dialog, g_pAdjustDibR, w, h, 0, 0, 0, 0, 1);
}

void RecomposePreview()
{
    if (s_dlg.preview)
        FreeDib(s_dlg.preview);
    s_dlg.preview = ComposeAnaglyphPreview(s_dlg.scaled[0], s_dlg.gamma[0], &s_dlg.mean[0], s_dlg.scaled[1],
                                           s_dlg.gamma[1], &s_dlg.mean[1], s_dlg.type, g_nAnaglyphPreviewView);
}

void InvalidatePreview(HWND dialog, BOOL erase)
{
    HWND control = GetDlgItem(dialog, IDC_ANAG_PREVIEW);
    RECT rc;
    if (!control || !GetWindowRect(control, &rc))
        return;
    MapWindowPoints(nullptr, dialog, (POINT *)&rc, 2);
    InvalidateRect(dialog, &rc, erase);
}

void WriteGammaLabel(HWND dialog, int eye)
{
    char text[256];
    int g = s_dlg.gamma[eye];
    snprintf(text, sizeof text, LoadStr(IDS_GAMMA_LABEL), g / 100, g % 100, s_dlg.mean[eye]);
    SetDlgItemTextA(dialog, eye == 0 ? IDC_ANAG_LABEL_LEFT : IDC_ANAG_LABEL_RIGHT, text);
}

int ScrollBarEye(int id)
{
    return id == IDC_ANAG_GAMMA_LEFT ? 0 : id == IDC_ANAG_GAMMA_RIGHT ? 1 : -1;
}

void InitDialog(HWND dialog)
{
    FreePreviewFrames();
    if (g_nAnaglyphDlgMode == 10) {
        int c = g_nAnactype >= 0 && g_nAnactype <= 3 ? g_nAnactype : 0;
        s_dlg.type = c + 3 + (c > 1 ? 1 : 0);
        for (int id : kGreyButtons)
            EnableWindow(GetDlgItem(dialog, id), FALSE);
    } else {
        int g = g_nAnatype >= 0 && g_nAnatype <= 3 ? g_nAnatype : 0;
        s_dlg.type = g == 3 ? 5 : g;
        for (int id : kColourButtons)
            EnableWindow(GetDlgItem(dialog, id), FALSE);
    }
    g_nAnaglyphDlgMode = 0;
    if (g_nAnaglyphPreviewView < 0 || g_nAnaglyphPreviewView > 2)
        g_nAnaglyphPreviewView = 0;
    CheckRadioButton(dialog, IDC_ANAG_TYPE_FIRST, IDC_ANAG_TYPE_FIRST + 7, IDC_ANAG_TYPE_FIRST + s_dlg.type);
    CheckRadioButton(dialog, IDC_ANAG_VIEW_FIRST, IDC_ANAG_VIEW_FIRST + 2, IDC_ANAG_VIEW_FIRST + g_nAnaglyphPreviewView);
    s_dlg.gamma[0] = g_nGmmar;
    s_dlg.gamma[1] = g_nGmmab;
    s_dlg.mean[0] = s_dlg.mean[1] = 0;
    for (int eye = 0; eye < 2; eye++) {
        HWND bar = GetDlgItem(dialog, eye == 0 ? IDC_ANAG_GAMMA_LEFT : IDC_ANAG_GAMMA_RIGHT);
        SetScrollRange(bar, SB_CTL, kGammaMin, kGammaMax, FALSE);
        SetScrollPos(bar, SB_CTL, s_dlg.gamma[eye], TRUE);
    }
    MakeScaledCopies(dialog);
    RecomposePreview();
    WriteGammaLabel(dialog, 0);
    WriteGammaLabel(dialog, 1);
}

// After a change of one eye's gamma.
void GammaChanged(HWND dialog, int eye)
{
    SetScrollPos(GetDlgItem(dialog, eye == 0 ? IDC_ANAG_GAMMA_LEFT : IDC_ANAG_GAMMA_RIGHT), SB_CTL, s_dlg.gamma[eye],
                 TRUE);
    RecomposePreview();
    WriteGammaLabel(dialog, eye);
    InvalidatePreview(dialog, TRUE);
}

void Scroll(HWND dialog, WPARAM wParam, HWND bar)
{
    int eye = ScrollBarEye(GetDlgCtrlID(bar));
    if (eye < 0)
        return;
    int g = s_dlg.gamma[eye];
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: g -= 1; break;
    case SB_PAGELEFT: g -= 10; break;
    case SB_LINERIGHT: g += 1; break;
    case SB_PAGERIGHT: g += 10; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: g = HIWORD(wParam); break;
    case SB_LEFT: g = kGammaMin; break;
    case SB_RIGHT: g = kGammaMax; break;
    default: return;
    }
    s_dlg.gamma[eye] = g < kGammaMin ? kGammaMin : g > kGammaMax ? kGammaMax : g;
    SendMessageA(dialog, WM_COMMAND, IDC_ANAG_GAMMA_CHANGED, (LPARAM)eye);
}

void WriteNumber(const char *name, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    WriteSetting(name, text);
}

void Accept()
{
    int t = s_dlg.type;
    if (t == 3 || t == 4 || t == 6 || t == 7) {
        g_nAnactype = t >= 6 ? t - 4 : t - 3;
        WriteNumber("nAnactype", g_nAnactype);
        g_nAnaglyphDlgMode = 2;
    } else {
        g_nAnatype = t == 5 ? 3 : t;
        WriteNumber("nAnatype", g_nAnatype);
        g_nAnaglyphDlgMode = 1;
    }
    g_nGmmar = s_dlg.gamma[0];
    g_nGmmab = s_dlg.gamma[1];
    WriteNumber("nGmmar", g_nGmmar);
    WriteNumber("nGmmab", g_nGmmab);
    BuildAnaglyphGammaTable(g_nGmmar, g_aGammaRed);
    BuildAnaglyphGammaTable(g_nGmmab, g_aGammaBlue);
}

void Paint(HWND dialog)
{
    PAINTSTRUCT ps;
    BeginPaint(dialog, &ps);
    HWND control = GetDlgItem(dialog, IDC_ANAG_PREVIEW);
    const PackedDib *p = s_dlg.preview;
    if (p && control) {
        HDC dc = GetDC(control);
        SetDIBitsToDevice(dc, 2, 2, (DWORD)DibWidth(p), (DWORD)DibHeight(p), 0, 0, 0, (UINT)DibHeight(p),
                          FindDibBits(p), (const BITMAPINFO *)p, DIB_RGB_COLORS);
        ReleaseDC(control, dc);
    }
    EndPaint(dialog, &ps);
}

}  // namespace

INT_PTR CALLBACK AnaglyphSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitDialog(dialog);
        return TRUE;
    case WM_PAINT:
        Paint(dialog);
        return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        Scroll(dialog, wParam, (HWND)lParam);
        return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id >= IDC_ANAG_TYPE_FIRST && id <= IDC_ANAG_TYPE_FIRST + 7) {
            s_dlg.type = id - IDC_ANAG_TYPE_FIRST;
        } else if (id >= IDC_ANAG_VIEW_FIRST && id <= IDC_ANAG_VIEW_FIRST + 2) {
            g_nAnaglyphPreviewView = id - IDC_ANAG_VIEW_FIRST;
        } else if (id == IDC_ANAG_RESET_LEFT || id == IDC_ANAG_RESET_RIGHT) {
            int eye = id == IDC_ANAG_RESET_LEFT ? 0 : 1;
            s_dlg.gamma[eye] = kGammaDefault;
            SendMessageA(dialog, WM_COMMAND, IDC_ANAG_GAMMA_CHANGED, (LPARAM)eye);
            return TRUE;
        } else if (id == IDC_ANAG_GAMMA_CHANGED) {
            GammaChanged(dialog, lParam == 1 ? 1 : 0);
            return TRUE;
        } else if (id == IDOK || id == IDCANCEL) {
            if (id == IDOK)
                Accept();
            FreePreviewFrames();
            EndDialog(dialog, 0);
            return TRUE;
        } else {
            return FALSE;
        }
        RecomposePreview();
        InvalidatePreview(dialog, FALSE);
        return TRUE;
    }
    case WM_CLOSE:
        FreePreviewFrames();
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        FreePreviewFrames();
        return FALSE;
    }
    return FALSE;
}
