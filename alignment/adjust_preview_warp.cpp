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
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Blend for eight pixels at once. g_blendTable's a x b / 255 (floor) equals
// ((a x b + 1) x 257) >> 16 for every a, b in 0..255 (a x b + 1 fits 16
// bits), and each weighted pair sums to at most 255 (a (255 - f) / 255 +
// b f / 255 <= 255), so the table's wrap to 0..255 never acts and sixteen-
// bit lanes give its bytes exactly. pairs0 and pairs1 hold each pixel's
// source byte and its right neighbour (low, high) of the row and the next.
inline __m128i Div255(__m128i x)
{
    return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_set1_epi16(257));
}

inline __m128i Blend8(__m128i pairs0, __m128i pairs1, __m128i fx, __m128i fy)
{
    const __m128i low = _mm_set1_epi16(0x00FF), full = _mm_set1_epi16(255);
    const __m128i rx = _mm_sub_epi16(full, fx), ry = _mm_sub_epi16(full, fy);
    const __m128i top = _mm_add_epi16(Div255(_mm_mullo_epi16(_mm_and_si128(pairs0, low), rx)),
                                      Div255(_mm_mullo_epi16(_mm_srli_epi16(pairs0, 8), fx)));
    const __m128i bottom = _mm_add_epi16(Div255(_mm_mullo_epi16(_mm_and_si128(pairs1, low), rx)),
                                         Div255(_mm_mullo_epi16(_mm_srli_epi16(pairs1, 8), fx)));
    const __m128i v = _mm_add_epi16(Div255(_mm_mullo_epi16(top, ry)), Div255(_mm_mullo_epi16(bottom, fy)));
    return _mm_packus_epi16(v, v);
}

inline int Pair(const BYTE *p)
{
    uint16_t v;
    memcpy(&v, p, 2);
    return v;
}
#endif

// (v + k step + 512) >> 10 for k = 0, 1, 2 ... in 32-bit integers, where v
// and step are in 1/2^20 and the results fit 32 bits (positions inside the
// picture). With v + 512 = 1024 a + c and step = 1024 b + e (0 <= c, e <
// 1024, floor division), the sum is 1024 (a + k b) + (c + k e), so the
// result is a + k b + ((c + k e) >> 10) exactly; c + k e stays below
// 1024 (k + 1), far inside 32 bits for any picture width.
struct Stepper {
    int32_t whole, step, part, partStep;
    Stepper(int64_t v, int64_t stepBy)
        : whole((int32_t)((v + 512) >> 10)), step((int32_t)(stepBy >> 10)), part((int32_t)((v + 512) & 1023)),
          partStep((int32_t)(stepBy & 1023))
    {
    }
    int32_t At() const { return whole + (part >> 10); }
    void Next() { Skip(1); }
    void Skip(int n)
    {
        whole += n * step;
        part += n * partStep;
    }
};

