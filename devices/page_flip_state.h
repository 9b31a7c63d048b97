// The page-flip window's own state, shared by its window procedure, its
// set-up and its draw and play loops (one window at a time). Read by tests.
#ifndef TWR_DEVICES_PAGE_FLIP_STATE_H
#define TWR_DEVICES_PAGE_FLIP_STATE_H

#include "devices/winx3d_driver.h"
#include "sources/movie_source.h"
#include "state/app_state.h"

struct IDirectDraw;
struct IDirectDrawSurface;

enum { kW3DFlipSlots = 4, kW3DSetUpMessage = 2024 };
// g_nW3DError values.
enum { kW3DErrorSetUp = 1, kW3DErrorFile = 123 };

extern WinX3DContext *g_pW3DContext;
extern int g_nW3DDevice;
extern int g_bW3DAttached, g_bW3DExclusive, g_bW3DFlipping;
extern IDirectDraw *g_pW3DDirectDraw;
extern IDirectDrawSurface *g_pW3DPrimary;
extern IDirectDrawSurface *g_apW3DFlip[kW3DFlipSlots];
extern int g_nW3DBuffers;
extern W3DDisplayInfo g_w3dDisplayInfo;
extern WinX3DCaps g_w3dCaps;
extern StereoPair *g_pW3DPair;
extern MovieSource g_w3dMovie;
extern MovieSource *g_pW3DMovie;
extern int g_nW3DError;
extern int g_nW3DFileFrame, g_nW3DFileShiftX, g_nW3DFileShiftY;
extern int g_bW3DSwap, g_bW3DHelp, g_bW3DInfo;
extern int g_nW3DClear;
extern int g_nW3DLeftBuffer, g_nW3DRightBuffer;
extern int g_nW3DBase, g_nW3DStep, g_nW3DTotal, g_nW3DDelay;

// The window while it exists.
extern HWND g_hwndW3D;

#endif
