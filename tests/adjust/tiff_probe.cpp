// Writes frames of every bit count the TIFF writer takes, with every
// compression, into the folder given, each beside a PPM of the colours it
// must show; check_tiff.py reads them back with tiffinfo and ImageMagick.
#include "alignment/tool_images.h"
#include "tests/test_frames.h"

#include <stdio.h>
#include <string>

namespace {

struct Shape {
    const char *name;
    int width, height, bits;
};

// The colour of pixel (x, picture row y) of a frame of the given depth, and
// the palette it is drawn from.
RGBQUAD PaletteEntry(int bits, int i)
{
    RGBQUAD q;
    q.rgbRed = (BYTE)(i * 37 + 11);
    q.rgbGreen = (BYTE)(255 - i * 5);
    q.rgbBlue = (BYTE)(i * 97);
    q.rgbReserved = 0;
    if (bits == 1) {
        q.rgbRed = q.rgbGreen = q.rgbBlue = (BYTE)(i ? 255 : 0);
    }
    return q;
}

int IndexAt(int bits, int x, int y) { return (x * 3 + y * 5 + x * y) % (1 << bits); }

bool Write(const std::string &folder, const Shape &s, int compression)
{
    DibPtr frame(CreateDib(s.width, s.height, s.bits, 1));
    if (s.bits <= 8) {
        frame->biClrUsed = 1u << s.bits;
        RGBQUAD *pal = (RGBQUAD *)((BYTE *)frame.get() + frame->biSize);
        for (int i = 0; i < (1 << s.bits); i++)
            pal[i] = PaletteEntry(s.bits, i);
    }
    const std::string base = folder + "\\" + s.name + "_c" + std::to_string(compression);
    FILE *ppm = fopen((base + ".ppm").c_str(), "wb");
    fprintf(ppm, "P6\n%d %d\n255\n", s.width, s.height);
    for (int y = 0; y < s.height; y++) {
        BYTE *row = FindDibBits(frame.get()) + (size_t)(s.height - 1 - y) * DibRowBytes(s.width, s.bits);
        for (int x = 0; x < s.width; x++) {
            BYTE rgb[3];
            if (s.bits == 24) {
                rgb[0] = (BYTE)(x * 7 + y), rgb[1] = (BYTE)(y * 3), rgb[2] = (BYTE)(x ^ y);
                row[3 * x] = rgb[2], row[3 * x + 1] = rgb[1], row[3 * x + 2] = rgb[0];
            } else {
                const int i = IndexAt(s.bits, x, y);
                const RGBQUAD q = PaletteEntry(s.bits, i);
                rgb[0] = q.rgbRed, rgb[1] = q.rgbGreen, rgb[2] = q.rgbBlue;
                const int per = 8 / s.bits;
                BYTE &b = row[x / per];
                const int shift = 8 - s.bits * (x % per + 1);
                b = (BYTE)((b & ~(((1 << s.bits) - 1) << shift)) | (i << shift));
            }
            fwrite(rgb, 1, 3, ppm);
        }
    }
    fclose(ppm);
    return SaveDibAsTiff(nullptr, (base + ".tif").c_str(), frame.get(), compression) == 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const Shape shapes[] = {
        {"rgb24", 37, 23, 24}, {"rgb24big", 300, 200, 24}, {"pal8", 41, 19, 8}, {"pal4", 37, 21, 4}, {"bw1", 45, 17, 1},
    };
    int failures = 0;
    for (const Shape &s : shapes)
        for (int c = 0; c < 4; c++)
            failures += !Write(argv[1], s, c);
    // A file that cannot be created: failure returned, the process goes on.
    DibPtr frame(CreateDib(8, 8, 24, 1));
    const int refused = SaveDibAsTiff(nullptr, (std::string(argv[1]) + "\\no\\such\\x.tif").c_str(), frame.get(), 0);
    printf("written, %d failures; unwritable path gives %d\n", failures, refused);
    return failures == 0 && refused == 0 ? 0 : 1;
}
