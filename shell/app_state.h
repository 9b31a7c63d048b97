// The application's process-wide state that the shell owns and the other
// subsystems read: the current pair's view state, the anaglyph and frame
// settings held in memory. Everything here is plain data, free of window
// handles, so that the kernels that read it build everywhere.
#ifndef TWR_SHELL_APP_STATE_H
#define TWR_SHELL_APP_STATE_H

#include "shared/wintypes.h"

// Trimming states of the view.
enum TrimState {
    kTrimNone = 0,
    kTrimArmedFirst = 10,   // 10-15: armed for drawing (free, 4:3, 16:9, 3:2, 480:240, 400:240)
    kTrimDrawnFirst = 20,   // 20-25: drawn and draggable
    kTrimApplied = 30,
};

// The pair's view state.
extern int g_nDisplayMode;      // DisplayMode 0-7
extern int g_nMirror;           // mirror variant of modes 0 and 1 (0-3)
extern int g_nAnatype;          // grey anaglyph variant 0-3
extern int g_nAnactype;         // colour anaglyph variant 0-3
extern int g_nShiftX, g_nShiftY;
extern int g_nTrimState;
extern RECT g_rcTrim;           // top-down, in the common region; right and bottom exclusive

// Settings held in memory.
extern int g_nWaku;             // frame width ("nWaku")
extern int g_nBordwf;           // blurred-frame width ("nBordwf")
extern COLORREF g_dwWCOL;       // frame colour ("dwWCOL")
extern int g_bBlurFrame;        // blurred frame on ("nBordwfon")
extern int g_nGmmar, g_nGmmab;  // left and right anaglyph gamma in hundredths
extern int g_aGammaRed[256];    // left-eye gamma table
extern int g_aGammaBlue[256];   // right-eye gamma table

// The iZ3D input table, loaded the first time display mode 7 is chosen.
extern unsigned short *g_pIz3dTable;

#endif
