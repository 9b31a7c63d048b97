#include "alignment/displacement_mesh.h"

#include "alignment/fixed_point.h"
#include "alignment/perspective_model.h"
#include "shared/global_memory.h"
#include "state/alignment_state.h"

#include <math.h>

DisplacementMesh *AllocMesh(int width, int height)
{
    if (width < 1 || height < 1 || width > kDibMaxSide || height > kDibMaxSide)
        return nullptr;
    uint64_t bytes = (uint64_t)width * (uint64_t)height * 8 + 8;
    if (bytes > 0x7FFFFFFFu)
        return nullptr;
    DisplacementMesh *mesh = (DisplacementMesh *)AllocGlobalBlock((size_t)bytes, 0);
    if (!mesh)
        return nullptr;
    mesh->width = width;
    mesh->height = height;
    return mesh;
}

void FreeMesh(DisplacementMesh *mesh)
{
    if (mesh)
        FreeGlobalBlock(mesh);
}

void InitIdentityMesh(DisplacementMesh *mesh)
{
    int32_t *p = MeshPoints(mesh);
    for (int r = 0; r < mesh->height; r++)
        for (int c = 0; c < mesh->width; c++) {
            *p++ = c * 1024;
            *p++ = r * 1024;
        }
}

namespace {

// A whole position in 1/1024 pixel, saturated: positions this far out have
// no source anyway.
inline int32_t WholeToFixed(int64_t v)
{
    const int64_t limit = INT32_MAX / 1024;
    return v > limit ? INT32_MAX : v < -limit ? INT32_MIN : (int32_t)(v * 1024);
}

// The input mesh sampled at a position given as integer parts and 8-bit
// fractions: bilinear inside, the point itself on the border, the position's
// own integer point (which has no source) outside.
//
// A point without source (a negative position: padding, or a position
// outside an earlier stage's input) is a marker, not a place: blending it
// with its neighbours makes a position that lies inside the frame but far
// from the picture around it (and, in 32-bit unsigned arithmetic, wraps).
// A cell that holds one takes its nearest point instead. The weights are
// applied in 32 bits where every sum fits (positions below 8192 pixels) and
// in 64 bits beyond, with the same results.
void SampleMesh(const DisplacementMesh *m, int64_t c, unsigned fx, int64_t r, unsigned fy, int32_t *out)
{
    const int64_t w = m->width, h = m->height;
    if (c > 0 && c < w - 1 && r > 0 && r < h - 1) {
        const int32_t *p00 = MeshPoint(m, (int)c, (int)r);
        const int32_t *p10 = p00 + 2;
        const int32_t *p01 = p00 + 2 * w;
        const int32_t *p11 = p01 + 2;
        const int32_t any = p00[0] | p00[1] | p10[0] | p10[1] | p01[0] | p01[1] | p11[0] | p11[1];
        if (any < 0) {
            const int32_t *p = fy < 128 ? (fx < 128 ? p00 : p10) : (fx < 128 ? p01 : p11);
            out[0] = p[0];
            out[1] = p[1];
            return;
        }
        if (any < (1 << 23)) {
            // Positions below 8192 pixels: every sum fits 32 bits.
            for (int k = 0; k < 2; k++) {
                const uint32_t top = ((uint32_t)p11[k] * fx + (uint32_t)p01[k] * (256 - fx)) >> 8;
                const uint32_t bottom = ((uint32_t)p10[k] * fx + (uint32_t)p00[k] * (256 - fx)) >> 8;
                out[k] = (int32_t)((top * fy + bottom * (256 - fy)) >> 8);
            }
            return;
        }
        for (int k = 0; k < 2; k++) {
            const int64_t top = ((int64_t)p11[k] * fx + (int64_t)p01[k] * (256 - fx)) >> 8;
            const int64_t bottom = ((int64_t)p10[k] * fx + (int64_t)p00[k] * (256 - fx)) >> 8;
            out[k] = (int32_t)((top * fy + bottom * (256 - fy)) >> 8);
        }
    } else if (c >= 0 && c < w && r >= 0 && r < h) {
        const int32_t *p = MeshPoint(m, (int)c, (int)r);
        out[0] = p[0];
        out[1] = p[1];
    } else {
        out[0] = WholeToFixed(c);
        out[1] = WholeToFixed(r);
    }
}

// Positions in 1/1024 pixel (10-bit) and 1/16384 pixel (14-bit).
inline void Split10(int64_t v, int64_t *whole, unsigned *fraction)
{
    *whole = v >> 10;
    *fraction = (unsigned)((v & 1023) >> 2);
}

inline void Split14(int64_t v, int64_t *whole, unsigned *fraction)
{
    *whole = v >> 14;
    *fraction = (unsigned)((v >> 6) & 255);
}

void Sample10(const DisplacementMesh *m, int64_t x, int64_t y, int32_t *out)
{
    int64_t c, r;
    unsigned fx, fy;
    Split10(x, &c, &fx);
    Split10(y, &r, &fy);
    SampleMesh(m, c, fx, r, fy, out);
}

// A point that has no source, whatever frame the mesh is applied to.
inline void SetNoSource(int32_t *p, const DisplacementMesh *mesh)
{
    p[0] = -mesh->width * 1024;
    p[1] = -mesh->height * 1024;
}

void FillNoSource(DisplacementMesh *mesh)
{
    for (int r = 0; r < mesh->height; r++)
        for (int c = 0; c < mesh->width; c++)
            SetNoSource(MeshPoint(mesh, c, r), mesh);
}

// Output size of a builder: the input's when both are 0.
inline void OutputSize(const DisplacementMesh *m, int *width, int *height)
{
    if (*width == 0 && *height == 0) {
        *width = m->width;
        *height = m->height;
    }
}

// The lens of the perspective warps.
struct Lens {
    double tangent;   // tan of the half field of view
    int64_t ti;       // trunc(1024 tan)
};

Lens LensOf(const PerspectiveSetup &setup)
{
    // Limited as LensHalfFov limits the value: a finite tangent, not 0.
    const int hf = setup.halfFov < 1 ? 1 : setup.halfFov > 899 ? 899 : setup.halfFov;
    Lens lens;
    lens.tangent = tan(hf * kTenthDegreeToRadian);
    lens.ti = (int64_t)(1024.0 * lens.tangent);
    return lens;
}

inline int ClampPerspectiveAngle(int angle)
{
    return angle < -899 ? -899 : angle > 899 ? 899 : angle;
}

// Canvas size along the enlarged side: (g_nCanvasHeight + 10) / 10 of it.
int64_t CanvasSize(const PerspectiveSetup &setup, int side)
{
    return ((int64_t)setup.canvasHeight + 10) * side / 10;
}

} // namespace

