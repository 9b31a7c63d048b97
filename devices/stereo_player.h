// The Direct3D 7 stereo player: the pair, or one stereo movie file, drawn
// full screen into the two halves of a double-width surface tagged with
// the NV3D stereo signature (which the stereo driver splits for the two
// eyes), or a file shown in one display format on one screen.
#ifndef TWR_DEVICES_STEREO_PLAYER_H
#define TWR_DEVICES_STEREO_PLAYER_H

#include "devices/stereo_app.h"
#include "state/app_state.h"

class NvidiaStereoPlayer : public StereoApp {
public:
    NvidiaStereoPlayer();

    HRESULT RenderFrame() override;
    HRESULT InitScene() override;
    int PlayFormattedFile() override;
    int DrawFormattedFile() override;
    int PlayStereoFile() override;
    int DrawStereoFile() override;
    int PlayStereoPair() override;
    int DrawStereoPair() override;
    HRESULT ReleaseSurfaces() override;
    HRESULT RenderScene() override;
    HRESULT MoveScene(float time) override;
    HRESULT RestoreScene() override;
    HRESULT DestroyScene() override;
};

// Plays pair (a file when g_nPlaySource is not 0: pair->szName) until the
// player's window closes. 0 when nothing ran (the file cannot be opened,
// the player could not start, or a player runs already: then nothing is
// touched), else the result of Run.
WPARAM RunNvidiaStereoPlayer(HINSTANCE instance, StereoPair *pair);
// True from a player's start to its return (its window may be up).
bool StereoPlayerRunning();

// The status line and key help over a frame: kind 0 the nVidia player,
// kind 1 the 3D Vision output; and the formatted-file overlay.
void DrawPlayerOverlay(HDC dc, int kind);
void DrawNvidiaOverlay(HDC dc);

// Where a played frame's time went, in milliseconds: fetching and
// preparing the images, drawing or composing them into the work surface,
// and the blit with the present. Reported after each frame of a play loop
// when set (the benchmark).
struct PlayerFrameTimes {
    int frame;
    double fetch, compose, present;
};
extern void (*g_pfnPlayerFrameTimes)(const PlayerFrameTimes &times);

// Called after each frame's blit, before the present, with the work
// surface (the double-width surface with its signature, or the formatted
// picture's canvas), the rectangle copied from it (empty when nothing
// was) and the render target (null when it could not be taken); lets the
// tests read both back. Null: unused.
extern void (*g_pfnPlayerSurfaces)(IDirectDrawSurface7 *work, const RECT &shown, IDirectDrawSurface7 *target);

#endif
