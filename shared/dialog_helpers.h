// Small helpers of the dialogs.
#ifndef TWR_SHARED_DIALOG_HELPERS_H
#define TWR_SHARED_DIALOG_HELPERS_H

#include "shared/wintypes.h"

// An up-down control (id 1500) bound to the dialog's edit control editId,
// aligned to its right and writing its position into it.
HWND CreateSpinControl(HWND dialog, int editId, int upper, int lower, int position);

// Controls a template lacks are left alone by these, so one procedure can
// serve several templates.
void ShowDlgItem(HWND dialog, int id, bool shown);
void CheckDlgItem(HWND dialog, int id, int on);
bool IsDlgItemChecked(HWND dialog, int id);

#endif