PerspectiveSetup CurrentPerspectiveSetup()
{
    PerspectiveSetup setup;
    setup.halfFov = g_nHalfFov;
    setup.canvasHeight = g_nCanvasHeight;
    return setup;
}

DisplacementMesh *ResampleMesh(const DisplacementMesh *mesh, int width, int height)
{
    DisplacementMesh *out = AllocMesh(width, height);
    if (!out)
        return nullptr;
    const int64_t sx = (int64_t)mesh->width * 16384 / width;
    const int64_t sy = (int64_t)mesh->height * 16384 / height;
    for (int y = 0; y < height; y++) {
        int64_t r;
        unsigned fy;
        Split14(y * sy, &r, &fy);
        int32_t *p = MeshPoint(out, 0, y);
        for (int x = 0; x < width; x++, p += 2) {
            int64_t c;
            unsigned fx;
            Split14(x * sx, &c, &fx);
            SampleMesh(mesh, c, fx, r, fy, p);
        }
    }
    return out;
}

DisplacementMesh *BuildScaleMesh(const DisplacementMesh *mesh, int size1000)
{
    const int w = mesh->width, h = mesh->height;
    DisplacementMesh *out = AllocMesh(w, h);
    if (!out)
        return nullptr;
    const int64_t factor = 1000 + (int64_t)size1000 < 1 ? 1 : 1000 + (int64_t)size1000;
    // Point (x, y) samples the input at centre + (x, y - centre) x 1000 /
    // factor, centre ((w - 1) / 2, (h - 1) / 2), in 1/16384 pixel, rounded.
    auto position = [factor](int i, int side) {
        const int64_t offset = (2 * (int64_t)i - (side - 1)) * 8192 * 1000;
        const int64_t scaled = offset >= 0 ? (offset + factor / 2) / factor : -((-offset + factor / 2) / factor);
        return (int64_t)(side - 1) * 8192 + scaled;
    };
    for (int y = 0; y < h; y++) {
        int64_t r;
        unsigned fy;
        Split14(position(y, h), &r, &fy);
        int32_t *p = MeshPoint(out, 0, y);
        for (int x = 0; x < w; x++, p += 2) {
            int64_t col;
            unsigned fx;
            Split14(position(x, w), &col, &fx);
            SampleMesh(mesh, col, fx, r, fy, p);
        }
    }
    return out;
}

