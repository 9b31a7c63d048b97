#include "shared/dialog_helpers.h"

#include <commctrl.h>

HWND CreateSpinControl(HWND dialog, int editId, int upper, int lower, int position)
{
    return CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 0, 0, 0, 0, dialog, 1500,
                               GetModuleHandleA(nullptr), GetDlgItem(dialog, editId), upper, lower, position);
}
