// Saving the current pair as AVI files through AVIFile: one stereo movie
// in a save layout, two movies for the left and the right eye, and copies
// of a frame range without recompression. The save loops run on the main
// thread, serve every waiting message between frames and stop a file once
// more than kSaveSplitBytes were written, so that the shell can continue
// in a numbered file.
#ifndef TWR_PIPELINE_SAVE_MOVIE_H
#define TWR_PIPELINE_SAVE_MOVIE_H

#include "pipeline/save_geometry.h"
#include "shared/wintypes.h"

#include <vfw.h>

// The compressor chosen for the next save; kept until a save ends that was
// not split, so that numbered files use the same settings.
extern COMPVARS g_compVars;

// Return of a save loop that stopped at the size limit.
enum { kSaveSplit = 10 };

// Lets the user choose the compressor (ICCompressorChoose). 0 chosen; 1
// cancelled, with string 2329 in errorText (kOpenErrorBytes bytes).
int ChooseCompressor(char *errorText);

// The output file of a stereo save and its streams: "Video #1" compressed
// with g_compVars, and "Audio #1" for sound that is written frame by
// frame. The output frame becomes output->pCurrent. 0, or 1 with the
// failure's text in errorText.
int CreateSaveStreams(HWND window, const char *path, MovieSource *output, char *errorText, StereoPair *pair);

// The save loop into the file CreateSaveStreams made (pair->pOutput): 0
// when finished, cancelled or stopped by a failure; kSaveSplit when the
// file reached the size limit (both eyes' nStart then advanced by the
// frames written).
int SaveStereoMovie(HWND window, const char *path, StereoPair *pair);

// Copies a whole sound stream into a new stream "Audio #1" of the file
// (into target instead when the stream had to be made before the video was
// written). 1 on success, 0 on failure.
int CopyAudioStream(HWND window, IAVIFile *file, IAVIStream *source, IAVIStream *target = nullptr);

// Both eyes into two files: 0 when finished (also after a failure, which
// is reported and leaves no file behind that was not written), kSaveSplit
// at the size limit of the larger file.
int SaveLeftRightMovies(HWND window, StereoPair *pair, const char *leftPath, const char *rightPath);

// Frames nStart .. nStart + frames - 1 of the record's video with their
// sound, unchanged, into a new AVI. 1 when written; 0 when the copy failed
// or was cancelled (reported, and the file removed).
int SaveTrimmedMovie(HWND window, MovieSource *m, const char *path, int frames);
// The left record's range, its sound and the right record's range (from
// the left record's nStart) as the streams of one AVI. As SaveTrimmedMovie.
int SaveTrimmedPair(HWND window, MovieSource *left, MovieSource *right, const char *path, int frames);

// The progress callback of the copies: the percentage in the main window's
// title; non-zero cancels.
BOOL CALLBACK SaveProgressProc(int percent);
// Serves every waiting message (without accelerators); true when one of
// them was Escape or a close request.
bool PumpSaveMessages();

// Test hook: when set, called instead of ICCompressorChoose with
// g_compVars as reset; its result is the choice's.
typedef BOOL (*CompressorChooseHook)(COMPVARS *vars);
extern CompressorChooseHook g_pfnCompressorChooseHook;

#endif
