// The NVIDIA 3D Vision output: the pair, or one stereo movie file, drawn
// side by side into an off-screen surface twice the screen's width whose
// extra last row carries the NV3D stereo signature, stretched onto a
// full-screen Direct3D 9 back buffer at every present. The viewer runs its
// own message loop until its window closes.
#ifndef TWR_DEVICES_STEREO_VISION_H
#define TWR_DEVICES_STEREO_VISION_H

#include "shared/wintypes.h"
#include "state/app_state.h"

// Plays pair (a file when g_nPlaySource is not 0: pair->szName) until the
// viewer's window closes. Always 0; a failed start leaves nothing open and
// the caller's message loop running.
int RunStereoVisionViewer(HINSTANCE instance, StereoPair *pair);
// True from a viewer's start to its return.
bool StereoVisionRunning();

#endif
