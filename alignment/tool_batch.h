// Running an outside alignment program through the batch file written for
// it, and waiting for it to end.
#ifndef TWR_ALIGNMENT_TOOL_BATCH_H
#define TWR_ALIGNMENT_TOOL_BATCH_H

#include "shared/wintypes.h"

// Runs the batch file (named by its full path: Wine's cmd takes a bare
// "start.bat" for its own START command and reports success without
// running it) in folder (null: the current one) with the window shown as
// show, waits for it without a time limit, lets the messages that came
// meanwhile through and repaints owner. False when it could not start.
bool RunToolBatch(HWND owner, const char *batchPath, const char *folder, int show);

#endif
