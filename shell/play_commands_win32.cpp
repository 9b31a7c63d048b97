#include "shell/play_commands.h"

#include "alignment/auto_align.h"
#include "alignment/cosima.h"
#include "alignment/easy_adjust_dialog.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/play_pair.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/dib_gdi.h"
#include "shared/message_box.h"
#include "shared/string_table.h"
#include "shell/main_commands.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

namespace {

enum { kGlPlay = 1026 };

// A command to post once the running play loop has ended.
int s_deferredId = 0;
WPARAM s_deferredWParam = 0;
LPARAM s_deferredLParam = 0;

// Chain values: 1-3 while playing the left movie, the right movie, the
// pair; 10-12 to play them after the running loop.
int PlayingChain(int id)
{
    return id == IDM_PLAY_LEFT ? 1 : id == IDM_PLAY_RIGHT ? 2 : 3;
}

int FollowUpChain(int id)
{
    return id == IDM_PLAY_LEFT ? 10 : id == IDM_PLAY_RIGHT ? 11 : 12;
}

int FollowUpCommand(int chain)
{
    return chain == 10 ? IDM_PLAY_LEFT : chain == 11 ? IDM_PLAY_RIGHT : IDM_PLAY_PAIR;
}

}  // namespace

bool IsSaveLoopCommand(int id)
{
    switch (id) {
    case IDM_SAVE_STEREO:
    case IDM_SAVE_LEFT_RIGHT:
    case IDM_SPLIT_3DAVI:
    case IDM_BATCH:
    case IDM_SAVE_3DAVI:
    case IDM_BATCH_SAVE_STEREO:
    case IDM_BATCH_SAVE_LEFT_RIGHT:
    case IDM_OPEN_PAIR_SAVE_3DAVI:
    case IDM_CONTINUE_STEREO_SAVE:
    case IDM_CONTINUE_LEFT_RIGHT_SAVE:
        return true;
    }
    return false;
}

bool DeferCommandWhilePlaying(int id, WPARAM wParam, LPARAM lParam)
{
    if (g_nBusy != kBusyPlaying || !IsSaveLoopCommand(id))
        return false;
    if (g_nPlayChain != 0) {
        s_deferredId = id;
        s_deferredWParam = wParam;
        s_deferredLParam = lParam;
        g_bCancel = 1;
    }
    return true;
}

void ForgetDeferredCommand()
{
    s_deferredId = 0;
}

void PlayInViewCommand(HWND main, int id)
{
    if (g_bGLActive == 1) {
        if (g_nBusy == 0)
            SendMessageA(g_hwndGL, kGlPlay, id, 0);
        else
            g_bCancel = 1;
        return;
    }
    if (g_nBusy != 0) {
        // The running loop ends and the command comes back.
        if (g_nPlayChain == 0)
            return;
        g_bCancel = 1;
        g_nPlayChain = FollowUpChain(id);
        return;
    }
    g_nPlayChain = PlayingChain(id);
    if (!BothOpen()) {
        g_nPlayChain = 0;
        return;
    }
    if (g_hwndView)
        ClearWindowBlack(g_hwndView);
    g_nPlayEye = id == IDM_PLAY_LEFT ? 1 : id == IDM_PLAY_RIGHT ? 2 : 0;
    while (PlayPair(&g_stereoPair) == 0 && g_bRepeat == 1) {
    }
    int chain = g_nPlayChain;
    g_nPlayChain = 0;
    if (chain >= 10 && chain <= 12)
        PostMessageA(main, WM_COMMAND, FollowUpCommand(chain), 0);
    if (s_deferredId) {
        PostMessageA(main, WM_COMMAND, s_deferredWParam, s_deferredLParam);
        s_deferredId = 0;
    }
}

