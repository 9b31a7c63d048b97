// Control-point fitting: matched points between the left and the right
// image (from the outside tools or the built-in matcher) turned into the
// alignment values. Only the point coordinates are used: outliers are
// excluded, then rotation, size, both perspective turns and the vertical
// offset are searched over fixed grids of candidates and applied to the
// points, for a few iterations until the vertical error stops changing; the
// horizontal offset (the stereo window) comes last.
#ifndef TWR_ALIGNMENT_CONTROL_POINTS_H
#define TWR_ALIGNMENT_CONTROL_POINTS_H

#include <stdio.h>

// One left/right pair in pixels relative to the image centre, y downwards.
struct ControlPoint {
    int bExcluded;
    double x, y;   // left image
    double X, Y;   // right image
};

enum { kMaxControlPoints = 10000 };
extern ControlPoint g_aControlPoints[kMaxControlPoints];
extern int g_nControlPoints;
// A perspective step's angles (left, right) from its search to its use.
extern int g_nPerspVPair[2];
extern int g_nPerspHPair[2];

// Reads a control-point file ("c" lines with x, y, X and Y in full-frame
// pixels from the top-left corner) into the table, at most 10,000 points,
// and makes the coordinates relative to the centre of the
// g_nImageWidth x g_nImageHeight frame. Exclusion flags are left as they
// are. A file that cannot be opened gives no points. Returns the count.
int LoadControlPoints(const char *path);
int ReadControlPoints(FILE *file);

// Outlier exclusion from the disparity histograms (first), and that of each
// fit step (step 0-2).
void RejectOutliersByHistogram();
void RejectOutliersByDisparity(int step);

double MeanVerticalOffset();
void ShiftControlPointsVertically(double v);
// The searches return the relative value s (0.1 degree or per mille); the
// perspective ones return the candidate index and set their pair.
int FindBestRotation();
void RotateControlPoints(int s);
int FindBestScale();
void ScaleControlPoints(int s);
int FindBestPerspectiveV();
void ApplyPerspectiveV();
int FindBestPerspectiveH();
void ApplyPerspectiveH();
void ComputeAlignmentError();
int FindHorizontalPosition();

// The whole fit on a control-point file, for the frame size in
// g_nImageWidth x g_nImageHeight; stores the accepted values. Returns the
// number of points read: 0 (no points, or a frame under 10 x 20 pixels)
// means nothing was fitted and no value changed.
int FitControlPoints(const char *path);
// The same on the points already in the table.
int FitLoadedControlPoints();

#endif
