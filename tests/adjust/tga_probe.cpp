// Writes frames of odd and even widths with WriteTga into the folder
// given, each beside a PPM of the upright picture it must show;
// check_tga.py reads them back with ImageMagick and ffprobe/ffmpeg.
#include "alignment/cosima.h"
#include "tests/test_frames.h"

#include <stdio.h>
#include <string>

namespace {

struct Shape {
    int width, height;
};

bool Write(const std::string &folder, const Shape &s)
{
    const std::string base = folder + "\\tga_" + std::to_string(s.width) + "x" + std::to_string(s.height);
    // Picture row y counts from the top; the frame's rows from the bottom.
    DibPtr frame = MakeFrame(s.width, s.height, [&](int x, int row) {
        const int y = s.height - 1 - row;
        return Bgr{(x * 7 + y) & 255, (y * 3) & 255, (x ^ y) & 255};
    });
    FILE *ppm = fopen((base + ".ppm").c_str(), "wb");
    if (!ppm)
        return false;
    fprintf(ppm, "P6\n%d %d\n255\n", s.width, s.height);
    for (int y = 0; y < s.height; y++)
        for (int x = 0; x < s.width; x++) {
            const unsigned char rgb[3] = {(unsigned char)(x ^ y), (unsigned char)(y * 3), (unsigned char)(x * 7 + y)};
            fwrite(rgb, 1, 3, ppm);
        }
    fclose(ppm);
    return WriteTga(nullptr, (base + ".tga").c_str(), frame.get()) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const Shape shapes[] = {{1, 1}, {3, 2}, {5, 7}, {37, 23}, {301, 2}, {320, 240}};
    int failures = 0;
    for (const Shape &s : shapes)
        failures += !Write(argv[1], s);
    DibPtr frame(CreateDib(8, 8, 24, 1));
    const int refused = WriteTga(nullptr, (std::string(argv[1]) + "\\no\\such\\x.tga").c_str(), frame.get());
    printf("written, %d failures; unwritable path gives %d\n", failures, refused);
    return failures == 0 && refused == 1 ? 0 : 1;
}
