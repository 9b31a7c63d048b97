// The arithmetic of the 3D Vision viewer that needs no screen: the zoom
// keys, where a stereo file's eye image and the pair's common part go in
// their halves of the double-width surface, and the surface's extra last
// row with the NV3D signature. Integer arithmetic, as the viewer draws.
// (The formatted file's side-by-side picture is ComputePlayerSbs.)
#ifndef TWR_DEVICES_STEREO_VISION_GEOMETRY_H
#define TWR_DEVICES_STEREO_VISION_GEOMETRY_H

#include "shared/wintypes.h"

// Zoom in percent. F asks for the largest picture; every drawing clamps it.
enum { kVisionZoomFit = 10000, kVisionZoomActual = 100, kVisionZoomMin = 10 };
// PageUp and the wheel away from the user: x 110 / 100, + 1 below 10 (so
// that small zooms still grow).
int VisionZoomIn(int zoom);
// PageDown and the wheel towards the user: x 100 / 110, at least 10.
int VisionZoomOut(int zoom);
// The wheel: the high word of wParam as unsigned; below 1000 zooms in,
// above 1000 out, 1000 itself leaves the zoom.
int VisionZoomWheel(int zoom, unsigned wheelWord);

// Where a picture goes in a half of the surface: w x h at (x, y).
struct VisionPlace {
    int zoom;  // the zoom after clamping
    int x, y, w, h;
};
// A stereo file's eye image of eyeW x eyeH, always scaled: the zoom at most
// what fits the half of halfW x halfH (by width when the image is wider
// than the half's aspect, else by height), centred.
VisionPlace PlaceVisionFileEye(int halfW, int halfH, int eyeW, int eyeH, int zoom);

// The pair's shown part (the common part, or the trimming rectangle) of
// shownW x shownH. Zoom 100: unscaled, centred, a part wider than the half
// cut equally on both sides (srcX, srcW). Any other zoom: at most what fits
// the half less 2 x gap (0 asks for that), centred.
struct VisionPairPlace {
    bool scaled;
    int zoom;
    int x, y, w, h;  // destination in the half
    int srcX, srcW;  // source columns (unscaled; scaled: 0 and shownW)
};
VisionPairPlace PlaceVisionPair(int halfW, int halfH, int shownW, int shownH, int gap, int zoom);

// The NV3D surface of 2 W x (H + 1): row H (counted from the top) all
// 0xFF for pitch bytes, the signature "NV3D", 2 W, H, 32 bits, flags 2
// (scale to fit, eyes not exchanged) at its start. False, writing nothing,
// when the surface is too small for it.
enum : DWORD { kNv3dScaleToFit = 2u };
bool SignVisionSurface(BYTE *pixels, long pitch, int rows, int eyeW, int eyeH);
// The same row alone, at row (its bytes, at least 8 eyeW): what a drawing
// writes again after locking just that row. False, writing nothing, when
// the row is too short.
bool SignVisionRow(BYTE *row, long rowBytes, int eyeW, int eyeH);

#endif
