// The preview's warps: the alignment core's meshes applied to 8-bit grey
// images. The rotation, the one warp a slider step of the dialog usually
// asks for, computes its positions row by row as BuildRotationMesh does on
// an identity mesh, without making the mesh; the perspective warps and the
// chains go through the builders and sample once.
#include "alignment/adjust_preview.h"

#include "alignment/displacement_mesh.h"
#include "state/alignment_state.h"
#include "state/app_state.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

namespace {


struct GreySource {
    const BYTE *bits;
    int rowBytes, w, h;
    explicit GreySource(const PackedDib *d)
        : bits(FindDibBits(d)), rowBytes(DibRowBytes(DibWidth(d), 8)), w(DibWidth(d)), h(DibHeight(d))
    {
    }
    BYTE At(int x, int row) const { return bits[(size_t)row * rowBytes + x]; }
};

// Bilinear through the product table: fx and fy are 8-bit fractions.
inline BYTE Blend(const GreySource &s, int x, int row, unsigned fx, unsigned fy)
{
    const BYTE *t = g_blendTable;
    const BYTE *p0 = s.bits + (size_t)row * s.rowBytes + x;
    const BYTE *p1 = p0 + s.rowBytes;
    const unsigned top = (t[p0[0] * 256 + 255 - fx] + t[p0[1] * 256 + fx]) & 255;
    const unsigned bottom = (t[p1[0] * 256 + 255 - fx] + t[p1[1] * 256 + fx]) & 255;
    return (BYTE)(t[top * 256 + 255 - fy] + t[bottom * 256 + fy]);
}

// The pixel a mesh position (1/1024 pixel) gives, as WarpDibByMesh gives
// it; false when it has no source.
inline bool SamplePosition(const GreySource &s, int32_t X, int32_t Y, bool nearest, BYTE *out)
{
    const int x = X >> 10, row = Y >> 10;
    if (nearest) {
        if (x < 0 || row < 0 || x >= s.w || row >= s.h)
            return false;
        *out = s.At(x, row);
        return true;
    }
    if (X < 0 || Y < 0 || x >= s.w - 1 || row >= s.h - 1)
        return false;
    *out = Blend(s, x, row, (unsigned)(X >> 2) & 255, (unsigned)(Y >> 2) & 255);
    return true;
}

PackedDib *WarpByMesh(const PackedDib *image, const DisplacementMesh *mesh, bool nearest)
{
    if (!mesh)
        return nullptr;
    PackedDib *out = NewGreyPreviewImage(mesh->width, mesh->height);
    if (!out)
        return nullptr;
    const GreySource s(image);
    const int rowBytes = DibRowBytes(mesh->width, 8);
    for (int r = 0; r < mesh->height; r++) {
        const int32_t *p = MeshPoint(mesh, 0, r);
        BYTE *d = FindDibBits(out) + (size_t)r * rowBytes;
        for (int c = 0; c < mesh->width; c++, p += 2)
            SamplePosition(s, p[0], p[1], nearest, d + c);
    }
    return out;
}

struct MeshFree {
    DisplacementMesh *m;
    ~MeshFree() { FreeMesh(m); }
};

DisplacementMesh *Identity(const PackedDib *image)
{
    DisplacementMesh *m = AllocMesh(DibWidth(image), DibHeight(image));
    if (m)
        InitIdentityMesh(m);
    return m;
}

PerspectiveSetup SetupOf(const AdjustPreviewRequest &r)
{
    PerspectiveSetup s;
    s.halfFov = r.halfFov;
    s.canvasHeight = r.canvasHeight;
    return s;
}

DisplacementMesh *PerspectiveVMesh(const DisplacementMesh *m, int angle, const AdjustPreviewRequest &r)
{
    return r.reversePerspective == 1 ? BuildPerspectiveRotationVMesh(m, angle, 0, 0, SetupOf(r))
                                     : BuildPerspectiveVMesh(m, angle, 0, 0, SetupOf(r));
}

DisplacementMesh *PerspectiveHMesh(const DisplacementMesh *m, int angle, int shift, const AdjustPreviewRequest &r)
{
    return r.reversePerspective == 1 ? BuildPerspectiveRotationHMesh(m, angle, 0, 0, shift, SetupOf(r))
                                     : BuildPerspectiveHMesh(m, angle, 0, 0, shift, SetupOf(r));
}

bool IsGrey8(const PackedDib *d) { return d && DibBitCount(d) == 8; }

} // namespace

AdjustPreviewRequest CurrentAdjustPreviewRequest(int nearest)
{
    AdjustPreviewRequest r;
    r.nearest = nearest;
    r.reversePerspective = g_bReversePerspective;
    r.canvasHeight = g_nCanvasHeight;
    r.halfFov = g_nHalfFov;
    return r;
}

