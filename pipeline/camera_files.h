// The byte work of camera 3D-AVI files, without files or windows: the
// camera kinds, the header built from the embedded template and the
// intermediate AVI's stream headers, the camera's MJPEG frames and preview
// pictures repacked from the JPEG writer's files, the EXIF block of the
// 3DS kinds, the JPEG segment rewrite, the frame and sound arithmetic of
// the save loop and the chunk ids of the copied movie data.
#ifndef TWR_PIPELINE_CAMERA_FILES_H
#define TWR_PIPELINE_CAMERA_FILES_H

#include "shared/wintypes.h"

#include <stddef.h>
#include <stdint.h>

#include <vector>

// CameraAviKind (g_n3dAviKind): 0-2 the FUJIFILM formats, 3-8 the 3DS ones.
struct CameraKind {
    int eyeWidth, eyeHeight;
    int fps;
    int kindByte;               // written into the header; 0: the template's 2 stays
    int blockWidth, blockHeight; // the second stream's camera block; 0: unchanged
};
// The facts of a kind; a kind outside 0-8 is taken as 0.
const CameraKind &CameraKindFacts(int kind);
inline bool IsNintendoKind(int kind) { return kind >= 3 && kind <= 8; }

enum {
    kCameraHeaderBytes = 28660,   // the template "FUJI"
    kTempHeaderBytes = 2036,      // the intermediate AVI up to its 'movi' list
    kExifTemplateBytes = 692,     // the template "EXIF3DS"
    kLeftPreviewAt = 830,
    kLeftPreviewRoom = 8324,
    kRightPreviewAt = 10072,
    kRightPreviewRoom = 8278,
    kCameraSoundRate = 48000,
};

// Positions of the "hdrl" and the first three "strl" tokens in the first
// 1,024 bytes of the intermediate AVI (20, 96, 238, 356 where not found).
struct TempChunks {
    int hdrl;
    int strl[3];
};
TempChunks LocateTempChunks(const BYTE *head, size_t size);

// Patches the header (a copy of the template, kCameraHeaderBytes) with the
// intermediate AVI's first kTempHeaderBytes: its 'avih', the three
// streams' headers, the RIFF size of the final file, the frame count of
// both eyes and the camera bytes of the kind.
void PatchCameraHeader(BYTE *header, const BYTE *tempHead, int kind);

// Puts a preview into its room (the left or the right stream's); false,
// with the room left as it was, when the picture does not fit.
bool PlaceCameraPreview(BYTE *header, bool right, const BYTE *jpeg, size_t size);

// A file of the JPEG writer has the fixed layout: SOI, JFIF APP0 at 2,
// luma and chroma DQT at 20 and 89, SOF0 at 158, four DHT segments from
// 177 to 609, SOS at 609. False for anything else.
bool HasWriterLayout(const BYTE *jpeg, size_t size);

// The camera's MJPEG frame: SOI, APP0 "AVI1" with the field sizes, DRI 0,
// one DQT with both tables, SOF0, then SOS to the end (the standard
// Huffman tables left out). *out gets the frame padded with zeros to a
// multiple of 32 bytes. False when the source lacks the writer's layout.
bool RepackAvi1Frame(const BYTE *jpeg, size_t size, std::vector<BYTE> *out);

// The preview picture: SOI, one DQT, SOF0, one DHT with the four tables,
// SOS to the end (no APP0): 34 bytes shorter than the source.
bool RepackPreviewJpeg(const BYTE *jpeg, size_t size, std::vector<BYTE> *out);

// The EXIF block: the template with the date (19 characters) at its three
// places, the picture size and the thumbnail after it, the APP1 length
// covering the block padded to an even size. False when the thumbnail is
// too large for the segment.
bool BuildExifBlock(const BYTE *exifTemplate, const char *date, int width, int height, const BYTE *thumbnail,
                    size_t thumbnailSize, std::vector<BYTE> *out);

// "%04d:%02d:%02d %02d:%02d:%02d" into 20 bytes; each part is kept
// within its width (year 0-9999, the others 0-99).
void FormatExifDate(char *out, int year, int month, int day, int hour, int minute, int second);

// Rewrites the segments of a JPEG in memory: mode 3 drops APP0; mode 2
// writes block once before the first segment and drops every APP1. The
// scan (from SOS) is copied as it is. 0, or the error code: 2 or 3 no
// SOI, 9 a segment that does not begin with 0xFF or runs past the end.
int RewriteSegments(const BYTE *in, size_t size, int mode, const BYTE *block, size_t blockSize,
                    std::vector<BYTE> *out);

// The save loop's frames: N source frames at rate/scale become
// trunc(N x fps x scale / rate) output frames, filled up to whole seconds.
int CameraOutputFrames(int sourceFrames, int fps, uint32_t rate, uint32_t scale);
int CameraTotalFrames(int outputFrames, int fps);
// The source frame (0-based, within the N) of output frame k.
int CameraSourceFrame(int k, int sourceFrames, int outputFrames);
// The source position shown in the title for output frame k.
int CameraTitleFrame(int k, int fps, uint32_t rate, uint32_t scale);
// The 48 kHz sample at which output frame k starts.
int64_t CameraSoundSample(int k, int fps);
// The 48 kHz sample at which source frame f starts.
int64_t SourceSoundSample(int f, uint32_t rate, uint32_t scale);

// The AVI's chunk ids: "00db" and "02db" become "00dc" and "02dc".
bool RenameVideoChunkId(BYTE *id);

#endif
