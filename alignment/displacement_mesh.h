// Displacement meshes: for every output pixel, the position in the source
// frame it is taken from. Corrections (barrel, rotation, perspective, size)
// are built as meshes that sample the previous mesh, so they compose, and one
// warp per frame applies the result.
//
// A mesh is one locked global-memory block: width and height (32-bit
// signed), then width x height points (x, y), 32-bit signed, row by row with
// rows in the bottom-up order of packed DIBs; positions are in 1/1024 pixel,
// y counted from the bottom row. A position outside the source (negative, or
// at or beyond its width or height) gives a black pixel.
#ifndef TWR_ALIGNMENT_DISPLACEMENT_MESH_H
#define TWR_ALIGNMENT_DISPLACEMENT_MESH_H

#include "shared/packed_dib.h"

#include <stddef.h>
#include <stdint.h>

struct DisplacementMesh {
    int32_t width;
    int32_t height;
    // followed by width x height (x, y) pairs
};

inline int32_t *MeshPoints(DisplacementMesh *mesh) { return reinterpret_cast<int32_t *>(mesh + 1); }
inline const int32_t *MeshPoints(const DisplacementMesh *mesh)
{
    return reinterpret_cast<const int32_t *>(mesh + 1);
}
// Point (column, row): two ints, x then y.
inline int32_t *MeshPoint(DisplacementMesh *mesh, int column, int row)
{
    return MeshPoints(mesh) + 2 * ((size_t)row * (size_t)mesh->width + (size_t)column);
}
inline const int32_t *MeshPoint(const DisplacementMesh *mesh, int column, int row)
{
    return MeshPoints(mesh) + 2 * ((size_t)row * (size_t)mesh->width + (size_t)column);
}

// Header filled, points not. Null when memory is short or a side is outside
// 1..32767 (no frame of that size could be warped).
DisplacementMesh *AllocMesh(int width, int height);
void FreeMesh(DisplacementMesh *mesh);
// Point (c, r) := (c x 1024, r x 1024).
void InitIdentityMesh(DisplacementMesh *mesh);

// The frame warped through the mesh: a new zero-filled 24-bit frame of the
// mesh's size. Bilinear when g_bResample is 1 (the last source column and
// row are then never sampled), nearest pixel otherwise. Null when the
// source is not a 24-bit frame or memory is short.
PackedDib *WarpDibByMesh(const DisplacementMesh *mesh, const PackedDib *source);

// Every builder returns a new mesh and leaves its input alone; null when
// memory is short. Angles in tenths of a degree.
DisplacementMesh *BuildBarrelMesh(const DisplacementMesh *mesh, int value);
// width and height 0 keep the input's size.
DisplacementMesh *BuildRotationMesh(const DisplacementMesh *mesh, int angle, int width, int height);
// Turns about the vertical axis (horizontal keystone).
DisplacementMesh *BuildPerspectiveVMesh(const DisplacementMesh *mesh, int angle, int width, int height);
DisplacementMesh *BuildPerspectiveRotationVMesh(const DisplacementMesh *mesh, int angle, int width, int height);
// Turns about the horizontal axis (vertical keystone); the canvas
// (g_nCanvasHeight) makes the mesh taller (wider for the rotation kind) and
// shift shears the rows by shift / 256 pixel per source row.
DisplacementMesh *BuildPerspectiveHMesh(const DisplacementMesh *mesh, int angle, int width, int height, int shift);
DisplacementMesh *BuildPerspectiveRotationHMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                               int shift);
// The same builders with the lens and the canvas given rather than taken
// from the alignment values (g_nHalfFov, g_nCanvasHeight).
struct PerspectiveSetup {
    int halfFov;        // 0.1 degree, limited to 1..899 as LensHalfFov limits it
    int canvasHeight;   // canvas enlargement of the perspective-H kinds
};
PerspectiveSetup CurrentPerspectiveSetup();
DisplacementMesh *BuildPerspectiveVMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                        const PerspectiveSetup &setup);
DisplacementMesh *BuildPerspectiveRotationVMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                                const PerspectiveSetup &setup);
DisplacementMesh *BuildPerspectiveHMesh(const DisplacementMesh *mesh, int angle, int width, int height, int shift,
                                        const PerspectiveSetup &setup);
DisplacementMesh *BuildPerspectiveRotationHMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                                int shift, const PerspectiveSetup &setup);
DisplacementMesh *ResampleMesh(const DisplacementMesh *mesh, int width, int height);
// The input scaled by (1000 + size1000) / 1000 about its centre, at its own
// size (the factor at least 1/1000); points that fall outside the input
// have no source.
DisplacementMesh *BuildScaleMesh(const DisplacementMesh *mesh, int size1000);
// The input centred in a mesh of width x height whose other points have no
// source.
DisplacementMesh *PadMesh(const DisplacementMesh *mesh, int width, int height);

// The corrections of one eye in their fixed order (barrel, rotation,
// perspective V, perspective H); otherPerspectiveH is the other eye's, which
// decides whether this eye gets the canvas too.
DisplacementMesh *BuildCorrectionMesh(const DisplacementMesh *mesh, int barrel, int rotation, int perspectiveV,
                                      int perspectiveH, int otherPerspectiveH, int width, int height, int shift);

#endif
