#include "alignment/alignment_state.h"

int g_bAllFrameAdjust = 0;

int g_bResample = 1;
int g_bHideToolWindow = 0;
int g_nDeviationMode = 1;
int g_nDeviationPercent = 30;
int g_nBarrel = 5100;
int g_bAutoCrop = 1;
int g_bAllFrameSetting = 0;
int g_bAdjustV = 1, g_bAdjustH = 1, g_bAdjustSize = 1, g_bAdjustRotation = 1, g_bAdjustPerspectiveV = 0,
    g_bAdjustPerspectiveH = 0;
int g_nPmax = 5;
int g_nAutopara = 0;
int g_bNoAlignReport = 0;
char g_szAutopanoFolder[260];
int g_nAutopanoTool = 0;
