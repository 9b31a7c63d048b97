#include "state/pipeline_state.h"

COLORREF g_rgbChromaKey = RGB(255, 255, 255);
int g_nChromaTolerance = 10;
int g_nShownWidth = 0, g_nShownHeight = 0;
int g_nViewScale = 0;

PackedDib *g_pComposed = nullptr;
int g_nViewImages = 0;
RECT g_rcViewImage[3];
int g_nFieldParity = 0;