DisplacementMesh *PadMesh(const DisplacementMesh *mesh, int width, int height)
{
    DisplacementMesh *out = AllocMesh(width, height);
    if (!out)
        return nullptr;
    for (int r = 0; r < height; r++)
        for (int c = 0; c < width; c++) {
            int32_t *p = MeshPoint(out, c, r);
            p[0] = -width * 1024;
            p[1] = -height * 1024;
        }
    // A larger input is cut to the output rather than written past it.
    const int left = (width - mesh->width) / 2, bottom = (height - mesh->height) / 2;
    for (int r = 0; r < mesh->height; r++) {
        const int orow = bottom + r;
        if (orow < 0 || orow >= height)
            continue;
        for (int c = 0; c < mesh->width; c++) {
            const int ocol = left + c;
            if (ocol < 0 || ocol >= width)
                continue;
            const int32_t *s = MeshPoint(mesh, c, r);
            int32_t *d = MeshPoint(out, ocol, orow);
            d[0] = s[0];
            d[1] = s[1];
        }
    }
    return out;
}

DisplacementMesh *BuildBarrelMesh(const DisplacementMesh *mesh, int value)
{
    const int w = mesh->width, h = mesh->height;
    DisplacementMesh *out = AllocMesh(w, h);
    if (!out)
        return nullptr;
    const double cx = (w - 1) * 0.5, cy = (h - 1) * 0.5;
    const double m = cx <= cy ? cx : cy;
    const double r2 = cx * cx + cy * cy;
    const double k = value * 0.0003333333333333333;
    const double s = value >= 0 ? 1.0 - k * m * m / r2 : 1.0 - k;
    for (int j = 0; j < h; j++) {
        const double dy = j - cy;
        int32_t *p = MeshPoint(out, 0, j);
        for (int i = 0; i < w; i++, p += 2) {
            const double dx = i - cx;
            const double f = (1.0 - k * (dx * dx + dy * dy) / r2) / s;
            const int32_t x = TruncSat32((cx + dx * f) * 1024.0, INT32_MIN);
            const int32_t y = TruncSat32((cy + dy * f) * 1024.0, INT32_MIN);
            Sample10(mesh, x, y, p);
        }
    }
    return out;
}

DisplacementMesh *BuildRotationMesh(const DisplacementMesh *mesh, int angle, int width, int height)
{
    OutputSize(mesh, &width, &height);
    DisplacementMesh *out = AllocMesh(width, height);
    if (!out)
        return nullptr;
    const double radians = angle * kTenthDegreeToRadian;
    // Cosine and sine in 1/2^20, positions stepped in 1/2^20 pixel and
    // rounded to the mesh's 1/1024: with 1/1024 steps a turn of 2.5 degrees
    // came out 0.04 degree short, a pixel at the edge of a 1920-pixel frame.
    const int64_t c = llround(1048576.0 * cos(radians));
    const int64_t s = llround(1048576.0 * sin(radians));
    const int64_t iw = mesh->width / 2, ih = mesh->height / 2;
    const int64_t ow = width / 2, oh = height / 2;
    for (int i = 0; i < height; i++) {
        int64_t x = iw * 1048576 - c * ow - s * (i - oh);
        int64_t y = ih * 1048576 - s * ow + c * (i - oh);
        int32_t *p = MeshPoint(out, 0, i);
        for (int j = 0; j < width; j++, p += 2) {
            Sample10(mesh, (x + 512) >> 10, (y + 512) >> 10, p);
            x += c;
            y += s;
        }
    }
    return out;
}

