// The state of the Direct3D 7 stereo player, shared with the 3D Vision
// output: what is played, where it stands, and the status line's values.
#ifndef TWR_DEVICES_STEREO_PLAYER_STATE_H
#define TWR_DEVICES_STEREO_PLAYER_STATE_H

#include "shared/wintypes.h"
#include "sources/movie_source.h"
#include "state/app_state.h"

extern MovieSource g_playMovie;    // the player's own record of a file
extern MovieSource *g_pPlayMovie;  // &g_playMovie while a file is played
extern StereoPair *g_pPlayPair;
extern int g_nPlayFrame;   // the file's current frame
extern int g_nPlayFrames;  // frames of the file, or the pair's length
extern int g_nClipLength;  // the pair's length
extern int g_nFileShiftX, g_nFileShiftY;
extern int g_nPlayerSwap;
extern int g_nPlayerClear;  // formatted frames still to be drawn on a black surface
extern int g_nPlayBase, g_nPlayStep, g_nPlayDelays, g_nDevicePlayDrops;
extern HWND g_hwndPlayer3D;
extern int g_bShowHelp, g_bShowInfo;
// The timer of the device play loops.
extern unsigned g_uDeviceTimerPeriod, g_uDeviceTimerId;

// Opens pair->szName into g_playMovie for the devices that play a file:
// g_pPlayMovie set, the file offsets and g_nPlayFrame 0, g_nPlayFrames
// the file's length. False, with the record closed and g_pPlayMovie null,
// when it cannot be opened (the devices end silently then).
bool OpenPlayMovie(const StereoPair *pair);

struct DevicePlayLoop;
// A play loop on the shared device timer and counters (g_uDeviceTimer*,
// g_nDevicePlayDrops, g_nPlayDelays) of the Direct3D 7 player, the 3D
// Vision viewer and the OpenGL window.
DevicePlayLoop SharedDevicePlayLoop(HWND window, MovieSource *sound, MovieSource *partner, int start, int total,
                                    int recordStart, bool isFile);

// What a play loop plays and from where.
struct DeviceLoopSource {
    MovieSource *sound;    // the record whose sound plays and whose rate times the loop
    MovieSource *partner;  // the pair's other record (none for a file)
    int start, total, recordStart;
    int *current;  // g_nPlayFrame or g_nFrame
};
// The file from g_nPlayFrame (total 0 when none is open).
DeviceLoopSource FileLoopSource();
// The pair from g_nFrame, its sound from the record the sound switch
// names; g_nClipLength set to its length. False, nothing set, when the
// pair lacks a record.
bool PairLoopSource(StereoPair *pair, DeviceLoopSource &out);

#endif
