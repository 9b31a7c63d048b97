// The easy-adjustment dialog's preview: 8-bit grey copies of the two eye
// frames (the picture or its line drawing), zoomed and warped by the values
// being set, composed as an anaglyph or one eye, with the reference line and
// a grid drawn over it.
//
// Every image made here is a new 8-bit PackedDib with a grey colour table
// (entry j = j, j, j) unless stated otherwise; inputs are left alone. Rows
// are in memory order (bottom-up) unless stated otherwise. The dialog frees
// the results with FreeDib.
#ifndef TWR_ALIGNMENT_ADJUST_PREVIEW_H
#define TWR_ALIGNMENT_ADJUST_PREVIEW_H

#include "shared/packed_dib.h"

// A new 8-bit image of w x h with the grey table, pixels cleared; null
// when memory is short or a side is out of range.
PackedDib *NewGreyPreviewImage(int w, int h);

// Grey g = trunc(0.587 G + 0.114 B + 0.299 R) of a 24-bit frame. 256 levels:
// 8-bit, g itself. 2..16 levels: 4-bit (two pixels a byte, the even pixel in
// the high nibble) holding g / 16 (at most levels - 1), table entry
// i = i x (255 / (levels - 1)). Null for any other frame or level count.
PackedDib *MakeGreyDib(const PackedDib *frame, int levels);

// Progress of the line drawing in tens of percent (1..10), as the dialog
// shows it in its title ("%d0%%"); the caller saves and restores the title.
typedef void (*EdgeProgress)(int tens, void *context);

// The line drawing of a 24-bit frame: black (0) where the second-derivative
// response changes sign around a pixel and the gradient is above threshold
// (limited to 1..254), white (255) elsewhere and on the two outermost rows
// and columns. Neighbours outside the computed area count as neither sign.
// Null for a frame that is not 24-bit. progress may be null.
PackedDib *MakeEdgeImage(const PackedDib *frame, int threshold, EdgeProgress progress, void *context);
// The gradient-length table MakeEdgeImage keeps between calls.
void FreeEdgeTable();

// The image scaled by zoom per mille (at least 1) about its centre, at its
// own size, the rest 0: a shrink places every source pixel, an enlargement
// reads one source pixel for every output pixel but the last row and column.
PackedDib *ZoomPreviewImage(const PackedDib *image, int zoom1000);

// What the warps take from the dialog and the alignment values.
struct AdjustPreviewRequest {
    int nearest;             // the pixel at the whole position ("actual size"); else bilinear
    int reversePerspective;  // g_bReversePerspective: the perspective-rotation kind
    int canvasHeight;        // g_nCanvasHeight
    int halfFov;             // g_nHalfFov, 0.1 degree
};
// The request from the alignment values in force.
AdjustPreviewRequest CurrentAdjustPreviewRequest(int nearest);

// The warps read, for every output pixel, the source position the alignment
// core's mesh builders give for a mesh of the image's size (BuildRotationMesh,
// BuildPerspective[Rotation]VMesh, BuildPerspective[Rotation]HMesh), so the
// preview shows what the aligned frame will show. Bilinear sampling uses
// g_blendTable (a x b / 255) and needs the next column and row; a position
// without them, or outside the image, leaves the pixel 0. Angles in 0.1
// degree. Null when the input is not 8-bit or memory is short.
PackedDib *WarpPreviewRotation(const PackedDib *image, int angle, const AdjustPreviewRequest &request);
// Perspective about the vertical axis, angle limited to -899..899.
PackedDib *WarpPreviewPerspective(const PackedDib *image, int angle, const AdjustPreviewRequest &request);
// Perspective about the horizontal axis with the perspective shift; the
// canvas enlarges the height (the width for the rotation kind).
PackedDib *WarpPreviewPerspectiveRotation(const PackedDib *image, int angle, int shift,
                                          const AdjustPreviewRequest &request);
// One eye's warps in the alignment core's order: rotation, perspective V,
// perspective H (with the other eye's angle and the canvas deciding whether
// that stage runs); no warp at all gives a copy.
PackedDib *WarpPreviewImage(const PackedDib *image, int rotation, int perspectiveV, int perspectiveH,
                            int otherPerspectiveH, int shift, const AdjustPreviewRequest &request);

// Where the two images' common part starts: left image column and row
// (sx, sy), right image column and row (cx, cy); rows in memory order.
struct PreviewOrigins {
    int sx, sy, cx, cy;
};

enum AdjustPreviewView {
    kPreviewAnaglyph = 0,   // 3, the alternating view, draws the same
    kPreviewLeftOnly = 1,
    kPreviewRightOnly = 2,
};

// The two 8-bit previews composed into a 24-bit image of their common part
// at the offsets (each limited to +-(size - 10)): left in red (lifted by 32),
// right in green and blue, or one eye alone. Null when an input is not
// 8-bit, the common part is empty or memory is short. origins may be null.
PackedDib *ComposeAdjustPreview(const PackedDib *left, const PackedDib *right, int offsetX, int offsetY, int view,
                                PreviewOrigins *origins);

// A two-pixel-wide white line into an 8-bit preview, y counted from the top
// (memory row h - y - 2). 0, drawing nothing, when an end lies outside;
// writes past the image are dropped.
int DrawPreviewLine(PackedDib *image, int x0, int y0, int x1, int y1);

// A grid of 128-grey lines every spacing pixels from the image's centre
// outwards, into an 8-bit or 24-bit image; spacing 0 or less draws nothing.
void DrawPreviewGrid(PackedDib *image, int spacing);

// A point of a w x h preview (x right, y down from the top) and where the
// picture under it goes when the alignment core turns the image by rotation
// (0.1 degree) about (w / 2, h / 2) counted from the bottom row and scales it
// by (1000 + size1000) per mille about its middle ((w - 1) / 2, (h - 1) / 2):
// an enlargement after the turn, a shrink before it, as the core chains
// them. Back is the inverse.
struct PreviewPoint {
    double x, y;
};
PreviewPoint RotatePreviewPoint(PreviewPoint p, int rotation, int size1000, int w, int h);
PreviewPoint RotatePreviewPointBack(PreviewPoint p, int rotation, int size1000, int w, int h);

#endif