PackedDib *WarpPreviewRotation(const PackedDib *image, int angle, const AdjustPreviewRequest &request)
{
    if (!IsGrey8(image))
        return nullptr;
    const int w = DibWidth(image), h = DibHeight(image);
    PackedDib *out = NewGreyPreviewImage(w, h);
    if (!out)
        return nullptr;
    const GreySource s(image);
    const bool nearest = request.nearest != 0;
    // BuildRotationMesh's positions: cosine and sine in 1/2^20, stepped in
    // 1/2^20 pixel and rounded to 1/1024.
    const double radians = angle * 0.0017453292519943279;
    const int64_t cs = llround(1048576.0 * cos(radians));
    const int64_t sn = llround(1048576.0 * sin(radians));
    const int64_t half_w = w / 2, half_h = h / 2;
    const int rowBytes = DibRowBytes(w, 8);
    // Where the whole look-up is inside the picture (bilinear: with its
    // right and upper neighbours, and off the border whose points keep
    // whole positions) no test is needed per pixel. The positions move
    // linearly along a row, so those pixels form one run.
    const int64_t loC = nearest ? 0 : 1, hiC = nearest ? w - 1 : w - 2;
    const int64_t loR = nearest ? 0 : 1, hiR = nearest ? h - 1 : h - 2;
    for (int i = 0; i < h; i++) {
        const int64_t x0 = half_w * 1048576 - cs * half_w - sn * (i - half_h);
        const int64_t y0 = half_h * 1048576 - sn * half_w + cs * (i - half_h);
        BYTE *d = FindDibBits(out) + (size_t)i * rowBytes;
        auto inner = [&](int j) {
            const int64_t c = (x0 + j * cs + 512) >> 20, r = (y0 + j * sn + 512) >> 20;
            return c >= loC && c <= hiC && r >= loR && r <= hiR;
        };
        int first = 0, last = w - 1;
        while (first < w && !inner(first))
            first++;
        while (last >= first && !inner(last))
            last--;
        for (int j = 0; j < w; j++) {
            if (j == first) {
                int64_t x = x0 + j * cs, y = y0 + j * sn;
                for (; j <= last; j++, x += cs, y += sn) {
                    const int64_t X = (x + 512) >> 10, Y = (y + 512) >> 10;
                    d[j] = nearest ? s.At((int)(X >> 10), (int)(Y >> 10))
                                   : Blend(s, (int)(X >> 10), (int)(Y >> 10), (unsigned)(X >> 2) & 255,
                                           (unsigned)(Y >> 2) & 255);
                }
                if (j >= w)
                    break;
            }
            const int64_t X = (x0 + j * cs + 512) >> 10, Y = (y0 + j * sn + 512) >> 10;
            const int64_t c = X >> 10, r = Y >> 10;
            // What sampling an identity mesh at (X, Y) gives: the position
            // to 1/256 pixel inside, the whole pixel on the border, no
            // source outside.
            if (c < 0 || r < 0 || c >= w || r >= h)
                continue;
            if (nearest) {
                d[j] = s.At((int)c, (int)r);
            } else if (c < w - 1 && r < h - 1) {
                d[j] = (c > 0 && r > 0) ? Blend(s, (int)c, (int)r, (unsigned)(X >> 2) & 255, (unsigned)(Y >> 2) & 255)
                                        : s.At((int)c, (int)r);
            }
        }
    }
    return out;
}

PackedDib *WarpPreviewPerspective(const PackedDib *image, int angle, const AdjustPreviewRequest &request)
{
    if (!IsGrey8(image))
        return nullptr;
    MeshFree id{Identity(image)};
    if (!id.m)
        return nullptr;
    MeshFree m{PerspectiveVMesh(id.m, angle, request)};
    return WarpByMesh(image, m.m, request.nearest != 0);
}

PackedDib *WarpPreviewPerspectiveRotation(const PackedDib *image, int angle, int shift,
                                          const AdjustPreviewRequest &request)
{
    if (!IsGrey8(image))
        return nullptr;
    MeshFree id{Identity(image)};
    if (!id.m)
        return nullptr;
    MeshFree m{PerspectiveHMesh(id.m, angle, shift, request)};
    return WarpByMesh(image, m.m, request.nearest != 0);
}

PackedDib *WarpPreviewImage(const PackedDib *image, int rotation, int perspectiveV, int perspectiveH,
                            int otherPerspectiveH, int shift, const AdjustPreviewRequest &request)
{
    if (!IsGrey8(image))
        return nullptr;
    const bool anyH = perspectiveH != 0 || otherPerspectiveH != 0;
    if (perspectiveV == 0 && !anyH)
        return WarpPreviewRotation(image, rotation, request);
    if (rotation == 0 && perspectiveV != 0 && !anyH)
        return WarpPreviewPerspective(image, perspectiveV, request);
    if (rotation == 0 && perspectiveV == 0 && perspectiveH != 0)
        return WarpPreviewPerspectiveRotation(image, perspectiveH, shift, request);
    // A chain: the stages' meshes composed as the core composes them, and
    // the picture sampled once rather than once per stage.
    MeshFree m{Identity(image)};
    if (!m.m)
        return nullptr;
    auto stage = [&m](DisplacementMesh *next) {
        FreeMesh(m.m);
        m.m = next;
        return next != nullptr;
    };
    if (!stage(BuildRotationMesh(m.m, rotation, 0, 0)))
        return nullptr;
    if (perspectiveV != 0 && !stage(PerspectiveVMesh(m.m, perspectiveV, request)))
        return nullptr;
    if ((anyH || request.canvasHeight != 0) && !stage(PerspectiveHMesh(m.m, perspectiveH, shift, request)))
        return nullptr;
    return WarpByMesh(image, m.m, request.nearest != 0);
}
