// The drawing that the full-screen devices share on a GDI DC: one eye
// image scaled, and a movie file's frame in a display format.
#ifndef TWR_DEVICES_DEVICE_FORMAT_DRAW_H
#define TWR_DEVICES_DEVICE_FORMAT_DRAW_H

#include "devices/device_frames.h"
#include "devices/stereo_player_geometry.h"

#include <windows.h>

#include <vfw.h>

// w x h of dib from (srcX, srcY) (rows counted from the first in memory)
// stretched to dw x dh at (dx, dy): through DrawDib with flags when a
// handle is given (it counts source rows from the top), else StretchDIBits
// in the DC's own stretch mode. Nothing for an empty image or area.
void DrawDeviceEye(HDC dc, const PackedDib *dib, int srcX, int srcY, int w, int h, int dx, int dy, int dw, int dh,
                   HDRAWDIB drawDib, UINT flags);

// The file's frame in the display format g_nDispFormat, drawn from (0, 0)
// of dc for a screen of W x H: format 0 both eye images side by side
// (through drawDib), the anaglyphs and the interlace composed by the
// state's settings with the file offsets as crop margins. What part of dc
// is to be shown (all 0: nothing drawn).
PlayerCopy DrawDeviceFormat(HDC dc, int W, int H, const DeviceFileFrame &file, HDRAWDIB drawDib);

#endif
