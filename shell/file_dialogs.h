// The two shared file-dialog records of the main window and the option
// panels shown below their file lists: "SOPEN" (open a pair), "STOP" (open
// one stereo movie), "SAVEOP" (save a stereo movie), "SAVEOPB" and
// "SAVE3DAVI" (save left and right, save a camera 3D-AVI) and
// "DATECNGDLG" (change the date of a 3DS movie). Each panel's hook reads
// and writes the option variables while its dialog is open; what the user
// chose stays whether the dialog ends with OK or Cancel.
#ifndef TWR_SHELL_FILE_DIALOGS_H
#define TWR_SHELL_FILE_DIALOGS_H

#include "shared/wintypes.h"

#include <commdlg.h>

// The file buffer both records share, and their file-title buffers.
extern char g_szDialogFile[260];
extern char g_szOpenFileTitle[512], g_szSaveFileTitle[512];

// Sets up g_ofnOpen and g_ofnSave for the main window (once, at start).
void SetupFileDialogRecords(HWND owner);

// What "SOPEN" saw last: two files selected, and their left and right
// names (the name listed second is the left movie). Valid from the
// dialog's end until the next "SOPEN" dialog.
extern int g_bTwoNamesSelected;
extern char g_szSelectedLeft[260], g_szSelectedRight[260];

UINT_PTR CALLBACK OpenPairHookProc(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam);
UINT_PTR CALLBACK OpenStereoHookProc(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam);
UINT_PTR CALLBACK SaveOptionsHookProc(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam);
UINT_PTR CALLBACK SaveOptionsBHookProc(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam);
UINT_PTR CALLBACK DateChangeHookProc(HWND hook, UINT msg, WPARAM wParam, LPARAM lParam);

// The recording date inside a 3DS movie, read into and written from
// g_nRecYear ... g_nRecSecond: Read3dsMovieDate returns 1 when a date was
// found, Write3dsMovieDate the number of places rewritten.
int Read3dsMovieDate(const char *path);
int Write3dsMovieDate(const char *path);

#endif
