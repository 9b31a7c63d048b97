// The main window's commands: the dispatch of WM_COMMAND with the busy
// rule, and the commands that change the view of the current pair
// (display modes, mirrors, exchange, synchronisation and position, offsets,
// trimming, zoom, full screen, switches); the menu checks, the toolbars'
// notifications and the mouse wheel.
#ifndef TWR_SHELL_MAIN_COMMANDS_H
#define TWR_SHELL_MAIN_COMMANDS_H

#include "shared/wintypes.h"

LRESULT OnMainCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT OnMainNotify(HWND hwnd, NMHDR *hdr);
LRESULT OnMainInitMenu(HWND hwnd, HMENU menu);
LRESULT OnMainMouseWheel(HWND hwnd, WPARAM wParam, LPARAM lParam);

// The command being handled (handlers that serve several ask it).
extern int g_nCurrentCommand;

// Both movies are open.
bool BothOpen();
// The pair shown again (ShowCurrentPair) and the view repainted.
void Recompose();
// The position bar's range reset to the pair (1043).
void ResetPositionBar();
// The same position fetched and shown again, for a change that needs fresh
// frames (automatic colour, the soft border).
void RefetchSamePosition(HWND hwnd);
// The trimming check button and menu item.
void CheckTrimming(bool checked);

#endif
