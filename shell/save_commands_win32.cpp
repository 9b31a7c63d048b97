#include "shell/save_commands.h"

#include "alignment/alignment_file.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/camera_avi.h"
#include "pipeline/pair_position.h"
#include "pipeline/save_movie.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/string_table.h"
#include "shell/file_dialogs.h"
#include "shell/main_commands.h"
#include "shell/save_names.h"
#include "sources/avi_index.h"
#include "sources/movie_open.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <string.h>

namespace {

// How the numbered files of a split save are named: prefix, two digits,
// suffix ("movie" 01 ".avi"; "trip" 01 "_l.avi"). A batch entry's files
// continue its own output names.
struct PartNames {
    char prefix[kNameBytes];
    const char *suffix;
};
PartNames s_stereoParts, s_leftParts, s_rightParts;

// A batch runs its saves to the end, continuations included, before the
// next entry: no continuation is posted while it runs.
bool s_batchRunning = false;

void SetParts(PartNames *parts, const char *path, const char *suffix, bool cut)
{
    if (cut)
        CutFileExtension(parts->prefix, sizeof parts->prefix, path);
    else
        CopyPathText(parts->prefix, sizeof parts->prefix, path);
    parts->suffix = suffix;
}

void PartName(char *dest, const PartNames &parts, int part)
{
    NumberedSaveName(dest, kNameBytes, parts.prefix, part, parts.suffix);
}

void StoreStarts()
{
    g_nSaveStartL = g_pLeft->nStart;
    g_nSaveStartR = g_pRight->nStart;
}

int PairLength()
{
    return PairFrameCount(g_pLeft, g_pRight, g_nEndOffset);
}

// Both starts put back, the pair shown as before the save.
void RestoreAndShow()
{
    g_pLeft->nStart = g_nSaveStartL;
    g_pRight->nStart = g_nSaveStartR;
    g_nFrameCount = PairLength();
    ShowCurrentPair(&g_stereoPair);
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, TRUE);
    ResetPositionBar();
}

void SplitNotice(HWND main)
{
    if (g_nSavePart > 0) {
        char text[256];
        lstrcpynA(text, LoadStr(IDS_SPLIT_SAVED), sizeof text);
        AppMessageBox(main, text, LoadStr(IDS_SPLIT_CAPTION), MB_OK);
    }
}

// A save dialog (or, with run GetOpenFileNameA, an open dialog) on the
// shared record: false when cancelled.
bool AskSaveName(HWND main, int titleId, LPOFNHOOKPROC hook, const char *panel, DWORD flags,
                 BOOL(WINAPI *run)(LPOPENFILENAMEA) = GetSaveFileNameA)
{
    char folder[kPathBytes], title[256];
    CopyFolderOfPath(folder, g_szSaveName);
    g_szDialogFile[0] = '\0';
    lstrcpynA(title, LoadStr(titleId), sizeof title);
    g_ofnSave.hwndOwner = main;
    g_ofnSave.lpstrInitialDir = folder;
    g_ofnSave.lpstrTitle = title;
    g_ofnSave.lpstrFilter = "AVI (*.AVI)\0*.AVI\0";
    g_ofnSave.nFilterIndex = 1;
    g_ofnSave.lpfnHook = hook;
    g_ofnSave.lpTemplateName = panel;
    g_ofnSave.Flags = flags;
    BOOL ok = run(&g_ofnSave);
    g_ofnSave.lpstrInitialDir = nullptr;
    g_ofnSave.lpstrTitle = nullptr;
    return ok != FALSE;
}

const DWORD kPanelFlags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;

// Two paths name the same file (compared as full paths, case ignored).
bool SameFile(const char *a, const char *b)
{
    char fa[MAX_PATH], fb[MAX_PATH];
    if (!GetFullPathNameA(a, sizeof fa, fa, nullptr) || !GetFullPathNameA(b, sizeof fb, fb, nullptr))
        return lstrcmpiA(a, b) == 0;
    return lstrcmpiA(fa, fb) == 0;
}

// A save into a movie that is open would truncate it under its reader:
// refused, with a message captioned with the output name.
bool RefusedOverSource(HWND main, const char *output)
{
    const MovieSource *records[2] = {g_pLeft, g_pRight};
    for (const MovieSource *m : records) {
        if (m->bOpen && SameFile(output, m->szPath)) {
            char text[256];
            lstrcpynA(text, LoadStr(IDS_SAVE_OVER_SOURCE), sizeof text);
            AppMessageBox(main, text, output, MB_OK | MB_ICONWARNING);
            return true;
        }
    }
    return false;
}

