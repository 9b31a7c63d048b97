#include "alignment/frame_adjustment.h"
#include "alignment/frame_log.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/string_table.h"
#include "sources/movie_records.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

// The pipeline's show-pair operation: fetches, adjusts and composes the
// pair at the current position.
int ShowCurrentPair(StereoPair *pair);

namespace {

// The trimming of the whole frame of the right record.
void TrimWholeFrame()
{
    const PackedDib *frame = g_pRight ? g_pRight->pCurrent : nullptr;
    g_rcTrim.left = g_rcTrim.top = 0;
    g_rcTrim.right = frame ? DibWidth(frame) : 0;
    g_rcTrim.bottom = frame ? DibHeight(frame) : 0;
    g_nTrimState = kTrimApplied;
}

// A trimming of the region (left, top) - (right, bottom): width a multiple
// of 4, height a multiple of 2. A region that offsets larger than the
// visible part leave empty is not applied.
bool ApplyTrimming(int left, int top, int right, int bottom)
{
    if (right - left < 4 || bottom - top < 2)
        return false;
    g_rcTrim.left = left;
    g_rcTrim.top = top;
    g_rcTrim.right = left + (right - left) / 4 * 4;
    g_rcTrim.bottom = top + (bottom - top) / 2 * 2;
    g_nTrimState = kTrimApplied;
    return true;
}

void ShowTrimmingOn()
{
    if (g_hwndMainToolbar)
        SendMessageA(g_hwndMainToolbar, TB_CHECKBUTTON, IDM_TRIM, MAKELONG(TRUE, 0));
    if (g_hMenu)
        CheckMenuItem(g_hMenu, IDM_TRIM, MF_BYCOMMAND | MF_CHECKED);
}

// The per-frame mode's log: offered for reuse when one exists.
void OfferFrameLog(HWND mainWindow)
{
    g_bFrameLogRead = 0;
    g_szFrameLogPath[0] = '\0';
    if (!MakeFrameLogPath(g_szFrameLogPath, g_pLeft->szPath)) {
        g_szFrameLogPath[0] = '\0';
        return;
    }
    char folder[kFrameLogPathBytes];
    CopyFolderOfPath(folder, g_szFrameLogPath);
    const size_t n = strlen(folder);
    if (n > 0 && folder[n - 1] == '\\')
        folder[n - 1] = '\0';
    CreateDirectoryA(folder, nullptr);
    ForgetFrameLog();
    if (GetFileAttributesA(g_szFrameLogPath) == INVALID_FILE_ATTRIBUTES)
        return;
    if (AppMessageBox(mainWindow, LoadStr(IDS_ASK_REUSE_FRAME_LOG), g_szFrameLogPath, MB_YESNO) != IDYES)
        return;
    g_bFrameLogRead = 1;
    SmoothFrameLog();
    if (g_bAutoCrop && LoadFrameLogCrop())
        ApplyTrimming(g_rcFrameCrop.left, g_rcFrameCrop.top, g_rcFrameCrop.right, g_rcFrameCrop.bottom);
}

} // namespace

void ActivateAlignment(HWND mainWindow)
{
    g_bAdjustActive = 0;
    g_nTrimState = kTrimNone;
    if (!g_pLeft || !g_pRight)
        return;

    if (AlignmentValuesAreZero()) {
        if (!g_bAllFrameAdjust)
            goto show;
        g_bAdjustActive = 1;
        if (!g_bAutoCrop)
            TrimWholeFrame();
    } else {
        g_bAdjustActive = 1;
        if (!g_bAllFrameAdjust)
            BuildAlignmentMeshes(mainWindow, g_leftMovie.pCurrent, g_rightMovie.pCurrent);
        else if (!g_bAutoCrop)
            TrimWholeFrame();
        if (g_bAutoCrop && g_pLeft->pCurrent) {
            CropRect r;
            ComputeCropRect(&r, g_pLeft->pCurrent, g_nRotationL, g_nRotationR, g_nPerspectiveVL, g_nPerspectiveVR,
                            g_nPerspectiveHL, g_nPerspectiveHR, g_nSize1000L + 1000, g_nSize1000R + 1000);
            if (ApplyTrimming(r.left, r.top, r.right - abs(g_nShiftX), r.bottom - abs(g_nShiftY)))
                ShowTrimmingOn();
        }
    }
    if (g_bAllFrameAdjust)
        OfferFrameLog(mainWindow);

show:
    if (g_nBusy == kBusyIdle) {
        ShowCurrentPair(&g_stereoPair);
        if (g_hwndView)
            InvalidateRect(g_hwndView, nullptr, TRUE);
    }
}
