#include "sources/movie_open.h"

#include "resources/resource_ids.h"
#include "shared/string_table.h"

#include <shellapi.h>
#include <stdio.h>

// A public list of video codecs by their four-character codes.
static const char kFourccListUrl[] = "https://www.fourcc.org/codecs/";

INT_PTR CALLBACK FourccDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        const FourccDialogText *t = (const FourccDialogText *)lParam;
        if (t) {
            SetWindowTextA(dialog, t->path ? t->path : "");
            SetDlgItemTextA(dialog, IDC_FOURCC_ERROR, t->errorText ? t->errorText : "");
        }
        if (g_szFourcc[0]) {
            char text[512];
            snprintf(text, sizeof text, LoadStr(IDS_FOURCC_FOUND), g_szFourcc);
            SetDlgItemTextA(dialog, IDC_FOURCC_TEXT, text);
        } else {
            SetDlgItemTextA(dialog, IDC_FOURCC_TEXT, LoadStr(IDS_FOURCC_MISSING));
            ShowWindow(GetDlgItem(dialog, IDC_FOURCC_WEB), SW_HIDE);
            ShowWindow(GetDlgItem(dialog, IDC_FOURCC_WEB_LABEL), SW_HIDE);
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_FOURCC_WEB:
            ShellExecuteA(dialog, "open", kFourccListUrl, nullptr, nullptr, SW_SHOWNORMAL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
