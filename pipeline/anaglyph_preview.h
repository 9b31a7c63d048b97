// The anaglyph settings dialog's preview: the two eye pictures (already
// scaled to the preview's size) composed as the chosen anaglyph type with
// the dialog's own gammas, and the mean density each eye contributes.
#ifndef TWR_PIPELINE_ANAGLYPH_PREVIEW_H
#define TWR_PIPELINE_ANAGLYPH_PREVIEW_H

#include "shared/packed_dib.h"

// Anaglyph types of the dialog: 0-2 grey red-cyan, red-green, red-blue;
// 3 colour red-cyan; 4 red-cyan with the red from luma; 5 grey yellow-blue;
// 6 colour yellow-blue; 7 yellow-blue with the blue from luma.
enum { kAnaglyphDialogTypes = 8 };

// Preview views: 0 both eyes, 1 the left eye's channels only, 2 the right
// eye's only.
enum { kPreviewBoth = 0, kPreviewLeftOnly = 1, kPreviewRightOnly = 2 };

// A new 24-bit frame of the left picture's size, or null when a picture is
// missing, not 24 or 32 bits, the right one is smaller than the left, the
// type is unknown or memory is short (the means are then left alone).
// Types 5-7 go to ComposeAnaglyphPreviewYellowBlue.
PackedDib *ComposeAnaglyphPreview(const PackedDib *left, int gammaLeft, int *meanLeft, const PackedDib *right,
                                  int gammaRight, int *meanRight, int type, int view);
PackedDib *ComposeAnaglyphPreviewYellowBlue(const PackedDib *left, int gammaLeft, int *meanLeft,
                                            const PackedDib *right, int gammaRight, int *meanRight, int type,
                                            int view);

#endif
