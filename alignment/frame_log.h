// The per-frame alignment log of the per-frame mode: one text line per
// frame ("alignment\<left movie name>.csv" beside the left movie) holding
// the frame number, for each of ten values its value as computed ("Org")
// and smoothed ("Ave"), the frame's visible region, -1 and the number of
// control points its fit used. Every field is a decimal number followed by
// a comma. A line whose first field is negative (the header) is no data
// line.
#ifndef TWR_ALIGNMENT_FRAME_LOG_H
#define TWR_ALIGNMENT_FRAME_LOG_H

enum {
    kLogValues = 10,          // offsets X, Y; rotation, size, perspective V and H of each eye
    kLogWindowEntries = 32,   // entries 0..nPmax - 1 newest first, entry nPmax the mean
    kLogFields = 27,
    kLogLineChars = 511,
};

// The trailing windows of the analysis, one per logged value in the order
// g_nShiftX, g_nShiftY, g_nRotationL, g_nRotationR, g_nSize1000L,
// g_nSize1000R, g_nPerspectiveVL, g_nPerspectiveVR, g_nPerspectiveHL,
// g_nPerspectiveHR, and how many entries are filled.
extern int g_aLogWindows[kLogValues][kLogWindowEntries];
extern int g_nLogWindowCount;

// The header line SmoothFrameLog writes first.
extern const char kFrameLogHeader[];

// The log's path for a left movie: false when it does not fit in 260
// bytes.
bool MakeFrameLogPath(char *out, const char *moviePath);

// The averaging width: "nPmax" limited to 1..30, whatever it holds.
int FrameLogWindow();

// Pushes the current values into the windows, puts their trailing means
// into force and appends the frame's line to g_szFrameLogPath. Returns 1.
int PushFrameValues(int frame);
// One data line: the frame, entry 0 and the mean of each window,
// g_rcFrameCrop, -1 and g_nMatchedPoints. 0 when the file cannot be opened
// or created.
int AppendFrameLogLine(const char *path, int frame);
// Rewrites g_szFrameLogPath with the header and each value's "Ave"
// replaced by the centred mean of nPmax "Org" values where the window fits.
// 0 when the log cannot be read or rewritten.
int SmoothFrameLog();
// Puts the smoothed values of the frame's first line into force (entry 0
// of each window takes the current value first). 0 when the log cannot be
// read or holds no line for the frame. The log is parsed once and kept
// while the file stays as it was.
int LoadFrameLogValues(const char *path, int frame);
// g_rcFrameCrop := the region common to every logged frame (largest left
// and top, smallest right and bottom, from 0, 0, 10000, 10000). 0 when the
// log cannot be read.
int LoadFrameLogCrop();
// Forgets the parsed log (after the log was deleted or replaced).
void ForgetFrameLog();

#endif
