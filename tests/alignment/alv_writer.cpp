// Writes a value file from the values given on the command line, through
// the program's own writer, for the check with an outside INI reader.
//   alv_writer MOVIE_PATH rotL rotR sizeL sizeR shiftX shiftY pvL pvR phL phR
//              barrelL barrelR nearFar width height meanError
#include "alignment/alignment_file.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    if (argc != 18) {
        fprintf(stderr, "alv_writer: 17 arguments expected\n");
        return 2;
    }
    int *const targets[] = {&g_nRotationL, &g_nRotationR, &g_nSize1000L, &g_nSize1000R, &g_nShiftX,
                            &g_nShiftY, &g_nPerspectiveVL, &g_nPerspectiveVR, &g_nPerspectiveHL,
                            &g_nPerspectiveHR, &g_nBarrelL, &g_nBarrelR, &g_nNearFarPoint, &g_nImageWidth,
                            &g_nImageHeight};
    for (int i = 0; i < 15; i++)
        *targets[i] = atoi(argv[2 + i]);
    g_dMeanErrorH = atof(argv[17]);
    g_nPersShiftL = 5;   // cleared by the writer
    SaveAlignmentFile(argv[1]);
    return 0;
}
