// The waveOut sound player of the play loops: plays a range of samples of
// an AVIFile sound stream through up to 16 buffers of 64 KB, refilled one
// at a time as the device reports them done (MM_WOM_DONE to the window
// the loop names, taken by the loop itself). One player at a time.
#ifndef TWR_PIPELINE_WAVE_PLAYER_H
#define TWR_PIPELINE_WAVE_PLAYER_H

#include "shared/wintypes.h"

#include <mmsystem.h>
#include <vfw.h>

enum { kWaveBuffers = 16, kWaveBufferBytes = 65536 };

extern HWAVEOUT g_hWaveOut;

// Plays samples start .. end - 1 of the stream (start < 0: the stream's
// start; end < 0: its end). wait 0 returns at once; otherwise only when
// every queued buffer has been reported done. 1 started, 0 not.
int StartWaveAudio(HWND window, PAVISTREAM stream, LONG start, LONG end, int wait);
// One MM_WOM_DONE taken by a play loop: a buffer done, the next queued.
LRESULT OnWaveOutDone(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Stops and closes the device; nothing when none is open.
void StopWaveAudio();

int OpenWaveOut(HWND window, PAVISTREAM stream);
int QueueWaveBuffers();
void CloseWaveOut();

// The player's counters, for the loops and their tests.
int WaveBuffersQueued();
int WaveBufferCount();
LONG WavePosition();
bool WavePlaying();

#endif
