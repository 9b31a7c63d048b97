#include "state/app_state.h"

#include "state/pipeline_state.h"

#include <string.h>

MovieSource *g_pLeft = &g_leftMovie, *g_pRight = &g_rightMovie, *g_pThird = &g_thirdMovie;
StereoPair g_stereoPair;

int g_nDisplayMode = 5;
int g_nMirror = 0;
int g_nAnatype = 0;
int g_nAnactype = 0;
int g_bSwapped = 0;
int g_nShiftX = 0, g_nShiftY = 0;
int g_nFrame = 0;
int g_nEndOffset = 0;
int g_nFrameCount = 0;
int g_nZoom = 100;
int g_bFullScreen = 0;
int g_nDualMonitor = 0;
int g_nPendingDual = 0;
int g_nTrimState = kTrimNone;
RECT g_rcTrim = {0, 0, 0, 0};
int g_bHelpOverlay = 0;
int g_bBlurFrame = 0;
int g_nAutoColour = 0;
char g_szAutoColourLabel[3][10];
int g_nRightField = 0;
int g_nWcent = 0;
int g_nPosScale = 1;

int g_nBusy = kBusyIdle;
int g_bCancel = 0;
int g_nPlayChain = 0;
int g_nPlayEye = 0;
int g_bGLActive = 0;
int g_bGLRedrawPending = 0;

int g_nSType = 0;
int g_nSis = 0;
int g_bDeinterlaceOpt = 0;
int g_nFieldMode = 0;
int g_nTurnChoiceL = 0, g_nTurnChoiceR = 0;
int g_nTurnL = 0, g_nTurnR = 0;
int g_bStereoSound = 0;
int g_nSoundlr = 0;
int g_nOpenModeL = 0, g_nOpenModeR = 0;
int g_bTwoStreamAvi = 0;
int g_nParallaxH = 0, g_nParallaxV = 0;
int g_bReopening = 0;

char g_szLeftName[kNameBytes];
char g_szRightName[kNameBytes];
char g_szSaveName[kNameBytes];
char g_szRightSaveName[kNameBytes];
char g_szPlayFile[kNameBytes];
char g_szListFile[kNameBytes];
char g_szHistory[kHistoryNames][kPathBytes];
int g_nHistoryType[kHistoryEntries];

int g_nSaveLayout = 0;
int g_bSavePreview = 0;
int g_bSaveResize = 0;
int g_nSaveWidth = 0, g_nSaveHeight = 0;
int g_bSmartSize = 0, g_bKeepAspect = 0, g_bHalfSize = 0, g_bSaveBorder = 0;
int g_n3dAviKind = 0;
int g_nJpegQuality = 75;
int g_bRecDateSet = 0, g_nRecYear = 0, g_nRecMonth = 0, g_nRecDay = 0, g_nRecHour = 0, g_nRecMinute = 0,
    g_nRecSecond = 0;

int g_nSavePart = 0;
int g_nSaveStartL = 0, g_nSaveStartR = 0;
int g_bCopyStreams = 0;
int g_nCopyFrames = 0;
int g_nBatchIndex = 0, g_nBatchCount = 0;

int g_bRepeat = 0;
int g_nWaku = 4;
int g_nBordwf = 20;
COLORREF g_dwWCOL = 0xFF0000;
int g_bSound1 = 0;
int g_bAskFileType = 1;
int g_nMovrate = 0;
int g_bOldQT = 0;
int g_nStrch = 0;
int g_nGmmar = 100, g_nGmmab = 100;
int g_aGammaRed[256];
int g_aGammaBlue[256];

int g_nVidia = 0;
int g_n3DSize = 0, g_n3DWidth = 0, g_n3DHeight = 0;
int g_n3DBpp = 0;
int g_n3DBits = 0;
int g_nStr3D = 0, g_nSound = 0, g_nBunkatu = 0, g_nAutoRegSet = 0;
int g_nPlaySource = 0;
int g_nDispFormat = 0;

char g_szProgramFolder[kPathBytes];
char g_szHelpPath[kPathBytes];
char g_szFfmpegPath[kPathBytes];
char g_szCosimaPath[kPathBytes];
int g_bCosima = 0;
char g_szTempAvi[kPathBytes];
char g_szTempAvs[kPathBytes];
char g_szExePath[kPathBytes];
int g_nCacheBudget = 0;
BYTE g_blendTable[256 * 256];
int g_nPlugins = 0;
BYTE g_pluginInfo[528];
int g_bPluginFound = 0;
char g_szOpenFilter[1024];
int g_bResizedForLoops = 0, g_bResizedForView = 0;

unsigned short *g_pIz3dTable = nullptr;

void SetPairRecords(MovieSource *left, MovieSource *right)
{
    g_pLeft = left;
    g_pRight = right;
    g_stereoPair.pLeft = left;
    g_stereoPair.pRight = right;
}

void SetStartValues()
{
    g_pThird = &g_thirdMovie;
    SetPairRecords(&g_leftMovie, &g_rightMovie);

    g_rgbChromaKey = RGB(255, 255, 255);
    g_nChromaTolerance = 10;
    g_nShownWidth = 720;
    g_nShownHeight = 480;
    g_nSaveWidth = 720;
    g_nSaveHeight = 480;
    g_nViewScale = 100;
    g_nDisplayMode = 5;
    g_n3DWidth = 640;
    g_n3DHeight = 480;
    g_n3DBits = 16;
    g_n3DBpp = 2;
    g_bSound1 = 1;
    g_nWaku = 4;
    g_nMovrate = 30;
    g_dwWCOL = 0xFF0000;
    g_bSavePreview = 1;

    static const char *const labels[3] = {" (AC_OFF)", " (AC_L)", " (AC_R)"};
    for (int i = 0; i < 3; i++)
        strcpy(g_szAutoColourLabel[i], labels[i]);

    for (int i = 0; i < 256; i++)
        for (int j = 0; j < 256; j++)
            g_blendTable[i * 256 + j] = (BYTE)(i * j / 255);
}

const RECT *AppliedTrim()
{
    return g_nTrimState == kTrimApplied ? &g_rcTrim : nullptr;
}

int MemoryBudgetFromPhysical(uint64_t physicalBytes)
{
    uint64_t quarter = physicalBytes / 4;
    if (quarter < 16000000)
        quarter = 16000000;
    if (quarter > 64000000)
        quarter = 64000000;
    return (int)quarter;
}

void ExchangeLeftRight()
{
    g_bSwapped = !g_bSwapped;
    if (g_bSwapped)
        SetPairRecords(&g_rightMovie, &g_leftMovie);
    else
        SetPairRecords(&g_leftMovie, &g_rightMovie);
    g_nShiftX = -g_nShiftX;
    g_nShiftY = -g_nShiftY;
    int turn = g_nTurnL;
    g_nTurnL = g_nTurnR;
    g_nTurnR = turn;
}
