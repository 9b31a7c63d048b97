#include "alignment/alignment_state.h"

int g_bAllFrameAdjust = 0;
