// Saving the pair as a camera 3D-AVI (FUJIFILM FinePix REAL 3D W1/W3 and
// Nintendo 3DS): two MJPEG video streams (left 0, right 2) and 16-bit
// stereo PCM at 48 kHz (stream 1), behind the camera's own header. A save
// loop writes an intermediate AVI (output path + "tmp.avi") through
// AVIFile; WriteCamera3dAvi then puts the patched header "FUJI" in front
// of its movie data.
#ifndef TWR_PIPELINE_CAMERA_AVI_H
#define TWR_PIPELINE_CAMERA_AVI_H

#include "shared/packed_dib.h"
#include "shared/wintypes.h"
#include "state/app_state.h"

// The frame rate of the kind being saved.
extern int g_nOutFps;

// The save: 0, or kSaveSplit when the file reached the size limit (both
// eyes' starts then advanced by the output frames written).
int Save3dAvi(HWND window, StereoPair *pair, const char *outputPath);

// The final file from the intermediate AVI (outputPath + "tmp.avi") and
// the two 160 x 120 thumbnails: 0, or the step at which it stopped (5-10,
// also left in the main window's title).
int WriteCamera3dAvi(const char *outputPath, const char *workJpegPath, const PackedDib *leftThumb,
                     const PackedDib *rightThumb);

// The eye canvas encoded at g_nJpegQuality through the work file and
// repacked as a camera MJPEG frame / as a complete JPEG with the 3DS EXIF
// block; a preview at the quality given. A locked global block (freed with
// FreeGlobalBlock) of *size bytes, or null.
BYTE *MakeAvi1FrameJpeg(const PackedDib *eye, const char *workPath, int *size);
BYTE *MakeExifFrameJpeg(const PackedDib *eye, const char *workPath, int *size);
BYTE *MakeCameraPreviewJpeg(const PackedDib *image, const char *workPath, int quality, int *size);

// Puts the 3DS EXIF block, with a thumbnail of the picture and the
// recording date, into the JPEG file: 1, or 0 on failure.
int AddExif3ds(const char *jpegPath);

// Rewrites the JPEG file's segments (mode 3: without APP0; mode 2: block
// first, without APP1), keeping the old file as path + "$" until the new
// one is written: 0, or the error code 1-10.
int RewriteJpegSegments(const char *jpegPath, int mode, const BYTE *block = nullptr, size_t blockSize = 0);

#endif
