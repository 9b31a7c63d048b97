// The main window "2REELS": the ordered set-up of the application when it
// is created, the layout of the toolbars and the position bar when it is
// sized or moved, and the ordered tear-down when it is closed. Its commands
// are main_commands_win32.cpp; opening movies is open_commands_win32.cpp.
#include "shell/main_window.h"

#include "alignment/adjust_preview.h"
#include "alignment/frame_adjustment.h"
#include "devices/page_flip_window.h"
#include "pipeline/show_pair.h"
#include "pipeline/view_window.h"
#include "resources/resource_ids.h"
#include "shared/global_memory.h"
#include "shared/message_box.h"
#include "shared/path_helpers.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "shell/app_settings.h"
#include "shell/command_line.h"
#include "shell/file_dialogs.h"
#include "shell/main_commands.h"
#include "shell/media_player.h"
#include "shell/open_commands.h"
#include "shell/open_filter.h"
#include "shell/toolbars.h"
#include "sources/movie_open.h"
#include "sources/movie_records.h"
#include "sources/plugin_source.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"
#include "state/pipeline_state.h"

#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>
#include <vfw.h>

namespace {

bool RegisterOne(HINSTANCE instance, const char *name, UINT style, WNDPROC proc, bool icon, bool cursor,
                 HBRUSH background, const char *menu, int extraBytes)
{
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extraBytes;
    wc.hInstance = instance;
    wc.hIcon = icon ? LoadIconA(instance, "2REELS") : nullptr;
    wc.hCursor = cursor ? LoadCursor(nullptr, IDC_ARROW) : nullptr;
    wc.hbrBackground = background;
    wc.lpszMenuName = menu;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

void BuildFilterAndPlugin()
{
    // The outside plug-in "QTReader.vfp" beside the program.
    const char *pluginFilter = LoadOutsidePlugin(g_szProgramFolder);
    char avisynth[100];
    ReadAvisynthValue("", avisynth, sizeof avisynth);
    BuildOpenFilter(g_szOpenFilter, sizeof g_szOpenFilter, pluginFilter, strlen(avisynth) > 7);
}

void FindHelperFiles()
{
    GetModuleFileNameA(nullptr, g_szExePath, sizeof g_szExePath);
    g_szExePath[sizeof g_szExePath - 1] = '\0';
    char folder[kPathBytes];
    CopyFolderOfPath(folder, g_szExePath);
    // The folder without its trailing backslash.
    size_t n = strlen(folder);
    if (n && folder[n - 1] == '\\')
        folder[n - 1] = '\0';
    snprintf(g_szCosimaPath, sizeof g_szCosimaPath, "%s\\cosima.exe", folder);
    snprintf(g_szFfmpegPath, sizeof g_szFfmpegPath, "%s\\ffmpeg.exe", folder);
    g_bCosima = (GetFileAttributesA(g_szCosimaPath) & 0xFFFFF010) == 0;
    snprintf(g_szProgramFolder, sizeof g_szProgramFolder, "%s\\", folder);
    snprintf(g_szHelpPath, sizeof g_szHelpPath, "%s\\twreel.chm", folder);

    char temp[512];
    DWORD got = GetTempPathA(sizeof temp, temp);
    if (!got || got >= sizeof temp)
        temp[0] = '\0';
    snprintf(g_szTempAvs, sizeof g_szTempAvs, "%stwr.avs", temp);
    snprintf(g_szTempAvi, sizeof g_szTempAvi, "%savi.avi", temp);
}

void WriteDecoderOptions()
{
    static const struct {
        const char *name;
        unsigned long value;
    } options[] = {{"aspect_ratio", 0}, {"color_matrix", 0}, {"field_order", 0}, {"file", 0}, {"gl", 0},
                   {"idct_func", 2},    {"re_map", 1},       {"simd", 1},        {"yuy2_matrix", 0}};
    for (const auto &o : options)
        WriteSettingDword(o.name, o.value);
}

// What the command line asked for, once the bars exist (the view does not
// exist yet: the pair is composed now and shown at its first paint).
void OpenCommandLineFiles(HWND hwnd)
{
    bool left = CommandLineNamePresent(g_szLeftName), right = CommandLineNamePresent(g_szRightName);
    if (left && right) {
        SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_PAIR_BY_NAME, 0);
    } else if (left) {
        g_nSType = 0;
        if (g_bAskFileType == 1)
            DialogBoxParamA(g_hInst, "FILETYPE", hwnd, FileTypeDlgProc, 0);
        SendMessageA(hwnd, WM_COMMAND, IDM_OPEN_STEREO_BY_NAME, 0);
    } else {
        g_szLeftName[0] = '\0';
        ReadSetting("szFile0", g_szLeftName);
    }
}

LRESULT OnCreate(HWND hwnd)
{
    g_hMenu = GetMenu(hwnd);
    g_hCursorArrow = LoadCursor(nullptr, IDC_ARROW);
    g_hCursorMove = LoadCursorA(g_hInst, "IDOU");
    g_hCursorSelect = LoadCursorA(g_hInst, "SEL");
    g_hCursorNone = LoadCursorA(g_hInst, "NOTHING");

    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    g_nCacheBudget = MemoryBudgetFromPhysical(memory.dwTotalPhys);

    FindHelperFiles();
    WritePlaceholderAvi();
    AVIFileInit();

    ResetMovieRecords();
    SetStartValues();
    g_hwndMain = hwnd;
    WriteDecoderOptions();
    ReadAppSettings();
    BuildFilterAndPlugin();

    SetupFileDialogRecords(hwnd);
    g_szSaveName[0] = '\0';
    g_szPlayFile[0] = '\0';
    ReadSetting("szFile2", g_szSaveName);

    g_hwndFileToolbar = CreateFileToolbar(hwnd, g_hInst);
    g_hwndPosBar = CreateDialogParamA(g_hInst, MAKEINTRESOURCEA(IDD_POSITION_BAR), hwnd, PositionBarDlgProc, 0);
    g_hwndMainToolbar = CreateMainToolbar(hwnd, g_hInst);
    ShowWindow(g_hwndPosBar, SW_SHOW);

    OpenCommandLineFiles(hwnd);
    return 0;
}

LRESULT OnSizeOrMove(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_hwndMainToolbar)
        SendMessageA(g_hwndMainToolbar, WM_SIZE, wParam, lParam);
    if (g_hwndFileToolbar)
        SendMessageA(g_hwndFileToolbar, WM_SIZE, wParam, lParam);
    RECT main, bar;
    if (g_hwndPosBar && g_hwndFileToolbar && GetWindowRect(hwnd, &main) && GetWindowRect(g_hwndFileToolbar, &bar)) {
        int width = main.right - main.left - 346;
        MoveWindow(g_hwndPosBar, bar.left + 338, bar.top + 8, width > 0 ? width : 0, bar.bottom - bar.top - 12, TRUE);
    }
    if (g_bGLActive == 1 && g_hwndGL)
        SendMessageA(g_hwndGL, WM_SIZE, wParam, lParam);
    if (g_hwndView)
        SendMessageA(g_hwndView, WM_SIZE, wParam, lParam);
    g_bResizedForLoops = 1;
    g_bResizedForView = 1;
    (void)msg;
    return 0;
}

