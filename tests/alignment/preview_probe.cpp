// Turns a grey PGM picture with the preview's rotation warp, for the check
// against ImageMagick.
//   preview_probe IN.pgm OUT.pgm ANGLE [nearest]   (ANGLE in 0.1 degree)
#include "alignment/adjust_preview.h"
#include "state/app_state.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int Fail(const char *what)
{
    fprintf(stderr, "preview_probe: %s\n", what);
    return 2;
}

int main(int argc, char **argv)
{
    if (argc < 4)
        return Fail("usage: IN.pgm OUT.pgm ANGLE [nearest]");
    SetStartValues();
    FILE *in = fopen(argv[1], "rb");
    if (!in)
        return Fail("cannot open the input");
    int w = 0, h = 0, maxval = 0;
    if (fscanf(in, "P5 %d %d %d", &w, &h, &maxval) != 3 || maxval != 255 || fgetc(in) == EOF)
        return Fail("not an 8-bit P5 picture");
    PackedDib *image = CreateDib(w, h, 8, 1);
    if (!image)
        return Fail("no memory");
    const int rowBytes = DibRowBytes(w, 8);
    // PGM rows run from the top; the image's from the bottom.
    for (int y = 0; y < h; y++)
        if (fread(FindDibBits(image) + (size_t)(h - 1 - y) * rowBytes, 1, (size_t)w, in) != (size_t)w)
            return Fail("short picture");
    fclose(in);
    AdjustPreviewRequest request = CurrentAdjustPreviewRequest(argc > 4 && !strcmp(argv[4], "nearest"));
    PackedDib *out = WarpPreviewRotation(image, atoi(argv[3]), request);
    if (!out)
        return Fail("warp failed");
    FILE *o = fopen(argv[2], "wb");
    if (!o)
        return Fail("cannot write the output");
    fprintf(o, "P5\n%d %d\n255\n", w, h);
    for (int y = 0; y < h; y++)
        fwrite(FindDibBits(out) + (size_t)(h - 1 - y) * rowBytes, 1, (size_t)w, o);
    fclose(o);
    FreeDib(out);
    FreeDib(image);
    return 0;
}