// The movie-wide analysis before a save of every frame aligned: 0, or 1
// when cancelled or failed.
int AnalyseBeforeSave(HWND main)
{
    g_bFrameLogWrite = 1;
    char folder[kPathBytes + 16];
    CopyFolderOfPath(folder, g_pLeft->szPath);
    lstrcatA(folder, "alignment\\");
    CreateDirectoryA(folder, nullptr);
    char log[kAlignmentPathBytes];
    CopyPathText(log, sizeof log, g_pLeft->szPath);
    g_szFrameLogPath[0] = '\0';
    if (MakeAlignmentFilePath(log, "alignment")) {
        char bare[kAlignmentPathBytes];
        CutFileExtension(bare, sizeof bare, log);
        snprintf(g_szFrameLogPath, sizeof g_szFrameLogPath, "%s.csv", bare);
    }
    DWORD attributes = GetFileAttributesA(g_szFrameLogPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && g_bFrameLogRead == 0 &&
        !DeleteFileA(g_szFrameLogPath)) {
        char text[256];
        lstrcpynA(text, LoadStr(IDS_CANNOT_DELETE_ADJUSTMENT), sizeof text);
        AppMessageBox(main, text, g_szFrameLogPath, MB_OK);
    }
    return AnalyseMoviePositions(main, &g_stereoPair);
}

// With every frame aligned, the analysis runs first; when it was cancelled
// or failed the save ends there, the pair shown as before: true.
bool AnalysisEndsSave(HWND main)
{
    if (g_bAllFrameAdjust != 1 || AnalyseBeforeSave(main) != 1)
        return false;
    RestoreAndShow();
    g_bFrameLogWrite = 0;
    return true;
}

// A save cut at the size limit goes on with its next part: at once while a
// batch runs (true), else through continueCommand posted to the main
// window.
bool NextPartNow(HWND main, int continueCommand)
{
    g_nFrameCount = PairLength();
    ResetPositionBar();
    g_bFrameLogWrite = 0;
    if (s_batchRunning)
        return true;
    PostMessageA(main, WM_COMMAND, continueCommand, 0);
    return false;
}

// A finished save: the pair shown as before and, for a split one, the note
// that it was saved in parts.
void EndSaveBody(HWND main)
{
    RestoreAndShow();
    SplitNotice(main);
    g_bFrameLogWrite = 0;
}

bool ChooseOrSay(HWND main)
{
    char error[kOpenErrorBytes];
    if (ChooseCompressor(error) == 0)
        return true;
    AppMessageBox(main, error, g_szSaveName, MB_OK);
    return false;
}

// The stereo save into g_szSaveName and its continuations
// (IDM_BATCH_SAVE_STEREO, IDM_CONTINUE_STEREO_SAVE).
void StereoSaveBody(HWND main)
{
    for (;;) {
        if (RefusedOverSource(main, g_szSaveName))
            return;
        if (AnalysisEndsSave(main))
            return;
        DeleteFileA(g_szSaveName);
        lstrcpynA(g_stereoPair.szName, g_szSaveName, sizeof g_stereoPair.szName);
        CloseMovieSource(g_pThird);
        char error[kOpenErrorBytes];
        if (CreateSaveStreams(main, g_szSaveName, g_pThird, error, &g_stereoPair) != 0) {
            CloseMovieSource(g_pThird);
            // Nothing was written into the file just made.
            DeleteFileA(g_szSaveName);
            AppMessageBox(main, error, g_szSaveName, MB_OK);
            g_bFrameLogWrite = 0;
            return;
        }
        g_stereoPair.pOutput = g_pThird;
        if (SaveStereoMovie(main, g_szSaveName, &g_stereoPair) == kSaveSplit) {
            g_nSavePart++;
            PartName(g_szSaveName, s_stereoParts, g_nSavePart);
            ClampFramePosition(&g_stereoPair);
            if (NextPartNow(main, IDM_CONTINUE_STEREO_SAVE))
                continue;
            return;
        }
        EndSaveBody(main);
        return;
    }
}

