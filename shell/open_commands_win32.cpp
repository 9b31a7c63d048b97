#include "shell/open_commands.h"

#include "alignment/frame_adjustment.h"
#include "pipeline/save_geometry.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "shell/file_dialogs.h"
#include "shell/file_history.h"
#include "shell/main_commands.h"
#include "shell/main_window.h"
#include "shell/open_names.h"
#include "sources/avi_index.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "sources/stereo_pair.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

#include <stdio.h>
#include <string.h>

namespace {

// Names of files dropped on the window, taken over when the posted open
// runs (a request that is dropped leaves the current names alone).
struct DroppedNames {
    bool pending;
    char left[kNameBytes], right[kNameBytes];
};
DroppedNames s_dropped;
const LPARAM kFromDrop = 0x44524F50;  // marks the opens a drop posts

void TakeDroppedNames(LPARAM lParam, bool pair)
{
    if (lParam != kFromDrop || !s_dropped.pending)
        return;
    s_dropped.pending = false;
    CopyPathText(g_szLeftName, sizeof g_szLeftName, s_dropped.left);
    if (pair)
        CopyPathText(g_szRightName, sizeof g_szRightName, s_dropped.right);
}

// Every way out of an open ends the reopen and the 3D-AVI pairing, so that
// the next open is recorded and starts from its own offsets.
struct OpenFlagsReset {
    ~OpenFlagsReset()
    {
        g_bReopening = 0;
        g_bTwoStreamAvi = 0;
    }
};

void ShowOpenError(HWND hwnd, const char *path, const char *errorText)
{
    FourccDialogText text = {path, errorText};
    DialogBoxParamA(g_hInst, "FOURCC", hwnd, FourccDlgProc, (LPARAM)&text);
}

// What every open resets before the records are closed.
void ResetForOpen(bool pair)
{
    CheckTrimming(false);
    g_bAllFrameAdjust = 0;
    g_nFrame = 0;
    g_nEndOffset = 0;
    g_nTrimState = kTrimNone;
    g_nSaveWidth = g_nShownWidth;
    g_nSaveHeight = g_nShownHeight;
    g_nPlayEye = 0;
    g_nShiftX = g_nShiftY = 0;
    if (pair) {
        if (g_bTwoStreamAvi == 1) {
            g_nShiftX = -g_nParallaxH;
            g_nShiftY = g_nParallaxV;
        }
        g_nTurnL = g_nTurnChoiceL;
        g_nTurnR = g_nTurnChoiceR;
    } else if (g_nSType == 5 || g_nSType == 6) {
        g_nShiftY = -g_nSis;
    }
    SetPairRecords(&g_leftMovie, &g_rightMovie);
    ResetAlignmentValuesForNewPair();
    g_bAdjustActive = 0;
    g_bSwapped = 0;
    FreeComposedFrame();
}

void WriteHistory(bool added)
{
    char types[64];
    FormatHistoryTypes(types, sizeof types);
    WriteSetting("FileTypeHistory", types);
    if (!added)
        return;
    for (int k = 0; k < kHistoryEntries; k++) {
        if (!g_szHistory[2 * k][0])
            continue;
        for (int i = 2 * k; i <= 2 * k + 1; i++) {
            char name[32];
            snprintf(name, sizeof name, "FileHistory%d", i);
            WriteSetting(name, g_szHistory[i]);
        }
    }
}

// After a successful open: the save region, the bar, the window and the
// history.
void Opened(HWND hwnd)
{
    g_rcSaveRegion = {g_pLeft->nWidth / 4, 0, 3 * g_pLeft->nWidth / 4, g_pLeft->nHeight};
    ResetPositionBar();
    FitMainWindowToPair(hwnd);
}

void EmptyNames()
{
    g_szLeftName[0] = g_szRightName[0] = '\0';
}

int FilterMode(const OPENFILENAMEA &o)
{
    return (int)o.nFilterIndex - g_nPlugins - 1;
}

// An open dialog on the shared record; false when cancelled.
bool AskOpenName(HWND hwnd, const char *initialName, int titleId, LPOFNHOOKPROC hook, const char *panel, DWORD flags)
{
    char folder[kPathBytes], title[256];
    CopyFolderOfPath(folder, g_szLeftName);
    CopyPathText(g_szDialogFile, sizeof g_szDialogFile, initialName);
    lstrcpynA(title, LoadStr(titleId), sizeof title);
    g_ofnOpen.hwndOwner = hwnd;
    g_ofnOpen.lpstrInitialDir = folder;
    g_ofnOpen.lpstrTitle = title;
    g_ofnOpen.lpstrFilter = g_szOpenFilter;
    g_ofnOpen.lpfnHook = hook;
    g_ofnOpen.lpTemplateName = panel;
    g_ofnOpen.Flags = flags;
    BOOL ok = GetOpenFileNameA(&g_ofnOpen);
    g_ofnOpen.lpstrInitialDir = nullptr;
    g_ofnOpen.lpstrTitle = nullptr;
    return ok != FALSE;
}

void EndOpenGlDisplay(HWND hwnd)
{
    if (g_bGLActive == 1)
        SendMessageA(hwnd, WM_COMMAND, IDM_MODE_BLEND, 0);
}

}  // namespace

