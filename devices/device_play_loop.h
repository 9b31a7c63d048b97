// The clock and sound of a full-screen play loop, shared by the device
// windows: the sound started at the loop's first frame (waveOut for movies
// read through AVIFile, the in-memory sound stream for the own reader and
// plug-ins), the multimedia timer with the play loops' period rule, the
// pacing after each shown frame with its one-frame skip, the sound's upkeep
// and the end of all of it. Each device draws its frames and takes its own
// input between the calls.
#ifndef TWR_DEVICES_DEVICE_PLAY_LOOP_H
#define TWR_DEVICES_DEVICE_PLAY_LOOP_H

#include "shared/wintypes.h"

struct MovieSource;
struct FullScreenSound;

struct DevicePlayLoop {
    // Filled by the caller.
    HWND window;           // receives the waveOut notifications
    MovieSource *sound;    // the record whose sound plays and whose rate times the loop
    MovieSource *partner;  // the pair's other record, null for a file
    int start;             // the loop's first frame
    int total;             // frames of the file or the pair
    int recordStart;       // the sound record's own frame at the start
    bool isFile;
    int skipLimit = -1;     // a frame is skipped only while the step is below this
                            // (-1: below total)
    bool pairSound;         // sound when "nSound1" is 1 (the pair played on the OpenGL
                            // window) instead of when "nSound" is 0
    unsigned *timerPeriod;  // where the loop keeps its timer's period and id
    unsigned *timerId;
    int *drops;             // frames skipped, set to 0 at the start
    int *delay;             // the delay of the status line, set after each frame

    // Kept by the loop.
    bool waveOut;
    FullScreenSound *stream;
    unsigned period, rate, scale;
};

// Starts the sound (unless g_nSound, or g_bSound1 for pairSound, turns it
// off) and the timer. False,
// with nothing left running, when the timer cannot be read.
bool StartDevicePlayLoop(DevicePlayLoop &loop);
// After step k (counted from the loop's first frame) was shown: sleeps
// until the next frame is due, skips one frame when more than two behind
// and k is below the skip limit (returns k + 1 then, else k) and keeps the
// sound going.
int PaceDevicePlayLoop(DevicePlayLoop &loop, int k);
// Stops the sound and the timer.
void EndDevicePlayLoop(DevicePlayLoop &loop);

// The performance counter in milliseconds: where a played frame's time
// goes, for the benchmarks' probes.
double DeviceClockMs();
struct PlayerFrameTimes;
// A shown frame's times when asked for (times not null): the fetch from
// t0, the drawing from t1, the present from t2 until now.
void NoteDeviceFrameTimes(PlayerFrameTimes *times, double t0, double t1, double t2);

#endif
