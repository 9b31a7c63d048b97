// The chroma-key dialog: the key colour picked with a click on the left
// picture in the view, the tolerance, and a preview of the composite in
// the view.
#include "pipeline/settings_dialogs.h"

#include "pipeline/compose_settings.h"
#include "pipeline/key_colour_pick.h"
#include "resources/resource_ids.h"
#include "shared/dialog_helpers.h"
#include "sources/movie_source.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

namespace {

enum { kToleranceMax = 30 };

HCURSOR s_hPickCursor = nullptr;
bool s_bPicking = false;

// The composed frame must hold the whole (trimmed) region the kernel writes.
bool ComposedFrameHoldsRegion(const int *m)
{
    if (!g_pComposed || !g_pLeft->pCurrent)
        return false;
    int w, h;
    if (g_nTrimState == kTrimApplied) {
        w = g_rcTrim.right - g_rcTrim.left;
        h = g_rcTrim.bottom - g_rcTrim.top;
    } else {
        w = DibWidth(g_pLeft->pCurrent) - m[2] - m[0];
        h = DibHeight(g_pLeft->pCurrent) - m[3] - m[1];
    }
    return w <= DibWidth(g_pComposed) && h <= DibHeight(g_pComposed) && DibBitCount(g_pComposed) == 24;
}

void Preview(HWND dialog)
{
    BOOL ok = FALSE;
    UINT t = GetDlgItemInt(dialog, IDC_KEY_TOLERANCE, &ok, FALSE);
    // The kernel's windows are made for tolerances up to 30; a larger typed
    // number would overflow its arithmetic.
    g_nChromaTolerance = !ok ? 0 : t > kToleranceMax ? kToleranceMax : (int)t;
    int m[4];
    ShiftToCropMargins(m, g_pLeft->nWidth, g_pLeft->nHeight, g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
    if (ComposedFrameHoldsRegion(m))
        ComposeChromaKey(ComposeSettingsFromState(), g_pComposed, g_pLeft->pCurrent, g_pRight->pCurrent, m[0], m[1],
                         m[2], m[3]);
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, TRUE);
}

void PaintSwatch(HWND dialog)
{
    PAINTSTRUCT ps;
    BeginPaint(dialog, &ps);
    EndPaint(dialog, &ps);
    HWND swatch = GetDlgItem(dialog, IDC_KEY_COLOUR);
    RECT rc;
    if (!swatch || !GetClientRect(swatch, &rc))
        return;
    HDC dc = GetDC(swatch);
    HBRUSH brush = CreateSolidBrush(g_rgbChromaKey & 0xFFFFFF);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    ReleaseDC(swatch, dc);
}

// The click that ends a pick, at a point of the dialog's client area.
void Picked(HWND dialog, POINT p)
{
    s_bPicking = false;
    ReleaseCapture();
    if (!g_hwndMain)
        return;
    MapWindowPoints(dialog, g_hwndMain, &p, 1);
    const PackedDib *frame = g_pLeft->pCurrent;
    if (!frame)
        return;
    int column, row;
    COLORREF colour;
    if (!KeyPickPixel(p.x, p.y, g_nDisplayMode, g_nWaku, g_nViewScale, DibWidth(frame), DibHeight(frame), &column,
                      &row) ||
        !KeyPickColour(frame, column, row, &colour))
        return;
    g_rgbChromaKey = colour;
    Preview(dialog);
    InvalidateRect(dialog, nullptr, TRUE);
}

}  // namespace

INT_PTR CALLBACK ChromaKeyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        if (!s_hPickCursor)
            s_hPickCursor = LoadCursorA(g_hInst, "COLOR");
        s_bPicking = false;
        CreateSpinControl(dialog, IDC_KEY_TOLERANCE, kToleranceMax, 1, g_nChromaTolerance);
        // The up-down control would show 1 for a tolerance of 0 in force.
        SetDlgItemInt(dialog, IDC_KEY_TOLERANCE, (UINT)g_nChromaTolerance, FALSE);
        return TRUE;
    case WM_PAINT:
        PaintSwatch(dialog);
        return TRUE;
    case WM_LBUTTONDOWN:
        if (!s_bPicking)
            return FALSE;
        Picked(dialog, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
        return TRUE;
    case WM_CAPTURECHANGED:
        s_bPicking = false;
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_KEY_PICK:
            SetCapture(dialog);
            if (s_hPickCursor)
                SetCursor(s_hPickCursor);
            s_bPicking = true;
            return TRUE;
        case IDC_KEY_PREVIEW:
            Preview(dialog);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            if (s_bPicking)
                ReleaseCapture();
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
