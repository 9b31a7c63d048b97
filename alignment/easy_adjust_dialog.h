// The easy-adjustment dialog "ANGLES": the pair aligned by hand on a live
// preview (rotation, size, offsets, both perspective turns, the lens, the
// perspective shifts, the canvas and the perspective-rotation switch), a
// reference line that sets a rotation, and the values kept in a settings
// file ("easy_set.txt" beside the program by default).
#ifndef TWR_ALIGNMENT_EASY_ADJUST_DIALOG_H
#define TWR_ALIGNMENT_EASY_ADJUST_DIALOG_H

#include "shared/packed_dib.h"
#include "shared/wintypes.h"

// Raised by OK; the caller clears it before the dialog.
extern int g_bEasyAdjustConfirmed;

// The dialog procedure, on g_pAdjustDibL and g_pAdjustDibR (24-bit, not
// changed). OK stores the values into the alignment values, raises
// g_bEasyAdjustConfirmed and ends the dialog with 1; Cancel, Esc and the
// close box end it with 0 and leave every value as it was when the dialog
// opened (the lens, the perspective shifts, the canvas and the
// perspective-rotation switch change while editing, for the preview).
INT_PTR CALLBACK EasyAdjustDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The settings file the dialog's "呼出し" reads and "保存" last wrote:
// setting "SettingFileName", or the program's folder + "easy_set.txt" when
// that holds fewer than 8 characters.
void GetEasySettingsPath(char *path, int bytes);

// The smallest size value (per mille added to 1000) that leaves an image
// of this frame at least one pixel wide and high.
int MinimumEasySize1000(int width, int height);

// What the open dialog shows, for the tests: the last composed preview
// (24-bit, at the size of the grey copies: the frames' own, or shrunk to the
// preview area when they are larger and "実寸表示" is off) and the
// rectangle of the dialog's client area it is drawn into. Null / false
// while no preview exists.
const PackedDib *EasyAdjustPreviewImage();
bool EasyAdjustPreviewPlacement(RECT *drawn);

#endif
