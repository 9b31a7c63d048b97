// The main window's two toolbars with their drop-down menus, the
// frame-position bar (dialog 900) and the tool tips of the bars, the copy
// of the shown pair to the clipboard and the version dialog.
#ifndef TWR_SHELL_TOOLBARS_H
#define TWR_SHELL_TOOLBARS_H

#include "shared/wintypes.h"

#include <commctrl.h>

HWND CreateFileToolbar(HWND main, HINSTANCE instance);
HWND CreateMainToolbar(HWND main, HINSTANCE instance);
// Frees the two toolbars' image lists (at the main window's close).
void DestroyToolbarImageLists();
// The media player's toolbar (not flat), and the release of its images.
HWND CreatePlayerToolbar(HWND player, HINSTANCE instance);
void DestroyPlayerToolbarImages();

// The drop-down menu of a main-toolbar button (IDM_MODE_ANAGLYPH ..
// IDM_MODE_OVER_UNDER).
void ShowToolbarDropDown(HWND main, const NMTOOLBARA *nm);

// The frame-position bar. WM_COMMAND IDC_POS_RESET resets its range to the
// pair, IDC_POS_FIRST and IDC_POS_LAST go to the first and the last frame;
// it sends IDM_POSITION_MOVED to the main window whenever it moved the
// position.
INT_PTR CALLBACK PositionBarDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// Tool tips of a bar's controls (the position bar, and the media player's
// seek bar "AVIPLAY"): a tool-tip window fed by a message hook.
int PositionBarCreateTips(HWND bar);
BOOL CALLBACK PositionBarAddTipProc(HWND child, LPARAM lParam);
LRESULT CALLBACK PositionBarTipHookProc(int code, WPARAM wParam, LPARAM lParam);
void PositionBarTipText(NMTTDISPINFOA *info);
void PositionBarRemoveTips();
int PlayerCreateTips(HWND bar);
BOOL CALLBACK PlayerAddTipProc(HWND child, LPARAM lParam);
LRESULT CALLBACK PlayerTipHookProc(int code, WPARAM wParam, LPARAM lParam);
void PlayerTipText(NMTTDISPINFOA *info);
void PlayerRemoveTips();

// Command 2077: the shown pair side by side (CF_DIB) and its suggested
// file name (CF_TEXT) on the clipboard, and a note in the title.
void CopyPairToClipboard(HWND main);
// Gives both blocks to the clipboard; a block the clipboard did not take
// (it could not be opened, or refused the format) is freed. True when both
// were taken.
bool HandToClipboard(HWND owner, HGLOBAL dib, HGLOBAL text);

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
