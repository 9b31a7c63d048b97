// The DirectDraw flip chain of the page-flip window: its creation (fewer
// back buffers when video memory is short, down to a minimum), the
// surfaces collected in chain order, clearing, and the buffer the WinX3D
// driver is not using.
#ifndef TWR_DEVICES_FLIP_CHAIN_H
#define TWR_DEVICES_FLIP_CHAIN_H

#include "devices/winx3d_driver.h"
#include "shared/wintypes.h"

#include <ddraw.h>

// Creates the primary surface with buffers - 1 back buffers; on
// DDERR_OUTOFVIDEOMEMORY one back buffer fewer while the chain stays at or
// above minimum. 0 with *count the chain's buffers, 1 for a null out
// pointer, or the DirectDraw error.
HRESULT CreateFlipChain(IDirectDraw *dd, IDirectDrawSurface **primary, int buffers, int minimum, int *count);
// The primary in entry 0 and the flip surfaces attached behind it, in
// chain order, at most count; the rest of the array null. Returns 1.
int CollectFlipChain(IDirectDrawSurface *primary, IDirectDrawSurface **array, int count);
HRESULT WINAPI CollectFlipSurfaceProc(IDirectDrawSurface *surface, DDSURFACEDESC *desc, void *context);
// Fills both surfaces with black and waits for the fills.
void ClearFlipSurfaces(IDirectDrawSurface *a, IDirectDrawSurface *b);
// The first surface the driver reports neither busy (0x08) nor 0x20; the
// default when none is.
int FindFreeFlipBuffer(WinX3DContext *context, int device, IDirectDrawSurface **surfaces, int count, int defaultIndex);
void RestoreLostSurface(IDirectDrawSurface *surface);

#endif
