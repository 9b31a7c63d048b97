// Commands whose work belongs to subsystems that are not part of the
// program yet: the full-screen devices and the media player. Each is reached through its
// own handler so that the work plugs in here; until then they do nothing.
#ifndef TWR_SHELL_LATER_COMMANDS_H
#define TWR_SHELL_LATER_COMMANDS_H

#include "shared/wintypes.h"

void FullScreenPlayCommand(HWND main, int id);      // IDM_PLAY_FILE_FULLSCREEN, IDM_SHUTTER_PLAY_*
void MediaPlayerCommand(HWND main);                 // IDM_PLAY_SAVED
void ShutterSettingsCommand(HWND main);             // IDM_SHUTTER_SETTINGS

#endif
