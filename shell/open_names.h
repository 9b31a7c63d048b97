// Names the open commands derive from what the user chose: the partner
// of a left or right movie, the two names of a double selection in the
// pair-open dialog, and the MPEG test of that dialog's panel.
#ifndef TWR_SHELL_OPEN_NAMES_H
#define TWR_SHELL_OPEN_NAMES_H

#include <stddef.h>

// out := path with the letter L or R (l or r) just before the extension
// exchanged for the other one; 1 when such a partner was made, else 0.
// A trail byte of a double-byte character is never taken for the letter
// or the dot.
int MakePartnerFileName(const char *path, char *out, size_t outSize);

// The file dialog's answer for a selection of two files is the folder
// followed by two quoted names ("C:\f\"a.avi" "b.avi""). For such an
// answer the left name is the folder + the second name and the right name
// the folder + the first one, and true is returned; for anything else
// (fewer than four quotes) false, with both names untouched.
bool SplitTwoSelectedNames(const char *answer, char *left, char *right, size_t size);

// The panel's MPEG test: the name's last three characters are "mpg" or
// "peg" in any case.
bool IsMpegName(const char *name);

// The suggested file name of a clipboard copy: the movie's name cut at its
// last '.', then "_<frame>.jpg".
void MakeClipboardName(const char *movieName, int frame, char *out, size_t outSize);

#endif
