#include "alignment/frame_adjustment.h"

#include "state/alignment_state.h"

#include <stdint.h>

int g_bAdjustActive = 0;
DisplacementMesh *g_pMeshLeft = nullptr, *g_pMeshRight = nullptr;
RECT g_rcEnlargeCropL = {0, 0, 0, 0}, g_rcEnlargeCropR = {0, 0, 0, 0};
int g_bFrameLogRead = 0;
int g_bFrameLogWrite = 0;
char g_szFrameLogPath[kFrameLogPathBytes];
int g_nAdjustFrameNo = 0;
CropRect g_rcFrameCrop = {0, 0, 0, 0};

namespace {

struct EyeValues {
    int barrel, rotation, perspectiveV, perspectiveH, otherPerspectiveH, size, shift;
};

// Whether the correction chain of an eye runs its perspective-H stage,
// which is where the canvas enlargement takes effect: always for a
// perspective-H angle of either eye; for the canvas alone only when the
// chain has more than one stage of barrel, rotation and perspective V
// (barrel alone and rotation alone are single stages).
bool RunsPerspectiveH(const EyeValues &e)
{
    if (e.perspectiveH != 0 || e.otherPerspectiveH != 0)
        return true;
    if (g_nCanvasHeight == 0)
        return false;
    if (e.barrel != 0)
        return e.rotation != 0 || e.perspectiveV != 0;
    return e.rotation != 0 && e.perspectiveV != 0;
}

DisplacementMesh *Identity(int w, int h)
{
    DisplacementMesh *m = AllocMesh(w, h);
    if (m)
        InitIdentityMesh(m);
    return m;
}

// The mesh of one eye of a w x h frame: the corrections and the size
// change, each about the frame's centre, the enlarged or shrunk picture at
// the frame's own size. (Sizes worked out as whole pixels would put the
// picture off its centre by half a pixel and scale it by up to a pixel
// less than asked, as much vertical disparity as the alignment removes.)
// An enlarged eye then needs no cut: its window is the whole frame.
DisplacementMesh *BuildEyeMesh(int w, int h, const EyeValues &e, RECT *crop)
{
    DisplacementMesh *m = Identity(w, h);
    if (!m)
        return nullptr;
    DisplacementMesh *mesh = nullptr;
    if (e.size > 0) {
        DisplacementMesh *t = BuildCorrectionMesh(m, e.barrel, e.rotation, e.perspectiveV, e.perspectiveH,
                                                  e.otherPerspectiveH, 0, 0, e.shift);
        FreeMesh(m);
        if (!t)
            return nullptr;
        mesh = BuildScaleMesh(t, e.size);
        crop->left = crop->top = 0;
        crop->right = t->width;
        crop->bottom = t->height;
        FreeMesh(t);
    } else if (e.size < 0) {
        DisplacementMesh *p = BuildScaleMesh(m, e.size);
        FreeMesh(m);
        if (!p)
            return nullptr;
        mesh = BuildCorrectionMesh(p, e.barrel, e.rotation, e.perspectiveV, e.perspectiveH, e.otherPerspectiveH, w,
                                   h, e.shift);
        FreeMesh(p);
    } else {
        mesh = BuildCorrectionMesh(m, e.barrel, e.rotation, e.perspectiveV, e.perspectiveH, e.otherPerspectiveH, 0, 0,
                                   e.shift);
        FreeMesh(m);
    }
    return mesh;
}

} // namespace

void FreeAlignmentMeshes()
{
    FreeMesh(g_pMeshLeft);
    FreeMesh(g_pMeshRight);
    g_pMeshLeft = g_pMeshRight = nullptr;
}

int BuildAlignmentMeshes(HWND owner, const PackedDib *leftFrame, const PackedDib *rightFrame)
{
    FreeAlignmentMeshes();
    if (!leftFrame || !rightFrame)
        return 1;
    EyeValues left = {g_nBarrelL,      g_nRotationL,  g_nPerspectiveVL, g_nPerspectiveHL,
                      g_nPerspectiveHR, g_nSize1000L, g_nPersShiftL};
    EyeValues right = {g_nBarrelR,      g_nRotationR,  g_nPerspectiveVR, g_nPerspectiveHR,
                       g_nPerspectiveHL, g_nSize1000R, g_nPersShiftR};
    // The canvas goes to both eyes or to neither: an eye whose chain would
    // skip the perspective-H stage is made to run it at angle 0 (any
    // non-zero value of the other eye's angle selects the stage; the angle
    // itself is not used).
    const bool l = RunsPerspectiveH(left), r = RunsPerspectiveH(right);
    if (g_nCanvasHeight != 0 && l != r) {
        if (!l)
            left.otherPerspectiveH = 1;
        else
            right.otherPerspectiveH = 1;
    }
    g_pMeshLeft = BuildEyeMesh(DibWidth(leftFrame), DibHeight(leftFrame), left, &g_rcEnlargeCropL);
    g_pMeshRight = BuildEyeMesh(DibWidth(rightFrame), DibHeight(rightFrame), right, &g_rcEnlargeCropR);
    if (!g_pMeshLeft || !g_pMeshRight) {
        FreeAlignmentMeshes();
        return 1;
    }
    return 0;
}
