#include "sources/movie_records.h"

MovieSource g_leftMovie, g_rightMovie, g_thirdMovie;

void ResetMovieRecords()
{
    InitMovieSource(&g_leftMovie);
    InitMovieSource(&g_rightMovie);
    InitMovieSource(&g_thirdMovie);
    g_pThird = &g_thirdMovie;
    SetPairRecords(&g_leftMovie, &g_rightMovie);
}
