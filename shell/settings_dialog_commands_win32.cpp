#include "shell/settings_dialog_commands.h"

#include "alignment/auto_align.h"
#include "pipeline/settings_dialogs.h"
#include "resources/resource_ids.h"
#include "sources/movie_source.h"
#include "state/app_state.h"
#include "state/app_windows.h"

void RunDisplaySettingsDialog(HWND main)
{
    if (g_nBusy != 0)
        return;
    DialogBoxParamA(g_hInst, "FSET", main, DisplaySettingsDlgProc, 0);
    if (g_hwndView)
        InvalidateRect(g_hwndView, nullptr, TRUE);
}

void RunAnaglyphSettingsDialog(HWND main, int id)
{
    if (g_nBusy != 0 || g_bGLActive == 1 || !g_pLeft->bOpen || !g_pRight->bOpen)
        return;
    g_nAnaglyphDlgMode = id == IDM_COLOUR_ANAGLYPH_SETTINGS ? 10 : 0;
    g_pAdjustDibL = g_pLeft->pCurrent;
    g_pAdjustDibR = g_pRight->pCurrent;
    DialogBoxParamA(g_hInst, "ANAGSET", main, AnaglyphSettingsDlgProc, 0);
    if (g_nAnaglyphDlgMode == 1)
        SendMessageA(main, WM_COMMAND, IDM_MODE_ANAGLYPH, 0);
    else if (g_nAnaglyphDlgMode == 2)
        SendMessageA(main, WM_COMMAND, IDM_MODE_COLOUR_ANAGLYPH, 0);
}

void RunChromaKeyDialog(HWND main)
{
    if (g_nBusy != 0 || g_bGLActive == 1 || !g_pLeft->bOpen || !g_pRight->bOpen)
        return;
    DialogBoxParamA(g_hInst, "KUROMA", main, ChromaKeyDlgProc, 0);
}
