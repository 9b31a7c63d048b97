// State of the alignment subsystem shared with the renderers, the players
// and the shell: the alignment values of the open pair and what the last
// fit left behind. The horizontal and vertical offsets between the images
// are the shell's g_nShiftX and g_nShiftY (state/app_state.h).
#ifndef TWR_STATE_ALIGNMENT_STATE_H
#define TWR_STATE_ALIGNMENT_STATE_H

// The settings of the automatic alignment live beside the values.
#include "state/alignment_settings.h"

// Per-frame alignment mode in force: every frame is aligned on its own and
// the crop width is not rounded to a multiple of 4.
extern int g_bAllFrameAdjust;

// The alignment values. Angles in tenths of a degree, sizes in per mille
// added to 1000, perspective shifts and the canvas height in mesh units.
extern int g_nRotationL, g_nRotationR;
extern int g_nSize1000L, g_nSize1000R;
extern int g_nPerspectiveVL, g_nPerspectiveVR;   // turn about the vertical axis
extern int g_nPerspectiveHL, g_nPerspectiveHR;   // turn about the horizontal axis
extern int g_nHalfFov;                           // half horizontal field of view, 0.1 degree
extern int g_nPersShiftL, g_nPersShiftR;
extern int g_nCanvasHeight;
extern int g_bReversePerspective;                // 1: perspective-rotation kind of warp
extern int g_nBarrelL, g_nBarrelR;               // radial factor value / 3000
// Information written with the values: spread of the horizontal
// disparities, the frame size the values were computed on, and the mean
// vertical error left by the fit (pixels).
extern int g_nNearFarPoint;
extern int g_nImageWidth, g_nImageHeight;
extern double g_dMeanErrorH;

// Points the last fit included at its end.
extern int g_nMatchedPoints;

// What the next automatic alignment does with an existing value file:
// 0 ask, 1 recompute (the file is deleted), 2 per-frame (no file at all).
enum AlvFileMode { kAlvAsk = 0, kAlvRecompute = 1, kAlvPerFrame = 2 };
extern int g_nAlvFileMode;

enum { kHalfFovStart = 198, kHalfFovAfterFit = 272, kFitFocalLengthMm = 35 };

// Half field of view in tenths of a degree for a focal length in
// millimetres of 35 mm film: trunc(atan(36 / 2f) * 1800 / pi). A focal
// length of 0 gives 900.
int HalfFovFromFocalLength(int focalLengthMm);

// The half field of view as the lens model uses it: limited to 1..899 so
// that its tangent is finite and not 0 whatever a value file held.
int LensHalfFov();

// True when no warp is asked for: both barrels, rotations, sizes and the
// four perspective values are 0 (offsets and the rest do not count).
bool AlignmentValuesAreZero();

// What opening a new pair resets: rotations, sizes, both perspective pairs
// and the perspective-rotation switch.
void ResetAlignmentValuesForNewPair();

#endif
