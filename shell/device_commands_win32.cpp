#include "shell/device_commands.h"

#include "devices/gl_stereo_window.h"
#include "devices/page_flip_window.h"
#include "devices/stereo_player.h"
#include "devices/stereo_vision.h"
#include "devices/unavailable_output.h"
#include "devices/w3d_settings_dialog.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "shell/file_dialogs.h"
#include "shell/main_commands.h"
#include "shell/media_player.h"
#include "shell/open_filter.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

namespace {

enum { kDeviceWinX3D = 0, kDeviceDirect3D = 1, kDeviceOpenGl = 2, kDeviceVision = 3 };
enum { kSourcePair = 0, kSourceFile = 1, kSourceFileAsIs = 2 };
const UINT kGlPlay = 1026;        // the OpenGL window's "play" message
const int kFormatMediaPlayer = 7;  // display format "元映像": the file as it is

// The WinX3D page flipper needs its driver installed; the other devices
// do not. True (after the box) when it is missing.
bool WinX3DMissing(HWND main)
{
    if (g_nVidia != kDeviceWinX3D || IsWinX3DInstalled())
        return false;
    AppMessageBox(main, LoadStr(IDS_NO_WINX3D), LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
    return true;
}

// Plays g_stereoPair (a file when g_nPlaySource is not 0) on the chosen
// device. True when a device window ran and has closed: the main window
// then lays itself out again and repaints.
bool RunDevice(HWND main)
{
    switch (g_nVidia) {
    case kDeviceWinX3D:
        RunW3DWindow(&g_stereoPair);
        return true;
    case kDeviceDirect3D:
        RunNvidiaStereoPlayer(g_hInst, &g_stereoPair);
        // The player serves every window of the thread: the main window
        // may have been closed meanwhile, its quit passed on to the main
        // loop; then there is nothing left to show.
        return IsWindow(main) != FALSE;
    case kDeviceOpenGl:
        // The OpenGL window is laid over the main window's client area and
        // stays open beside it: a full-screen view gives way to it first
        // (left as it was, the view would stay a popup over the screen).
        if (g_bFullScreen == 1)
            SendMessageA(main, WM_COMMAND, IDM_FULLSCREEN, 0);
        g_bFullScreen = 0;
        CreateGlStereoWindow(g_hInst, &g_stereoPair);
        return false;
    case kDeviceVision:
        RunStereoVisionViewer(g_hInst, &g_stereoPair);
        // The viewer serves every window of the thread, as the player does.
        return IsWindow(main) != FALSE;
    default:
        ShowOutputNotAvailable(main);
        return false;
    }
}

void Relayout(HWND main)
{
    SendMessageA(main, WM_MOVE, 0, 0);
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, TRUE);
}

void PlayOnDevice(HWND main)
{
    if (RunDevice(main))
        Relayout(main);
}

// The open dialog of a file to play, with its settings panel; false when
// cancelled. Only the video files the devices read are offered.
bool AskPlayFile(HWND main, const char *panel)
{
    char folder[kPathBytes], title[256], filter[512];
    CopyFolderOfPath(folder, g_szPlayFile);
    CopyPathText(g_szDialogFile, sizeof g_szDialogFile, g_szPlayFile);
    lstrcpynA(title, LoadStr(IDS_TITLE_OPEN_PLAY), sizeof title);
    BuildOpenFilter(filter, sizeof filter, nullptr, false);
    OPENFILENAMEA kept = g_ofnOpen;
    g_ofnOpen.hwndOwner = main;
    g_ofnOpen.lpstrInitialDir = folder;
    g_ofnOpen.lpstrTitle = title;
    g_ofnOpen.lpstrFilter = filter;
    g_ofnOpen.nFilterIndex = 1;
    g_ofnOpen.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
    g_ofnOpen.lpfnHook = (LPOFNHOOKPROC)(void *)W3DSettingsDlgProc;
    g_ofnOpen.lpTemplateName = panel;
    BOOL chosen = GetOpenFileNameA(&g_ofnOpen);
    g_ofnOpen = kept;
    return chosen != FALSE;
}

// The Direct3D 7 player and the 3D Vision viewer serve the main window
// while they run: what a device command would change (the source, the
// pair's frames, the file's layout) belongs to the running one until it
// closes.
bool DeviceRunning() { return StereoPlayerRunning() || StereoVisionRunning(); }

}  // namespace

