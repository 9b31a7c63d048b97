#include "pipeline/pipeline_state.h"

COLORREF g_rgbChromaKey = RGB(255, 255, 255);
int g_nChromaTolerance = 10;
