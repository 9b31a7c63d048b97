// The arithmetic of the Direct3D 7 stereo player that needs no screen:
// where an eye image goes in its half of the double-width surface, which
// composition a display format takes, which part of a composed picture is
// shown, the side-by-side picture with its frame, and the NV3D stereo
// signature in the surface's last row. Integer arithmetic throughout, as
// the player draws.
#ifndef TWR_DEVICES_STEREO_PLAYER_GEOMETRY_H
#define TWR_DEVICES_STEREO_PLAYER_GEOMETRY_H

#include "shared/wintypes.h"

// An eye image of imageW x imageH in a half of halfW x halfH: the
// destination rectangle and the source columns drawn. Unstretched it keeps
// its size, centred; wider than the half it is cut equally on both sides
// and starts at x 0. Stretched it is the largest rectangle of its aspect,
// centred, from the whole image.
struct PlayerEyePlace {
    int x, y, w, h;  // destination inside the half
    int srcX, srcW;  // source columns
};
PlayerEyePlace PlacePlayerEye(int halfW, int halfH, int imageW, int imageH, bool stretch);

// What a display format (g_nDispFormat) composes.
enum PlayerComposition {
    kPlayerSideBySide = 0,  // both images on one screen, framed
    kPlayerGrey = 1,        // ComposeGreyAnaglyphSbs (variant 3: yellow-blue)
    kPlayerColour = 2,      // ComposeColourAnaglyphSbs (variants 2, 3: yellow-blue)
    kPlayerInterlace = 3,   // ComposeInterlaceSbs
    kPlayerNothing = 4,     // format 7, and formats outside 0-10
};
struct PlayerFormat {
    int composition;
    int variant;
};
PlayerFormat PlayerFormatOf(int format);

// A copy of w x h pixels from (srcX, srcY) of the work surface to (dstX,
// dstY) of the screen.
struct PlayerCopy {
    int srcX, srcY;
    int dstX, dstY;
    int w, h;
};
// The part of a composed picture of pictureW x pictureH (drawn at (0, 0)
// of the work surface) shown on a screen of screenW x screenH: on each
// axis a larger picture is cut equally on both sides, a smaller one is
// centred.
PlayerCopy ShowComposedPicture(int screenW, int screenH, int pictureW, int pictureH);

// Display format 0: both eye images side by side, scaled to one height,
// with a gap of 2 x gap between them.
struct PlayerSbsRequest {
    int screenW, screenH;    // W x H
    int eyeW, eyeH;          // w x h, each eye image
    int gap;                 // g_nWaku
    int shiftX, shiftY;      // the file offsets (move the first image)
    int swap;                // g_nPlayerSwap
    int secondX, secondY;    // where the second image starts (rows from the first in memory)
};
// One DrawDibDraw: w x h at (x, y) of the work surface from the eye image
// at (srcX, srcY) of the frame (rows from the first row in memory).
struct PlayerDibDraw {
    int x, y, w, h;
    int srcX, srcY;
};
struct PlayerSbsLayout {
    bool drawn;           // false: an empty image or screen, nothing to draw
    int pictureH;         // P
    int pictureW;         // Q
    int x0, y0;
    PlayerDibDraw left, right;
    PlayerCopy show;      // (x0, y0)-(W, y0 + P), 1:1
};
PlayerSbsLayout ComputePlayerSbs(const PlayerSbsRequest &r);

// The NV3D stereo signature: five little-endian 32-bit words at the start
// of row height - 1 (counted from the top) of a locked surface: "NV3D",
// the surface's width (2 W), its height, the bits per pixel and the flags.
enum : DWORD { kNv3dSignature = 0x4433564Eu, kNv3dSwapEyes = 1u };
// Writes into pixels (rows of pitch bytes, rows of them counted from the
// top). False, writing nothing, when the row is not inside the surface or
// too short for the five words.
bool WriteNv3dSignature(BYTE *pixels, long pitch, int rows, DWORD width, DWORD height, DWORD bits, DWORD flags);

#endif
