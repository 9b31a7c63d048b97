// What the screen shows in a rectangle, as the tests compare and keep it.
#ifndef TWR_TESTS_SUPPORT_SCREEN_CAPTURE_H
#define TWR_TESTS_SUPPORT_SCREEN_CAPTURE_H

#include <windows.h>

#include <vector>

// The screen rectangle as bottom-up 24-bit rows (each padded to 4 bytes);
// empty when it cannot be read.
std::vector<BYTE> CaptureScreenRect(const RECT &r);

#endif
