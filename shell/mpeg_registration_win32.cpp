// The built-in MPEG decoder is registered as a plug-in at start.
#include "shell/main_window.h"

#include "mpeg/mpeg_plugin.h"

void RegisterMpegDecoder()
{
    RegisterBuiltinMpegPlugin(&g_mpegPlugin);
}
