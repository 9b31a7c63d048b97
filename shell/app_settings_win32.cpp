#include "shell/app_settings.h"

#include "pipeline/compose.h"
#include "resources/resource_ids.h"
#include "shared/settings_store.h"
#include "shared/string_table.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// A number read into a 100-byte buffer; false (value unchanged) when the
// setting is absent.
bool ReadNumber(const char *name, int *value)
{
    char text[100];
    ReadSetting(name, text);
    if (!text[0])
        return false;
    *value = atoi(text);
    return true;
}

// A number whose built-in default is given as text.
int ReadNumberOr(const char *name, const char *fallback)
{
    char text[100];
    ReadSetting(name, text);
    if (!text[0])
        lstrcpynA(text, fallback, sizeof text);
    return atoi(text);
}

bool IsFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void FindAutopanoTool()
{
    char path[520];
    snprintf(path, sizeof path, "%sgeneratekeys.exe", g_szAutopanoFolder);
    if (IsFile(path)) {
        g_nAutopanoTool = 1;
        return;
    }
    snprintf(path, sizeof path, "%sautopano.exe", g_szAutopanoFolder);
    if (IsFile(path)) {
        g_nAutopanoTool = 2;
        return;
    }
    g_nAutopanoTool = 0;
    lstrcpynA(g_szAutopanoFolder, LoadStr(IDS_BUILTIN_MATCHER), sizeof g_szAutopanoFolder);
}

void SetFullScreenSize()
{
    static const int sizes[5][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    if (g_n3DSize >= 0 && g_n3DSize <= 4) {
        g_n3DWidth = sizes[g_n3DSize][0];
        g_n3DHeight = sizes[g_n3DSize][1];
    } else if (g_n3DSize == 5) {
        char text[100];
        ReadSetting("n3DSizew", text);
        g_n3DWidth = atoi(text);
        ReadSetting("n3DSizeh", text);
        g_n3DHeight = atoi(text);
    } else if (g_n3DSize == 6) {
        g_n3DWidth = GetSystemMetrics(SM_CXSCREEN);
        g_n3DHeight = GetSystemMetrics(SM_CYSCREEN);
    } else {
        g_n3DWidth = 640;
        g_n3DHeight = 480;
    }
}

}  // namespace

void ReadAppSettings()
{
    for (int i = 0; i < kHistoryNames; i++) {
        char name[32];
        snprintf(name, sizeof name, "FileHistory%d", i);
        g_szHistory[i][0] = '\0';
        ReadSetting(name, g_szHistory[i]);
    }
    {
        char text[100];
        ReadSetting("FileTypeHistory", text);
        if (text[0]) {
            char *token = strtok(text, ",");
            for (int i = 0; i < kHistoryEntries && token; i++) {
                g_nHistoryType[i] = atoi(token);
                token = strtok(nullptr, ",");
            }
        }
    }
    ReadNumber("nBunkatu", &g_nBunkatu);
    ReadNumber("nOldQT", &g_bOldQT);
    ReadNumber("nResample", &g_bResample);
    ReadNumber("APWindow", &g_bHideToolWindow);
    int deviation = ReadNumberOr("nDeviation", "301");
    g_nDeviationMode = deviation % 10;
    g_nDeviationPercent = deviation / 10;
    // The stereo-window rule picks one of four ways and the share is at
    // most 50 %: anything else is not a stored choice.
    if (g_nDeviationMode < 0 || g_nDeviationMode > 3 || g_nDeviationPercent < 0 || g_nDeviationPercent > 500) {
        g_nDeviationMode = 1;
        g_nDeviationPercent = 30;
    }
    g_nBarrel = ReadNumberOr("nBarrel", "5100");
    g_bAutoCrop = ReadNumberOr("nRautocrop", "1");
    g_bAllFrameSetting = ReadNumberOr("nAllFadjset", "0");
    int items = ReadNumberOr("AdjustItems", "111100");
    g_bAdjustV = items / 100000;
    items %= 100000;
    g_bAdjustH = items / 10000;
    items %= 10000;
    g_bAdjustSize = items / 1000;
    items %= 1000;
    g_bAdjustRotation = items / 100;
    items %= 100;
    g_bAdjustPerspectiveV = items / 10;
    g_bAdjustPerspectiveH = items % 10;
    // Frames averaged: the dialog's range 1-30 (0 would divide by zero).
    g_nPmax = ReadNumberOr("nPmax", "5");
    if (g_nPmax < 1)
        g_nPmax = 1;
    if (g_nPmax > 30)
        g_nPmax = 30;
    g_nAutopara = ReadNumberOr("nAutopara", "0");
    ReadNumber("nReport", &g_bNoAlignReport);
    g_szAutopanoFolder[0] = '\0';
    ReadSetting("Autopano", g_szAutopanoFolder);
    FindAutopanoTool();

    g_nSoundlr = ReadNumberOr("nSoundlr", "0") == 1 ? 1 : 0;
    ReadNumber("nSType", &g_nSType);
    if (g_nSType < 0 || g_nSType > 11)
        g_nSType = 0;
    g_nAnatype = ReadNumberOr("nAnatype", "0");
    if (g_nAnatype < 0 || g_nAnatype > 3)
        g_nAnatype = 0;
    g_nWcent = ReadNumberOr("nWcent", "0");
    if (g_nWcent > 2 || g_nWcent < 0)
        g_nWcent = 0;
    g_nAnactype = ReadNumberOr("nAnactype", "0");
    if (g_nAnactype < 0 || g_nAnactype > 3)
        g_nAnactype = 0;
    g_bRepeat = ReadNumberOr("nRepeat", "0") == 1 ? 1 : 0;
    if (g_hMenu)
        CheckMenuItem(g_hMenu, IDM_REPEAT, MF_BYCOMMAND | (g_bRepeat ? MF_CHECKED : MF_UNCHECKED));
    g_nGmmar = ReadNumberOr("nGmmar", "100");
    BuildAnaglyphGammaTable(g_nGmmar, g_aGammaRed);
    g_nGmmab = ReadNumberOr("nGmmab", "100");
    BuildAnaglyphGammaTable(g_nGmmab, g_aGammaBlue);
    g_nVidia = ReadNumberOr("nVidia", "1");
    g_nSis = ReadNumberOr("nSis", "12");
    ReadNumber("nStrch", &g_nStrch);
    ReadNumber("nMovrate", &g_nMovrate);
    ReadNumber("nStr3D", &g_nStr3D);
    ReadNumber("nSound", &g_nSound);
    ReadNumber("nSound1", &g_bSound1);
    ReadNumber("nFTask", &g_bAskFileType);
    ReadNumber("nWaku", &g_nWaku);
    ReadNumber("nBordwf", &g_nBordwf);
    ReadNumber("nBordwfon", &g_bBlurFrame);
    {
        // A COLORREF may pass 2^31: read unsigned.
        char text[100];
        ReadSetting("dwWCOL", text);
        if (text[0])
            g_dwWCOL = (COLORREF)strtoul(text, nullptr, 10);
    }
    g_nAutoRegSet = ReadNumberOr("nAutoRegSet", "0");
    ReadNumber("n3DSize", &g_n3DSize);
    SetFullScreenSize();
    ReadNumber("n3DBpp", &g_n3DBpp);
    if (g_n3DBpp == 0)
        g_n3DBpp = 2;
    if (g_n3DBpp == 1)
        g_n3DBits = 16;
    else if (g_n3DBpp == 2)
        g_n3DBits = 32;
}
