// The settings of the full-screen stereo devices: the device, the screen
// size and colour depth, sound, and for a stereo movie file its layout,
// display format, fitting and interlace noise reduction. One procedure
// serves the modal dialog "W3D" and, as the hook of the open dialogs, the
// panels "FOPEN" and "W3DOPEN"; controls a template lacks are skipped.
// Every change takes effect at once; the lasting ones are written to the
// settings while the dialog is still open.
#ifndef TWR_DEVICES_W3D_SETTINGS_DIALOG_H
#define TWR_DEVICES_W3D_SETTINGS_DIALOG_H

#include "shared/wintypes.h"

INT_PTR CALLBACK W3DSettingsDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// "CUSTSIZE1": the custom screen size ("n3DSizew", "n3DSizeh").
INT_PTR CALLBACK W3DCustomSizeDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