DisplacementMesh *BuildPerspectiveVMesh(const DisplacementMesh *mesh, int angle, int width, int height)
{
    return BuildPerspectiveVMesh(mesh, angle, width, height, CurrentPerspectiveSetup());
}

DisplacementMesh *BuildPerspectiveVMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                        const PerspectiveSetup &setup)
{
    OutputSize(mesh, &width, &height);
    DisplacementMesh *out = AllocMesh(width, height);
    if (!out)
        return nullptr;
    const int a = mesh->width / 2, b = mesh->height / 2;
    const double radians = ClampPerspectiveAngle(angle) * kTenthDegreeToRadian;
    const double cs = cos(radians), sn = sin(radians);
    const Lens lens = LensOf(setup);
    PerspectiveRamp ramp;
    if (!ComputePerspectiveRamp(a, b, lens.ti, radians, &ramp)) {
        FillNoSource(out);
        return out;
    }
    for (int c = 0; c < width; c++) {
        const int x = c - a;
        const int64_t sx = TruncSat64(1024.0 * (a + (double)a * x * cs / (x * sn * lens.tangent + a)), INT64_MIN / 2);
        const int64_t hh = MulSat64(16, ramp.b) - MulSat64(MulSat64(sx, ramp.k), 16) / 1024;
        const int64_t y0 = (int64_t)b * 16384 - hh;
        const int64_t step = 2 * hh / height;
        int64_t col;
        unsigned fx;
        Split10(sx, &col, &fx);
        for (int r = 0; r < height; r++) {
            int64_t row;
            unsigned fy;
            Split14(y0 + r * step, &row, &fy);
            SampleMesh(mesh, col, fx, row, fy, MeshPoint(out, c, r));
        }
    }
    return out;
}

DisplacementMesh *BuildPerspectiveRotationVMesh(const DisplacementMesh *mesh, int angle, int width, int height)
{
    return BuildPerspectiveRotationVMesh(mesh, angle, width, height, CurrentPerspectiveSetup());
}

DisplacementMesh *BuildPerspectiveRotationVMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                                const PerspectiveSetup &setup)
{
    OutputSize(mesh, &width, &height);
    DisplacementMesh *out = AllocMesh(width, height);
    if (!out)
        return nullptr;
    const int a = mesh->width / 2, b = mesh->height / 2;
    const double radians = ClampPerspectiveAngle(angle) * kTenthDegreeToRadian;
    const double cs = cos(radians), sn = sin(radians);
    const Lens lens = LensOf(setup);
    PerspectiveRamp ramp;
    if (!ComputePerspectiveRamp(a, b, lens.ti, radians, &ramp)) {
        FillNoSource(out);
        return out;
    }
    const int64_t across = MulSat64((int64_t)b * b, (int64_t)1 << 24);
    for (int c = 0; c < width; c++) {
        const int64_t sx = TruncSat64(a + (double)(c - a) * a / (a * cs + (a - c) * lens.tangent * sn), INT64_MIN / 2);
        const int64_t mc = ramp.b - MulSat64(c, ramp.k);
        if (mc == 0) {
            for (int r = 0; r < height; r++)
                SetNoSource(MeshPoint(out, c, r), out);
            continue;
        }
        const int64_t hh = across / mc;
        const int64_t y0 = (int64_t)b * 16384 - hh;
        const int64_t step = 2 * hh / height;
        for (int r = 0; r < height; r++) {
            int64_t row;
            unsigned fy;
            Split14(y0 + r * step, &row, &fy);
            SampleMesh(mesh, sx, 0, row, fy, MeshPoint(out, c, r));
        }
    }
    return out;
}