void OpenPairCommand(HWND hwnd)
{
    if (g_nBusy != 0)
        return;
    EndOpenGlDisplay(hwnd);
    const DWORD flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    if (!AskOpenName(hwnd, g_szLeftName, IDS_TITLE_OPEN_LEFT, OpenPairHookProc, "SOPEN", flags))
        return;
    if (g_bTwoNamesSelected) {
        CopyPathText(g_szLeftName, sizeof g_szLeftName, g_szSelectedLeft);
        CopyPathText(g_szRightName, sizeof g_szRightName, g_szSelectedRight);
        g_nOpenModeL = g_nOpenModeR = FilterMode(g_ofnOpen);
        SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
        return;
    }
    CopyPathText(g_szLeftName, sizeof g_szLeftName, g_szDialogFile);
    g_nOpenModeL = FilterMode(g_ofnOpen);
    if (MakePartnerFileName(g_szLeftName, g_szRightName, sizeof g_szRightName)) {
        char question[800], caption[64];
        snprintf(question, sizeof question, LoadStr(IDS_ASK_PARTNER), g_szRightName);
        lstrcpynA(caption, LoadStr(IDS_PARTNER_CAPTION), sizeof caption);
        if (AppMessageBox(hwnd, question, caption, MB_ICONQUESTION | MB_YESNO) == IDYES) {
            g_nOpenModeR = FilterMode(g_ofnOpen);
            SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
            return;
        }
    }
    if (!AskOpenName(hwnd, "", IDS_TITLE_OPEN_RIGHT, OpenPairHookProc, "SOPEN", flags))
        return;
    if (g_bTwoNamesSelected) {
        // Two files chosen for the right movie: the first one listed.
        CopyPathText(g_szRightName, sizeof g_szRightName, g_szSelectedRight);
    } else {
        CopyPathText(g_szRightName, sizeof g_szRightName, g_szDialogFile);
    }
    g_nOpenModeR = FilterMode(g_ofnOpen);
    SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
}

void OpenStereoCommand(HWND hwnd)
{
    if (g_nBusy != 0)
        return;
    EndOpenGlDisplay(hwnd);
    const DWORD flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    if (!AskOpenName(hwnd, g_szLeftName, IDS_TITLE_OPEN_STEREO, OpenStereoHookProc, "STOP", flags))
        return;
    CopyPathText(g_szLeftName, sizeof g_szLeftName, g_szDialogFile);
    g_nOpenModeL = FilterMode(g_ofnOpen);
    OpenStereoByName(hwnd, 0);
}

