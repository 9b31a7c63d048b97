// Where Wine's implementation of a call the program makes is missing or
// wrong, the least fallback that gives the same result, kept here in one
// place. Each one says what it replaces and when.
#ifndef TWR_SHARED_PLATFORM_COMPAT_H
#define TWR_SHARED_PLATFORM_COMPAT_H

#include "shared/wintypes.h"

#include <stdint.h>

// True when the program runs under Wine.
bool IsRunningOnWine();

// Wine's AVIFileOpen walks the top level of the first RIFF with 32-bit
// signed positions: on a file whose first RIFF ends beyond 2 GB (an AVI 1.0
// file of more than 2 GB) it never returns. And reading the facts of a
// stream whose rate or scale is 0 stops the whole process with a failed
// assertion. True when, for a file of these facts, AVIFileOpen must not be
// called; the opener then reads the headers itself and the frames through
// its own reader, as AVIFile would have let it.
bool AviFileOpenUnusable(uint64_t firstRiffEnd, bool zeroTimeStream);

// Wine's AVIFile frame getter hands out a stale picture for uncompressed
// ('DIB ') streams when a frame is asked out of order (frame 3 right after
// frame 1 gives frame 1 again). True when uncompressed video must be read
// through the own reader to be frame-accurate.
bool AviGetterMisreadsRawFrames();

// In Wine's virtual desktop an owned popup that was shown while its owner
// was still hidden stays under the owner on the screen once the owner is
// shown, although Wine's own window order (EnumWindows) has it above. The
// frame-position bar is such a popup. Putting it on top again after the
// owner has been shown gives what Windows shows; on Windows it changes
// nothing.
void RaiseOwnedPopup(HWND popup);

#endif
