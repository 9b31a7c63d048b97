#include "shared/dialog_helpers.h"

#include "shell/app_windows.h"

#include <commctrl.h>

HWND CreateSpinControl(HWND dialog, int editId, int upper, int lower, int position)
{
    return CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 0, 0, 0, 0, dialog, 1500,
                               g_hInstPlayer, GetDlgItem(dialog, editId), upper, lower, position);
}
