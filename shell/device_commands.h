// The main window's commands of the full-screen stereo devices and the
// media player: play the current pair (2029), a chosen file (2027 with the
// panel "FOPEN", 2030 with "W3DOPEN") or the last saved movie (2031) on
// the device the settings name (g_nVidia), open the saved movie in the
// media player (2028), and the devices' settings dialog "W3D" (2047).
// Each refuses while the program is busy.
#ifndef TWR_SHELL_DEVICE_COMMANDS_H
#define TWR_SHELL_DEVICE_COMMANDS_H

#include "shared/wintypes.h"

void PlayPairOnDeviceCommand(HWND main, WPARAM wParam, LPARAM lParam);  // IDM_SHUTTER_PLAY_PAIR
void PlayFileOnDeviceCommand(HWND main, int id);  // IDM_PLAY_FILE_FULLSCREEN, IDM_SHUTTER_PLAY_FILE
void PlaySavedOnDeviceCommand(HWND main);         // IDM_SHUTTER_PLAY_SAVED
void MediaPlayerCommand(HWND main);               // IDM_PLAY_SAVED
void ShutterSettingsCommand(HWND main);           // IDM_SHUTTER_SETTINGS

#endif
