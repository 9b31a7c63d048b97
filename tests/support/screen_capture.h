// What the screen shows in a rectangle, as the tests compare and keep it.
#ifndef TWR_TESTS_SUPPORT_SCREEN_CAPTURE_H
#define TWR_TESTS_SUPPORT_SCREEN_CAPTURE_H

#include <windows.h>

#include <vector>

// The screen rectangle as bottom-up 24-bit rows (each padded to 4 bytes);
// empty when it cannot be read.
std::vector<BYTE> CaptureScreenRect(const RECT &r);

// Such rows of a w x h picture as the bytes of a 24-bit BMP file.
std::vector<BYTE> BmpFileOf(const std::vector<BYTE> &rows, int w, int h);

#endif
