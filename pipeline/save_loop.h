// What the stereo and the left/right save loops share: the title line and
// the position bar, the composition of one output frame, the preview, the
// message pump, and the sound of the frames written.
#ifndef TWR_PIPELINE_SAVE_LOOP_H
#define TWR_PIPELINE_SAVE_LOOP_H

#include "pipeline/save_geometry.h"
#include "shared/wintypes.h"

#include <stdint.h>
#include <vfw.h>

// Title: stringId ("左 %s(%d-%d-%d)  右 %s(%d-%d-%d)  保存 %s(%d kb)") for
// frame i of count, with the automatic-colour label; the position bar's
// thumb at i.
void ShowSaveProgress(HWND window, int stringId, const MovieSource *left, const MovieSource *right, int i, int count,
                      const char *outputName, uint32_t bytes);

// The fetched pair of frame i (fetched, adjusted while an alignment is in
// force): 0, or 1 when the frames could not be fetched.
int FetchSaveFrame(HWND window, MovieSource *left, MovieSource *right, int i);

// Soft border, colour matching and the layout's composer into out (made at
// the output size), directly or through eye images of the custom size
// (keeping the aspect, with the half-size option, when aspect is set: the
// stereo save's options). The eye frames are first made private when they
// are to be changed in place. False when an eye holds no image or a
// composer could not run.
bool ComposeSaveFrame(HWND window, PackedDib *out, MovieSource *left, MovieSource *right, int layout, bool aspect);

// Draws the saved frame into the view: layouts 0 and 1 scaled to preview,
// the others unscaled at the top left. The view is cleared first when the
// main window was resized.
void DrawSavePreview(PackedDib *frame, int layout, SaveSize preview, bool first, void *drawDib);

// The end of a save: the program idle again, the cancel flag and the frame
// log's writing off; a save cut at the size limit moves both records'
// starts past the done frames for the next part and returns kSaveSplit,
// a finished one says so in the title when sayDone is set and returns 0.
int EndSave(HWND window, StereoPair *pair, bool split, int done, bool sayDone);

// Serves every waiting message with the main window's accelerators; true
// when the loop is to stop (the cancel flag, or the program is ending).
bool PumpSaveLoopMessages();

// The sound side of a save.
struct SaveSound {
    MovieSource *record;  // supplies the sound, or null
    MovieSource *other;
    uint32_t bytesPerFrame;
};
// The sound record and the other one.
SaveSound FindSaveSound(StereoPair *pair);
// The same with the sound's bytes per frame for the size count; plug-in
// files are opened afresh so that their sound is read from the start.
SaveSound BeginSaveSound(StereoPair *pair);

// The record has sound a save can write (through AVIFile, or the own
// reader's sound index and WAVE header).
bool HasSaveSound(const MovieSource *m);
// The sound sample at which video frame f starts: through the two streams'
// times, or by the rates where AVIFile holds no streams for the file.
LONG SoundSampleAtFrame(const MovieSource *m, int f);

// A stream "Audio #1" of the sound record's format in the file, for the
// sound written frame by frame (kinds 1 and 2) and, where streams cannot
// be added once data is written, for the copied sound of kind 0 too. True
// with *stream null when no stream is needed; false with the error text's
// id in *errorId.
bool CreateSoundStream(PAVIFILE file, const SaveSound &sound, PAVISTREAM *stream, int *errorId);

// The sound of frames record nStart .. nStart + frames - 1 into each of the
// n files (its stream in streams[k], made by CreateSoundStream).
void WriteSaveSound(HWND window, const SaveSound &sound, int frames, PAVIFILE *files, PAVISTREAM *streams, int n);

// The video stream facts of the left eye that the outputs take; false when
// they cannot be read.
bool LeftVideoInfo(const MovieSource *left, AVISTREAMINFOA *info);

// AVICOMPRESSOPTIONS from g_compVars.
AVICOMPRESSOPTIONS SaveCompressOptions();

#endif
