// The composition kernels' settings record as the program's state gives it
// for the frame being composed.
#ifndef TWR_PIPELINE_COMPOSE_SETTINGS_H
#define TWR_PIPELINE_COMPOSE_SETTINGS_H

#include "pipeline/compose.h"

// Built by the show, play and save routines once per frame: the applied
// trimming, the anaglyph variants, gammas and tables, the mirror variant,
// the chroma key, the soft-border and frame-border settings and the iZ3D
// table (null until display mode 7 has loaded it).
ComposeSettings ComposeSettingsFromState();

#endif
