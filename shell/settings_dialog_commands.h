// The main window's commands that open the display's settings dialogs:
// each checks the busy state and the pair, opens its dialog modally and
// applies what it asks for afterwards.
#ifndef TWR_SHELL_SETTINGS_DIALOG_COMMANDS_H
#define TWR_SHELL_SETTINGS_DIALOG_COMMANDS_H

#include "shared/wintypes.h"

void RunDisplaySettingsDialog(HWND main);           // IDM_DISPLAY_SETTINGS
void RunAnaglyphSettingsDialog(HWND main, int id);  // IDM_ANAGLYPH_SETTINGS, IDM_COLOUR_ANAGLYPH_SETTINGS
void RunChromaKeyDialog(HWND main);                 // IDM_CHROMA_KEY_SETTINGS

#endif
