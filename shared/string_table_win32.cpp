#include "shared/string_table.h"

#include "shared/wintypes.h"

static char s_strBuffers[2][256];
static int s_nStrToggle = 0;
static char s_resString[512];

const char *LoadStr(int id)
{
    s_nStrToggle = (s_nStrToggle + 1) & 1;
    char *buffer = s_strBuffers[s_nStrToggle == 0 ? 0 : 1];
    if (LoadStringA(GetModuleHandleA(nullptr), (UINT)id, buffer, sizeof s_strBuffers[0]) <= 0)
        buffer[0] = '\0';
    return buffer;
}

const char *LoadResString(int id)
{
    if (LoadStringA(GetModuleHandleA(nullptr), (UINT)id, s_resString, sizeof s_resString) <= 0)
        s_resString[0] = '\0';
    return s_resString;
}
