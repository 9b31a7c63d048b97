// JPEG files through libjpeg (IJG interface 62): the writer of the camera
// 3D-AVI frames, previews and thumbnails, the reader that turns a JPEG
// file back into a small bottom-up 24-bit picture, and the conversion of a
// packed DIB's rows into the writer's row format.
//
// The writer's parameters fix the byte layout of every file it writes
// (SOI, JFIF APP0 at 2-19, two DQT segments at 20-88 and 89-157, SOF0 at
// 158-176, four DHT segments at 177-608, SOS at 609), which the camera
// 3D-AVI writer patches byte for byte.
#ifndef TWR_PIPELINE_JPEG_FILE_H
#define TWR_PIPELINE_JPEG_FILE_H

#include "shared/packed_dib.h"

// Luma sampling of every JPEG written (chroma is always 1 x 1):
// 0 2x2, 1 1x2, 2 2x1, 3 1x1 (horizontal x vertical). Read at each write.
extern int g_nJpegSampling;

// Offsets of the fixed layout.
enum {
    kJpegApp0At = 2,
    kJpegLumaDqtAt = 20,
    kJpegChromaDqtAt = 89,
    kJpegSof0At = 158,
    kJpegDhtAt = 177,
    kJpegSosAt = 609,
};

// Rows: width x height pixels, top-down, R, G, B, no gaps. quality 1-100.
// 1 when the file was written; 0 for null rows, an empty size, a file that
// cannot be created or a library error (nothing is shown).
int WriteJpegFile(const char *path, const BYTE *rows, int width, int height, int quality);

// The JPEG file as a packed DIB (no colour table, no spare bytes) reduced
// to fit 160 x 160: rows point-sampled, columns averaged. The JPEG's own
// size goes to the two outs. Null for a file that cannot be opened or
// decoded, an unsupported colour layout, or a size whose pixel buffer
// cannot be addressed.
PackedDib *ReadJpegFile(const char *path, int *fullWidth, int *fullHeight);

// The pixel rows of a 24-bit packed DIB (bottom-up, B, G, R, rows padded
// to 4 bytes) in the writer's row format, in a new locked global block
// that the caller frees with FreeGlobalBlock. Null when memory is short or
// the size cannot be addressed.
BYTE *DibToTopDownRgb(const BYTE *dibBits, int width, int height);

// The error exit the writer and the reader install: a non-local return to
// the operation's recovery point, so that the library's default exit,
// which ends the process, never runs.
struct jpeg_common_struct;
void JpegErrorExit(jpeg_common_struct *cinfo);

#endif
