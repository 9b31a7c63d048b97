// The save commands of the main window: a stereo movie (2001), left and
// right movies (2052), the split of a 3D-AVI (2118), the batch list
// (2119), and the bodies and continuations they share (2131, 2132, 2192,
// 2193); the copy of a pair as one file (2189). A save that reached the
// file-size limit continues in numbered files. The camera 3D-AVI (2130)
// and the 3DS date change (2122) are not handled here.
#ifndef TWR_SHELL_SAVE_COMMANDS_H
#define TWR_SHELL_SAVE_COMMANDS_H

#include "shared/wintypes.h"
#include "shell/file_list.h"

void SaveCommand(HWND main, int id);

// The batch list: g_nBatchCount := its entries; an unreadable list is
// reported (string 2364) and counts none.
void CountFileListEntries(const char *listPath);
// Entry n into the outputs (which keep their contents when it is not
// there); an unreadable list is reported. True when the entry was found.
bool ReadFileListEntry(const char *listPath, char *source1, char *source2, char *output1, char *output2, int n,
                       int *type, int *outputType, int *allFrames);

// A list folder and a name joined into dest (kPathBytes): false, with a
// message, when the path would not fit a path of the program (260 bytes).
bool JoinListPath(char *dest, const char *folder, const char *name);

#endif