#if defined(__SSE2__)
// The run from j to last of a turned row, eight pixels at a time: the
// steppers' sums in 32-bit lanes, the byte offsets of the look-ups as
// row x row bytes + column (madd: both factors below 32768), then the
// two-byte pairs gathered and blended as Blend does, or (Nearest) the
// bytes themselves. Returns the first pixel left over; the steppers are
// moved on to it.
template <bool Nearest>
int RotateRunSse2(const GreySource &s, Stepper &px, Stepper &py, int j, int last, BYTE *d)
{
    if (last + 1 - j < 8)
        return j;
    // Lane k holds pixel k's (and k + 4's) stepper: whole + k step and
    // part + k partStep.
    alignas(16) int32_t wx[8], ux[8], wy[8], uy[8];
    for (int k = 0; k < 8; k++) {
        wx[k] = px.whole + k * px.step;
        ux[k] = px.part + k * px.partStep;
        wy[k] = py.whole + k * py.step;
        uy[k] = py.part + k * py.partStep;
    }
    __m128i wx0 = _mm_load_si128((const __m128i *)wx), wx1 = _mm_load_si128((const __m128i *)(wx + 4));
    __m128i ux0 = _mm_load_si128((const __m128i *)ux), ux1 = _mm_load_si128((const __m128i *)(ux + 4));
    __m128i wy0 = _mm_load_si128((const __m128i *)wy), wy1 = _mm_load_si128((const __m128i *)(wy + 4));
    __m128i uy0 = _mm_load_si128((const __m128i *)uy), uy1 = _mm_load_si128((const __m128i *)(uy + 4));
    const __m128i dwx = _mm_set1_epi32(8 * px.step), dux = _mm_set1_epi32(8 * px.partStep);
    const __m128i dwy = _mm_set1_epi32(8 * py.step), duy = _mm_set1_epi32(8 * py.partStep);
    const __m128i rowBytes = _mm_set1_epi32(s.rowBytes), byte = _mm_set1_epi32(255);
    for (; j + 8 <= last + 1; j += 8) {
        const __m128i X0 = _mm_add_epi32(wx0, _mm_srai_epi32(ux0, 10));
        const __m128i X1 = _mm_add_epi32(wx1, _mm_srai_epi32(ux1, 10));
        const __m128i Y0 = _mm_add_epi32(wy0, _mm_srai_epi32(uy0, 10));
        const __m128i Y1 = _mm_add_epi32(wy1, _mm_srai_epi32(uy1, 10));
        alignas(16) int32_t offset[8];
        _mm_store_si128((__m128i *)offset,
                        _mm_add_epi32(_mm_madd_epi16(_mm_srai_epi32(Y0, 10), rowBytes), _mm_srai_epi32(X0, 10)));
        _mm_store_si128((__m128i *)(offset + 4),
                        _mm_add_epi32(_mm_madd_epi16(_mm_srai_epi32(Y1, 10), rowBytes), _mm_srai_epi32(X1, 10)));
        const __m128i fx = _mm_packs_epi32(_mm_and_si128(_mm_srai_epi32(X0, 2), byte),
                                           _mm_and_si128(_mm_srai_epi32(X1, 2), byte));
        const __m128i fy = _mm_packs_epi32(_mm_and_si128(_mm_srai_epi32(Y0, 2), byte),
                                           _mm_and_si128(_mm_srai_epi32(Y1, 2), byte));
        // Inserted lane by lane: words stored and reloaded as one vector
        // would wait for the stores to drain.
        __m128i p0 = _mm_setzero_si128(), p1 = _mm_setzero_si128();
        const BYTE *b = s.bits;
        const int next = s.rowBytes;
        if (Nearest) {
            // One byte each: the last column's right neighbour may lie
            // past the picture.
#define TWR_GATHER(k) p0 = _mm_insert_epi16(p0, b[offset[k]], k);
            TWR_GATHER(0) TWR_GATHER(1) TWR_GATHER(2) TWR_GATHER(3)
            TWR_GATHER(4) TWR_GATHER(5) TWR_GATHER(6) TWR_GATHER(7)
#undef TWR_GATHER
            _mm_storel_epi64((__m128i *)(d + j), _mm_packus_epi16(p0, p0));
        } else {
#define TWR_GATHER(k)                                                                                                 \
    p0 = _mm_insert_epi16(p0, Pair(b + offset[k]), k);                                                               \
    p1 = _mm_insert_epi16(p1, Pair(b + offset[k] + next), k);
            TWR_GATHER(0) TWR_GATHER(1) TWR_GATHER(2) TWR_GATHER(3)
            TWR_GATHER(4) TWR_GATHER(5) TWR_GATHER(6) TWR_GATHER(7)
#undef TWR_GATHER
            _mm_storel_epi64((__m128i *)(d + j), Blend8(p0, p1, fx, fy));
        }
        wx0 = _mm_add_epi32(wx0, dwx);
        wx1 = _mm_add_epi32(wx1, dwx);
        ux0 = _mm_add_epi32(ux0, dux);
        ux1 = _mm_add_epi32(ux1, dux);
        wy0 = _mm_add_epi32(wy0, dwy);
        wy1 = _mm_add_epi32(wy1, dwy);
        uy0 = _mm_add_epi32(uy0, duy);
        uy1 = _mm_add_epi32(uy1, duy);
        px.Skip(8);
        py.Skip(8);
    }
    return j;
}
#endif

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
                Stepper px(x0 + j * cs, cs), py(y0 + j * sn, sn);
#if defined(__SSE2__)
                if (s.h < 32768 && s.rowBytes < 32768)
                    j = nearest ? RotateRunSse2<true>(s, px, py, j, last, d)
                                : RotateRunSse2<false>(s, px, py, j, last, d);
#endif
                for (; j <= last; j++, px.Next(), py.Next()) {
                    const int32_t X = px.At(), Y = py.At();
                    d[j] = nearest ? s.At(X >> 10, Y >> 10)
                                   : Blend(s, X >> 10, Y >> 10, (unsigned)(X >> 2) & 255, (unsigned)(Y >> 2) & 255);
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
