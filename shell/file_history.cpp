#include "shell/file_history.h"

#include "shared/path_helpers.h"
#include "state/app_state.h"

#include <stdio.h>
#include <string.h>

bool RecordHistory(const char *name0, const char *name1, int type)
{
    bool matched = false;
    for (int k = 0; k < kHistoryEntries; k++) {
        if (!strcmp(g_szHistory[2 * k], name0) && !strcmp(g_szHistory[2 * k + 1], name1)) {
            g_nHistoryType[k] = type;
            matched = true;
        }
    }
    if (matched)
        return false;
    memmove(g_szHistory[2], g_szHistory[0], sizeof g_szHistory[0] * (kHistoryNames - 2));
    memmove(&g_nHistoryType[1], &g_nHistoryType[0], sizeof g_nHistoryType[0] * (kHistoryEntries - 1));
    CopyPathText(g_szHistory[0], sizeof g_szHistory[0], name0);
    CopyPathText(g_szHistory[1], sizeof g_szHistory[1], name1);
    g_nHistoryType[0] = type;
    return true;
}

void FormatHistoryTypes(char *out, size_t size)
{
    snprintf(out, size, "%d,%d,%d,%d,%d,", g_nHistoryType[0], g_nHistoryType[1], g_nHistoryType[2],
             g_nHistoryType[3], g_nHistoryType[4]);
}

void HistoryMenuText(int k, char *out, size_t size)
{
    const char *name0 = g_szHistory[2 * k], *name1 = g_szHistory[2 * k + 1];
    if (!name1[0]) {
        snprintf(out, size, "%s", name0);
        return;
    }
    char file[kPathBytes];
    GetFileNameFromPath(file, name1);
    snprintf(out, size, "%s/%s", name0, file);
}

void ClearHistory()
{
    memset(g_szHistory, 0, sizeof g_szHistory);
    memset(g_nHistoryType, 0, sizeof g_nHistoryType);
}
