// The box shown where an output (a full-screen device or the media player)
// is not part of this version of the program: the command ends there and
// the program goes on.
#ifndef TWR_DEVICES_UNAVAILABLE_OUTPUT_H
#define TWR_DEVICES_UNAVAILABLE_OUTPUT_H

#include "shared/wintypes.h"

void ShowOutputNotAvailable(HWND owner);

#endif
