// Automatic alignment of the pair at the current frame: control points
// found by the outside tools ("generatekeys.exe" and "autopano", or
// "autopano.exe") when they are installed, else by the built-in SURF
// matcher, then fitted into the alignment values, which are kept in the
// left movie's value file. The work files live in the folder "twradj" of
// the temporary folder.
#ifndef TWR_ALIGNMENT_AUTO_ALIGN_H
#define TWR_ALIGNMENT_AUTO_ALIGN_H

#include "shared/packed_dib.h"

// The pass number (1 on the first pass of every alignment); each pass of
// the built-in matcher works on a larger image with a looser ratio.
extern int g_nAlignPass;
// The frames aligned, chosen by the caller: the movies on their opened
// sides, whatever the view shows.
extern PackedDib *g_pAdjustDibL, *g_pAdjustDibR;

// One pass: the values from the left movie's value file when the user
// takes it, else control points found and fitted, the result saved (not in
// the per-frame mode, not with "nReport") and the work folder emptied. The
// frames are 24-bit and neither changed nor freed. The process's current
// directory is the work folder during the pass and is restored after it.
// Returns 0.
int AutoAlignPair(HWND owner, const char *leftMoviePath, const PackedDib *left, const PackedDib *right);

// The passes of the automatic alignment on g_pAdjustDibL and
// g_pAdjustDibR: up to three, ending after a pass whose fit included more
// than 50 points. The value-file question is asked at most once.
void RunAutoAlignPasses(HWND owner, const char *leftMoviePath);

// A failure to write the tools' images is reported once per command: the
// passes and the analysis start afresh with this.
void BeginAlignmentReports();

// "start.bat" for the outside tools, every line a quoted program of the
// tool folder and its arguments: generatekeys.exe for each image, then
// autopano on both key files (writes "output.oto"); or autopano.exe on the
// current folder (writes "output0.oto"). 0, or 1 when the file cannot be
// created.
int WriteGeneratekeysBatch(const char *batchPath);
int WriteAutopanoBatch(const char *batchPath);

// The work folder: the temporary folder + "twradj\" (with the backslash).
// False when the name does not fit.
bool GetAlignWorkFolder(char *folder, int bytes);
// Deletes every file in the work folder (the folder stays).
void CleanAlignWorkFolder(HWND owner);
// Removes the work folder and its files (at exit).
void RemoveAlignWorkFolder(HWND owner);

#endif
