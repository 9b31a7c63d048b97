// The arithmetic of the page-flip window that needs no screen: where the
// two eye images of a stereo movie file lie in its frame for each file
// layout, where the pair's two crops start, where an image is placed on
// the screen, and how the frame keys step through a movie.
#ifndef TWR_DEVICES_PAGE_FLIP_GEOMETRY_H
#define TWR_DEVICES_PAGE_FLIP_GEOMETRY_H

#include "shared/wintypes.h"

// How a file frame becomes one image holding both eye images.
enum W3DFileConversion {
    kW3DConvertNone = 0,
    kW3DConvertDoubleHeight = 1,  // DoubleDibHeight with param
    kW3DConvertRotate = 2,        // RotateStereoFrame with param
    kW3DConvertInterleaved = 3,   // InterleavedToOverUnder with param
};

// For file layout (g_nBunkatu) and a frame of w x h: the conversion, the
// size of each eye image in the converted image, and where the second eye
// image starts (rows from the first row in memory). The first starts at
// (0, 0). A layout outside 0-8 is taken as side by side.
struct W3DFileLayout {
    int conversion;
    int param;
    int eyeW, eyeH;
    int secondX, secondY;
};
W3DFileLayout W3DFileLayoutOf(int layout, int w, int h);

// The common region of the pair's two frames (fw x fh, the left frame's
// size) after the crop margins of ShiftToCropMargins (right column, right
// row, left column, left row) and, when trim is not null, the applied
// trimming rectangle (top-down in the cropped region): its size and where
// each eye's part starts, rows counted from the first row in memory.
struct W3DPairRegion {
    int w, h;
    int leftX, leftY;
    int rightX, rightY;
};
W3DPairRegion W3DPairRegionOf(int fw, int fh, const int *margins, const RECT *trim);

// An image of imageW x imageH on a screen of screenW x screenH: centred at
// its own size, or (stretch) the largest rectangle of its aspect that fits,
// centred.
struct W3DPlace {
    int x, y, w, h;
};
W3DPlace PlaceW3DImage(int screenW, int screenH, int imageW, int imageH, bool stretch);

// Space (delta +1) and BackSpace (delta -1) on frame of 0..last. Past an
// end the frame wraps when repeat is on; otherwise it stays at that end and
// nothing is drawn.
struct W3DFrameStep {
    int frame;
    bool draw;
};
W3DFrameStep StepW3DFrame(int frame, int last, int delta, int repeat);

#endif
