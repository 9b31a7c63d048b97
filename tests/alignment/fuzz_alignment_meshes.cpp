// Mesh builders, the warp and the visible region on arbitrary values: small
// frames, any angles, barrels, lenses, canvases and shifts.
#include "alignment/crop_rect.h"
#include "alignment/displacement_mesh.h"
#include "state/alignment_settings.h"
#include "state/alignment_state.h"

#include <stdint.h>
#include <string.h>

namespace {

struct Reader {
    const uint8_t *p;
    size_t n;
    int Int16()
    {
        int16_t v = 0;
        if (n >= 2) {
            memcpy(&v, p, 2);
            p += 2;
            n -= 2;
        }
        return v;
    }
    int Byte()
    {
        if (!n)
            return 0;
        n--;
        return *p++;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader in{data, size};
    const int w = 1 + in.Byte() % 48, h = 1 + in.Byte() % 48;
    const int flags = in.Byte();
    const int size1000 = in.Int16() % 1200;
    const int barrel = in.Int16(), rotation = in.Int16(), pv = in.Int16(), ph = in.Int16(), other = in.Int16();
    const int shift = in.Int16();
    g_nCanvasHeight = in.Byte() % 40 - 12;
    g_nHalfFov = in.Int16();
    g_bReversePerspective = flags & 1;
    g_bResample = (flags >> 1) & 1;

    PackedDib *frame = CreateDib(w, h, 24, 0);
    if (!frame)
        return 0;
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w * 3; c++)
            DibRow(frame, r)[c] = (uint8_t)(r * 31 + c * 7);

    DisplacementMesh *id = AllocMesh(w, h);
    InitIdentityMesh(id);
    DisplacementMesh *start = id;
    DisplacementMesh *scaled = nullptr, *padded = nullptr;
    int ow = 0, oh = 0;
    const int s = 1000 + size1000;
    if (size1000 < 0 && s > 0 && w * s / 1000 > 0 && h * s / 1000 > 0) {
        scaled = ResampleMesh(id, w * s / 1000, h * s / 1000);
        padded = scaled ? PadMesh(scaled, w, h) : nullptr;
        if (padded) {
            start = padded;
            ow = w;
            oh = h;
        }
    }
    DisplacementMesh *m = BuildCorrectionMesh(start, barrel, rotation, pv, ph, other, ow, oh, shift);
    if (m && size1000 > 0) {
        DisplacementMesh *big = ResampleMesh(m, m->width * s / 1000, m->height * s / 1000);
        FreeMesh(m);
        m = big;
    }
    if (m)
        FreeDib(WarpDibByMesh(m, frame));

    CropRect r;
    ComputeCropRect(&r, frame, rotation, other, pv, -pv, ph, other, s, 1000 - size1000);

    FreeMesh(m);
    FreeMesh(padded);
    FreeMesh(scaled);
    FreeMesh(id);
    FreeDib(frame);
    return 0;
}
