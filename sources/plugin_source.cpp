// Until the plug-in interface is in place no file opens through a plug-in:
// the open fails with an empty text, as a plug-in failure does.
#include "sources/plugin_source.h"

int OpenPluginMovie(HWND, const char *, MovieSource *, char *errorText)
{
    errorText[0] = '\0';
    return 1;
}

int ReadPluginFrame(MovieSource *, int)
{
    return 1;
}

int ReadPluginAudio(MovieSource *, BYTE *, int, int)
{
    return 1;
}

void ReopenPluginFile(MovieSource *)
{
}

void ClosePluginFile(MovieSource *)
{
}