namespace {

// The frames handed to the alignment: the movies on their opened sides
// (crosswise, with the offsets negated for the time of the operation, when
// exchanged). False when the preparation ends the command.
bool PrepareAlignment(HWND main)
{
    if (g_nBusy != 0 || g_bGLActive == 1 || !BothOpen())
        return false;
    if (g_nTrimState != kTrimNone) {
        if (!g_bAutoCrop &&
            AppMessageBox(main, LoadStr(IDS_ASK_END_TRIMMING), LoadStr(IDS_WARNING_CAPTION), MB_YESNO) != IDYES)
            return false;
        SendMessageA(main, WM_COMMAND, IDM_TRIM, 0);
    }
    FetchPairAtPosition(&g_stereoPair);
    if (g_bSwapped == 1) {
        g_pAdjustDibL = g_pRight->pCurrent;
        g_pAdjustDibR = g_pLeft->pCurrent;
    } else {
        g_pAdjustDibL = g_pLeft->pCurrent;
        g_pAdjustDibR = g_pRight->pCurrent;
    }
    return g_pAdjustDibL && g_pAdjustDibR;
}

// The pair aligned by hand; the alignment is put into force only when the
// dialog was confirmed.
void EasyAdjustCommand(HWND main)
{
    if (!PrepareAlignment(main))
        return;
    const bool swapped = g_bSwapped == 1;
    if (swapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
    g_bEasyAdjustConfirmed = 0;
    DialogBoxParamA(g_hInst, "ANGLES", main, EasyAdjustDlgProc, 0);
    if (swapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
    if (!g_bEasyAdjustConfirmed)
        return;
    g_bAllFrameAdjust = 0;
    FreeAlignmentMeshes();
    ActivateAlignment(main);
}

void AutoAlignCommand(HWND main)
{
    g_bAllFrameAdjust = g_bAllFrameSetting == 1 ? 1 : 0;
    FreeAlignmentMeshes();
    if (!PrepareAlignment(main))
        return;
    bool swapped = g_bSwapped == 1;
    if (swapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
    const MovieSource *opened = swapped ? g_pRight : g_pLeft;
    RunAutoAlignPasses(main, opened->szPath);
    if (swapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
    ActivateAlignment(main);
}

// The alignment through "cosima.exe": its earlier report taken again when
// the user wants it. The offsets negated for an exchanged pair are given
// back whether the run succeeds or not.
void CosimaAlignCommand(HWND main)
{
    if (!g_bCosima || !PrepareAlignment(main))
        return;
    const bool swapped = g_bSwapped == 1;
    if (swapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
    const MovieSource *opened = swapped ? g_pRight : g_pLeft;
    char copyPath[MAX_PATH];
    g_nAlvFileMode = kAlvAsk;
    if (CosimaReportCopyPath(copyPath, sizeof copyPath, opened->szPath) &&
        GetFileAttributesA(copyPath) != INVALID_FILE_ATTRIBUTES &&
        AppMessageBox(main, LoadStr(IDS_ASK_REUSE_ADJUSTMENT), copyPath, MB_YESNO) == IDNO)
        g_nAlvFileMode = kAlvRecompute;
    const int failed = RunCosima(main, opened->szPath, g_pAdjustDibL, g_pAdjustDibR);
    if (swapped) {
        g_nShiftX = -g_nShiftX;
        g_nShiftY = -g_nShiftY;
    }
    if (failed) {
        AppMessageBox(main, "Cosima error!", LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
        return;
    }
    ActivateAlignment(main);
}

}  // namespace

void AlignmentCommand(HWND main, int id)
{
    switch (id) {
    case IDM_EASY_ADJUST:
        EasyAdjustCommand(main);
        break;
    case IDM_AUTO_ALIGN:
        AutoAlignCommand(main);
        break;
    case IDM_ADJUST_STEP_BACK:
    case IDM_ADJUST_STEP_FORWARD:
        if (!BothOpen())
            break;
        g_nRotationL += id == IDM_ADJUST_STEP_BACK ? -1 : 1;
        g_nRotationR += id == IDM_ADJUST_STEP_BACK ? -1 : 1;
        FreeAlignmentMeshes();
        ActivateAlignment(main);
        break;
    case IDM_COSIMA_ALIGN:
        CosimaAlignCommand(main);
        break;
    default:
        break;
    }
}