// The buffers other subsystems keep for the main window's life.
void FreeMainWindowWorkBuffers()
{
    FreeAlignmentMeshes();
    FreeEdgeTable();  // the line drawing's gradient table
    if (g_pIz3dTable) {
        FreeGlobalBlock(g_pIz3dTable);
        g_pIz3dTable = nullptr;
    }
}

LRESULT OnClose(HWND hwnd)
{
    if (g_bGLActive == 1 && g_hwndGL)
        SendMessageA(g_hwndGL, WM_CLOSE, 0, 0);
    if (g_hwndPlayer)
        SendMessageA(g_hwndPlayer, WM_CLOSE, 0, 0);
    if (g_nBusy != 0) {
        g_bCancel = 1;
        g_nPlayChain = 0;
        AppMessageBox(hwnd, LoadStr(IDS_BUSY_ON_CLOSE), LoadStr(IDS_CONFIRM_CAPTION), MB_ICONWARNING);
        if (g_nBusy != 0)
            return 0;
    }
    char folder[kPathBytes + 16];
    DWORD got = GetTempPathA(kPathBytes, folder);
    if (got && got < kPathBytes) {
        strcat(folder, "twradj");
        RemoveDirectoryA(folder);
    }
    FreeMainWindowWorkBuffers();
    CloseMovieSource(g_pLeft);
    CloseMovieSource(g_pRight);
    CloseMovieSource(g_pThird);
    AVIFileExit();
    DeleteFileA(g_szTempAvi);
    DeleteFileA(g_szTempAvs);
    for (int i = 0; i < g_nPlugins; i++)
        FreeLibrary(g_hPlugins[i]);
    g_nPlugins = 0;
    if (g_hwndPosBar)
        SendMessageA(g_hwndPosBar, WM_CLOSE, 0, 0);
    WriteSetting("szFile0", g_szLeftName);
    WriteSetting("szFile2", g_szSaveName);
    char number[16];
    snprintf(number, sizeof number, "%d", g_nAnatype);
    WriteSetting("nAnatype", number);
    snprintf(number, sizeof number, "%d", g_nAnactype);
    WriteSetting("nAnactype", number);
    FreeComposedFrame();
    DestroyToolbarImageLists();
    DestroyWindow(g_hwndMainToolbar);
    DestroyWindow(g_hwndFileToolbar);
    if (g_hwndView)
        DestroyWindow(g_hwndView);
    DestroyWindow(hwnd);
    return 0;
}

}  // namespace