void OpenPairByName(HWND hwnd, LPARAM lParam)
{
    OpenFlagsReset reset;
    // The records of a running loop are never closed under it.
    if (g_nBusy != 0)
        return;
    TakeDroppedNames(lParam, true);
    ResetForOpen(true);
    CloseMovieSource(g_pLeft);
    CloseMovieSource(g_pRight);
    char error[512] = "";
    if (OpenMovieSource(hwnd, g_szLeftName, g_pLeft, error, g_nOpenModeL)) {
        CloseMovieSource(g_pLeft);
        ShowOpenError(hwnd, g_szLeftName, error);
        return;
    }
    if (g_bTwoStreamAvi == 1) {
        g_pRight->nWidth = 1;  // the file's second video stream
        g_nOpenModeR = g_nOpenModeL;
    }
    error[0] = '\0';
    if (OpenMovieSource(hwnd, g_szRightName, g_pRight, error, g_nOpenModeR)) {
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
        ShowOpenError(hwnd, g_szRightName, error);
        return;
    }
    ShowCurrentPair(&g_stereoPair);
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, TRUE);
    if (g_pLeft->bOpen && g_pRight->bOpen) {
        Opened(hwnd);
        if (g_bReopening != 1)
            WriteHistory(RecordHistory(g_szRightName, g_bTwoStreamAvi == 1 ? "" : g_szLeftName, g_nSType));
    } else {
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
        EmptyNames();
    }
}

void OpenStereoByName(HWND hwnd, LPARAM lParam)
{
    OpenFlagsReset reset;
    if (g_nBusy != 0)
        return;
    TakeDroppedNames(lParam, false);
    g_bAllFrameAdjust = 0;
    if (ProbeStereoAvi(g_szLeftName) == 1) {
        g_bTwoStreamAvi = 1;
        CopyPathText(g_szRightName, sizeof g_szRightName, g_szLeftName);
        SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
        return;
    }
    if (g_nSType == 4 && g_bDeinterlaceOpt == 1) {
        char text[512];
        lstrcpynA(text, LoadStr(IDS_INTERLACE_NOISE_OFF), sizeof text);
        AppMessageBox(hwnd, text, LoadStr(IDS_WARNING_CAPTION), MB_ICONWARNING);
        g_bDeinterlaceOpt = 0;
    }
    g_nFieldMode = 0;
    CopyPathText(g_szRightName, sizeof g_szRightName, g_szLeftName);
    ResetForOpen(false);
    CloseMovieSource(g_pLeft);
    CloseMovieSource(g_pRight);
    char error[512] = "";
    if (OpenMovieSource(hwnd, g_szLeftName, g_pLeft, error, g_nOpenModeL)) {
        CloseMovieSource(g_pLeft);
        ShowOpenError(hwnd, g_szLeftName, error);
        return;
    }
    error[0] = '\0';
    if (OpenMovieSource(hwnd, g_szLeftName, g_pRight, error, g_nOpenModeL)) {
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
        ShowOpenError(hwnd, g_szRightName, error);
        return;
    }
    if (g_pLeft->bOpen && g_pRight->bOpen && SetupStereoFileRecords(g_pLeft, g_pRight, g_nSType)) {
        ShowCurrentPair(&g_stereoPair);
        if (g_hwndView)
            InvalidateRect(g_hwndView, nullptr, TRUE);
        if (g_bReopening != 1)
            WriteHistory(RecordHistory(g_szLeftName, "", g_nSType));
        Opened(hwnd);
    } else {
        CloseMovieSource(g_pLeft);
        CloseMovieSource(g_pRight);
        EmptyNames();
    }
}

void ReopenHistoryCommand(HWND hwnd, int k)
{
    if (g_nBusy != 0 || k < 0 || k >= kHistoryEntries || !g_szHistory[2 * k][0])
        return;
    g_nOpenModeL = g_nOpenModeR = 0;
    g_bReopening = 1;
    g_nSType = g_nHistoryType[k];
    if (!g_szHistory[2 * k + 1][0]) {
        CopyPathText(g_szLeftName, sizeof g_szLeftName, g_szHistory[2 * k]);
        SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_STEREO_BY_NAME, 0);
    } else {
        CopyPathText(g_szLeftName, sizeof g_szLeftName, g_szHistory[2 * k + 1]);
        CopyPathText(g_szRightName, sizeof g_szRightName, g_szHistory[2 * k]);
        SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
    }
    g_bReopening = 0;
}

