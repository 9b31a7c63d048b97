// Puts the alignment values and settings into their start values for each
// test, and small helpers for meshes.
#ifndef TWR_TESTS_ALIGNMENT_FIXTURE_H
#define TWR_TESTS_ALIGNMENT_FIXTURE_H

#include "alignment/displacement_mesh.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <gtest/gtest.h>

#include <memory>
#include <string.h>

struct MeshDeleter {
    void operator()(DisplacementMesh *m) const { FreeMesh(m); }
};
using MeshPtr = std::unique_ptr<DisplacementMesh, MeshDeleter>;

inline MeshPtr IdentityMesh(int w, int h)
{
    MeshPtr m(AllocMesh(w, h));
    if (m)
        InitIdentityMesh(m.get());
    return m;
}

struct MeshPos {
    int x, y;
    bool operator==(const MeshPos &o) const { return x == o.x && y == o.y; }
};

inline std::ostream &operator<<(std::ostream &os, const MeshPos &p)
{
    return os << "(" << p.x << ", " << p.y << ")";
}

inline MeshPos PointOf(const DisplacementMesh *m, int c, int r)
{
    const int32_t *p = MeshPoint(m, c, r);
    return {p[0], p[1]};
}

inline bool SameMesh(const DisplacementMesh *a, const DisplacementMesh *b)
{
    return a->width == b->width && a->height == b->height &&
           memcmp(MeshPoints(a), MeshPoints(b), (size_t)a->width * a->height * 8) == 0;
}

class AlignmentTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        ResetAlignmentValuesForNewPair();
        g_nHalfFov = kHalfFovStart;
        g_nPersShiftL = g_nPersShiftR = 0;
        g_nCanvasHeight = 0;
        g_nBarrelL = g_nBarrelR = 0;
        g_nNearFarPoint = 0;
        g_nImageWidth = g_nImageHeight = 0;
        g_dMeanErrorH = 0;
        g_nMatchedPoints = 0;
        g_nAlvFileMode = kAlvAsk;
        g_bAllFrameAdjust = 0;
        g_nShiftX = g_nShiftY = 0;
        g_szAutopanoFolder[0] = 0;
        g_bHideToolWindow = 0;
        g_nAutopara = 0;
        g_nDeviationMode = 1;
        g_nDeviationPercent = 30;
        g_nBarrel = 5100;
        g_bNoAlignReport = 0;
        g_bResample = 1;
        g_bAutoCrop = 1;
        g_bAllFrameSetting = 0;
        g_nPmax = 5;
        UnpackAdjustItems(111100);
        g_nAutopanoTool = kToolBuiltIn;
    }
};

#endif