bool RegisterAppClasses(HINSTANCE instance)
{
    HBRUSH black = (HBRUSH)GetStockObject(BLACK_BRUSH);
    const UINT own = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    return RegisterOne(instance, "2REELS", own, MainWndProc, true, true, black, "2REELS", 0) &&
           RegisterOne(instance, "2REELSC", own, ViewWndProc, false, false, black, nullptr, 2) &&
           RegisterOne(instance, "W3DWIN", CS_DBLCLKS, W3DWndProc, true, true, black, nullptr, 0) &&
           RegisterOne(instance, "PLAYAVI", CS_DBLCLKS, PlayerWndProc, true, true, black, "PLAYAVI", 0) &&
           RegisterOne(instance, "OpenGL", own, GlStereoWndProc, true, true, nullptr, nullptr, 0);
}

bool KeysGoToMainWindow(HWND front)
{
    if (!g_hwndMain)
        return false;
    // A window the player or the OpenGL window owns (the seek bar, their
    // dialogs) counts as its owner.
    HWND root = front ? GetAncestor(front, GA_ROOTOWNER) : nullptr;
    return !root || (root != g_hwndPlayer && root != g_hwndGL);
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (KeysGoToMainWindow(GetForegroundWindow()) && TranslateAcceleratorA(g_hwndMain, g_hAccel, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

void FitMainWindowToPair(HWND hwnd)
{
    if (g_pLeft->nWidth <= 0)
        return;
    HDC dc = GetDC(hwnd);
    int usable = GetDeviceCaps(dc, VERTRES) - 20;
    ReleaseDC(hwnd, dc);
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    int imageHeight = (client.right / 2 - 2 * g_nWaku) * g_pLeft->nHeight / g_pLeft->nWidth;
    int height = (window.bottom - window.top) - client.bottom + 2 * (imageHeight + 2 * g_nWaku) + 58;
    if (height > usable)
        height = usable;
    int top = window.top;
    if (top + height > usable)
        top = (usable - height) / 2;
    MoveWindow(hwnd, window.left, top, window.right - window.left, height, TRUE);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(hwnd);
    case WM_SIZE:
    case WM_MOVE:
        return OnSizeOrMove(hwnd, msg, wParam, lParam);
    case WM_PAINT:
        if (g_bGLActive == 1 && g_hwndGL)
            SendMessageA(g_hwndGL, WM_USER, wParam, lParam);
        break;
    case WM_CLOSE:
        return OnClose(hwnd);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        return OnMainCommand(hwnd, wParam, lParam);
    case WM_NOTIFY:
        return OnMainNotify(hwnd, (NMHDR *)lParam);
    case WM_INITMENU:
        return OnMainInitMenu(hwnd, (HMENU)wParam);
    case WM_MOUSEWHEEL:
        return OnMainMouseWheel(hwnd, wParam, lParam);
    case WM_DROPFILES:
        return OnDropFiles(hwnd, (HDROP)wParam);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
