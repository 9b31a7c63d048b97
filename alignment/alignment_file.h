// The alignment value file: the result of one automatic alignment kept
// beside the left movie (folder "alignment", the movie's name with ".alv"),
// an INI file with one section "Data", so that the next alignment of the
// same movie can take it instead of computing again.
#ifndef TWR_ALIGNMENT_ALIGNMENT_FILE_H
#define TWR_ALIGNMENT_ALIGNMENT_FILE_H

#include "shared/wintypes.h"

enum { kAlignmentPathBytes = 260 };

// Turns a movie path (in a buffer of 260 bytes) into its folder + subFolder
// + "\" + its file name, in place. Returns false and leaves the path as it
// was when the result would not fit.
bool MakeAlignmentFilePath(char *path, const char *subFolder);
// A file kept for a movie in its folder's "alignment" sub-folder: the
// movie's name with its extension replaced by extension (".alv", ".csv").
// False when it would not fit in 260 bytes (then there is no such file for
// that movie).
bool MakeAlignmentSidePath(char *out, const char *moviePath, const char *extension);
// The value file's path for a movie: false when it would not fit in 260
// bytes (then there is no value file for that movie).
bool MakeAlignmentValuePath(char *out, const char *moviePath);

#ifdef _WIN32
// One key of section "Data" written as "%d" / read (absent: 0). Values
// beyond +-1,000,000 read as that limit, so that no value from a hand-edited
// file overflows the arithmetic done with it.
void WriteAlignmentValue(const char *path, const char *key, int value);
int ReadAlignmentValue(const char *path, const char *key);

// Every key into the alignment values ("Position_H" negated into g_nShiftX,
// "FocalLength" through the half field of view, "Mean_Error_H" in
// 1/10000 pixel).
void ReadAlignmentFile(const char *path);
// After a fit: clears the perspective shifts, the canvas and the
// perspective-rotation switch, creates the folder and writes every key in
// order, "AlignmentValueFile" 1 first.
void WriteAlignmentFile(const char *path);

// The reuse decision an automatic alignment pass makes before computing,
// by g_nAlvFileMode: may delete a stale file or ask whether to take it.
// Returns 1 when the values were read from the file (the pass is done).
// *maySave tells whether the pass may write its result: the left movie's
// path names an existing file and its value path fits.
int ReuseAlignmentFile(HWND owner, const char *leftMoviePath, int *maySave);
// Writes the pass's result for the left movie (when its path allows).
void SaveAlignmentFile(const char *leftMoviePath);
#endif

#endif
