#include "alignment/frame_adjustment.h"

#include "alignment/alignment_state.h"

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

// A side scaled by (1000 + size) / 1000, kept at least 1 pixel.
int ScaledSide(int side, int size)
{
    const int64_t v = (int64_t)side * (1000 + (int64_t)size) / 1000;
    return v < 1 ? 1 : v > kDibMaxSide + 1 ? kDibMaxSide + 1 : (int)v;
}

// The mesh of one eye of a w x h frame: the corrections, and the size
// change as a resampling of the corrected mesh (enlarging; the warped frame
// is then cut back by *crop) or of an identity mesh padded back to the
// frame size (shrinking).
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
        const int nw = ScaledSide(t->width, e.size), nh = ScaledSide(t->height, e.size);
        crop->left = (nw - t->width) / 2;
        crop->top = (nh - t->height) / 2;
        crop->right = t->width + crop->left;
        crop->bottom = t->height + crop->top;
        mesh = ResampleMesh(t, nw, nh);
        FreeMesh(t);
    } else if (e.size < 0) {
        DisplacementMesh *r = ResampleMesh(m, ScaledSide(w, e.size), ScaledSide(h, e.size));
        FreeMesh(m);
        if (!r)
            return nullptr;
        DisplacementMesh *p = PadMesh(r, w, h);
        FreeMesh(r);
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
