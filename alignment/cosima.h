// Alignment through the outside program "cosima.exe" in the program's
// folder: both frames are handed to it as TGA images in the work folder
// (the temporary folder + "cosima\"), its report becomes the alignment
// values, and a copy of the report beside the left movie (".adj") can be
// taken again instead of a new run.
#ifndef TWR_ALIGNMENT_COSIMA_H
#define TWR_ALIGNMENT_COSIMA_H

#include "alignment/cosima_report.h"
#include "shared/packed_dib.h"

// The alignment of the pair: with g_nAlvFileMode 1 an existing ".adj" is
// deleted and the program runs, otherwise the ".adj" is taken when there is
// one. The values (rotations, sizes, vertical-axis perspectives, offsets,
// half field of view) change only when a complete report was read; a
// failure leaves them as they were. The report's copy is kept only when
// complete. Returns 0, or 1 on failure (no program, an image or file that
// cannot be written, no complete report).
int RunCosima(HWND owner, const char *leftMoviePath, const PackedDib *left, const PackedDib *right);

// A 24-bit frame as an uncompressed TGA file. 0, or 1 when the file
// cannot be written (or the frame is not 24-bit).
int WriteTga(HWND owner, const char *path, const PackedDib *frame);

// The program's console answers ("file.txt": an empty line, then "n") and
// the batch file that runs it by its full path with those answers as its
// input. 0, or 1 when the file cannot be written.
int WriteCosimaAnswers(const char *path);
int WriteCosimaBatch(const char *path);

// Reads a report file into values[] (zeroed first). 0 when all six lines
// were found, else 1 (also when the file cannot be opened).
int ParseCosimaReport(const char *path, int values[kCosimaValueCount]);

// The work folder with its trailing backslash. False when it does not fit.
bool GetCosimaWorkFolder(char *folder, int bytes);

#endif
