// The inside of the 3D Vision viewer, shared by its files (set-up and
// window, drawing, play passes) and read by its tests.
#ifndef TWR_DEVICES_STEREO_VISION_VIEW_H
#define TWR_DEVICES_STEREO_VISION_VIEW_H

#include "devices/stereo_player_overlay.h"
#include "devices/stereo_vision.h"

#include <d3d9.h>

struct StereoVisionView {
    HWND window;  // null once destroyed
    IDirect3D9 *d3d;
    IDirect3DDevice9 *device;
    D3DPRESENT_PARAMETERS present;
    IDirect3DSurface9 *surface;  // the NV3D surface, 2 W x (H + 1)
    BYTE recreate;               // make the surface at the next present
    BYTE classFilled;
    int playing;  // a play pass runs: the idle loop does not redraw
    HINSTANCE instance;
    StereoPair *pair;
};
extern StereoVisionView g_vision;
extern int g_nVisionZoom;   // percent, kept across runs
extern int g_bVisionClear;  // the next pair or formatted drawing fills the surface black

bool InitStereoVision();
void ReleaseStereoVision();
// Makes the surface of 2 w x (h + 1) with its signature row (the old one
// released first; w or h 0: none). False when it could not be made.
bool CreateNV3DSurface(int w, int h);
void ReleaseNV3DSurface();
void RecreateNV3DSurfaceIfNeeded();
void PresentStereoVision();
LRESULT CALLBACK StereoVisionWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The device restored when it was lost and can be reset, and the surface
// made when it is due: true when a picture can be drawn and presented.
bool VisionDeviceReady();
// The end of every drawing: the test hook, Clear, the linear stretch of
// the whole surface onto the back buffer, Present.
void ShowVisionSurface();

// Still frames of PlaySource 2, 1 and 0: 0 when drawn (or nothing could
// be: the device or the surface DC not available), 1 when the frame
// cannot be fetched.
int DrawVisionFormattedFile();
int DrawVisionStereoFile();
int DrawVisionPair();
// The same at a chosen frame, with the times of its parts (null: none).
int DrawVisionFrame(int source, int frame, PlayerFrameTimes *times);
// Play passes: 0 play again, 1 stop.
int PlayVisionFormattedFile();
int PlayVisionStereoFile();
int PlayVisionPair();
int DrawVisionCurrent();  // by g_nPlaySource
int PlayVisionCurrent();

// The keys and mouse of the viewer window outside a pass.
void HandleVisionInput(HWND window, UINT message, WPARAM wParam);
// A WM_KEYUP inside a pass: true when the pass is to stop.
bool HandleVisionPassKey(WPARAM key);

// Test hooks. Called before every Present of a drawn picture with the NV3D
// surface (its DC released; lockable) and the device.
extern void (*g_pfnVisionSurface)(IDirect3DSurface9 *surface, IDirect3DDevice9 *device);
// Called after the stretch onto the back buffer, before the present (the
// back buffer is lockable).
extern void (*g_pfnVisionBackBuffer)(IDirect3DSurface9 *back);
// The times of each frame of a play pass (the benchmark).
extern void (*g_pfnVisionFrameTimes)(const PlayerFrameTimes &times);
// Stand-ins for the device's creation (null: Direct3DCreate9 and
// CreateDevice) and the surface's (null: CreateOffscreenPlainSurface).
extern IDirect3D9 *(*g_pfnVisionCreate9)(UINT version);
extern HRESULT (*g_pfnVisionCreateDevice)(IDirect3D9 *d3d, D3DPRESENT_PARAMETERS *params, IDirect3DDevice9 **device);
extern HRESULT (*g_pfnVisionCreateSurface)(IDirect3DDevice9 *device, UINT w, UINT h, IDirect3DSurface9 **surface);
// Stands for TestCooperativeLevel (null: the device's own), to make the
// device lost.
extern HRESULT (*g_pfnVisionCooperativeLevel)(IDirect3DDevice9 *device);
// Presents made since the program started.
extern int g_nVisionPresents;

#endif