// Left and right movies into g_szSaveName and g_szRightSaveName, or their
// copies without recompression, and the continuations
// (IDM_BATCH_SAVE_LEFT_RIGHT, IDM_CONTINUE_LEFT_RIGHT_SAVE).
void LeftRightBody(HWND main)
{
    for (;;) {
        if (RefusedOverSource(main, g_szSaveName) || RefusedOverSource(main, g_szRightSaveName))
            return;
        if (AnalysisEndsSave(main))
            return;
        DeleteFileA(g_szSaveName);
        DeleteFileA(g_szRightSaveName);
        if (g_bCopyStreams == 1) {
            g_nCopyFrames = PairLength();
            SaveTrimmedMovie(main, g_pLeft, g_szSaveName, g_nCopyFrames);
            SaveTrimmedMovie(main, g_pRight, g_szRightSaveName, g_nCopyFrames);
            g_bFrameLogWrite = 0;
            return;
        }
        lstrcpynA(g_stereoPair.szName, g_szSaveName, sizeof g_stereoPair.szName);
        if (SaveLeftRightMovies(main, &g_stereoPair, g_szSaveName, g_szRightSaveName) == kSaveSplit) {
            g_nSavePart++;
            PartName(g_szSaveName, s_leftParts, g_nSavePart);
            PartName(g_szRightSaveName, s_rightParts, g_nSavePart);
            if (NextPartNow(main, IDM_CONTINUE_LEFT_RIGHT_SAVE))
                continue;
            return;
        }
        EndSaveBody(main);
        return;
    }
}

// The names of a left/right save from the chosen one: base + "_l.avi" and
// base + "_r.avi"; the dialog's buffer keeps the base.
void SetLeftRightNames()
{
    char base[kNameBytes];
    CutFileExtension(base, sizeof base, g_szDialogFile);
    CopyPathText(g_szDialogFile, sizeof g_szDialogFile, base);
    snprintf(g_szSaveName, sizeof g_szSaveName, "%s_l.avi", base);
    snprintf(g_szRightSaveName, sizeof g_szRightSaveName, "%s_r.avi", base);
    SetParts(&s_leftParts, base, "_l.avi", false);
    SetParts(&s_rightParts, base, "_r.avi", false);
}

void SaveStereoCommand(HWND main)
{
    if (g_bGLActive == 1 || !BothOpen())
        return;
    if (!AskSaveName(main, IDS_TITLE_SAVE_STEREO, SaveOptionsHookProc, "SAVEOP", kPanelFlags | OFN_OVERWRITEPROMPT))
        return;
    CopyPathText(g_szSaveName, sizeof g_szSaveName, g_szDialogFile);
    SetParts(&s_stereoParts, g_szSaveName, ".avi", true);
    g_nSavePart = 0;
    StoreStarts();
    if (ChooseOrSay(main))
        StereoSaveBody(main);
}

void ContinueStereoSave(HWND main)
{
    if (g_nSavePart == 0 && !ChooseOrSay(main))
        return;
    StereoSaveBody(main);
}

void ContinueLeftRightSave(HWND main)
{
    if (g_bCopyStreams != 1 && g_nSavePart == 0 && !ChooseOrSay(main))
        return;
    LeftRightBody(main);
}

void SaveLeftRightCommand(HWND main)
{
    if (g_bGLActive == 1 || !BothOpen())
        return;
    g_bCopyStreams = 0;
    if (g_nShiftX == 0 && g_nShiftY == 0 && g_bAllFrameAdjust == 0 && g_nTrimState == 0 &&
        ProbeStereoAvi(g_pLeft->szPath) == 1) {
        char text[256];
        lstrcpynA(text, LoadStr(IDS_ASK_COPY_STREAMS), sizeof text);
        if (AppMessageBox(main, text, LoadStr(IDS_CONFIRM_CAPTION), MB_YESNO) == IDYES)
            g_bCopyStreams = 1;
    }
    bool chosen = g_bCopyStreams == 1
                      ? AskSaveName(main, IDS_TITLE_SAVE_LEFT_RIGHT, nullptr, nullptr, OFN_HIDEREADONLY)
                      : AskSaveName(main, IDS_TITLE_SAVE_LEFT_RIGHT, SaveOptionsBHookProc, "SAVEOPB", kPanelFlags);
    if (!chosen)
        return;
    SetLeftRightNames();
    g_nSavePart = 0;
    StoreStarts();
    ContinueLeftRightSave(main);
}