DisplacementMesh *BuildPerspectiveHMesh(const DisplacementMesh *mesh, int angle, int width, int height, int shift)
{
    return BuildPerspectiveHMesh(mesh, angle, width, height, shift, CurrentPerspectiveSetup());
}

DisplacementMesh *BuildPerspectiveHMesh(const DisplacementMesh *mesh, int angle, int width, int height, int shift,
                                        const PerspectiveSetup &setup)
{
    OutputSize(mesh, &width, &height);
    const int64_t canvas = CanvasSize(setup, height);
    if (canvas < 1 || canvas > kDibMaxSide)
        return nullptr;
    DisplacementMesh *out = AllocMesh(width, (int)canvas);
    if (!out)
        return nullptr;
    const int extra = (int)canvas - height;
    // An odd enlargement leaves its last row without a source of its own.
    int written = height + 2 * (extra / 2);
    if (written > out->height)
        written = out->height;
    for (int r = written < 0 ? 0 : written; r < out->height; r++)
        for (int c = 0; c < width; c++)
            SetNoSource(MeshPoint(out, c, r), out);

    const int a = mesh->height / 2, b = mesh->width / 2;
    const double radians = ClampPerspectiveAngle(angle) * kTenthDegreeToRadian;
    const double cs = cos(radians), sn = sin(radians);
    const Lens lens = LensOf(setup);
    PerspectiveRamp ramp;
    if (!ComputePerspectiveRamp(a, b, lens.ti, radians, &ramp)) {
        FillNoSource(out);
        return out;
    }
    for (int r = 0; r < written; r++) {
        const int y = r - extra / 2 - a;
        const int64_t sy = TruncSat64(1024.0 * (a + (double)a * y * cs / (y * sn * lens.tangent + a)), INT64_MIN / 2);
        const int64_t hw = MulSat64(16, ramp.b) - MulSat64(MulSat64(sy, ramp.k), 16) / 1024;
        const int64_t centre = (int64_t)b * 16384 + MulSat64(sy >> 4, shift);
        const int64_t x0 = centre - hw;
        const int64_t step = 2 * hw / width;
        int64_t row;
        unsigned fy;
        Split10(sy, &row, &fy);
        int32_t *p = MeshPoint(out, 0, r);
        for (int c = 0; c < width; c++, p += 2) {
            int64_t col;
            unsigned fx;
            Split14(x0 + c * step, &col, &fx);
            SampleMesh(mesh, col, fx, row, fy, p);
        }
    }
    return out;
}

DisplacementMesh *BuildPerspectiveRotationHMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                               int shift)
{
    return BuildPerspectiveRotationHMesh(mesh, angle, width, height, shift, CurrentPerspectiveSetup());
}

DisplacementMesh *BuildPerspectiveRotationHMesh(const DisplacementMesh *mesh, int angle, int width, int height,
                                               int shift, const PerspectiveSetup &setup)
{
    OutputSize(mesh, &width, &height);
    const int64_t canvas = CanvasSize(setup, width);
    if (canvas < 1 || canvas > kDibMaxSide)
        return nullptr;
    DisplacementMesh *out = AllocMesh((int)canvas, height);
    if (!out)
        return nullptr;
    const int extra = (int)canvas - width;
    // An odd enlargement leaves its last column without a source of its own.
    int written = width + 2 * (extra / 2);
    if (written > out->width)
        written = out->width;
    if (written < 0)
        written = 0;
    for (int r = 0; r < height; r++)
        for (int c = written; c < out->width; c++)
            SetNoSource(MeshPoint(out, c, r), out);

    const int a = mesh->height / 2, b = mesh->width / 2;
    const double radians = ClampPerspectiveAngle(angle) * kTenthDegreeToRadian;
    const double cs = cos(radians), sn = sin(radians);
    const Lens lens = LensOf(setup);
    PerspectiveRamp ramp;
    if (!ComputePerspectiveRamp(a, b, lens.ti, radians, &ramp)) {
        FillNoSource(out);
        return out;
    }
    const int64_t across = MulSat64((int64_t)b * b, (int64_t)1 << 24);
    for (int r = 0; r < height; r++) {
        const int64_t sy = TruncSat64(a + (double)(r - a) * a / (a * cs + (a - r) * lens.tangent * sn), INT64_MIN / 2);
        const int64_t mr = ramp.b - MulSat64(r, ramp.k);
        if (mr == 0) {
            for (int c = 0; c < written; c++)
                SetNoSource(MeshPoint(out, c, r), out);
            continue;
        }
        const int64_t hw = across / mr;
        const int64_t centre = (int64_t)b * 16384 + MulSat64((int64_t)r * 64, shift);
        const int64_t step = 2 * hw / width;
        const int64_t x0 = centre - hw - MulSat64(step, extra) / 2;
        int32_t *p = MeshPoint(out, 0, r);
        for (int c = 0; c < written; c++, p += 2) {
            int64_t col;
            unsigned fx;
            Split14(x0 + c * step, &col, &fx);
            SampleMesh(mesh, col, fx, sy, 0, p);
        }
    }
    return out;
}

