// The pair of eye images of one time step, the one operation through which
// every renderer, player and saver reads frames.
#ifndef TWR_SOURCES_STEREO_PAIR_H
#define TWR_SOURCES_STEREO_PAIR_H

#include "sources/movie_source.h"

// Fetches frame leftIndex of left and rightIndex of right (indices include
// each record's nStart) and leaves each eye's 24-bit image in the record's
// pCurrent, with nWidth/nHeight describing it. Two separate movies get the
// open options (deinterlace, discard a field, turn or mirror per eye); one
// file in both records (nLayout not 0) is cut into its two views. 0 on
// success, 1 when a frame cannot be fetched.
int GetStereoFramePair(MovieSource *left, int leftIndex, MovieSource *right, int rightIndex);

// One record's frame index (nStart included) as a bottom-up 24-bit image
// in its pCurrent, deinterlaced when the record asks for it: what a
// display of a single stereo file starts from. 0, or 1 when the frame
// cannot be fetched or converted.
int FetchMovieFrame24(MovieSource *m, int index);

// Sets up two records that hold the same stereo file for input stereo type
// sType: their layout codes and the view size their pView describes.
// False for an unknown type.
bool SetupStereoFileRecords(MovieSource *left, MovieSource *right, int sType);

#endif