void Split3dAviCommand(HWND main)
{
    SendMessageA(main, WM_COMMAND, IDM_OPEN_STEREO, 0);
    if (ProbeStereoAvi(g_szLeftName) != 1) {
        char text[256];
        lstrcpynA(text, LoadStr(IDS_NOT_3DAVI), sizeof text);
        AppMessageBox(main, text, LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
        return;
    }
    if (!BothOpen() || g_bGLActive == 1)
        return;
    g_bCopyStreams = 1;
    if (!AskSaveName(main, IDS_TITLE_SPLIT_3DAVI, nullptr, nullptr, OFN_HIDEREADONLY))
        return;
    SetLeftRightNames();
    g_nSavePart = 0;
    if (RefusedOverSource(main, g_szSaveName) || RefusedOverSource(main, g_szRightSaveName))
        return;
    DeleteFileA(g_szSaveName);
    DeleteFileA(g_szRightSaveName);
    StoreStarts();
    g_nCopyFrames = PairLength();
    SaveTrimmedMovie(main, g_pLeft, g_szSaveName, g_nCopyFrames);
    SaveTrimmedMovie(main, g_pRight, g_szRightSaveName, g_nCopyFrames);
    g_bFrameLogWrite = 0;
}

void OpenPairAndCopyCommand(HWND main)
{
    SendMessageA(main, WM_COMMAND, IDM_OPEN_PAIR, 0);
    if (!BothOpen())
        return;
    if (!AskSaveName(main, IDS_TITLE_SAVE_3DAVI, nullptr, nullptr, OFN_HIDEREADONLY))
        return;
    CopyPathText(g_szSaveName, sizeof g_szSaveName, g_szDialogFile);
    if (RefusedOverSource(main, g_szSaveName))
        return;
    DeleteFileA(g_szSaveName);
    g_nSavePart = 0;
    StoreStarts();
    g_nCopyFrames = PairLength();
    SaveTrimmedPair(main, g_pLeft, g_pRight, g_szSaveName, g_nCopyFrames);
    g_bFrameLogWrite = 0;
}

// A camera 3D-AVI of the pair; such a save never continues into a second
// file.
void SaveCamera3dAviCommand(HWND main)
{
    if (g_bGLActive == 1 || !BothOpen())
        return;
    if (!AskSaveName(main, IDS_TITLE_SAVE_3DAVI, SaveOptionsBHookProc, "SAVE3DAVI", kPanelFlags | OFN_OVERWRITEPROMPT))
        return;
    CopyPathText(g_szSaveName, sizeof g_szSaveName, g_szDialogFile);
    if (RefusedOverSource(main, g_szSaveName))
        return;
    StoreStarts();
    if (AnalysisEndsSave(main))
        return;
    DeleteFileA(g_szSaveName);
    lstrcpynA(g_stereoPair.szName, g_szSaveName, sizeof g_stereoPair.szName);
    Save3dAvi(main, &g_stereoPair, g_szSaveName);
    RestoreAndShow();
    g_bFrameLogWrite = 0;
}

// The 3DS date: the dialog's panel reads and rewrites it while it is open.
void Change3dsDateCommand(HWND main)
{
    AskSaveName(main, IDS_TITLE_3DS_DATE, DateChangeHookProc, "DATECNGDLG", kPanelFlags | OFN_OVERWRITEPROMPT,
                GetOpenFileNameA);
}

void BatchCommand(HWND main)
{
    if (g_nBusy != 0)
        return;
    if (g_bGLActive == 1)
        SendMessageA(main, WM_COMMAND, IDM_MODE_BLEND, 0);
    char folder[kPathBytes];
    CopyFolderOfPath(folder, g_szLeftName);
    CopyPathText(g_szDialogFile, sizeof g_szDialogFile, g_szLeftName);
    g_ofnOpen.hwndOwner = main;
    g_ofnOpen.lpstrInitialDir = folder;
    g_ofnOpen.lpstrTitle = nullptr;
    g_ofnOpen.lpstrFilter = "File List Files (*.txt)\0*.txt;\0";
    g_ofnOpen.nFilterIndex = 1;
    g_ofnOpen.lpfnHook = nullptr;
    g_ofnOpen.lpTemplateName = nullptr;
    g_ofnOpen.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    BOOL chosen = GetOpenFileNameA(&g_ofnOpen);
    g_ofnOpen.lpstrInitialDir = nullptr;
    g_ofnOpen.lpstrFilter = g_szOpenFilter;
    if (!chosen)
        return;
    CopyPathText(g_szListFile, sizeof g_szListFile, g_szDialogFile);
    CountFileListEntries(g_szListFile);
    if (!ChooseOrSay(main))
        return;
    char listFolder[kNameBytes];
    CopyFolderOfPath(listFolder, g_szListFile);
    // Values of an entry that is not found stay from the one before (they
    // are not used then: such an entry is skipped).
    static FileListEntry e;
    g_bCopyStreams = 0;
    s_batchRunning = true;
    for (g_nBatchIndex = 0; g_nBatchIndex < g_nBatchCount; g_nBatchIndex++) {
        if (!ReadFileListEntry(g_szListFile, e.source1, e.source2, e.output1, e.output2, g_nBatchIndex, &e.type,
                               &e.outputType, &e.allFrames))
            continue;
        if (e.type == kListStereoFile) {
            if (!JoinListPath(g_szLeftName, listFolder, e.source1))
                continue;
            SendMessageA(main, WM_COMMAND, IDM_OPEN_STEREO_BY_NAME, 0);
        } else if (e.type == kListPair) {
            if (!JoinListPath(g_szLeftName, listFolder, e.source1) ||
                !JoinListPath(g_szRightName, listFolder, e.source2))
                continue;
            SendMessageA(main, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
        }
        // An open that failed leaves nothing to save (and the old output
        // is kept).
        if (!BothOpen())
            continue;
        if (e.allFrames == 1) {
            g_bAllFrameAdjust = 1;
            g_bAdjustActive = 1;
        }
        g_nTrimState = 0;
        g_nSavePart = 0;
        StoreStarts();
        if (e.outputType == kListStereoFile) {
            if (!JoinListPath(g_szSaveName, listFolder, e.output1))
                continue;
            SetParts(&s_stereoParts, g_szSaveName, ".avi", true);
            SendMessageA(main, WM_COMMAND, IDM_BATCH_SAVE_STEREO, 0);
        } else if (e.outputType == kListPair) {
            if (!JoinListPath(g_szSaveName, listFolder, e.output1) ||
                !JoinListPath(g_szRightSaveName, listFolder, e.output2))
                continue;
            SetParts(&s_leftParts, g_szSaveName, ".avi", true);
            SetParts(&s_rightParts, g_szRightSaveName, ".avi", true);
            SendMessageA(main, WM_COMMAND, IDM_BATCH_SAVE_LEFT_RIGHT, 0);
        }
    }
    s_batchRunning = false;
}

void ShowListOpenFailure()
{
    char text[256];
    lstrcpynA(text, LoadStr(IDS_RAW_OPEN_FAILED), sizeof text);
    AppMessageBox(nullptr, text, LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
}

}  // namespace

bool JoinListPath(char *dest, const char *folder, const char *name)
{
    size_t a = strlen(folder), b = strlen(name);
    if (a + b >= kPathBytes) {
        char text[256], path[kNameBytes * 2];
        lstrcpynA(text, LoadStr(IDS_BATCH_PATH_TOO_LONG), sizeof text);
        snprintf(path, sizeof path, "%s%s", folder, name);
        AppMessageBox(g_hwndMain, text, path, MB_OK | MB_ICONWARNING);
        return false;
    }
    memcpy(dest, folder, a);
    memcpy(dest + a, name, b + 1);
    return true;
}

void CountFileListEntries(const char *listPath)
{
    g_nBatchCount = 0;
    FILE *f = fopen(listPath, "rt");
    if (!f) {
        ShowListOpenFailure();
        return;
    }
    g_nBatchCount = CountListEntries(f);
    fclose(f);
}

bool ReadFileListEntry(const char *listPath, char *source1, char *source2, char *output1, char *output2, int n,
                       int *type, int *outputType, int *allFrames)
{
    FILE *f = fopen(listPath, "rt");
    if (!f) {
        ShowListOpenFailure();
        return false;
    }
    FileListEntry e;
    strcpy(e.source1, source1);
    strcpy(e.source2, source2);
    strcpy(e.output1, output1);
    strcpy(e.output2, output2);
    bool found = FindListEntry(f, n, &e);
    fclose(f);
    if (!found)
        return false;
    strcpy(source1, e.source1);
    strcpy(source2, e.source2);
    strcpy(output1, e.output1);
    strcpy(output2, e.output2);
    *type = e.type;
    *outputType = e.outputType;
    *allFrames = e.allFrames;
    return true;
}

void SaveCommand(HWND main, int id)
{
    switch (id) {
    case IDM_SAVE_STEREO: SaveStereoCommand(main); break;
    case IDM_CONTINUE_STEREO_SAVE: ContinueStereoSave(main); break;
    case IDM_BATCH_SAVE_STEREO: StereoSaveBody(main); break;
    case IDM_SAVE_LEFT_RIGHT: SaveLeftRightCommand(main); break;
    case IDM_CONTINUE_LEFT_RIGHT_SAVE: ContinueLeftRightSave(main); break;
    case IDM_BATCH_SAVE_LEFT_RIGHT: LeftRightBody(main); break;
    case IDM_SPLIT_3DAVI: Split3dAviCommand(main); break;
    case IDM_BATCH: BatchCommand(main); break;
    case IDM_OPEN_PAIR_SAVE_3DAVI: OpenPairAndCopyCommand(main); break;
    case IDM_SAVE_3DAVI: SaveCamera3dAviCommand(main); break;
    case IDM_CHANGE_3DS_DATE: Change3dsDateCommand(main); break;
    default: break;
    }
}
