// Settings of the automatic alignment, held in memory. The alignment
// settings dialog changes them (and writes them to the settings key); the
// shell reads them from the settings key at start.
#ifndef TWR_STATE_ALIGNMENT_SETTINGS_H
#define TWR_STATE_ALIGNMENT_SETTINGS_H

enum { kToolFolderChars = 260 };

extern char g_szAutopanoFolder[kToolFolderChars];  // "Autopano": tool folder, ends in a backslash
extern int g_bHideToolWindow;      // "APWindow": hide the tools' console window
extern int g_nAutopara;            // "nAutopara": 0 parallel, 1 cross, 2 automatic
extern int g_nDeviationMode;       // "nDeviation" % 10: stereo-window rule 0-3
extern int g_nDeviationPercent;    // "nDeviation" / 10: 0.1 percent of the width, 0-500
extern int g_nBarrel;              // "nBarrel": on-digit x 10000 + 5000 + barrel value
extern int g_bNoAlignReport;       // "nReport": do not write the alignment value file
extern int g_bResample;            // "nResample": 1 the warp interpolates, 0 nearest pixel
extern int g_bAutoCrop;            // "nRautocrop": automatic trimming after an alignment
extern int g_bAllFrameSetting;     // "nAllFadjset": per-frame mode chosen
extern int g_nPmax;                // "nPmax": frames averaged in the per-frame mode, 1-30
// "AdjustItems": what the fit may change.
extern int g_bAdjustV, g_bAdjustH, g_bAdjustSize, g_bAdjustRotation;
extern int g_bAdjustPerspectiveV, g_bAdjustPerspectiveH;

// Where the control points come from, found from the tool folder.
enum AutopanoTool { kToolBuiltIn = 0, kToolGeneratekeys = 1, kToolAutopano = 2 };
extern int g_nAutopanoTool;

// Barrel pre-correction packed into "nBarrel".
inline bool BarrelPreCorrectionOn(int nBarrel) { return nBarrel / 10000 == 1; }
inline int BarrelSettingValue(int nBarrel) { return nBarrel % 10000 - 5000; }

// A signed decimal number with up to two decimals, in hundredths: blanks
// skipped, "-5.5" gives -550, "12" gives 1200, "0.05" gives 5.
int ParseHundredths(const char *text);

// The values the dialog stores, from what its controls hold.
int MakeBarrelSetting(bool on, const char *text);                 // "nBarrel"
int MakeDeviationSetting(int rule, const char *percentText);      // "nDeviation"
int ClampAveragingFrames(int frames);                             // "nPmax"
// "AdjustItems" as the decimal number digit1 x 100000 + ... + digit6, and
// back into the six flags.
int PackAdjustItems();
void UnpackAdjustItems(int value);

#endif
