// Writes one displacement mesh as raw little-endian int32 (width, height,
// then the points) for the checks against ImageMagick's warps.
//   mesh_probe OUT W H [--fov N] [--canvas N] [--reverse] KIND ARGS...
//   KIND: barrel V | rotation A OW OH | resample OW OH | shrinkrot SIZE A |
//         perspv A | persph A SHIFT | correction B R V H O
#include "alignment/displacement_mesh.h"
#include "state/alignment_state.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Fail(const char *what)
{
    fprintf(stderr, "mesh_probe: %s\n", what);
    return 2;
}

int main(int argc, char **argv)
{
    if (argc < 5)
        return Fail("usage: OUT W H [options] KIND ARGS");
    const char *out = argv[1];
    const int w = atoi(argv[2]), h = atoi(argv[3]);
    int i = 4;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; i++) {
        if (!strcmp(argv[i], "--fov") && i + 1 < argc)
            g_nHalfFov = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--canvas") && i + 1 < argc)
            g_nCanvasHeight = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--reverse"))
            g_bReversePerspective = 1;
        else
            return Fail("unknown option");
    }
    if (i >= argc)
        return Fail("no kind");
    const char *kind = argv[i++];
    auto arg = [&](int k) { return i + k < argc ? atoi(argv[i + k]) : 0; };
    DisplacementMesh *id = AllocMesh(w, h);
    if (!id)
        return Fail("bad size");
    InitIdentityMesh(id);
    DisplacementMesh *m = nullptr;
    if (!strcmp(kind, "barrel"))
        m = BuildBarrelMesh(id, arg(0));
    else if (!strcmp(kind, "rotation"))
        m = BuildRotationMesh(id, arg(0), arg(1), arg(2));
    else if (!strcmp(kind, "resample"))
        m = ResampleMesh(id, arg(0), arg(1));
    else if (!strcmp(kind, "shrinkrot")) {
        // A shrunk image turned: the mesh chain of a negative size.
        const int s = 1000 + arg(0);
        DisplacementMesh *r = ResampleMesh(id, w * s / 1000, h * s / 1000);
        DisplacementMesh *p = PadMesh(r, w, h);
        m = BuildCorrectionMesh(p, 0, arg(1), 0, 0, 0, w, h, 0);
        FreeMesh(r);
        FreeMesh(p);
    } else if (!strcmp(kind, "perspv"))
        m = g_bReversePerspective ? BuildPerspectiveRotationVMesh(id, arg(0), 0, 0)
                                  : BuildPerspectiveVMesh(id, arg(0), 0, 0);
    else if (!strcmp(kind, "persph"))
        m = g_bReversePerspective ? BuildPerspectiveRotationHMesh(id, arg(0), 0, 0, arg(1))
                                  : BuildPerspectiveHMesh(id, arg(0), 0, 0, arg(1));
    else if (!strcmp(kind, "correction"))
        m = BuildCorrectionMesh(id, arg(0), arg(1), arg(2), arg(3), arg(4), 0, 0, 0);
    else
        return Fail("unknown kind");
    FreeMesh(id);
    if (!m)
        return Fail("no mesh");
    FILE *f = fopen(out, "wb");
    if (!f)
        return Fail("cannot write");
    fwrite(m, 8 + (size_t)m->width * m->height * 8, 1, f);
    fclose(f);
    FreeMesh(m);
    return 0;
}
