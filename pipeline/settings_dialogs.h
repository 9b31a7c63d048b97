// The settings dialogs of the display: the anaglyph settings ("ANAGSET")
// with their live preview, the display settings ("FSET") and the chroma
// key ("KUROMA"). The main window opens them modally (shell/).
#ifndef TWR_PIPELINE_SETTINGS_DIALOGS_H
#define TWR_PIPELINE_SETTINGS_DIALOGS_H

#include "shared/wintypes.h"

// In: 10 offers the colour types, anything else the grey ones. Out: 0
// cancelled, 1 a grey type chosen, 2 a colour type chosen.
extern int g_nAnaglyphDlgMode;
// The anaglyph preview's view (0 both eyes, 1 left, 2 right), kept while
// the program runs.
extern int g_nAnaglyphPreviewView;

// Reads g_pAdjustDibL and g_pAdjustDibR (the current frames) for the
// preview; OK stores the type and both gammas and rebuilds the tables.
INT_PTR CALLBACK AnaglyphSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Applies and stores most values as they change; always ends with 1.
INT_PTR CALLBACK DisplaySettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Picks the key colour from the left frame and previews the composite in
// the view; always ends with 1.
INT_PTR CALLBACK ChromaKeyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
