// The main window's commands that open the display's settings dialogs:
// each checks the busy state and the pair, opens its dialog modally and
// applies what it asks for afterwards.
#ifndef TWR_SHELL_SETTINGS_DIALOG_COMMANDS_H
#define TWR_SHELL_SETTINGS_DIALOG_COMMANDS_H

#include "shared/wintypes.h"

void RunDisplaySettingsDialog(HWND main);           // 2049
void RunAnaglyphSettingsDialog(HWND main, int id);  // 2053, 2055
void RunChromaKeyDialog(HWND main);                 // 4300

#endif
