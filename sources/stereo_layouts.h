// Single-file stereo layouts: the kernels that cut the two eye views out
// of one frame (side by side, over/under, line-interlaced, grey and colour
// anaglyph), the pre-conversions of the rarer input types (half-width and
// half-height frames, SIS and Tri-delta turns), turning and mirroring, and
// the field extraction of the discard-field mode.
//
// Frames are bottom-up PackedDibs; picture "top" and "bottom" below mean as
// shown, rows "in memory" count from the first row stored (the bottom).
// Kernels read 24- and 32-bit frames (4 bytes a source pixel, 3 written)
// and write 24-bit views; they do nothing for a null target or another
// format.
#ifndef TWR_SOURCES_STEREO_LAYOUTS_H
#define TWR_SOURCES_STEREO_LAYOUTS_H

#include "shared/packed_dib.h"

// StereoLayout codes: tens digit the arrangement, units digit the view
// (even: the first view, odd: the second).
enum StereoLayout {
    kLayoutNone = 0,
    kLayoutSideBySide = 10,   // first view the left half
    kLayoutOverUnder = 20,    // first view the first h/2 rows in memory (the lower half)
    kLayoutInterlaced = 30,   // first view rows 0, 2, 4 ... in memory
    kLayoutGreyAnaglyph = 40, // first view grey of red; second grey of gamma(0.837 G + 0.163 B)
    kLayoutColourAnaglyph = 50,
};

// The input stereo types of a single stereo file (g_nSType) and what the
// shell sets up for each: the two layout codes and the pre-conversion.
enum { kStereoTypes = 12 };
struct StereoTypeInfo {
    int leftCode, rightCode;
    int preConversion;  // 0 none, 1 double width, 2 double height, 3 double height from 47.5 %, 4 turn
    int turnKind;       // RotateStereoFrame kind for preConversion 4
};
// Null for a type outside 0-11.
const StereoTypeInfo *StereoTypeTable(int sType);
// The view size of a frame of w x h for the type.
void StereoViewSize(int sType, int w, int h, int *viewWidth, int *viewHeight);

// entry i = trunc(255 x (i / 255)^(100 / g)) for i < 256, entries 256-299
// repeat the last value.
enum { kGammaEntries = 300 };
void BuildGammaTable(int gammaHundredths, int *table);

// One view (the view by the code's units digit) into target.
void SplitSideBySideView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount);
void SplitOverUnderView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount);
void SplitInterlacedView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount);
void AnaglyphViewToGrey(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount);
void ColourAnaglyphView(PackedDib *target, int code, const PackedDib *source, int width, int height, int bitCount);

// Both views of one frame at once.
void SplitSideBySideFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                          int bitCount);
void SplitOverUnderFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                         int bitCount);
void SplitInterlacedFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                          int bitCount);
void SplitAnaglyphFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                        int bitCount);
void SplitColourAnaglyphFrame(PackedDib *first, PackedDib *second, const PackedDib *source, int width, int height,
                              int bitCount);

// New 24-bit frames (null when memory is short or the source unusable):
// twice the width, odd columns interpolated;
PackedDib *DoubleDibWidth(const PackedDib *frame);
// twice the height, odd rows interpolated (flag 0), or each half stretched
// from 47.5 % of the source height, the middle 5 % dropped (flag 1);
PackedDib *DoubleDibHeight(const PackedDib *frame, int flag);
// turned a quarter: kind 0 clockwise, 1 counter-clockwise, 2 the left half
// counter-clockwise into the upper half and the right half clockwise into
// the lower half, 3 the other way round;
PackedDib *RotateStereoFrame(const PackedDib *frame, int kind);
// turn codes: 1 quarter counter-clockwise, 2 quarter clockwise, 3 half
// turn, 4 left-right mirror, other top-bottom mirror;
PackedDib *RotateDib(const PackedDib *frame, int code);
// line-interlaced to over/under at twice the height, rows of parity p to
// the lower half;
PackedDib *InterleavedToOverUnder(const PackedDib *frame, int parity);
// the same at the same height.
PackedDib *InterleavedToOverUnderHalf(const PackedDib *frame, int parity);

// Rows parity, parity + 2, ... of the source into target (24 bits), whose
// height becomes source height / 2. Returns the target's row bytes; 0 when
// nothing was copied.
int ExtractField(PackedDib *target, const PackedDib *source, int parity);

// Each half of a 24-bit frame centred on its own canvas, the other canvas
// pixels untouched; nothing when a canvas is smaller than the half frame.
void SplitSideBySideCentred(PackedDib *leftCanvas, PackedDib *rightCanvas, const PackedDib *frame);

#endif
