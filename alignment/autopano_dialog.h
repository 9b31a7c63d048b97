// The alignment settings dialog "AUTOPANO" and the choice of the outside
// tools that find control points.
#ifndef TWR_ALIGNMENT_AUTOPANO_DIALOG_H
#define TWR_ALIGNMENT_AUTOPANO_DIALOG_H

#include "shared/wintypes.h"

// Which tool the folder holds: 1 "generatekeys.exe" (which wins), 2
// "autopano.exe", 0 neither (the built-in matcher).
int DetectAutopanoTool(const char *folder);
// Sets g_nAutopanoTool from g_szAutopanoFolder; with neither tool there the
// folder text becomes "内臓アルゴリズムを使用" (string 2414). Run at start
// after the folder is read from the settings, and on the dialog's OK.
void ChooseAutopanoTool();

// The dialog procedure: OK writes every setting at once (settings key and
// globals) and ends the dialog with 1, Cancel ends it with 0.
INT_PTR CALLBACK AutopanoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
