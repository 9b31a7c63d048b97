// State of the alignment subsystem shared with the renderers and the shell.
#ifndef TWR_ALIGNMENT_ALIGNMENT_STATE_H
#define TWR_ALIGNMENT_ALIGNMENT_STATE_H

// Per-frame alignment mode in force: every frame is aligned on its own and
// the crop width is not rounded to a multiple of 4.
extern int g_bAllFrameAdjust;

// Settings of the automatic alignment, read at start and changed by the
// alignment settings dialog. The initialisers are the built-in values.
extern int g_bResample;             // "nResample": the mesh warp interpolates
extern int g_bHideToolWindow;       // "APWindow": hide the tools' console
extern int g_nDeviationMode;        // "nDeviation" % 10: stereo-window rule 0-3
extern int g_nDeviationPercent;     // "nDeviation" / 10: share of the width in 0.1 %
extern int g_nBarrel;               // "nBarrel": on-digit x 10000 + 5000 + barrel value
extern int g_bAutoCrop;             // "nRautocrop": trim automatically after an alignment
extern int g_bAllFrameSetting;      // "nAllFadjset": per-frame mode
extern int g_bAdjustV, g_bAdjustH, g_bAdjustSize, g_bAdjustRotation, g_bAdjustPerspectiveV,
    g_bAdjustPerspectiveH;          // "AdjustItems", digit by digit
extern int g_nPmax;                 // "nPmax": frames averaged, 1-30
extern int g_nAutopara;             // "nAutopara": input arrangement
extern int g_bNoAlignReport;        // "nReport": do not write the alignment value file
extern char g_szAutopanoFolder[260];  // "Autopano": folder of the outside tools
extern int g_nAutopanoTool;         // 0 built-in matcher, 1 generatekeys.exe, 2 autopano.exe

#endif
