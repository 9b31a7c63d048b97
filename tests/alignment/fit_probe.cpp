// Runs the control-point fit on a file and prints the values it stored,
// for the checks on synthetic control points.
//   fit_probe FILE W H [--items DIGITS] [--rule N] [--percent N] [--input N]
#include "alignment/control_points.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: fit_probe FILE W H [--items DIGITS] [--rule N] [--percent N] [--input N]\n");
        return 2;
    }
    g_nImageWidth = atoi(argv[2]);
    g_nImageHeight = atoi(argv[3]);
    for (int i = 4; i + 1 < argc; i += 2) {
        const int v = atoi(argv[i + 1]);
        if (!strcmp(argv[i], "--items"))
            UnpackAdjustItems(v);
        else if (!strcmp(argv[i], "--rule"))
            g_nDeviationMode = v;
        else if (!strcmp(argv[i], "--percent"))
            g_nDeviationPercent = v;
        else if (!strcmp(argv[i], "--input"))
            g_nAutopara = v;
    }
    const int n = FitControlPoints(argv[1]);
    printf("points %d\nmatched %d\n", n, g_nMatchedPoints);
    printf("rotation_l %d\nrotation_r %d\nsize_l %d\nsize_r %d\n", g_nRotationL, g_nRotationR, g_nSize1000L,
           g_nSize1000R);
    printf("shift_x %d\nshift_y %d\n", g_nShiftX, g_nShiftY);
    printf("perspective_vl %d\nperspective_vr %d\nperspective_hl %d\nperspective_hr %d\n", g_nPerspectiveVL,
           g_nPerspectiveVR, g_nPerspectiveHL, g_nPerspectiveHR);
    printf("near_far %d\nmean_error %.6f\n", g_nNearFarPoint, g_dMeanErrorH);
    return 0;
}
