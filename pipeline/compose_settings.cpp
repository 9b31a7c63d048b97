#include "pipeline/compose_settings.h"

#include "state/app_state.h"
#include "state/pipeline_state.h"

#include <string.h>

ComposeSettings ComposeSettingsFromState()
{
    ComposeSettings s;
    const RECT *trim = AppliedTrim();
    s.trimmed = trim != nullptr;
    s.trim = trim ? *trim : RECT{0, 0, 0, 0};
    s.greyVariant = g_nAnatype;
    s.colourVariant = g_nAnactype;
    s.gammaLeft = g_nGmmar;
    s.gammaRight = g_nGmmab;
    memcpy(s.gammaTableLeft, g_aGammaRed, sizeof s.gammaTableLeft);
    memcpy(s.gammaTableRight, g_aGammaBlue, sizeof s.gammaTableRight);
    s.mirror = g_nMirror;
    s.chromaKey = g_rgbChromaKey;
    s.chromaTolerance = g_nChromaTolerance;
    s.softBorderWidth = g_nBordwf;
    s.frameWidth = g_nWaku;
    s.frameColour = g_dwWCOL;
    s.iz3dTable = g_pIz3dTable;
    return s;
}
