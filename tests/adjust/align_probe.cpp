// The automatic alignment of one pair of PPM frames, as command 2059 runs
// it, and what it leaves for the check: the values, both eyes' meshes and
// the region the view would show. check_alignment_accuracy.py measures the
// residual vertical disparity from them.
//   align_probe left.ppm right.ppm outfolder items [tool folder kind]
// items: the six adjustment flags as digits ("111100" is the default).
#include "alignment/auto_align.h"
#include "alignment/crop_rect.h"
#include "alignment/frame_adjustment.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"
#include "tests/adjust/ppm_frames.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {

bool WriteMesh(const std::string &path, const DisplacementMesh *mesh)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const size_t n = 2 + (size_t)mesh->width * mesh->height * 2;
    const bool ok = fwrite(mesh, 4, n, f) == n;
    return fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    DibPtr left = LoadPpm(argv[1]), right = LoadPpm(argv[2]);
    if (!left || !right) {
        fprintf(stderr, "cannot read the frames\n");
        return 2;
    }
    const std::string out = argv[3];
    UnpackAdjustItems(atoi(argv[4]));
    if (argc >= 7) {
        snprintf(g_szAutopanoFolder, sizeof g_szAutopanoFolder, "%s", argv[5]);
        g_nAutopanoTool = atoi(argv[6]);
    }
    g_bHideToolWindow = 1;
    g_pAdjustDibL = left.get();
    g_pAdjustDibR = right.get();
    // A movie path that names no file: nothing is kept beside it.
    RunAutoAlignPasses(nullptr, "Z:\\nonexistent\\movie.avi");

    if (BuildAlignmentMeshes(nullptr, left.get(), right.get()) != 0) {
        fprintf(stderr, "no meshes\n");
        return 1;
    }
    // The region the view shows: the crop origins of the offsets, and the
    // automatic trimming of the activation.
    const int w = DibWidth(left.get()), h = DibHeight(left.get());
    int margins[4];
    ShiftToCropMargins(margins, w, h, g_nShiftX, g_nShiftY, g_bAllFrameAdjust);
    CropRect r;
    ComputeCropRect(&r, left.get(), g_nRotationL, g_nRotationR, g_nPerspectiveVL, g_nPerspectiveVR, g_nPerspectiveHL,
                    g_nPerspectiveHR, g_nSize1000L + 1000, g_nSize1000R + 1000);
    const int trimRight = r.left + (r.right - abs(g_nShiftX) - r.left) / 4 * 4;
    const int trimBottom = r.top + (r.bottom - abs(g_nShiftY) - r.top) / 2 * 2;

    FILE *f = fopen((out + "/values.txt").c_str(), "w");
    if (!f)
        return 2;
    fprintf(f, "RotationL=%d\nRotationR=%d\nSizeL=%d\nSizeR=%d\nShiftX=%d\nShiftY=%d\n", g_nRotationL, g_nRotationR,
            g_nSize1000L, g_nSize1000R, g_nShiftX, g_nShiftY);
    fprintf(f, "PerspectiveVL=%d\nPerspectiveVR=%d\nPerspectiveHL=%d\nPerspectiveHR=%d\n", g_nPerspectiveVL,
            g_nPerspectiveVR, g_nPerspectiveHL, g_nPerspectiveHR);
    fprintf(f, "MatchedPoints=%d\nMeanErrorH=%f\n", g_nMatchedPoints, g_dMeanErrorH);
    fprintf(f, "Margins=%d,%d,%d,%d\n", margins[0], margins[1], margins[2], margins[3]);
    fprintf(f, "Trim=%d,%d,%d,%d\n", r.left, r.top, trimRight, trimBottom);
    fprintf(f, "EnlargeL=%d,%d\nEnlargeR=%d,%d\n", g_nSize1000L > 0 ? (int)g_rcEnlargeCropL.left : 0,
            g_nSize1000L > 0 ? (int)g_rcEnlargeCropL.top : 0, g_nSize1000R > 0 ? (int)g_rcEnlargeCropR.left : 0,
            g_nSize1000R > 0 ? (int)g_rcEnlargeCropR.top : 0);
    fclose(f);
    if (!WriteMesh(out + "/mesh_l.bin", g_pMeshLeft) || !WriteMesh(out + "/mesh_r.bin", g_pMeshRight))
        return 2;
    return 0;
}
