// Opening movies: the pair (2000 by dialog, 2044 by name) and one stereo
// movie (2032 by dialog, 2186 by name); the recent-file history with its
// menu items, reopen (2181-2185) and clear (2191); files dropped on the
// window; the input-type question "FILETYPE".
#ifndef TWR_SHELL_OPEN_COMMANDS_H
#define TWR_SHELL_OPEN_COMMANDS_H

#include "shared/wintypes.h"

#include <shellapi.h>

void OpenPairCommand(HWND main);
void OpenStereoCommand(HWND main);
void OpenPairByName(HWND main, LPARAM lParam);
void OpenStereoByName(HWND main, LPARAM lParam);
void ReopenHistoryCommand(HWND main, int entry);
void ClearHistoryCommand(HWND main);

// The dropped names wait here until the posted open runs.
LRESULT OnDropFiles(HWND main, HDROP drop);

// Rebuilds the history items of the "ファイル(&F)" menu (on every opening of
// the menu). Returns 1.
int UpdateRecentFilesMenu(HMENU menu);

INT_PTR CALLBACK FileTypeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
