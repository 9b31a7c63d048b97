// Composition kernels: the left and right eye frames of one time step
// turned into the picture of a stereo display format, the decorations
// drawn on frames, and the tables the kernels read.
//
// Pair kernels take the settings record, the output (made by the caller at
// the region's size, 24 bits), the two eye frames and the four crop origins
// in the order of ShiftToCropMargins (right column, right row, left column,
// left row). They apply the record's trimming themselves and return the
// output, or null (writing nothing) when a frame is missing or unusable.
// Nothing but their arguments is read: the record is made once per frame by
// ComposeSettingsFromState (pipeline/compose_settings.h) from the program's
// settings, or filled by hand.
#ifndef TWR_PIPELINE_COMPOSE_H
#define TWR_PIPELINE_COMPOSE_H

#include "shared/packed_dib.h"

// Everything the kernels read besides their frames and crop origins.
struct ComposeSettings {
    // The trimming: while trimmed, kernels read only trim of the common
    // region (top-down, right and bottom exclusive). Read by every pair
    // kernel, the scaled interlace, the soft border and the GDI kernels.
    bool trimmed;
    RECT trim;
    const RECT *Trim() const { return trimmed ? &trim : nullptr; }
    // Grey anaglyph variant of ComposeGreyAnaglyph and ComposeFastAnaglyph
    // (0 red-cyan, 1 red-green, 2 red-blue, 3 yellow-blue; others red-cyan),
    // and of the border colour of a saved grey anaglyph.
    int greyVariant;
    // Colour anaglyph variant of ComposeColourAnaglyph (0 red-cyan, 1
    // red-cyan with the left eye's luma, 2 yellow-blue, 3 yellow-blue with
    // the left eye's luma; 2 and 3 also for the yellow-blue kernel), and of
    // the border colour of a saved colour anaglyph.
    int colourVariant;
    // The anaglyph gammas in hundredths, left and right eye, and their
    // tables (BuildAnaglyphGammaTable). A channel taken from the left frame
    // goes through gammaTableLeft, one from the right through
    // gammaTableRight. The colour anaglyphs always use the tables; the grey
    // ones skip them when both gammas are 100 and no frame is paletted.
    int gammaLeft, gammaRight;
    int gammaTableLeft[256], gammaTableRight[256];
    // Side by side through GDI, mirrored left to right: 1 the right
    // picture, 2 the left one, 3 both; 0 neither.
    int mirror;
    // ComposeChromaKey: the key colour (red in the low byte) and its
    // tolerance 0-30.
    COLORREF chromaKey;
    int chromaTolerance;
    // ApplySoftBorder: width of the darkened band in pixels (0 none).
    int softBorderWidth;
    // DrawSaveBorder: width of the frame border in pixels (0 none) and its
    // colour (red in the low byte).
    int frameWidth;
    COLORREF frameColour;
    // ComposeIz3d: the linear-light iZ3D table (BuildIz3dTable,
    // LoadIZ3DTable); null makes the kernel return null.
    const unsigned short *iz3dTable;
};

// Luma and fast grey of a pixel (blue, green, red bytes).
int PixelLuma(int b, int g, int r);
inline int PixelFastGrey(int g, int r) { return (g + r) / 2; }

// Grey anaglyphs from the luma (or the fast grey): greyVariant and the
// gammas; the yellow-blue kernels take yellow-blue whatever the variant.
PackedDib *ComposeGreyAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                               int rr, int lc, int lr);
PackedDib *ComposeGreyAnaglyphYellowBlue(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right,
                                         int rc, int rr, int lc, int lr);
PackedDib *ComposeFastAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                               int rr, int lc, int lr);
PackedDib *ComposeFastAnaglyphYellowBlue(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right,
                                         int rc, int rr, int lc, int lr);
// Colour anaglyphs: colourVariant and the gamma tables.
PackedDib *ComposeColourAnaglyph(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                                 int rr, int lc, int lr);
PackedDib *ComposeColourAnaglyphYellowBlue(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right,
                                           int rc, int rr, int lc, int lr);
// Row and column interlace and the blend: the trimming alone.
PackedDib *ComposeInterlace(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                            int rr, int lc, int lr);
PackedDib *ComposeColumnInterlace(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                                  int rr, int lc, int lr);
PackedDib *ComposeBlend(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                        int lc, int lr);
// Chroma key: chromaKey and chromaTolerance.
PackedDib *ComposeChromaKey(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc,
                            int rr, int lc, int lr);
// iZ3D: iz3dTable. The output is twice the region width: front panel, then
// back panel.
PackedDib *ComposeIz3d(const ComposeSettings &cs, PackedDib *out, PackedDib *left, PackedDib *right, int rc, int rr,
                       int lc, int lr);

// Row interlace rebuilt at another height: a new frame of the region's
// width by outHeight rows (even, at least 2). 24-bit frames only. Reads the
// trimming.
PackedDib *ComposeInterlaceScaled(const ComposeSettings &cs, PackedDib *left, PackedDib *right, int rc, int rr, int lc,
                                  int lr, int outHeight);

// Single-frame kernels, for one frame that carries both views: the first
// view is read from (c2, c3), the second from (dx + c0, dy + c1). swap 1
// takes the second view as the left eye. Each returns a new 24-bit frame.
// The anaglyphs take their variant as an argument and read the gammas and
// their tables (the grey ones skip the tables when both gammas are 100);
// the interlace reads no settings.
PackedDib *ComposeGreyAnaglyphSbs(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3, int swap,
                                  int dx, int dy, int variant);
PackedDib *ComposeGreySbsYellowBlue(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3,
                                    int swap, int dx, int dy, int variant);
PackedDib *ComposeColourAnaglyphSbs(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3,
                                    int swap, int dx, int dy, int variant);
PackedDib *ComposeColourSbsYellowBlue(const ComposeSettings &cs, PackedDib *frame, int c0, int c1, int c2, int c3,
                                      int swap, int dx, int dy, int variant);
PackedDib *ComposeInterlaceSbs(PackedDib *frame, int c0, int c1, int c2, int c3, int swap, int dx, int dy);

// Darkens the edges of the common region of both frames in place, in a
// band of softBorderWidth pixels; with blackOutside 1 everything outside
// each frame's region becomes black. Reads the trimming.
void ApplySoftBorder(const ComposeSettings &cs, PackedDib *left, PackedDib *right, int rc, int rr, int lc, int lr,
                     int blackOutside);
// Draws the frame border of a saved picture in place: frameWidth pixels of
// frameColour; in an anaglyph layout its grey, in the channels the
// anaglyph variant (greyVariant or colourVariant) shows. Returns 0.
int DrawSaveBorder(const ComposeSettings &cs, PackedDib *picture, int saveLayout);

// table[i] = trunc(255 x (i / 255)^(100 / gammaHundredths)).
void BuildAnaglyphGammaTable(int gammaHundredths, int *table);

// The iZ3D table in linear light from the bytes of its resource (256 rows x
// 512 columns x 3 channels). The result is a locked global block of
// 2 x count bytes, freed with FreeGlobalBlock.
enum { kIz3dTableEntries = 256 * 512 * 3 };
unsigned short *BuildIz3dTable(const unsigned char *bytes, int count);
// The same from the program's "IZ3D" resource (Windows build).
unsigned short *LoadIZ3DTable();

#endif
