#include "state/alignment_state.h"

#include <math.h>

int g_bAllFrameAdjust = 0;

int g_nRotationL = 0, g_nRotationR = 0;
int g_nSize1000L = 0, g_nSize1000R = 0;
int g_nPerspectiveVL = 0, g_nPerspectiveVR = 0;
int g_nPerspectiveHL = 0, g_nPerspectiveHR = 0;
int g_nHalfFov = kHalfFovStart;
int g_nPersShiftL = 0, g_nPersShiftR = 0;
int g_nCanvasHeight = 0;
int g_bReversePerspective = 0;
int g_nBarrelL = 0, g_nBarrelR = 0;
int g_nNearFarPoint = 0;
int g_nImageWidth = 0, g_nImageHeight = 0;
double g_dMeanErrorH = 0.0;

int g_nMatchedPoints = 0;
int g_nAlvFileMode = kAlvAsk;

int HalfFovFromFocalLength(int focalLengthMm)
{
    if (focalLengthMm == 0)
        return 900;
    return (int)(atan(36.0 / (2.0 * focalLengthMm)) * 572.9577951308238);
}

int LensHalfFov()
{
    if (g_nHalfFov < 1)
        return 1;
    if (g_nHalfFov > 899)
        return 899;
    return g_nHalfFov;
}

bool AlignmentValuesAreZero()
{
    return g_nBarrelL == 0 && g_nBarrelR == 0 && g_nRotationL == 0 && g_nRotationR == 0 &&
           g_nSize1000L == 0 && g_nSize1000R == 0 && g_nPerspectiveVL == 0 && g_nPerspectiveVR == 0 &&
           g_nPerspectiveHL == 0 && g_nPerspectiveHR == 0;
}

void ResetAlignmentValuesForNewPair()
{
    g_nRotationL = g_nRotationR = 0;
    g_nSize1000L = g_nSize1000R = 0;
    g_nPerspectiveVL = g_nPerspectiveVR = 0;
    g_nPerspectiveHL = g_nPerspectiveHR = 0;
    g_bReversePerspective = 0;
}