namespace {

DisplacementMesh *PerspectiveV(const DisplacementMesh *m, int angle, int width, int height)
{
    return g_bReversePerspective == 1 ? BuildPerspectiveRotationVMesh(m, angle, width, height)
                                      : BuildPerspectiveVMesh(m, angle, width, height);
}

DisplacementMesh *PerspectiveH(const DisplacementMesh *m, int angle, int width, int height, int shift)
{
    return g_bReversePerspective == 1 ? BuildPerspectiveRotationHMesh(m, angle, width, height, shift)
                                      : BuildPerspectiveHMesh(m, angle, width, height, shift);
}

// Runs one stage on the current mesh and frees the intermediate it replaces
// (never the caller's input).
bool Stage(DisplacementMesh *next, DisplacementMesh **current, const DisplacementMesh *input)
{
    if (*current != input)
        FreeMesh(*current);
    *current = next;
    return next != nullptr;
}

} // namespace

DisplacementMesh *BuildCorrectionMesh(const DisplacementMesh *mesh, int barrel, int rotation, int perspectiveV,
                                      int perspectiveH, int otherPerspectiveH, int width, int height, int shift)
{
    const bool anyH = perspectiveH != 0 || otherPerspectiveH != 0;
    DisplacementMesh *m = const_cast<DisplacementMesh *>(mesh);

    // Barrel alone, or rotation alone, is a single stage; once a rotation
    // stage runs, the perspective stages follow as needed and the canvas
    // alone is enough to run the perspective-H stage.
    if (barrel != 0 || rotation != 0) {
        if (barrel != 0) {
            if (!Stage(BuildBarrelMesh(m, barrel), &m, mesh))
                return nullptr;
            if (rotation == 0 && perspectiveV == 0 && !anyH)
                return m;
        } else if (perspectiveV == 0 && !anyH) {
            return BuildRotationMesh(m, rotation, width, height);
        }
        if (!Stage(BuildRotationMesh(m, rotation, width, height), &m, mesh))
            return nullptr;
        if (perspectiveV != 0 && !Stage(PerspectiveV(m, perspectiveV, width, height), &m, mesh))
            return nullptr;
        if ((anyH || g_nCanvasHeight != 0) && !Stage(PerspectiveH(m, perspectiveH, width, height, shift), &m, mesh))
            return nullptr;
        return m;
    }
    if (perspectiveV != 0) {
        if (!anyH)
            return PerspectiveV(m, perspectiveV, width, height);
        if (!Stage(BuildRotationMesh(m, 0, width, height), &m, mesh) ||
            !Stage(PerspectiveV(m, perspectiveV, width, height), &m, mesh) ||
            !Stage(PerspectiveH(m, perspectiveH, width, height, shift), &m, mesh))
            return nullptr;
        return m;
    }
    if (perspectiveH != 0)
        return PerspectiveH(m, perspectiveH, width, height, shift);
    if (otherPerspectiveH != 0) {
        if (!Stage(BuildRotationMesh(m, 0, width, height), &m, mesh) ||
            !Stage(PerspectiveH(m, 0, width, height, shift), &m, mesh))
            return nullptr;
        return m;
    }
    return BuildRotationMesh(m, 0, width, height);
}
