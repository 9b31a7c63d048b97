#include "shell/main_commands.h"

#include "alignment/autopano_dialog.h"
#include "alignment/frame_adjustment.h"
#include "pipeline/compose.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/global_memory.h"
#include "shared/message_box.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "shell/device_commands.h"
#include "shell/open_commands.h"
#include "shell/play_commands.h"
#include "shell/save_commands.h"
#include "shell/settings_dialog_commands.h"
#include "shell/toolbars.h"
#include "shell/view_commands.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>

int g_nCurrentCommand = 0;

// Private messages of the OpenGL window.
enum { kGlHelp = 1025, kGlFetchAndRedraw = 1027, kGlFullScreen = 1029, kGlZoomFit = 1034, kGlZoom100 = 1035 };

bool BothOpen()
{
    return g_pLeft->bOpen && g_pRight->bOpen;
}

void Recompose()
{
    ShowCurrentPair(&g_stereoPair);
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, TRUE);
}

void ResetPositionBar()
{
    if (g_hwndPosBar)
        SendMessageA(g_hwndPosBar, WM_COMMAND, IDC_POS_RESET, 0);
}

void CheckTrimming(bool checked)
{
    if (g_hwndMainToolbar)
        SendMessageA(g_hwndMainToolbar, TB_CHECKBUTTON, IDM_TRIM, MAKELONG(checked ? TRUE : FALSE, 0));
    if (g_hMenu)
        CheckMenuItem(g_hMenu, IDM_TRIM, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void RefetchSamePosition(HWND hwnd)
{
    if (!BothOpen())
        return;
    if (g_bGLActive == 1) {
        if (g_nBusy == 0)
            SendMessageA(g_hwndGL, kGlFetchAndRedraw, 0, 0);
        else
            g_bGLRedrawPending = 1;
        return;
    }
    if (g_nBusy != 0)
        return;
    ShowCurrentPair(&g_stereoPair);
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, FALSE);
    UpdateWindow(hwnd);
}

namespace {

// Turning the trimming off also ends the alignment in force.
void EndAlignmentForTrimming()
{
    g_bAdjustActive = 0;
    FreeAlignmentMeshes();
}

void InvalidateView(bool erase)
{
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, erase ? TRUE : FALSE);
}

// After a change of the pair's frames: the OpenGL window fetches again (or
// later, while it plays), or the pair is shown again.
void RefreshAfterFrameChange(WPARAM wParam, LPARAM lParam)
{
    if (g_bGLActive == 1) {
        if (g_nBusy == 0)
            SendMessageA(g_hwndGL, kGlFetchAndRedraw, wParam, lParam);
        else
            g_bGLRedrawPending = 1;
        return;
    }
    if (g_nBusy == 0)
        ShowCurrentPair(&g_stereoPair);
    InvalidateView(true);
}

void DisplayCommand(int id)
{
    DisplayChoice choice;
    ChooseDisplay(id, &choice);
    g_nPlayEye = 0;
    g_nMirror = choice.mirror;
    if (g_bGLActive == 1 && g_hwndGL)
        SendMessageA(g_hwndGL, WM_CLOSE, 0, 0);
    if (choice.anatype >= 0)
        g_nAnatype = choice.anatype;
    if (choice.anactype >= 0)
        g_nAnactype = choice.anactype;
    if (!BothOpen())
        return;
    g_nDisplayMode = choice.mode;
    if (g_nDisplayMode == 7) {
        if (!g_pIz3dTable)
            g_pIz3dTable = LoadIZ3DTable();
    } else if (g_pIz3dTable) {
        FreeGlobalBlock(g_pIz3dTable);
        g_pIz3dTable = nullptr;
    }
    if (g_nBusy == 0)
        Recompose();
}

void FrameStep(HWND hwnd, int id, WPARAM wParam, LPARAM lParam)
{
    if (g_nBusy != 0 || !BothOpen())
        return;
    if (id == IDM_NEXT_FRAME)
        g_nFrame++;
    else if (id == IDM_PREV_FRAME)
        g_nFrame--;
    else
        g_nRightField = 1 - g_nRightField;
    if (g_bGLActive == 1) {
        SendMessageA(g_hwndGL, kGlFetchAndRedraw, wParam, lParam);
        ResetPositionBar();
        return;
    }
    ShowCurrentPair(&g_stereoPair);
    InvalidateView(false);
    ResetPositionBar();
    UpdateWindow(hwnd);
}

void RangeCommand(int id, WPARAM wParam, LPARAM lParam)
{
    if (g_nBusy != 0 || !BothOpen())
        return;
    switch (id) {
    case IDM_START_TO_FIRST:
        StartsToFirst(&g_pLeft->nStart, &g_pRight->nStart);
        break;
    case IDM_START_HERE:
        g_pLeft->nStart += g_nFrame;
        g_pRight->nStart += g_nFrame;
        g_nFrame = 0;
        break;
    case IDM_END_HERE:
        g_nEndOffset = EndOffsetAtFrame(g_nEndOffset, g_nFrameCount, g_nFrame);
        break;
    case IDM_END_TO_LAST:
        g_nEndOffset = 0;
        break;
    }
    RefreshAfterFrameChange(wParam, lParam);
    ResetPositionBar();
}

void OffsetCommand(HWND hwnd, int id, WPARAM wParam, LPARAM lParam)
{
    if (id != IDM_RESHOW && g_nTrimState == kTrimApplied) {
        AppMessageBox(hwnd, LoadStr(IDS_NO_SHIFT_WHILE_TRIMMED), LoadStr(IDS_WARNING_CAPTION), MB_ICONWARNING);
        return;
    }
    if (!BothOpen())
        return;
    switch (id) {
    case IDM_SHIFT_LEFT: g_nShiftX += 4; break;
    case IDM_SHIFT_RIGHT: g_nShiftX -= 4; break;
    case IDM_SHIFT_UP: g_nShiftY -= 1; break;
    case IDM_SHIFT_DOWN: g_nShiftY += 1; break;
    case IDM_SHIFT_RESET: g_nShiftX = g_nShiftY = 0; break;
    }
    if (g_bGLActive == 1) {
        if (g_nBusy == 0)
            SendMessageA(g_hwndGL, WM_USER, wParam, lParam);
        else
            g_bGLRedrawPending = 1;
        return;
    }
    if (g_nBusy == 0)
        ComposeDisplayFrame(&g_stereoPair);
    if (g_bBlurFrame == 1)
        RefetchSamePosition(hwnd);  // the soft border needs freshly fetched frames
    else
        InvalidateView(true);
}

void TrimmingCommand(HWND hwnd, int id)
{
    if (g_bGLActive == 1 || !BothOpen()) {
        g_nTrimState = kTrimNone;
        CheckTrimming(false);
        return;
    }
    bool arm = g_nTrimState == kTrimNone;
    if (!arm) {
        DWORD previous = CheckMenuItem(g_hMenu, IDM_TRIM, MF_BYCOMMAND | MF_UNCHECKED);
        arm = previous == (DWORD)-1 || !(previous & MF_CHECKED);
    }
    if (arm) {
        g_nTrimState = ArmedTrimState(id);
        CheckTrimming(true);
        return;
    }
    // Turning the trimming off also ends the alignment.
    g_nTrimState = kTrimNone;
    EndAlignmentForTrimming();
    SendMessageA(hwnd, WM_COMMAND, IDM_RESHOW, 0);
    CheckTrimming(false);
    Recompose();
}

void ZoomCommand(int id, WPARAM wParam, LPARAM lParam)
{
    bool gl = g_bGLActive == 1 && g_hwndGL;
    switch (id) {
    case IDM_ZOOM_IN:
        if (gl) {
            SendMessageA(g_hwndGL, WM_MOUSEWHEEL, 0, 0);
            return;
        }
        g_nZoom = ZoomInStep(g_nZoom);
        break;
    case IDM_ZOOM_OUT:
        if (gl) {
            SendMessageA(g_hwndGL, WM_MOUSEWHEEL, 0x044C0000, 0);
            return;
        }
        g_nZoom = ZoomOutStep(g_nZoom);
        break;
    case IDM_ZOOM_FIT:
        g_nZoom = 0;
        if (gl) {
            SendMessageA(g_hwndGL, kGlZoomFit, wParam, lParam);
            return;
        }
        break;
    case IDM_ZOOM_100:
        g_nZoom = 100;
        if (gl) {
            SendMessageA(g_hwndGL, kGlZoom100, wParam, lParam);
            return;
        }
        break;
    }
    InvalidateView(true);
}

void FullScreenCommand(HWND hwnd, int id)
{
    if (id == IDM_DUAL_FULLSCREEN_LEFT)
        g_nPendingDual = 1;
    else if (id == IDM_DUAL_FULLSCREEN_RIGHT)
        g_nPendingDual = 2;
    g_bFullScreen = 1 - g_bFullScreen;
    if (g_bGLActive == 1 && g_hwndGL) {
        g_nPendingDual = 0;
        SendMessageA(g_hwndGL, WM_SIZE, 0, 0);
        SendMessageA(g_hwndGL, kGlFullScreen, 0, 0);
        return;
    }
    if (g_hwndView)
        SendMessageA(g_hwndView, WM_CLOSE, 0, 0);
    g_nZoom = 0;
    if (g_bFullScreen == 0) {
        g_nPendingDual = 0;
        g_hwndView = CreateWindowExA(WS_EX_ACCEPTFILES, "2REELSC", nullptr, WS_CHILD | WS_VISIBLE, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, g_hInst, nullptr);
    } else {
        g_nDualMonitor = g_nPendingDual;
        g_nPendingDual = 0;
        g_hwndView = CreateWindowExA(WS_EX_ACCEPTFILES, "2REELSC", nullptr, WS_POPUP | WS_VISIBLE, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, g_hInst, nullptr);
    }
    if (g_hwndView)
        SendMessageA(g_hwndView, WM_SIZE, 0, 0);
}

void HelpCommand(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (g_bGLActive == 1 && g_hwndGL) {
        SendMessageA(g_hwndGL, kGlHelp, wParam, lParam);
        return;
    }
    if ((INT_PTR)ShellExecuteA(hwnd, "open", g_szHelpPath, nullptr, nullptr, SW_SHOWNORMAL) < 32)
        AppMessageBox(hwnd, LoadStr(IDS_NO_HELP), LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
}

void AlignmentSettingsCommand(HWND hwnd)
{
    if (g_nBusy != 0)
        return;
    if (!DialogBoxParamA(g_hInst, "AUTOPANO", hwnd, AutopanoDlgProc, 0))
        return;
    if (g_bAdjustActive) {
        AppMessageBox(hwnd, LoadStr(IDS_ALIGNMENT_CLEARED), LoadStr(IDS_WARNING_CAPTION), MB_OK);
        g_bAdjustActive = 0;
        g_bAllFrameAdjust = 0;
    }
    g_nTrimState = kTrimNone;
    EndAlignmentForTrimming();
    SendMessageA(hwnd, WM_COMMAND, IDM_RESHOW, 0);
    CheckTrimming(false);
    Recompose();
}

void Dispatch(HWND hwnd, int id, WPARAM wParam, LPARAM lParam)
{
    DisplayChoice choice;
    if (ChooseDisplay(id, &choice)) {
        DisplayCommand(id);
        return;
    }
    switch (id) {
    case IDM_NEXT_MIRROR:
        g_nMirror = (g_nMirror + 1) % 4;
        if (BothOpen()) {
            g_nDisplayMode = 0;
            if (g_nBusy == 0)
                Recompose();
        }
        break;
    case IDM_EXCHANGE:
        if (!BothOpen())
            break;
        ExchangeLeftRight();
        RefreshAfterFrameChange(wParam, lParam);
        break;
    case IDM_LEFT_START_BACK:
    case IDM_LEFT_START_FORWARD:
    case IDM_RIGHT_START_BACK:
    case IDM_RIGHT_START_FORWARD:
    case IDM_END_EARLIER:
    case IDM_END_LATER:
        if (!BothOpen())
            break;
        StepSynchronisation(id, g_pLeft, g_pRight, &g_nEndOffset);
        RefreshAfterFrameChange(wParam, lParam);
        ResetPositionBar();
        break;
    case IDM_START_TO_FIRST:
    case IDM_START_HERE:
    case IDM_END_HERE:
    case IDM_END_TO_LAST:
        RangeCommand(id, wParam, lParam);
        break;
    case IDM_NEXT_FRAME:
    case IDM_PREV_FRAME:
    case IDM_RIGHT_FIELD:
        FrameStep(hwnd, id, wParam, lParam);
        break;
    case IDM_POSITION_MOVED:
        if (!BothOpen())
            break;
        if (g_bGLActive == 1) {
            if (g_nBusy == 0)
                SendMessageA(g_hwndGL, kGlFetchAndRedraw, wParam, lParam);
            else
                g_bGLRedrawPending = 1;
            break;
        }
        if (g_nBusy == 0)
            ShowCurrentPair(&g_stereoPair);
        InvalidateView(false);
        break;
    case IDM_SHIFT_UP:
    case IDM_SHIFT_DOWN:
    case IDM_SHIFT_LEFT:
    case IDM_SHIFT_RIGHT:
    case IDM_SHIFT_RESET:
    case IDM_RESHOW:
        OffsetCommand(hwnd, id, wParam, lParam);
        break;
    case IDM_TRIM:
    case IDM_TRIM_4_3:
    case IDM_TRIM_16_9:
    case IDM_TRIM_3_2:
    case IDM_TRIM_480_240:
    case IDM_TRIM_400_240:
        TrimmingCommand(hwnd, id);
        break;
    case IDM_ZOOM_IN:
    case IDM_ZOOM_OUT:
    case IDM_ZOOM_FIT:
    case IDM_ZOOM_100:
        ZoomCommand(id, wParam, lParam);
        break;
    case IDM_FULLSCREEN:
    case IDM_DUAL_FULLSCREEN_LEFT:
    case IDM_DUAL_FULLSCREEN_RIGHT:
        FullScreenCommand(hwnd, id);
        break;
    case IDM_NEXT_PLACEMENT:
        g_nWcent = g_nWcent + 1 > 2 ? 0 : g_nWcent + 1;
        WriteSettingNumber("nWcent", g_nWcent);
        InvalidateView(true);
        break;
    case IDM_NEXT_AUTO_COLOUR:
        g_nAutoColour = (g_nAutoColour + 1) % 3;
        RefetchSamePosition(hwnd);
        break;
    case IDM_BLUR_FRAME:
        g_bBlurFrame = 1 - g_bBlurFrame;
        RefetchSamePosition(hwnd);
        break;
    case IDM_REPEAT:
        g_bRepeat = 1 - g_bRepeat;
        CheckMenuItem(g_hMenu, IDM_REPEAT, MF_BYCOMMAND | (g_bRepeat ? MF_CHECKED : MF_UNCHECKED));
        WriteSettingNumber("nRepeat", g_bRepeat);
        break;
    case IDM_POSITION_FIRST:
    case IDM_POSITION_LAST:
        if (g_hwndPosBar)
            SendMessageA(g_hwndPosBar, WM_COMMAND, id == IDM_POSITION_FIRST ? IDC_POS_FIRST : IDC_POS_LAST, 0);
        break;
    case IDM_RECOMPOSE:
        if (g_nBusy == 0 && BothOpen())
            Recompose();
        break;
    case IDM_COPY:
        CopyPairToClipboard(hwnd);
        break;
    case IDM_ABOUT:
        DialogBoxParamA(g_hInst, "ABOUT", hwnd, AboutDlgProc, 0);
        break;

    // Opening movies.
    case IDM_OPEN_PAIR:
        OpenPairCommand(hwnd);
        break;
    case IDM_OPEN_STEREO:
        OpenStereoCommand(hwnd);
        break;
    case IDM_OPEN_PAIR_BY_NAME:
        OpenPairByName(hwnd, lParam);
        break;
    case IDM_OPEN_STEREO_BY_NAME:
        OpenStereoByName(hwnd, lParam);
        break;
    case IDM_CLEAR_HISTORY:
        ClearHistoryCommand(hwnd);
        break;

    // Stop, keys, help and exit.
    case IDM_STOP:
        if (g_bGLActive == 1 && g_hwndGL)
            SendMessageA(g_hwndGL, WM_CLOSE, 0, 0);
        break;
    case IDM_KEY_ESC:
        SendMessageA(hwnd, WM_COMMAND, IDM_STOP, 0);
        if (g_nBusy != 0)
            break;
        SendMessageA(hwnd, WM_COMMAND, g_bFullScreen == 1 ? IDM_FULLSCREEN : IDM_EXIT, 0);
        break;
    case IDM_KEY_F1:
        if (g_bFullScreen != 1) {
            SendMessageA(hwnd, WM_COMMAND, IDM_HELP, 0);
        } else {
            g_bHelpOverlay = 1 - g_bHelpOverlay;
            InvalidateView(true);
        }
        break;
    case IDM_KEY_F2:
        if (g_bFullScreen != 1 || g_nBusy == 0) {
            SendMessageA(hwnd, WM_COMMAND, IDM_PLAY_PAIR, 0);
        } else {
            g_bCancel = 1;
            g_nPlayChain = 0;
        }
        break;
    case IDM_KEY_F3:
        if (g_bFullScreen != 1) {
            SendMessageA(hwnd, WM_COMMAND, IDM_SHUTTER_PLAY_PAIR, 0);
        } else if (g_nBusy == 0) {
            g_nFrame = 0;
            SendMessageA(hwnd, WM_COMMAND, IDM_PLAY_PAIR, 0);
        } else {
            g_nPlayChain = 0;
            g_bCancel = 1;
        }
        break;
    case IDM_HELP:
        HelpCommand(hwnd, wParam, lParam);
        break;
    case IDM_WEB_HELP:
        ShellExecuteA(hwnd, "open", LoadStr(IDS_WEB_HELP_ADDRESS), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case IDM_EXIT:
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    case IDM_ALIGNMENT_SETTINGS:
        AlignmentSettingsCommand(hwnd);
        break;

    // The work of other subsystems.
    case IDM_PLAY_PAIR:
    case IDM_PLAY_LEFT:
    case IDM_PLAY_RIGHT:
        PlayInViewCommand(hwnd, id);
        break;
    case IDM_SAVE_STEREO:
    case IDM_SAVE_LEFT_RIGHT:
    case IDM_SPLIT_3DAVI:
    case IDM_BATCH:
    case IDM_CHANGE_3DS_DATE:
    case IDM_SAVE_3DAVI:
    case IDM_BATCH_SAVE_STEREO:
    case IDM_BATCH_SAVE_LEFT_RIGHT:
    case IDM_OPEN_PAIR_SAVE_3DAVI:
    case IDM_CONTINUE_STEREO_SAVE:
    case IDM_CONTINUE_LEFT_RIGHT_SAVE:
        SaveCommand(hwnd, id);
        break;
    case IDM_PLAY_FILE_FULLSCREEN:
    case IDM_SHUTTER_PLAY_FILE:
        PlayFileOnDeviceCommand(hwnd, id);
        break;
    case IDM_SHUTTER_PLAY_PAIR:
        PlayPairOnDeviceCommand(hwnd, wParam, lParam);
        break;
    case IDM_SHUTTER_PLAY_SAVED:
        PlaySavedOnDeviceCommand(hwnd);
        break;
    case IDM_PLAY_SAVED:
        MediaPlayerCommand(hwnd);
        break;
    case IDM_SHUTTER_SETTINGS:
        ShutterSettingsCommand(hwnd);
        break;
    case IDM_DISPLAY_SETTINGS:
        RunDisplaySettingsDialog(hwnd);
        break;
    case IDM_ANAGLYPH_SETTINGS:
    case IDM_COLOUR_ANAGLYPH_SETTINGS:
        RunAnaglyphSettingsDialog(hwnd, id);
        break;
    case IDM_CHROMA_KEY_SETTINGS:
        RunChromaKeyDialog(hwnd);
        break;
    case IDM_EASY_ADJUST:
    case IDM_AUTO_ALIGN:
    case IDM_ADJUST_STEP_BACK:
    case IDM_ADJUST_STEP_FORWARD:
    case IDM_COSIMA_ALIGN:
        AlignmentCommand(hwnd, id);
        break;
    default:
        if (id >= IDM_HISTORY_FIRST && id <= IDM_HISTORY_LAST)
            ReopenHistoryCommand(hwnd, id - IDM_HISTORY_FIRST);
        break;
    }
}

}  // namespace

LRESULT OnMainCommand(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam);
    if (g_nBusy != 0) {
        if (id == IDM_STOP) {
            g_bCancel = 1;
            g_nPlayChain = 0;
            ForgetDeferredCommand();
            return 0;
        }
        if (id == IDM_EXIT) {
            if (AppMessageBox(hwnd, LoadStr(IDS_ASK_CANCEL), LoadStr(IDS_CONFIRM_CAPTION), MB_YESNO) == IDYES) {
                g_bCancel = 1;
                g_nPlayChain = 0;
                ForgetDeferredCommand();
            }
            return 0;
        }
        if (g_nBusy == kBusySaving)
            return 0;
        if (DeferCommandWhilePlaying(id, wParam, lParam))
            return 0;
    }
    int outer = g_nCurrentCommand;
    g_nCurrentCommand = id;
    Dispatch(hwnd, id, wParam, lParam);
    g_nCurrentCommand = outer;
    return 0;
}

LRESULT OnMainNotify(HWND hwnd, NMHDR *hdr)
{
    if (!hdr)
        return 0;
    if (hdr->code == TTN_GETDISPINFOA) {
        NMTTDISPINFOA *info = (NMTTDISPINFOA *)hdr;
        info->lpszText = MAKEINTRESOURCEA(hdr->idFrom + IDS_TOOLTIP_OFFSET);
        info->hinst = g_hInst;
        return 0;
    }
    if (hdr->code == TTN_GETDISPINFOW) {
        NMTTDISPINFOW *info = (NMTTDISPINFOW *)hdr;
        info->lpszText = MAKEINTRESOURCEW(hdr->idFrom + IDS_TOOLTIP_OFFSET);
        info->hinst = g_hInst;
        return 0;
    }
    if (hdr->code == TBN_DROPDOWN && hdr->hwndFrom == g_hwndMainToolbar) {
        ShowToolbarDropDown(hwnd, (const NMTOOLBARA *)hdr);
        return TBDDRET_DEFAULT;
    }
    return 0;
}

LRESULT OnMainInitMenu(HWND hwnd, HMENU menu)
{
    if (menu != g_hMenu)
        return 0;
    UpdateRecentFilesMenu(g_hMenu);
    for (int i = 0; i < 4; i++) {
        CheckMenuItem(menu, IDM_ANAGLYPH_RED_CYAN + i, MF_BYCOMMAND | (i == g_nAnatype ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(menu, IDM_COLOUR_RED_CYAN + i, MF_BYCOMMAND | (i == g_nAnactype ? MF_CHECKED : MF_UNCHECKED));
    }
    static const int sbs[4] = {IDM_MODE_SIDE_BY_SIDE, IDM_SBS_MIRROR_RIGHT, IDM_SBS_MIRROR_LEFT, IDM_SBS_MIRROR_BOTH};
    static const int ou[4] = {IDM_MODE_OVER_UNDER, IDM_OU_MIRROR_BOTTOM, IDM_OU_MIRROR_TOP, IDM_OU_MIRROR_BOTH};
    for (int i = 0; i < 4; i++) {
        CheckMenuItem(menu, sbs[i], MF_BYCOMMAND | (g_nDisplayMode == 0 && g_nMirror == i ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(menu, ou[i], MF_BYCOMMAND | (g_nDisplayMode == 1 && g_nMirror == i ? MF_CHECKED : MF_UNCHECKED));
    }
    (void)hwnd;
    return 0;
}

LRESULT OnMainMouseWheel(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (g_bGLActive == 1 && g_hwndGL) {
        SendMessageA(g_hwndGL, WM_MOUSEWHEEL, wParam, lParam);
        return 0;
    }
    int command = WheelZoomCommand(HIWORD(wParam));
    if (command)
        SendMessageA(hwnd, WM_COMMAND, command, 0);
    return 0;
}