void ClearHistoryCommand(HWND hwnd)
{
    char text[512];
    lstrcpynA(text, LoadStr(IDS_ASK_CLEAR_HISTORY), sizeof text);
    if (AppMessageBox(hwnd, text, LoadStr(IDS_WARNING_CAPTION), MB_ICONWARNING | MB_YESNO) != IDYES)
        return;
    ClearHistory();
    for (int i = 0; i < kHistoryNames; i++) {
        char name[32];
        snprintf(name, sizeof name, "FileHistory%d", i);
        WriteSetting(name, "");
    }
    WriteSetting("FileTypeHistory", "0,0,0,0,0,");
    for (int id = IDM_HISTORY_FIRST; id <= IDM_HISTORY_LAST; id++)
        DeleteMenu(g_hMenu, id, MF_BYCOMMAND);
}

LRESULT OnDropFiles(HWND hwnd, HDROP drop)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count >= 1) {
        DragQueryFileA(drop, 0, s_dropped.left, sizeof s_dropped.left);
        s_dropped.right[0] = '\0';
        if (count >= 2) {
            DragQueryFileA(drop, 1, s_dropped.right, sizeof s_dropped.right);
            s_dropped.pending = true;
            PostMessageA(hwnd, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, kFromDrop);
        } else {
            g_nSType = 0;
            if (g_bAskFileType == 1)
                DialogBoxParamA(g_hInst, "FILETYPE", hwnd, FileTypeDlgProc, 0);
            s_dropped.pending = true;
            PostMessageA(hwnd, WM_COMMAND, IDM_OPEN_STEREO_BY_NAME, kFromDrop);
        }
    }
    DragFinish(drop);
    return 0;
}

int UpdateRecentFilesMenu(HMENU menu)
{
    if (!g_szHistory[0][0]) {
        EnableMenuItem(menu, IDM_CLEAR_HISTORY, MF_BYCOMMAND | MF_GRAYED);
        return 1;
    }
    EnableMenuItem(menu, IDM_CLEAR_HISTORY, MF_BYCOMMAND | MF_ENABLED);
    bool exist = CheckMenuItem(menu, IDM_HISTORY_FIRST, MF_BYCOMMAND | MF_UNCHECKED) != (DWORD)-1;
    int before = IDM_CLEAR_HISTORY;
    if (exist) {
        char placeholder[64];
        lstrcpynA(placeholder, LoadStr(IDS_MENU_PLACEHOLDER), sizeof placeholder);
        InsertMenuA(menu, IDM_HISTORY_FIRST, MF_BYCOMMAND | MF_STRING, IDM_HISTORY_PLACEHOLDER, placeholder);
        for (int id = IDM_HISTORY_FIRST; id <= IDM_HISTORY_LAST; id++)
            DeleteMenu(menu, id, MF_BYCOMMAND);
        before = IDM_HISTORY_PLACEHOLDER;
    }
    for (int k = 0; k < kHistoryEntries; k++) {
        if (!g_szHistory[2 * k][0])
            continue;
        char text[kPathBytes * 2 + 2];
        HistoryMenuText(k, text, sizeof text);
        InsertMenuA(menu, before, MF_BYCOMMAND | MF_STRING, IDM_HISTORY_FIRST + k, text);
    }
    if (exist)
        DeleteMenu(menu, IDM_HISTORY_PLACEHOLDER, MF_BYCOMMAND);
    return 1;
}

INT_PTR CALLBACK FileTypeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_COMMAND)
        return FALSE;
    int id = LOWORD(wParam);
    if (id >= IDC_STEREO_TYPE_FIRST && id <= IDC_STEREO_TYPE_LAST) {
        g_nSType = id - IDC_STEREO_TYPE_FIRST;
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (id == IDOK || id == IDCANCEL) {
        g_nSType = 0;
        EndDialog(dialog, 1);
        return TRUE;
    }
    (void)lParam;
    return FALSE;
}
