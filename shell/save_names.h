// The names of saved files: the chosen name less its extension, and the
// numbered files a split save continues in.
#ifndef TWR_SHELL_SAVE_NAMES_H
#define TWR_SHELL_SAVE_NAMES_H

#include <stddef.h>

// The path cut before the last '.' of its file name; a name without one
// stays whole ("C:\a.b\name" keeps its dot of the folder).
void CutFileExtension(char *dest, size_t size, const char *path);

// prefix, the part number in two digits, suffix: "movie" 1 ".avi" gives
// "movie01.avi", "trip" 1 "_l.avi" "trip01_l.avi".
void NumberedSaveName(char *dest, size_t size, const char *prefix, int part, const char *suffix);

#endif
