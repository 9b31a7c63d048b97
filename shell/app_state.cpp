#include "shell/app_state.h"

int g_nDisplayMode = 5;
int g_nMirror = 0;
int g_nAnatype = 0;
int g_nAnactype = 0;
int g_nShiftX = 0, g_nShiftY = 0;
int g_nTrimState = kTrimNone;
RECT g_rcTrim = {0, 0, 0, 0};

int g_nWaku = 4;
int g_nBordwf = 20;
COLORREF g_dwWCOL = 0xFF0000;
int g_bBlurFrame = 0;
int g_nGmmar = 100, g_nGmmab = 100;
int g_aGammaRed[256];
int g_aGammaBlue[256];

unsigned short *g_pIz3dTable = nullptr;
