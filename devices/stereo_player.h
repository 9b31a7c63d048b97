// The Direct3D 7 stereo player: the pair, or one stereo movie file, drawn
// full screen into the two halves of a double-width surface tagged with
// the NV3D stereo signature (which the stereo driver splits for the two
// eyes), or a file shown in one display format on one screen.
#ifndef TWR_DEVICES_STEREO_PLAYER_H
#define TWR_DEVICES_STEREO_PLAYER_H

#include "devices/stereo_app.h"
#include "devices/stereo_player_overlay.h"
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

// Called after each frame's blit, before the present, with the work
// surface (the double-width surface with its signature, or the formatted
// picture's canvas), the rectangle copied from it (empty when nothing
// was) and the render target (null when it could not be taken); lets the
// tests read both back. Null: unused.
extern void (*g_pfnPlayerSurfaces)(IDirectDrawSurface7 *work, const RECT &shown, IDirectDrawSurface7 *target);

#endif
