// The three movie records the application opens into: left, right and the
// third (the save target of the copying saves). state/app_state.h
// declares them beside the pair pointers that point at them.
#ifndef TWR_SOURCES_MOVIE_RECORDS_H
#define TWR_SOURCES_MOVIE_RECORDS_H

#include "sources/movie_source.h"
#include "state/app_state.h"

// Closes the three records (as at start) and points the pair at its own
// records.
void ResetMovieRecords();

#endif
