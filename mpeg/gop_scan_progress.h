// What runs while a video stream is opened without a usable ".gl" file and
// the whole stream is scanned for its GOP list: the hook is called at every
// start code with the percentage read, and a return of 0 cancels the scan
// (the open then fails).
//
// The default hook keeps the thread's windows painted and nothing more:
// on Windows it dispatches only paint messages (and at most every few tens
// of milliseconds), so that no command, input or close can run inside the
// open. A caller that wants more (the shell marking itself busy and serving
// every message, a progress display, a cancel button) installs its own.
#ifndef TWR_MPEG_GOP_SCAN_PROGRESS_H
#define TWR_MPEG_GOP_SCAN_PROGRESS_H

#include "mpeg/gop_index.h"

// Installs the hook every later scan calls; null restores the default.
void SetGopScanProgressHook(GopProgressHook hook, void *context);
// The hook in force and its context.
GopProgressHook GopScanProgressHook(void **context);
// The default: keeps windows painted, never cancels.
int DefaultGopScanProgress(void *context, int percent);

#endif