void PlayPairOnDeviceCommand(HWND main, WPARAM wParam, LPARAM lParam)
{
    if (!BothOpen())
        return;
    if (g_bGLActive == 1) {
        if (g_nBusy == 0) {
            g_nFrame = 0;
            SendMessageA(g_hwndGL, kGlPlay, wParam, lParam);
        } else {
            g_bCancel = 1;
        }
        return;
    }
    if (g_nBusy != 0 || DeviceRunning())
        return;
    g_nPlaySource = kSourcePair;
    if (WinX3DMissing(main))
        return;
    if (FetchPairAtPosition(&g_stereoPair) || RefusePairOfTwoSizes(g_pLeft, g_pRight))
        return;
    if (!RunDevice(main))
        return;
    ShowCurrentPair(&g_stereoPair);
    Relayout(main);
}

void PlayFileOnDeviceCommand(HWND main, int id)
{
    bool asIs = id == IDM_PLAY_FILE_FULLSCREEN;
    if (g_nBusy != 0 || DeviceRunning())
        return;
    if (g_bGLActive == 1) {
        if (asIs)
            return;
        if (g_hwndGL)
            SendMessageA(g_hwndGL, WM_CLOSE, 0, 0);
    }
    g_bAllFrameAdjust = 0;
    if (!g_szPlayFile[0])
        CopyPathText(g_szPlayFile, sizeof g_szPlayFile, g_szLeftName);
    g_nPlaySource = asIs ? kSourceFileAsIs : kSourceFile;
    if (!AskPlayFile(main, asIs ? "FOPEN" : "W3DOPEN"))
        return;
    CopyPathText(g_szPlayFile, sizeof g_szPlayFile, g_szDialogFile);
    CopyPathText(g_stereoPair.szName, sizeof g_stereoPair.szName, g_szPlayFile);
    if (asIs && g_nDispFormat == kFormatMediaPlayer) {
        OpenPlayerWindow(g_szPlayFile);
        return;
    }
    if (!asIs && WinX3DMissing(main))
        return;
    PlayOnDevice(main);
}

void PlaySavedOnDeviceCommand(HWND main)
{
    if (g_nBusy != 0 || DeviceRunning() || !g_szSaveName[0])
        return;
    if (g_bGLActive == 1 && g_hwndGL)
        SendMessageA(g_hwndGL, WM_CLOSE, 0, 0);
    // The devices split only side-by-side and over/under movies.
    if (g_nSaveLayout > 1 &&
        AppMessageBox(main, LoadStr(IDS_SAVED_LAYOUT_WARNING), LoadStr(IDS_WARNING_CAPTION), MB_YESNO) != IDYES)
        return;
    g_nBunkatu = g_nSaveLayout == 1 ? 1 : 0;  // the file's own layout, not the user's setting
    CopyPathText(g_szPlayFile, sizeof g_szPlayFile, g_szSaveName);
    g_nPlaySource = kSourceFile;
    CopyPathText(g_stereoPair.szName, sizeof g_stereoPair.szName, g_szPlayFile);
    if (WinX3DMissing(main))
        return;
    PlayOnDevice(main);
}

void MediaPlayerCommand(HWND)
{
    if (g_nBusy != 0 || g_bGLActive == 1 || !g_szSaveName[0])
        return;
    OpenPlayerWindow(g_szSaveName);
}

void ShutterSettingsCommand(HWND main)
{
    if (g_nBusy != 0)
        return;
    DialogBoxParamA(g_hInst, "W3D", main, W3DSettingsDlgProc, 0);
}
