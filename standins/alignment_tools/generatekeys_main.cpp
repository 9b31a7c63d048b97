// Stand-in for the outside tool "generatekeys.exe":
//   generatekeys.exe <image> <key file> [max side]
// finds the keypoints of a TIFF image reduced to the given long side
// (default 700) and writes them, in full-size pixels, to a gzip-compressed
// key file for autopano. Exit code 0, or 1 with a message on stderr.
#include "tool_keys.h"

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: generatekeys <image.tif> <keys.gz> [max side]\n");
        return 1;
    }
    const int maxSide = argc > 3 ? atoi(argv[3]) : 700;
    ImageKeys keys;
    std::string error;
    if (!MakeImageKeys(argv[1], maxSide, &keys, &error) || !WriteKeyFile(argv[2], keys, &error)) {
        fprintf(stderr, "generatekeys: %s\n", error.c_str());
        return 1;
    }
    printf("%s: %d keypoints\n", argv[1], (int)keys.points.size());
    return 0;
}
