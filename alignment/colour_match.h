// Colour matching of the two views: one image of the pair is made to look
// like the other by histogram matching, separately for red, green and
// blue. The second per-frame hook, run on the fetched (and, when an
// alignment is in force, warped) pair while g_nAutoColour is not 0.
#ifndef TWR_ALIGNMENT_COLOUR_MATCH_H
#define TWR_ALIGNMENT_COLOUR_MATCH_H

#include "shared/packed_dib.h"

// With g_nAutoColour 1 the right frame is changed to match the left, with
// any other value the left frame to match the right. The target is changed
// in place, so it must be a frame the caller may change (not a decoder's
// own picture, which a later fetch hands out again). Both frames are 24-bit
// and of one size; a pair that is not is left alone (the counts are
// absolute, so frames of different sizes cannot be matched). Returns 0.
int MatchColours(PackedDib *left, PackedDib *right);

#endif
