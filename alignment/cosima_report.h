// The text side of the alignment through the outside program "cosima.exe":
// the report it writes (six labelled numbers), the alignment values made
// from them, the name of the report's copy beside the movie and the TGA
// images handed to the program.
#ifndef TWR_ALIGNMENT_COSIMA_REPORT_H
#define TWR_ALIGNMENT_COSIMA_REPORT_H

#include "shared/packed_dib.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// The report's numbers in the order of their lines, each in hundredths:
// height error (pixels), size error (percent), rotation error (degrees),
// vergence error, and the two near-point deviations (pixels).
enum CosimaValue {
    kCosimaHeight,
    kCosimaSize,
    kCosimaRotation,
    kCosimaVergence,
    kCosimaNearPoint1,
    kCosimaNearPoint2,
    kCosimaValueCount
};

// A report line holds at most this many characters; the rest of a longer
// line is skipped.
enum { kCosimaLineChars = 511 };

// The number after the line's first '=' (blanks after it skipped) in
// hundredths: an optional sign, digits, and after a '.' the decimals, of
// which the first two count (missing ones are 0). 0 when the line has no
// '=' or no number; saturates far beyond any real report value.
int ParseCosimaNumber(const char *line);

// Integer division by 10 or 100 rounding halves away from zero.
int DivRound10(int v);
int DivRound100(int v);

// Reads the report: the six labelled lines in their order ("Mean error of
// height", "Mean error of size", "Mean error of rotation", "Mean error of
// vergence", "Near point deviation" twice), each label compared at the
// start of a line over its length; lines in between are skipped, and a
// label met before its turn is not found. values[] is zeroed first and
// receives each found line's number. True when all six were found.
bool ReadCosimaReport(FILE *file, int values[kCosimaValueCount]);

// The alignment values that a complete report stands for.
struct CosimaAlignment {
    int rotationL, rotationR;       // 0.1 degree
    int size1000L, size1000R;       // per mille
    int shiftX, shiftY;             // pixels
    int perspectiveVL, perspectiveVR;
    int halfFov;                    // 0.1 degree
};
CosimaAlignment CosimaAlignmentFromReport(const int values[kCosimaValueCount]);
// Puts them in force: both rotations, sizes and vertical-axis
// perspectives, the two offsets and the half field of view.
void StoreCosimaAlignment(const CosimaAlignment &a);

// The report's copy beside the movie: the movie's path without its
// extension (the part after the last '.' of the file name) + ".adj".
// False when the result does not fit in `bytes`.
bool CosimaReportCopyPath(char *out, size_t bytes, const char *moviePath);

// An uncompressed true-colour TGA of a 24-bit frame: the 18-byte header
// (type 2, little-endian width and height, 24 bits, origin at the bottom
// left) and the frame's rows in its bottom-up order, 3 x width bytes each
// without the DIB's row padding. False for a frame that is not 24-bit or a
// failed write.
void MakeTgaHeader(uint8_t header[18], int width, int height);
bool WriteTgaImage(FILE *file, const PackedDib *frame);

#endif
