#include "devices/unavailable_output.h"

#include "resources/resource_ids.h"
#include "shared/message_box.h"
#include "shared/string_table.h"

void ShowOutputNotAvailable(HWND owner)
{
    AppMessageBox(owner, LoadStr(IDS_OUTPUT_NOT_AVAILABLE), LoadStr(IDS_ERROR_CAPTION), MB_ICONWARNING);
}
