#include "devices/stereo_player_state.h"

MovieSource g_playMovie;
MovieSource *g_pPlayMovie = nullptr;
StereoPair *g_pPlayPair = nullptr;
int g_nPlayFrame = 0;
int g_nPlayFrames = 0;
int g_nClipLength = 0;
int g_nFileShiftX = 0, g_nFileShiftY = 0;
int g_nPlayerSwap = 0;
int g_nPlayerClear = 0;
int g_nPlayBase = 0, g_nPlayStep = 0, g_nPlayDelays = 0, g_nDevicePlayDrops = 0;
HWND g_hwndPlayer3D = nullptr;
int g_bShowHelp = 0, g_bShowInfo = 0;
unsigned g_uDeviceTimerPeriod = 0, g_uDeviceTimerId = 0;
