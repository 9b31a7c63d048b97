// Reading one frame of a record into its pDecoded, whatever its kind: the
// AVIFile frame getter, the own AVI reader or a plug-in. Supplied by the
// platform layer (frame_fetch_win32.cpp); 0 on success, 1 when the frame
// cannot be read.
#ifndef TWR_SOURCES_FRAME_FETCH_H
#define TWR_SOURCES_FRAME_FETCH_H

#include "sources/movie_source.h"

int FetchMovieFrame(MovieSource *m, int index);

#endif
