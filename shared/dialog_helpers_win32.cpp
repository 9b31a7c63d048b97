#include "shared/dialog_helpers.h"

#include <commctrl.h>

HWND CreateSpinControl(HWND dialog, int editId, int upper, int lower, int position)
{
    return CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT, 0, 0, 0, 0, dialog, 1500,
                               GetModuleHandleA(nullptr), GetDlgItem(dialog, editId), upper, lower, position);
}

void ShowDlgItem(HWND dialog, int id, bool shown)
{
    HWND c = GetDlgItem(dialog, id);
    if (c)
        ShowWindow(c, shown ? SW_SHOW : SW_HIDE);
}

void CheckDlgItem(HWND dialog, int id, int on)
{
    if (GetDlgItem(dialog, id))
        CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

bool IsDlgItemChecked(HWND dialog, int id)
{
    return GetDlgItem(dialog, id) && IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
